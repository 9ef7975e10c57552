// The configuration file "@config": "key=value" lines read at start-up into
// the setting records and written back at shutdown. Unknown keys and values
// that don't scan are skipped without a word, so a damaged file costs only
// its damaged lines.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/settings.h"
#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum { CONFIG_LINE_MAX = 1024, HISTORY_READ_MAX = 126 };

enum KeyKind {
  KEY_INT,        // int, "%d"
  KEY_REAL,       // RealSetting, clamped
  KEY_CHOICE,     // ChoiceSetting, by item name
  KEY_TEXT,       // TextSetting, cut to its length
  KEY_MAP_SCALE,  // the plain double map_scale, clamped to 0.125..8
  KEY_LINEUP,     // "slot%02d" block
  KEY_SETUP,      // bike setup block
  KEY_HISTORY,    // "server_name_hist%02d" block
  KEY_BINDINGS,   // "*_key" block
};

struct ConfigKey {
  const char* key;
  KeyKind kind;
  void* record;
};

Settings& S = settings;

// In the order the file is written.
const ConfigKey kKeys[] = {
    {"xres", KEY_INT, &S.xres},
    {"yres", KEY_INT, &S.yres},
    {"draw_fps", KEY_INT, &S.draw_fps},
    {"draw_time", KEY_INT, &S.draw_time},
    {"draw_ping", KEY_INT, &S.draw_ping},
    {"draw_speed", KEY_INT, &S.draw_speed},
    {"spy", KEY_INT, &S.spy},
    {"track", KEY_TEXT, &S.track},
    {"record", KEY_CHOICE, &S.record},
    {"skill", KEY_CHOICE, &S.skill},
    {"minutes", KEY_REAL, &S.minutes},
    {"laps", KEY_REAL, &S.laps},
    {nullptr, KEY_LINEUP, nullptr},
    {"ghost_fade_distance", KEY_REAL, &S.ghost_fade_distance},
    {"time_trial_abort", KEY_CHOICE, &S.time_trial_abort},
    {nullptr, KEY_SETUP, nullptr},
    {"video_mode", KEY_CHOICE, &S.video_mode},
    {"server_name", KEY_TEXT, &S.server_name},
    {nullptr, KEY_HISTORY, nullptr},
    {"ground_detail", KEY_REAL, &S.ground_detail},
    {"ground_texture_detail", KEY_REAL, &S.ground_texture_detail},
    {"ground_texture_dim", KEY_CHOICE, &S.ground_texture_dim},
    {"ground_mipmaps", KEY_CHOICE, &S.ground_mipmaps},
    {"texture_compress", KEY_CHOICE, &S.texture_compress},
    {"render_texture", KEY_CHOICE, &S.render_texture},
    {"use_shader", KEY_CHOICE, &S.use_shader},
    {"roost_density", KEY_REAL, &S.roost_density},
    {"reshade_delay", KEY_REAL, &S.reshade_delay},
    {"lens_flare", KEY_CHOICE, &S.lens_flare},
    {"reflections", KEY_CHOICE, &S.reflections},
    {"hide_rider", KEY_CHOICE, &S.hide_rider},
    {"rigid_camera", KEY_CHOICE, &S.rigid_camera},
    {"model_detail", KEY_REAL, &S.model_detail},
    {"model_texture_detail", KEY_REAL, &S.model_texture_detail},
    {"fov", KEY_REAL, &S.fov},
    {"first_person_height", KEY_REAL, &S.first_person_height},
    {"first_person_angle", KEY_REAL, &S.first_person_angle},
    {"third_person_height", KEY_REAL, &S.third_person_height},
    {"third_person_distance", KEY_REAL, &S.third_person_distance},
    {"volume", KEY_REAL, &S.volume},
    {"comp_volume", KEY_REAL, &S.comp_volume},
    {"playback_mode", KEY_CHOICE, &S.playback_mode},
    {"billboard_optimize_lookahead", KEY_INT, &S.billboard_optimize_lookahead},
    {"message_lines", KEY_INT, &S.message_lines},
    {"demo_backups", KEY_INT, &S.demo_backups},
    {"map_scale", KEY_MAP_SCALE, &S.map_scale},
    {nullptr, KEY_BINDINGS, nullptr},
};

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// "<prefix>NN" with NN two digits below limit: NN, else -1.
int numbered_key(const char* key, const char* prefix, int limit) {
  size_t n = std::strlen(prefix);
  if (std::strncmp(key, prefix, n) != 0 || std::strlen(key) != n + 2) return -1;
  char a = key[n], b = key[n + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  int i = (a - '0') * 10 + (b - '0');
  return i < limit ? i : -1;
}

void binding_read(ControlBinding* b, const char* value) {
  while (*value == ' ' || *value == '\t') value++;
  binding_clear(b);
  float low, high;
  const char* close = std::strchr(value, ')');
  if (value[0] == '(' && close && std::sscanf(value, "(%f,%f)", &low, &high) == 2) {
    b->low = low;
    b->high = high;
    std::snprintf(b->axis_name, sizeof b->axis_name, "%s", close + 1);
    return;
  }
  if (!std::strncmp(value, "(k)", 3)) value += 3;
  std::snprintf(b->key_name, sizeof b->key_name, "%s", value);
}

bool apply_table_key(const ConfigKey& k, const char* value) {
  switch (k.kind) {
    case KEY_INT: {
      int v;
      if (std::sscanf(value, "%d", &v) == 1) *(int*)k.record = v;
      return true;
    }
    case KEY_REAL: real_set_from_text((RealSetting*)k.record, value); return true;
    case KEY_CHOICE: choice_set_by_name((ChoiceSetting*)k.record, value); return true;
    case KEY_TEXT: text_set((TextSetting*)k.record, value); return true;
    case KEY_MAP_SCALE: {
      float v;
      if (std::sscanf(value, "%f", &v) == 1 && !std::isnan(v)) *(double*)k.record = v < 0.125f ? 0.125 : v > 8.0f ? 8.0 : v;
      return true;
    }
    default: return false;
  }
}

// The legacy "use_fbo" picks the terrain texture method its value meant; a
// later render_texture line wins.
void apply_use_fbo(const char* value) {
  if (!choice_set_by_name(&S.use_fbo, value)) return;
  choice_set_by_name(&S.render_texture, S.use_fbo.index ? "Hardware/Direct" : "Hardware/Copy");
}

bool apply_special_key(const char* key, const char* value) {
  int i;
  if ((i = numbered_key(key, "slot", LINEUP_SLOTS)) >= 0) {
    choice_set_by_name(&S.lineup[i], value);
    return true;
  }
  if ((i = numbered_key(key, "server_name_hist", SERVER_HISTORY)) >= 0) {
    if (std::strlen(value) <= HISTORY_READ_MAX) std::snprintf(S.server_history[i], sizeof S.server_history[i], "%s", value);
    return true;
  }
  if (!std::strcmp(key, "use_fbo")) {
    apply_use_fbo(value);
    return true;
  }
  if (!std::strcmp(key, "ground_texture_distance")) return true;  // legacy, no longer used
  for (ControlBinding& b : S.bindings) {
    if (!std::strcmp(key, b.file_key)) {
      binding_read(&b, value);
      return true;
    }
  }
  return false;
}

// Skips the rest of a line longer than the buffer: its tail is not a line
// of its own.
void skip_rest_of_line(Stream* s) {
  int c;
  while ((c = stream_read_char(s)) != STREAM_EOF && c != '\n') {}
}

// Splits "key=value\r\n" in place; false for a line without "=".
bool split_line(char* line, const char** key, const char** value) {
  char* equals = std::strchr(line, '=');
  if (!equals) return false;
  *equals = 0;
  size_t n = std::strlen(equals + 1);
  while (n > 0 && (equals[n] == '\r' || equals[n] == '\n')) equals[n--] = 0;
  *key = line;
  *value = equals + 1;
  return true;
}

}  // namespace

