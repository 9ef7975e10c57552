// The main loop's state (the run's top-level record) and the operations that
// other subsystems plug into it.
#pragma once

#include "platform/platform.h"

enum ViewMode { VIEW_FIRST_PERSON, VIEW_CHASE, VIEW_TRACK_CAMERA, VIEW_EDITOR, VIEW_NO_TRACK };

enum Channel {
  CH_STEER, CH_THROTTLE, CH_FRONT_BRAKE, CH_REAR_BRAKE, CH_SHIFT, CH_CLUTCH, CH_SIT_DAB, CH_BACK_UP, CH_LEAN,
  CHANNEL_COUNT
};

enum { MENU_NONE = -1, MENU_MAIN = 0, MENU_CHAT = 16 };
enum { SLOT_COUNT = 160, SLOT_NONE = 160 };
enum { FRAME_HISTOGRAM_BUCKETS = 8 };

const double SECONDS_PER_TIC = 1.0 / 128.0;
const double MAX_FRAME_STEP = 0.125;  // a stall never asks for more than 16 tics

// Fixed menu keys resolved at start-up (key codes; -1 when unresolved).
enum MenuKey {
  MK_UP, MK_DOWN, MK_LEFT, MK_RIGHT, MK_ENTER, MK_KEYPAD_ENTER, MK_ESC, MK_PAUSE, MK_CURSOR_LEFT,
  MK_CURSOR_RIGHT, MK_PAGE_UP, MK_PAGE_DOWN, MK_CLOSE, MENU_KEY_COUNT
};

// The inputs the loop hands to the watched bike each tic.
struct RidingInput {
  double steer;        // -1..1, positive left
  double throttle;     // 0..1
  double front_brake, rear_brake;
  double sit_dab;      // 0..1 (the latch under sticky sit/dab)
  double back_up;
  double lean;         // -1 forward .. 1 backward
  double clutch;       // engagement 0 (pulled) .. 1 (released)
  int gear;            // -1, 0 or +1 shift request
};

// What the loop needs from the machine: tests drive it with their own clock
// and event source.
struct LoopPlatform {
  ClockValue (*now)();
  void (*sleep)(double seconds);
  // The first queued event stamped no later than the deadline, or (when
  // take_all is set) any queued event.
  bool (*next_event)(ClockValue deadline, bool take_all, InputEvent* out);
  // Draws the frame for the current view and swaps; false when the swap failed.
  bool (*draw_frame)();
  // Pot watching (capturing a key or axis for a binding); null when absent.
  bool (*pot_watch_active)();
  void (*pot_watch_key)(int code, double game_clock);  // presses only
  void (*pot_watch_tic)(double game_clock);
  int (*axis_read)(void* axis);                      // raw axis value
  bool (*cursor)(int* x, int* y);                    // pointer in window pixels
};

// Other subsystems' operations the loop calls. A null entry means that
// subsystem is not part of the game yet; the loop then does what it would do
// without it (no track, no race, not connected).
struct LoopHooks {
  bool (*track_loaded)();
  void (*race_tic)();
  int (*race_tic_count)();         // the race clock in tics
  int (*race_gate_drop_tic)();
  int (*race_laps)();              // the race's lap count
  int (*leader_laps)();            // completed laps of the leader
  void (*warp_restart)();          // rotate the line-up and reset the race
  bool (*connected)();
  int (*server_tic_count)();
  bool (*server_announced_tic)();
  void (*net_step)();
  bool (*slot_has_bike)(int slot);
  bool (*slot_is_local)(int slot);  // ridden by this player
  bool (*holds_race_slot)();        // connected and holding a race slot
  double (*bike_clutch)(int slot);
  void (*bike_controls)(int slot, const RidingInput& in);
  bool (*time_trial)();
  void (*time_trial_abort)();
  int (*running_order)(int* slots);  // slots in running order; returns count
  void (*rewind)(double seconds);    // negative: back
  void (*screenshot)();
  void (*select_camera)(int digit);
  void (*camera_controls)(const double* channels);
  bool (*editor_key)(int code, bool pressed);  // true: consumed
  void (*editor_tic)();
  void (*editor_leave)();           // finish shading, set the bikes down
  void (*menu_key)(int code, bool pressed);
  void (*menu_cursor)(int x, int y, bool dragging);
  void (*audio_frame)(double master_volume);
  void (*terrain_frame)(int reshade_mask);
  void (*record_audio_block)();
};

struct Game {
  // clocks, seconds
  double frame_time;    // platform clock at the end of frame pacing
  double target_time;   // simulated time the frames have asked for
  double tic_time;      // simulated time the tics have covered
  double game_clock;    // grows by the frame step; menus and messages time themselves with it
  bool first_pacing;    // first pacing pass of this frame (histogram)
  int histogram[FRAME_HISTOGRAM_BUCKETS];
  double step_min, step_max;  // frame-step extremes since the HUD read them

  double channels[CHANNEL_COUNT];
  double binding_value[32];   // per control binding: key 0/1 or calibrated axis
  int menu_keys[MENU_KEY_COUNT];

  int view;             // ViewMode
  int watched_slot;
  bool paused;
  bool quit;
  int open_menu;        // MENU_NONE or a menu number
  int selected_item;
  int remembered_menu;
  bool menu_changed;
  bool mouse_held;
  int cursor_x, cursor_y;
  double dab_latch;     // sticky sit/dab latch (0 or 1)
  double prev_dab;      // channel 6 on the previous tic
  long long tics_run;   // tics since start-up (for tests and benchmarks)
};

extern Game game;
extern LoopPlatform loop_platform;
extern LoopHooks loop_hooks;

void game_reset();
// Whether the watched slot is ridden by the local player (spy mode aside).
bool game_riding();
// View modes: once a frame, and on Tab.
void view_update();
void view_cycle();

// One pass of the main loop; false once quit is set.
bool loop_frame();
void loop_run();
// Frame pacing: waits as needed and returns the frame step (s).
double loop_pace();
double loop_catch_up_factor();
// One tic with its input (tests call it through loop_frame).
void loop_tic();
// The frame rate the HUD shows: truncate(1 / largest step), 0 when none.
int loop_read_fps();
