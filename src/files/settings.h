// The player's settings: choice, real and text records with their defaults
// and ranges, the line-up, the server-name history and the control bindings.
// Menus, the configuration file, setup files and the console all share these.
#pragma once

enum { CHOICE_MAX_ITEMS = 96 };  // room for the 80 bike models

struct ChoiceSetting {
  const char* label;                      // menu text
  const char* items[CHOICE_MAX_ITEMS];    // item names (pooled or literal)
  int count;                              // number of items
  int index;                              // current item
};

struct RealSetting {
  const char* label;
  double value;
  double step;       // menu increment
  double min, max;   // inclusive range (compared at single precision)
};

enum { TEXT_SETTING_MAX = 128 };
struct TextSetting {
  const char* label;
  int max_length;                    // characters kept by text_set
  char text[TEXT_SETTING_MAX];
};

// Graphics presets: columns Compatibility, High FPS, Normal, High Detail.
enum { PRESET_COMPATIBILITY, PRESET_HIGH_FPS, PRESET_NORMAL, PRESET_HIGH_DETAIL, PRESET_COUNT };

// A riding control or special key: either a key or an absolute axis.
struct ControlBinding {
  const char* file_key;     // "throttle_key", ...
  const char* label;        // "Throttle", ...
  const char* default_key;  // default key name
  char key_name[64];        // bound key name, "" for none
  int key_code;             // resolved at start-up; 0 when unresolved
  char axis_name[128];      // bound axis name, "" for none
  void* axis;               // open axis handle, or null
  double low, high;         // axis calibration points (raw / 32768)
};

enum Binding {
  BIND_THROTTLE, BIND_FRONT_BRAKE, BIND_REAR_BRAKE, BIND_LEFT, BIND_RIGHT, BIND_CLUTCH,
  BIND_UPSHIFT, BIND_DOWNSHIFT, BIND_DAB, BIND_BACK_UP, BIND_LEAN_FORWARD, BIND_LEAN_BACKWARD,
  // special keys
  BIND_PAUSE, BIND_STEP, BIND_REWIND, BIND_SKIP, BIND_PREV, BIND_NEXT, BIND_CONSOLE, BIND_SCREENSHOT,
  BIND_COUNT,
  BIND_RIDING_COUNT = BIND_PAUSE,
};

enum { LINEUP_SLOTS = 40, SERVER_HISTORY = 16, SERVER_HISTORY_CHARS = 127 };
enum LineupChoice { LINEUP_EMPTY, LINEUP_HUMAN, LINEUP_ROBOT, LINEUP_ROBOT_2STROKE, LINEUP_ROBOT_4STROKE };

// Bike setup: the choice of bike, rider identity, graphics names, riding
// aids and the suspension, gearing, brake and rider adjustments.
enum { SETUP_TEXTURE_CHARS = 1023 };
struct SetupSettings {
  ChoiceSetting bike;                  // items: the catalogue's names (filled at start-up)
  TextSetting name, number;
  // Graphics names as read, selected in their choice lists once those exist.
  char rider_texture[SETUP_TEXTURE_CHARS + 1], head_texture[SETUP_TEXTURE_CHARS + 1];
  char bike_texture[SETUP_TEXTURE_CHARS + 1], wheel_texture[SETUP_TEXTURE_CHARS + 1];
  RealSetting stability;
  // Driven by the stability preset.
  RealSetting leveling, roll_damping;
  RealSetting roll_limit_angle;        // degrees
  RealSetting roll_limit_factor, steering_damping, steering_strength, max_steering_force, direct_steering;
  RealSetting slow_damping_speed;      // ft/s
  RealSetting slow_damping_factor;
  RealSetting land_damping_falloff;    // s
  RealSetting land_damping_factor;
  RealSetting full_lock_speed, restricted_lock_speed;  // ft/s
  RealSetting restricted_lock;         // degrees
  ChoiceSetting arcade, front_brake, rear_brake, stop_wheelies, auto_shift, auto_dab, auto_align;
  ChoiceSetting lean_indicator;        // sticky_dab and reverse_steering are the Settings records
  RealSetting auto_clutch_rpms;
  RealSetting brake_torque, rear_brake_torque;  // ft lbf
  RealSetting max_dab_speed;           // mph
  RealSetting front_sprocket_adjustment, rear_sprocket_adjustment;  // teeth
  RealSetting fork_compression, fork_slow_compression, fork_rebound, fork_slow_rebound;
  RealSetting fork_spring_rate, fork_preload, fork_oil_level;
  RealSetting shock_compression, shock_slow_compression, shock_rebound, shock_slow_rebound;
  RealSetting shock_spring_rate, shock_preload;
  RealSetting rider_yspring, rider_ydamping, rider_zspring, rider_zdamping;
  RealSetting rider_mass_distribution;
};

