// Setting records: defaults, ranges, graphics presets and the setters shared
// by the configuration file, setup files, menus and the console.
#include "files/settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

Settings settings;

namespace {

const char* const kNoYes[] = {"No", "Yes"};

void choice_init(ChoiceSetting* c, const char* label, std::initializer_list<const char*> items, int index) {
  c->label = label;
  c->count = 0;
  for (const char* item : items) c->items[c->count++] = item;
  c->index = index;
}

void real_init(RealSetting* r, const char* label, double value, double step, double min, double max) {
  *r = RealSetting{label, value, step, min, max};
}

void text_init(TextSetting* t, const char* label, int max_length, const char* text) {
  t->label = label;
  t->max_length = max_length < TEXT_SETTING_MAX ? max_length : TEXT_SETTING_MAX - 1;
  text_set(t, text);
}

struct BindingDefault {
  const char* file_key;
  const char* label;
  const char* key;
};

const BindingDefault kBindings[BIND_COUNT] = {
    {"throttle_key", "Throttle", "x"},         {"front_brake_key", "Front Brake", "c"},
    {"rear_brake_key", "Rear Brake", "v"},     {"left_key", "Left", "left"},
    {"right_key", "Right", "right"},           {"clutch_key", "Clutch", "z"},
    {"upshift_key", "Upshift", "up"},          {"downshift_key", "Downshift", "down"},
    {"dab_key", "Sit/Dab", "right ctrl"},      {"back_up_key", "Back up", "b"},
    {"lean_forward_key", "Lean Forward", "n"}, {"lean_backward_key", "Lean Backward", "m"},
    {"pause_key", "Pause", "pause"},           {"step_key", "Step", "."},
    {"rewind_key", "Rewind", "\\"},            {"skip_key", "Skip", "/"},
    {"prev_key", "Previous Bike", "["},        {"next_key", "Next Bike", "]"},
    {"console_key", "Chat", "t"},              {"screenshot_key", "Screenshot", "s"},
};

// A preset-driven setting and its four column values (a choice's values are
// item names, a real's are numbers).
struct PresetRow {
  RealSetting* real;
  ChoiceSetting* choice;
  double values[PRESET_COUNT];
  const char* names[PRESET_COUNT];
};

int preset_rows(PresetRow* rows) {
  Settings& s = settings;
  int n = 0;
  auto real = [&](RealSetting* r, double a, double b, double c, double d) { rows[n++] = PresetRow{r, nullptr, {a, b, c, d}, {}}; };
  auto choice = [&](ChoiceSetting* ch, const char* a, const char* b, const char* c, const char* d) {
    rows[n++] = PresetRow{nullptr, ch, {}, {a, b, c, d}};
  };
  real(&s.ground_detail, 70, 50, 70, 90);
  real(&s.ground_texture_detail, 9, 7, 9, 10);
  real(&s.model_detail, 50, 25, 50, 75);
  real(&s.model_texture_detail, 9, 7, 9, 10);
  real(&s.roost_density, 1000, 0, 1000, 1000);
  real(&s.reshade_delay, 8, 10, 8, 0);
  choice(&s.ground_mipmaps, "Yes", "Yes", "Yes", "Yes");
  choice(&s.texture_compress, "No", "Yes", "Yes", "No");
  choice(&s.render_texture, "Software", "Hardware/Direct", "Shaders/Direct", "Shaders/Direct");
  choice(&s.ground_texture_dim, "64x64", "64x64", "128x128", "256x256");
  choice(&s.use_shader, "Yes", "No", "Yes", "Yes");
  choice(&s.lens_flare, "Yes", "No", "Yes", "Yes");
  choice(&s.reflections, "Yes", "No", "Yes", "Yes");
  return n;
}

void graphics_defaults(Settings& s) {
  real_init(&s.ground_detail, "Ground Detail", 70, 5, 0, 100);
  real_init(&s.ground_texture_detail, "Ground Texture Detail", 9, 1, 0, 10);
  choice_init(&s.ground_texture_dim, "Ground Texture Size",
              {"32x32", "64x64", "128x128", "256x256", "512x512", "1024x1024"}, 1);
  choice_init(&s.ground_mipmaps, "Ground Mipmaps", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.texture_compress, "Texture Compression", {"No", "Yes", "Always"}, 0);
  choice_init(&s.render_texture, "Render Texture",
              {"Software", "Hardware/Copy", "Hardware/Direct", "Shaders/Copy", "Shaders/Direct"}, 0);
  choice_init(&s.use_shader, "Use Shaders", {kNoYes[0], kNoYes[1]}, 1);
  real_init(&s.roost_density, "Roost Density", 1000, 50, 0, 1000);
  real_init(&s.reshade_delay, "Reshade Delay", 8, 1, 0, 20);
  choice_init(&s.lens_flare, "Lens Flare", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.reflections, "Reflections", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.hide_rider, "Hide Rider", {kNoYes[0], kNoYes[1]}, 0);
  choice_init(&s.rigid_camera, "Rigid Camera", {kNoYes[0], kNoYes[1]}, 0);
  real_init(&s.model_detail, "Model Detail", 50, 5, 0, 100);
  real_init(&s.model_texture_detail, "Model Texture Detail", 9, 1, 0, 10);
  real_init(&s.fov, "Field of View", 110, 5, 10, 170);
  real_init(&s.first_person_height, "First Person Height", 0, 0.05, 0, 1);
  real_init(&s.first_person_angle, "First Person Angle", 0, 1, 0, 40);
  real_init(&s.third_person_height, "Third Person Height", 5, 0.5, 0, 20);
  real_init(&s.third_person_distance, "Third Person Distance", 10, 1, 5, 40);
}

void race_defaults(Settings& s) {
  text_init(&s.track, "Track", TEXT_SETTING_MAX - 1, "rabbithill");
  choice_init(&s.record, "Record Demo", {kNoYes[0], kNoYes[1]}, 0);
  choice_init(&s.skill, "Skill", {"Novice", "Amateur", "Expert"}, 0);
  real_init(&s.minutes, "Minutes", 0, 1, 0, 60);
  real_init(&s.laps, "Laps", 5, 1, 0, 50);
  for (int i = 0; i < LINEUP_SLOTS; i++) {
    int index = LINEUP_EMPTY;
    if (i == 17 || i == 18 || (i >= 20 && i <= 22)) index = LINEUP_ROBOT;
    if (i == 19) index = LINEUP_HUMAN;
    choice_init(&s.lineup[i], "Slot", {"Empty", "Human", "Robot", "Robot (2 stroke)", "Robot (4 stroke)"}, index);
  }
  real_init(&s.ghost_fade_distance, "Ghost Fade Distance", 10, 1, 0, 40);
  choice_init(&s.time_trial_abort, "Back Up Aborts Time Trial", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.playback_mode, "Playback Mode", {"Playback Only", "Race Against"}, 0);
}

const char* const kStopWheelies[] = {"No", "Yes", "Front Only"};
const char* const kBrakeModes[] = {"Normal", "Antilock"};

void setup_aid_defaults(SetupSettings& u) {
  StabilityPreset p = stability_preset(100);
  real_init(&u.stability, "Stability", 100, 1, 0, 100);
  real_init(&u.leveling, "Leveling", p.leveling, 1, 0, 100);
  real_init(&u.roll_damping, "Roll Damping", p.roll_damping, 1, 0, 100);
  real_init(&u.roll_limit_angle, "Roll Limit Angle", p.roll_limit_angle, 1, 0, 180);
  real_init(&u.roll_limit_factor, "Roll Limit Factor", p.roll_limit_factor, 1, 0, 64);
  real_init(&u.steering_damping, "Steering Damping", p.steering_damping, 1, 0, 100);
  real_init(&u.steering_strength, "Steering Strength", p.steering_strength, 1, 0, 100);
  real_init(&u.max_steering_force, "Max Steering Force", p.max_steering_force, 5, 0, 1000);
  real_init(&u.direct_steering, "Direct Steering", p.direct_steering, 0.125, 0, 1);
  real_init(&u.slow_damping_speed, "Slow Damping Speed", p.slow_damping_speed, 1, 0, 100);
  real_init(&u.slow_damping_factor, "Slow Damping Factor", p.slow_damping_factor, 0.25, 1, 10);
  real_init(&u.land_damping_falloff, "Landing Damping Falloff", p.land_damping_falloff, 0.0625, 0, 0.5);
  real_init(&u.land_damping_factor, "Landing Damping Factor", p.land_damping_factor, 0.25, 1, 3);
  real_init(&u.full_lock_speed, "Full Lock Speed", p.full_lock_speed, 1, 1, 100);
  real_init(&u.restricted_lock_speed, "Restricted Lock Speed", p.restricted_lock_speed, 1, 1, 100);
  real_init(&u.restricted_lock, "Restricted Lock Angle", p.restricted_lock, 0.125, 0, 45);
}

void setup_choice_defaults(SetupSettings& u) {
  choice_init(&u.arcade, "Arcade Physics", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&u.front_brake, "Front Brake", {kBrakeModes[0], kBrakeModes[1]}, 1);
  choice_init(&u.rear_brake, "Rear Brake", {kBrakeModes[0], kBrakeModes[1]}, 0);
  choice_init(&u.stop_wheelies, "Stop Wheelies", {kStopWheelies[0], kStopWheelies[1], kStopWheelies[2]}, 1);
  choice_init(&u.auto_shift, "Automatic Shifting", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&u.auto_dab, "Dab When Stopped", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&u.auto_align, "Realign After Fall", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&u.lean_indicator, "Lean Indicator", {kNoYes[0], kNoYes[1]}, 1);
}

void setup_adjustment_defaults(SetupSettings& u) {
  real_init(&u.auto_clutch_rpms, "Auto Clutch RPMs", 5000, 100, 0, 5000);
  real_init(&u.brake_torque, "Braking Torque (Front)", 500, 10, 0, 500);
  real_init(&u.rear_brake_torque, "Braking Torque (Rear)", 250, 10, 0, 500);
  real_init(&u.max_dab_speed, "Max Dab Speed (MPH)", 60, 1, 5, 60);
  real_init(&u.front_sprocket_adjustment, "Countershaft Sprocket", 0, 1, -2, 2);
  real_init(&u.rear_sprocket_adjustment, "Rear Sprocket", 0, 1, -2, 2);
  real_init(&u.fork_compression, "Fork High Speed Compression Damping", 50, 1, 0, 100);
  real_init(&u.fork_slow_compression, "Fork Low Speed Compression Damping", 50, 1, 0, 100);
  real_init(&u.fork_rebound, "Fork High Speed Rebound Damping", 50, 1, 0, 100);
  real_init(&u.fork_slow_rebound, "Fork Low Speed Rebound Damping", 50, 1, 0, 100);
  real_init(&u.fork_spring_rate, "Fork Spring Rate", 50, 1, 0, 100);
  real_init(&u.fork_preload, "Fork Preload", 50, 1, 0, 100);
  real_init(&u.fork_oil_level, "Fork Oil Level", 50, 1, 0, 100);
  real_init(&u.shock_compression, "Shock High Speed Compression Damping", 75, 1, 0, 100);
  real_init(&u.shock_slow_compression, "Shock Low Speed Compression Damping", 50, 1, 0, 100);
  real_init(&u.shock_rebound, "Shock High Speed Rebound Damping", 75, 1, 0, 100);
  real_init(&u.shock_slow_rebound, "Shock Low Speed Rebound Damping", 50, 1, 0, 100);
  real_init(&u.shock_spring_rate, "Shock Spring Rate", 50, 1, 0, 100);
  real_init(&u.shock_preload, "Shock Preload", 50, 1, 0, 100);
  real_init(&u.rider_yspring, "Rider Vertical Spring", 50, 1, 0, 100);
  real_init(&u.rider_ydamping, "Rider Vertical Damping", 50, 1, 0, 100);
  real_init(&u.rider_zspring, "Rider Forward Spring", 50, 1, 0, 100);
  real_init(&u.rider_zdamping, "Rider Forward Damping", 50, 1, 0, 100);
  real_init(&u.rider_mass_distribution, "Rider Mass Distribution", 0.33, 0.01, 0.33, 0.5);
}

// The bike choice's items are the catalogue's names, filled at start-up
// (the files layer does not know the catalogue).
void setup_defaults(SetupSettings& u) {
  u.bike.label = "Bike";
  u.bike.count = 0;
  u.bike.index = 0;
  text_init(&u.name, "Name", 63, "Joe Motocross");
  text_init(&u.number, "Number", 3, "999");
  u.rider_texture[0] = u.head_texture[0] = u.bike_texture[0] = u.wheel_texture[0] = 0;
  setup_aid_defaults(u);
  setup_choice_defaults(u);
  setup_adjustment_defaults(u);
}

}  // namespace

