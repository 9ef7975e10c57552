// The player's settings: choice, real and text records with their defaults
// and ranges, the line-up, the server-name history and the control bindings.
// Menus, the configuration file, setup files and the console all share these.
#pragma once

enum { CHOICE_MAX_ITEMS = 64 };

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