bool config_apply_pair(const char* key, const char* value) {
  if (setup_config_read_pair(key, value)) return true;
  for (const ConfigKey& k : kKeys)
    if (k.key && !std::strcmp(key, k.key)) return apply_table_key(k, value);
  return apply_special_key(key, value);
}

void config_read() {
  Stream* s = stream_open("@config", "rb");
  if (!s) return;
  char line[CONFIG_LINE_MAX];
  while (stream_read_line(s, line, sizeof line)) {
    size_t n = std::strlen(line);
    if (line[n - 1] != '\n' && stream_peek_char(s) != STREAM_EOF) skip_rest_of_line(s);
    const char *key, *value;
    if (split_line(line, &key, &value)) config_apply_pair(key, value);
  }
  stream_close(s);
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

namespace {

void write_binding(Stream* s, const ControlBinding& b) {
  // The start-up opens the axis of a binding that names both; save the same.
  if (b.axis_name[0])
    stream_print(s, "%s=(%f,%f)%s\n", b.file_key, b.low, b.high, b.axis_name);
  else if (b.key_name[0])
    stream_print(s, "%s=(k)%s\n", b.file_key, b.key_name);
}

void write_key(Stream* s, const ConfigKey& k) {
  switch (k.kind) {
    case KEY_INT: stream_print(s, "%s=%d\n", k.key, *(int*)k.record); break;
    case KEY_REAL: stream_print(s, "%s=%f\n", k.key, ((RealSetting*)k.record)->value); break;
    case KEY_CHOICE: stream_print(s, "%s=%s\n", k.key, choice_name((ChoiceSetting*)k.record)); break;
    case KEY_TEXT: stream_print(s, "%s=%s\n", k.key, ((TextSetting*)k.record)->text); break;
    case KEY_MAP_SCALE: stream_print(s, "%s=%f\n", k.key, *(double*)k.record); break;
    case KEY_LINEUP:
      for (int i = 0; i < LINEUP_SLOTS; i++) stream_print(s, "slot%02d=%s\n", i, choice_name(&S.lineup[i]));
      break;
    case KEY_SETUP: setup_config_write(s); break;
    case KEY_HISTORY:
      for (int i = 0; i < SERVER_HISTORY; i++) stream_print(s, "server_name_hist%02d=%s\n", i, S.server_history[i]);
      break;
    case KEY_BINDINGS:
      for (const ControlBinding& b : S.bindings) write_binding(s, b);
      break;
  }
}

// Writes the file into one search folder through a temporary file there:
// 1 written, 0 the folder takes no file, -1 the writing failed.
int config_write_in(const char* folder) {
  std::string path = std::string(folder) + "config", temp = path + ".tmp";
  if (temp.size() >= VFS_PATH_MAX) return 0;
  Stream* s = stream_open(temp.c_str(), "wb");
  if (!s) return 0;
  for (const ConfigKey& k : kKeys) write_key(s, k);
  bool ok = stream_close(s);
  if (ok) ok = vfs_rename(temp.c_str(), path.c_str());
  if (!ok) std::remove(temp.c_str());
  return ok ? 1 : -1;
}

}  // namespace

bool config_write() {
  // Like any "@" name written, the file goes to the first search folder
  // that takes it: the home folder unless it can't be written. The old file
  // is replaced only by a completely written new one, so a full disk or a
  // crash mid-write never loses the player's settings.
  for (int i = 0; const char* folder = vfs_search_folder(i); i++) {
    int result = config_write_in(folder);
    if (result != 0) return result > 0;
  }
  return false;
}