void settings_defaults() {
  Settings& s = settings;
  s.xres = 640;
  s.yres = 480;
  s.draw_fps = s.draw_time = s.draw_speed = 0;
  s.draw_ping = 1;
  s.spy = 0;
  s.billboard_optimize_lookahead = 8;
  s.message_lines = 5;
  s.demo_backups = 0;
  s.map_scale = 1;
  race_defaults(s);
  choice_init(&s.video_mode, "Video Mode", {"Default Fullscreen", "Windowed"}, 0);
  text_init(&s.server_name, "Server", SERVER_HISTORY_CHARS, "race.dirtwave.net");
  server_history_clear();
  graphics_defaults(s);
  real_init(&s.volume, "Volume", 10, 1, 0, 10);
  real_init(&s.comp_volume, "Other Riders Volume", 8, 1, 0, 10);
  choice_init(&s.use_fbo, "Use FBO", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.reverse_steering, "Reversed Steering", {kNoYes[0], kNoYes[1]}, 1);
  choice_init(&s.sticky_dab, "Sticky Sit/Dab", {kNoYes[0], kNoYes[1]}, 0);
  setup_defaults(s.setup);
  for (int i = 0; i < BIND_COUNT; i++) {
    ControlBinding* b = &s.bindings[i];
    b->file_key = kBindings[i].file_key;
    b->label = kBindings[i].label;
    b->default_key = kBindings[i].key;
    binding_set_key(b, kBindings[i].key);
  }
}