// The stability-driven aids for a stability value (0..100): 100 gives the
// menu defaults, 0 no steering aids at all, linear between.
struct StabilityPreset {
  double leveling, roll_damping, roll_limit_angle, roll_limit_factor, steering_damping, steering_strength;
  double max_steering_force, direct_steering, slow_damping_speed, slow_damping_factor;
  double land_damping_falloff, land_damping_factor, full_lock_speed, restricted_lock_speed, restricted_lock;
};
StabilityPreset stability_preset(double stability);
// Writes the preset for the current stability into the fifteen settings.
void setup_apply_stability_preset();

struct Settings {
  // plain integers
  int xres, yres;                      // windowed client size (pixels)
  int draw_fps, draw_time, draw_ping, draw_speed;
  int spy;                             // spy mode
  int billboard_optimize_lookahead;
  int message_lines;                   // console lines shown at once
  int demo_backups;
  double map_scale;                    // HUD map scale, 0.125..8

  TextSetting track;                   // start-up track folder
  ChoiceSetting record, skill;
  RealSetting minutes, laps;           // race length
  ChoiceSetting lineup[LINEUP_SLOTS];
  RealSetting ghost_fade_distance;
  ChoiceSetting time_trial_abort;
  ChoiceSetting video_mode;
  TextSetting server_name;
  char server_history[SERVER_HISTORY][SERVER_HISTORY_CHARS + 1];

  // graphics (the preset ones carry four preset values each)
  RealSetting ground_detail, ground_texture_detail;
  ChoiceSetting ground_texture_dim, ground_mipmaps, texture_compress, render_texture, use_shader;
  RealSetting roost_density, reshade_delay;
  ChoiceSetting lens_flare, reflections, hide_rider, rigid_camera;
  RealSetting model_detail, model_texture_detail;
  RealSetting fov, first_person_height, first_person_angle;
  RealSetting third_person_height, third_person_distance;
  RealSetting volume, comp_volume;
  ChoiceSetting playback_mode;
  ChoiceSetting use_fbo;               // legacy, read only

  // settings that only the menus show (not in the file)
  ChoiceSetting reverse_steering, sticky_dab;

  ControlBinding bindings[BIND_COUNT];

  SetupSettings setup;
};

extern Settings settings;

// Puts every setting to its default (bindings to their default keys).
void settings_defaults();
// Every preset-driven graphics setting takes the given preset column.
void settings_apply_preset(int column);
// The column whose values all match the current ones, or -1.
int settings_matching_preset();

// Setters shared by the config file, the console and setup files.
bool choice_set_by_name(ChoiceSetting* c, const char* name);  // exact match; false = unchanged
bool real_set_from_text(RealSetting* r, const char* text);    // "%f" then clamp; false = unchanged
void real_set(RealSetting* r, double value);                  // clamp
void text_set(TextSetting* t, const char* text);              // cut to max_length
const char* choice_name(const ChoiceSetting* c);
// Replaces the items of a choice (e.g. video modes); keeps the index in range.
void choice_set_items(ChoiceSetting* c, const char* const* items, int count);

// Server-name history: a new non-empty name different from entry 0 pushes
// the others down and becomes entry 0.
void server_history_push(const char* name);
void server_history_clear();

// Binding helpers.
void binding_clear(ControlBinding* b);
void binding_set_key(ControlBinding* b, const char* key_name);
