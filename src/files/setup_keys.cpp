// Bike setup keys: read one "key=value" pair, write the setup block (in the
// configuration file and in "@setups/" files), and the stability preset that
// drives the fifteen riding-aid settings.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bike/bike.h"
#include "core/core.h"
#include "files/files.h"
#include "files/settings.h"
#include "platform/platform.h"

namespace {

enum KeyType { KEY_CHOICE, KEY_REAL, KEY_TEXT, KEY_TEXTURE };

struct SetupKey {
  const char* key;
  KeyType type;
  void* setting;  // ChoiceSetting, RealSetting, TextSetting or a texture name buffer
};

// In the order of the written block: stability comes before the settings
// it drives, so a saved file restores its own values of them.
int setup_keys(SetupKey* out) {
  SetupSettings& u = settings.setup;
  const SetupKey keys[] = {
      {"bike", KEY_CHOICE, &u.bike}, {"name", KEY_TEXT, &u.name}, {"number", KEY_TEXT, &u.number},
      {"rider_texture", KEY_TEXTURE, u.rider_texture}, {"head_texture", KEY_TEXTURE, u.head_texture},
      {"bike_texture", KEY_TEXTURE, u.bike_texture}, {"wheel_texture", KEY_TEXTURE, u.wheel_texture},
      {"stability", KEY_REAL, &u.stability}, {"leveling", KEY_REAL, &u.leveling},
      {"roll_damping", KEY_REAL, &u.roll_damping}, {"roll_limit_angle", KEY_REAL, &u.roll_limit_angle},
      {"roll_limit_factor", KEY_REAL, &u.roll_limit_factor}, {"steering_damping", KEY_REAL, &u.steering_damping},
      {"steering_strength", KEY_REAL, &u.steering_strength},
      {"max_steering_force", KEY_REAL, &u.max_steering_force}, {"direct_steering", KEY_REAL, &u.direct_steering},
      {"slow_damping_speed", KEY_REAL, &u.slow_damping_speed},
      {"slow_damping_factor", KEY_REAL, &u.slow_damping_factor},
      {"land_damping_falloff", KEY_REAL, &u.land_damping_falloff},
      {"land_damping_factor", KEY_REAL, &u.land_damping_factor}, {"full_lock_speed", KEY_REAL, &u.full_lock_speed},
      {"restricted_lock_speed", KEY_REAL, &u.restricted_lock_speed},
      {"restricted_lock", KEY_REAL, &u.restricted_lock}, {"arcade", KEY_CHOICE, &u.arcade},
      {"front_brake", KEY_CHOICE, &u.front_brake}, {"rear_brake", KEY_CHOICE, &u.rear_brake},
      {"stop_wheelies", KEY_CHOICE, &u.stop_wheelies}, {"auto_shift", KEY_CHOICE, &u.auto_shift},
      {"auto_dab", KEY_CHOICE, &u.auto_dab}, {"auto_align", KEY_CHOICE, &u.auto_align},
      {"sticky_dab", KEY_CHOICE, &settings.sticky_dab}, {"reverse_steering", KEY_CHOICE, &settings.reverse_steering},
      {"lean_indicator", KEY_CHOICE, &u.lean_indicator}, {"auto_clutch_rpms", KEY_REAL, &u.auto_clutch_rpms},
      {"brake_torque", KEY_REAL, &u.brake_torque}, {"rear_brake_torque", KEY_REAL, &u.rear_brake_torque},
      {"max_dab_speed", KEY_REAL, &u.max_dab_speed},
      {"front_sprocket_adjustment", KEY_REAL, &u.front_sprocket_adjustment},
      {"rear_sprocket_adjustment", KEY_REAL, &u.rear_sprocket_adjustment},
      {"fork_compression_adjustment", KEY_REAL, &u.fork_compression},
      {"fork_slow_compression_adjustment", KEY_REAL, &u.fork_slow_compression},
      {"fork_rebound_adjustment", KEY_REAL, &u.fork_rebound},
      {"fork_slow_rebound_adjustment", KEY_REAL, &u.fork_slow_rebound},
      {"fork_spring_rate_adjustment", KEY_REAL, &u.fork_spring_rate},
      {"fork_preload_adjustment", KEY_REAL, &u.fork_preload},
      {"fork_oil_level_adjustment", KEY_REAL, &u.fork_oil_level},
      {"shock_compression_adjustment", KEY_REAL, &u.shock_compression},
      {"shock_slow_compression_adjustment", KEY_REAL, &u.shock_slow_compression},
      {"shock_rebound_adjustment", KEY_REAL, &u.shock_rebound},
      {"shock_slow_rebound_adjustment", KEY_REAL, &u.shock_slow_rebound},
      {"shock_spring_rate_adjustment", KEY_REAL, &u.shock_spring_rate},
      {"shock_preload_adjustment", KEY_REAL, &u.shock_preload}, {"rider_yspring", KEY_REAL, &u.rider_yspring},
      {"rider_ydamping", KEY_REAL, &u.rider_ydamping}, {"rider_zspring", KEY_REAL, &u.rider_zspring},
      {"rider_zdamping", KEY_REAL, &u.rider_zdamping},
      {"rider_mass_distribution", KEY_REAL, &u.rider_mass_distribution},
  };
  int n = (int)(sizeof keys / sizeof keys[0]);
  for (int i = 0; i < n; i++) out[i] = keys[i];
  return n;
}

enum { SETUP_KEY_MAX = 64 };

const SetupKey* find_key(const char* key) {
  static SetupKey keys[SETUP_KEY_MAX];
  int n = setup_keys(keys);
  for (int i = 0; i < n; i++)
    if (!std::strcmp(keys[i].key, key)) return &keys[i];
  return nullptr;
}

// A real only from a whole finite number: "nan", "12abc" or "" leave the
// setting as it was. Out-of-range values are clamped.
bool read_real(RealSetting* r, const char* key, const char* value, bool warn) {
  char* end;
  double v = std::strtod(value, &end);
  while (*end == ' ' || *end == '\t') end++;
  if (end == value || *end || !std::isfinite(v)) {
    if (warn) log_printf("Setup: ignoring '%.40s' for %s: not a number\n", value, key);
    return false;
  }
  real_set(r, v);
  if (warn && r->value != v) log_printf("Setup: %s %.40s clamped to %f\n", key, value, r->value);
  return true;
}

void copy_name(char* dst, const char* value) {
  std::snprintf(dst, SETUP_TEXTURE_CHARS + 1, "%s", value);
}

bool read_key(const SetupKey* k, const char* value, bool warn) {
  switch (k->type) {
    case KEY_CHOICE: {
      ChoiceSetting* c = (ChoiceSetting*)k->setting;
      if (c == &settings.setup.bike) value = bike_legacy_name(value);
      bool ok = choice_set_by_name(c, value);
      if (!ok && warn) log_printf("Setup: ignoring '%.40s' for %s: not one of its choices\n", value, k->key);
      return ok;
    }
    case KEY_REAL: {
      bool ok = read_real((RealSetting*)k->setting, k->key, value, warn);
      if (ok && k->setting == &settings.setup.stability) setup_apply_stability_preset();
      return ok;
    }
    case KEY_TEXT: text_set((TextSetting*)k->setting, value); return true;
    case KEY_TEXTURE: copy_name((char*)k->setting, value); return true;
  }
  return false;
}

void write_key(Stream* s, const SetupKey* k) {
  switch (k->type) {
    case KEY_CHOICE: {
      const ChoiceSetting* c = (const ChoiceSetting*)k->setting;
      stream_print(s, "%s=%s\n", k->key, c->count > 0 ? choice_name(c) : "");
      break;
    }
    case KEY_REAL: stream_print(s, "%s=%f\n", k->key, ((const RealSetting*)k->setting)->value); break;
    case KEY_TEXT: stream_print(s, "%s=%s\n", k->key, ((const TextSetting*)k->setting)->text); break;
    case KEY_TEXTURE: stream_print(s, "%s=%s\n", k->key, (const char*)k->setting); break;
  }
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

// "@setups/" and the name without surrounding white space, 1023 characters
// in all.
std::string setup_path(const char* name) {
  std::string n = name ? name : "";
  size_t a = n.find_first_not_of(" \t\r\n"), b = n.find_last_not_of(" \t\r\n");
  n = a == std::string::npos ? "" : n.substr(a, b - a + 1);
  std::string path = "@setups/" + n;
  if (path.size() > 1023) path.resize(1023);
  return path;
}

}  // namespace

// At 100 the menus' defaults; toward 0 the aids that hold the bike up fade
// out linearly (no leveling, roll or landing damping, no slow-speed boost,
// roll limit out at 90 degrees), while the steering's own strength, force
// and locks stay as they are: they are how the rider steers, not aids.
StabilityPreset stability_preset(double stability) {
  double t = (std::isfinite(stability) ? (stability < 0 ? 0 : (stability > 100 ? 100 : stability)) : 100) / 100;
  StabilityPreset p;
  p.leveling = mix(0, 20, t);
  p.roll_damping = mix(0, 60, t);
  p.roll_limit_angle = mix(90, 45, t);
  p.roll_limit_factor = mix(0, 10, t);
  p.steering_damping = mix(0, 45, t);
  p.steering_strength = 75;
  p.max_steering_force = 400;
  p.direct_steering = 1;
  p.slow_damping_speed = mix(0, 40, t);
  p.slow_damping_factor = mix(1, 2, t);
  p.land_damping_falloff = mix(0, 0.25, t);
  p.land_damping_factor = mix(1, 2, t);
  p.full_lock_speed = 10;
  p.restricted_lock_speed = 50;
  p.restricted_lock = 7.5;
  return p;
}

void setup_apply_stability_preset() {
  SetupSettings& u = settings.setup;
  StabilityPreset p = stability_preset(u.stability.value);
  real_set(&u.leveling, p.leveling);
  real_set(&u.roll_damping, p.roll_damping);
  real_set(&u.roll_limit_angle, p.roll_limit_angle);
  real_set(&u.roll_limit_factor, p.roll_limit_factor);
  real_set(&u.steering_damping, p.steering_damping);
  real_set(&u.steering_strength, p.steering_strength);
  real_set(&u.max_steering_force, p.max_steering_force);
  real_set(&u.direct_steering, p.direct_steering);
  real_set(&u.slow_damping_speed, p.slow_damping_speed);
  real_set(&u.slow_damping_factor, p.slow_damping_factor);
  real_set(&u.land_damping_falloff, p.land_damping_falloff);
  real_set(&u.land_damping_factor, p.land_damping_factor);
  real_set(&u.full_lock_speed, p.full_lock_speed);
  real_set(&u.restricted_lock_speed, p.restricted_lock_speed);
  real_set(&u.restricted_lock, p.restricted_lock);
}

bool setup_read_key(const char* key, const char* value, bool warn) {
  const SetupKey* k = find_key(key);
  if (!k) return false;
  read_key(k, value, warn);
  return true;
}

void setup_write_block(Stream* s) {
  SetupKey keys[SETUP_KEY_MAX];
  int n = setup_keys(keys);
  for (int i = 0; i < n; i++) write_key(s, &keys[i]);
}

// The configuration reader offers every pair: unknown keys are its own.
bool setup_config_read_pair(const char* key, const char* value) { return setup_read_key(key, value, false); }

void setup_config_write(Stream* s) { setup_write_block(s); }

bool setup_file_load(const char* name) {
  Stream* s = stream_open(setup_path(name).c_str(), "rb");
  if (!s) {
    console_message("Error reading setup");
    return false;
  }
  char line[4096];
  while (stream_read_line(s, line, sizeof line)) {
    size_t n = std::strlen(line);
    if (n > 0 && line[n - 1] != '\n' && stream_peek_char(s) != STREAM_EOF) {
      int c;
      while ((c = stream_read_char(s)) != STREAM_EOF && c != '\n') {}
    }
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
    char* equals = std::strchr(line, '=');
    if (!equals) continue;
    *equals = 0;
    if (!setup_read_key(line, equals + 1, true)) log_printf("Setup: ignoring unknown key '%.60s'\n", line);
  }
  stream_close(s);
  console_message("Setup updated");
  return true;
}

bool setup_file_save(const char* name) {
  Stream* s = stream_open(setup_path(name).c_str(), "wb");
  if (!s) {
    console_message("Error writing setup");
    return false;
  }
  setup_write_block(s);
  bool ok = stream_close(s);
  console_message(ok ? "Setup written" : "Error writing setup");
  return ok;
}