void settings_apply_preset(int column) {
  PresetRow rows[16];
  int n = preset_rows(rows);
  for (int i = 0; i < n; i++) {
    if (rows[i].real) real_set(rows[i].real, rows[i].values[column]);
    else choice_set_by_name(rows[i].choice, rows[i].names[column]);
  }
}

int settings_matching_preset() {
  PresetRow rows[16];
  int n = preset_rows(rows);
  for (int column = 0; column < PRESET_COUNT; column++) {
    bool all = true;
    for (int i = 0; i < n && all; i++) {
      if (rows[i].real) all = rows[i].real->value == rows[i].values[column];
      else all = !std::strcmp(choice_name(rows[i].choice), rows[i].names[column]);
    }
    if (all) return column;
  }
  return -1;
}

bool choice_set_by_name(ChoiceSetting* c, const char* name) {
  for (int i = 0; i < c->count; i++) {
    if (!std::strcmp(c->items[i], name)) {
      c->index = i;
      return true;
    }
  }
  return false;
}

void real_set(RealSetting* r, double value) {
  // The bounds are single-precision numbers in the menus' tables.
  if (value < (float)r->min) value = (float)r->min;
  if (value > (float)r->max) value = (float)r->max;
  r->value = value;
}

bool real_set_from_text(RealSetting* r, const char* text) {
  float value;
  if (std::sscanf(text, "%f", &value) != 1) return false;
  // "nan" scans as a number but no clamp can hold it: keep the old value.
  if (std::isnan(value)) return false;
  real_set(r, value);
  return true;
}

