// The command line: launch options in matching order, "=" or next-argument
// values, "--" ending options, and one optional demo file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/launch.h"
#include "files/settings.h"

Launch launch;

namespace {

enum ValueKind {
  V_FLAG,      // no value
  V_INT,       // "%d"; bad when nothing converts
  V_REAL,      // "%f"; bad when nothing converts
  V_TEXT,      // any text
  V_PLAIN,     // "%d"; unchanged without a message when nothing converts
  V_DECIMAL,   // decimal conversion, non-numbers give 0
  V_ANY,       // takes a value if there is one, and ignores it
};

struct OptionValue {
  const char* text;  // null when the value is absent
  int i;
  double r;
};

struct LaunchOption {
  const char* name;
  ValueKind kind;
  bool has_bad_message;  // a "Bad arg for <name>" message exists
  void (*apply)(const OptionValue& v);
};

int clampi(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
double clampd(double v, double lo, double hi) { return v < lo ? lo : v > hi ? hi : v; }

void copy_text(char* out, size_t size, const char* text) { std::snprintf(out, size, "%s", text); }

void apply_connect(const OptionValue& v) {
  const char* host = v.text;
  const char prefix[] = "dirtwave:";
  if (!std::strncmp(host, prefix, sizeof prefix - 1)) host += sizeof prefix - 1;
  text_set(&settings.server_name, host);
  server_history_push(settings.server_name.text);
  launch.connect = true;
}

bool g_open_home_requested;

// The table is searched in this order; the first match wins.
const LaunchOption kOptions[] = {
    {"--fugly", V_FLAG, false, [](const OptionValue&) { launch.fugly = true; }},
    {"--nosound", V_FLAG, false, [](const OptionValue&) { launch.nosound = true; }},
    {"--novertexarrays", V_FLAG, false, [](const OptionValue&) { launch.novertexarrays = true; }},
    {"--learn", V_FLAG, false, [](const OptionValue&) { launch.learn = true; }},
    {"--nolearn", V_FLAG, false, [](const OptionValue&) { launch.learn = false; }},
    {"--nommx", V_FLAG, false, [](const OptionValue&) { launch.nommx = true; }},
    {"--debug", V_FLAG, false, [](const OptionValue&) { launch.debug = 1; }},
    {"--super-debug", V_FLAG, false, [](const OptionValue&) { launch.debug = 2; }},
    {"--practice", V_FLAG, false, [](const OptionValue&) { launch.practice = true; }},
    {"--warp", V_FLAG, false, [](const OptionValue&) { launch.warp = true; }},
    {"--texture-detail", V_INT, true,
     [](const OptionValue& v) { render_params.model_texture_level = render_params.ground_texture_level = clampi(v.i, 0, 4); }},
    {"--ground-texture-detail", V_INT, true,
     [](const OptionValue& v) { render_params.ground_texture_level = clampi(v.i, 0, 4); }},
    {"--roostfrequency", V_INT, true, [](const OptionValue& v) { render_params.roost_frequency = clampi(v.i, 0, 1000); }},
    {"--erode", V_REAL, true,
     [](const OptionValue& v) { launch.erode_scale = (int)std::floor(clampd(v.r, 0, 100) * 1024); }},
    {"--detail", V_REAL, true, [](const OptionValue& v) { render_params.terrain_detail = v.r; }},
    {"--max-detail-distance", V_REAL, true, [](const OptionValue& v) { launch.max_detail_distance = v.r; }},
    {"--lod-scale", V_REAL, true, [](const OptionValue& v) { render_params.model_lod_scale = clampd(v.r, 0.000001, 1000000); }},
    {"--lod-bias", V_REAL, true, [](const OptionValue& v) { render_params.model_lod_bias = v.r; }},
    {"--lock-fps", V_REAL, true, [](const OptionValue& v) { launch.lock_fps = v.r; }},
    {"--fake-lag", V_REAL, true, [](const OptionValue& v) { launch.fake_lag = clampd(v.r * 0.001, 0, 1); }},
    {"--fake-loss", V_INT, true, [](const OptionValue& v) { launch.fake_loss = clampi(v.i, 0, 100); }},
    {"--record-audio", V_TEXT, false,
     [](const OptionValue& v) {
       launch.record_audio = true;
       copy_text(launch.record_audio_path, sizeof launch.record_audio_path, v.text);
     }},
    {"--record-video", V_FLAG, false, [](const OptionValue&) { launch.record_video = true; }},
    {"--rotate-lineup", V_PLAIN, false, [](const OptionValue& v) { launch.rotate_lineup = v.i; }},
    {"--editor", V_FLAG, false, [](const OptionValue&) { launch.editor = true; }},
    {"--hidden-pause", V_FLAG, false, [](const OptionValue&) { launch.hidden_pause = true; }},
    {"--hidden-hud", V_FLAG, false, [](const OptionValue&) { launch.hidden_hud = true; }},
    {"--bikes", V_ANY, false, [](const OptionValue&) { std::fputs("--bikes doesn't do anything anymore\n", stderr); }},
    {"--width", V_PLAIN, false, [](const OptionValue& v) { settings.xres = v.i; }},
    {"--height", V_PLAIN, false, [](const OptionValue& v) { settings.yres = v.i; }},
    {"--depth", V_DECIMAL, false, [](const OptionValue& v) { launch.colour_bits = v.i; }},
    {"--zdepth", V_DECIMAL, false, [](const OptionValue& v) { launch.depth_bits = v.i; }},
    {"--draw-fps", V_DECIMAL, false, [](const OptionValue& v) { settings.draw_fps = v.i; }},
    {"--draw-time", V_DECIMAL, false, [](const OptionValue& v) { settings.draw_time = v.i; }},
    {"--draw-ping", V_DECIMAL, false, [](const OptionValue& v) { settings.draw_ping = v.i; }},
    {"--draw-speed", V_DECIMAL, false, [](const OptionValue& v) { settings.draw_speed = v.i; }},
    {"--draw-render-stats", V_DECIMAL, false, [](const OptionValue& v) { launch.draw_render_stats = v.i; }},
    {"--accurate-skip", V_FLAG, false, [](const OptionValue&) { launch.accurate_skip = true; }},
    {"--track", V_TEXT, false,
     [](const OptionValue& v) {
       launch.have_track = true;
       copy_text(launch.track, sizeof launch.track, v.text);
     }},
    {"--connect", V_TEXT, false, apply_connect},
    {"--password", V_TEXT, false,
     [](const OptionValue& v) {
       launch.have_password = true;
       copy_text(launch.password, sizeof launch.password, v.text);
     }},
    {"--chase-center", V_TEXT, true, nullptr},  // parsed specially below
    {"--open-home", V_FLAG, false, [](const OptionValue&) { g_open_home_requested = true; }},
    {"--glfinish", V_FLAG, false, [](const OptionValue&) { launch.glfinish = true; }},
    {"--print-orientation", V_FLAG, false, [](const OptionValue&) { launch.print_orientation = true; }},
};

// Converts the value by its kind; false when it is bad.
bool convert_value(const LaunchOption& o, OptionValue* v) {
  if (!v->text) return !o.has_bad_message;  // absent: bad where a message exists, else ignored
  switch (o.kind) {
    case V_INT:
      return std::sscanf(v->text, "%d", &v->i) == 1;
    case V_REAL: {
      float f;
      if (std::sscanf(v->text, "%f", &f) != 1) return false;
      v->r = f;
      return true;
    }
    case V_PLAIN:
      v->i = 0;
      return true;
    case V_DECIMAL:
      v->i = std::atoi(v->text);
      return true;
    default:
      return true;
  }
}

bool apply_chase_center(const char* text) {
  float x, y, z;
  if (!text || std::sscanf(text, "%f,%f,%f", &x, &y, &z) != 3) return false;
  launch.chase_center[0] = x;
  launch.chase_center[1] = y;
  launch.chase_center[2] = z;
  return true;
}

// Applies option o with its value; returns -1 to go on, or an exit status.
int apply_option(const LaunchOption& o, const char* text) {
  OptionValue v{text, 0, 0};
  if (o.apply == nullptr) {  // --chase-center
    if (apply_chase_center(text)) return -1;
    std::fprintf(stderr, "Bad arg for %s\n", o.name);
    return 1;
  }
  if (!convert_value(o, &v)) {
    std::fprintf(stderr, "Bad arg for %s\n", o.name);
    return 1;
  }
  if (!text && o.kind != V_FLAG && o.kind != V_ANY) return -1;  // absent value, no message: ignored
  if (o.kind == V_PLAIN) {
    int i;
    if (std::sscanf(text, "%d", &i) != 1) return -1;  // plain scan: unchanged
    v.i = i;
  }
  o.apply(v);
  if (g_open_home_requested) {
    g_open_home_requested = false;
    return open_home();
  }
  return -1;
}

// Finds the option that the argument names, with "=" joined values. Sets
// *joined to the value text after "=" when present.
const LaunchOption* match_option(const char* arg, const char** joined) {
  *joined = nullptr;
  for (const LaunchOption& o : kOptions) {
    size_t n = std::strlen(o.name);
    if (std::strncmp(arg, o.name, n) != 0) continue;
    if (arg[n] == 0) return &o;
    if (arg[n] == '=' && o.kind != V_FLAG) {
      *joined = arg + n + 1;
      return &o;
    }
  }
  return nullptr;
}

}  // namespace

void launch_defaults() {
  std::memset(&launch, 0, sizeof launch);
  launch.erode_scale = 1024;
  launch.colour_bits = 16;
  launch.depth_bits = 16;
  launch.chase_center[0] = 0;
  launch.chase_center[1] = 2.52;
  launch.chase_center[2] = 0.52;
}

int cmdline_parse(int argc, char** argv) {
  bool end_of_options = false;
  int files = 0;
  for (int i = 0; i < argc; i++) {
    const char* arg = argv[i];
    if (!end_of_options && !std::strcmp(arg, "--")) {
      end_of_options = true;
      continue;
    }
    if (end_of_options || arg[0] != '-') {
      if (++files > 1) {
        std::fputs("Too many files!\n", stderr);
        return 1;
      }
      launch.have_demo = true;
      copy_text(launch.demo_file, sizeof launch.demo_file, arg);
      continue;
    }
    const char* value;
    const LaunchOption* o = match_option(arg, &value);
    if (!o) {
      std::fprintf(stderr, "bad option '%s'\n", arg);
      return 1;
    }
    if (o->kind != V_FLAG && !value && i + 1 < argc) value = argv[++i];
    int status = apply_option(*o, value);
    if (status >= 0) return status;
  }
  return -1;
}