void text_set(TextSetting* t, const char* text) {
  std::snprintf(t->text, (size_t)t->max_length + 1, "%s", text);
}

const char* choice_name(const ChoiceSetting* c) {
  return (c->index >= 0 && c->index < c->count) ? c->items[c->index] : "";
}

void choice_set_items(ChoiceSetting* c, const char* const* items, int count) {
  if (count > CHOICE_MAX_ITEMS) count = CHOICE_MAX_ITEMS;
  for (int i = 0; i < count; i++) c->items[i] = items[i];
  c->count = count;
  if (c->index >= count) c->index = count > 0 ? count - 1 : 0;
}

void server_history_push(const char* name) {
  if (!name[0] || !std::strcmp(name, settings.server_history[0])) return;
  std::memmove(settings.server_history[1], settings.server_history[0],
               sizeof settings.server_history[0] * (SERVER_HISTORY - 1));
  std::snprintf(settings.server_history[0], SERVER_HISTORY_CHARS + 1, "%s", name);
}

void server_history_clear() { std::memset(settings.server_history, 0, sizeof settings.server_history); }

void binding_clear(ControlBinding* b) {
  b->key_name[0] = 0;
  b->key_code = 0;
  b->axis_name[0] = 0;
  b->axis = nullptr;
  b->low = 0;
  b->high = 1;
}

void binding_set_key(ControlBinding* b, const char* key_name) {
  binding_clear(b);
  std::snprintf(b->key_name, sizeof b->key_name, "%s", key_name);
}
