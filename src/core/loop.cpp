// The main loop: draw a frame, pace against the clock, then run the tics
// that bring simulated time up to the frames' target time.
#include <cmath>

#include "core/core.h"
#include "core/game.h"
#include "core/launch.h"
#include "files/settings.h"

Game game;
LoopPlatform loop_platform;
LoopHooks loop_hooks;

#define HOOK(name) (loop_hooks.name)

static double clampd(double v, double lo, double hi) { return v < lo ? lo : v > hi ? hi : v; }

static bool connected() { return HOOK(connected) && HOOK(connected)(); }
static bool track_loaded() { return HOOK(track_loaded) && HOOK(track_loaded)(); }
static bool pot_watching() { return loop_platform.pot_watch_active && loop_platform.pot_watch_active(); }

void game_reset() {
  Game fresh{};
  game = fresh;
  game.view = VIEW_FIRST_PERSON;
  game.watched_slot = 0;
  game.open_menu = MENU_NONE;
  game.remembered_menu = MENU_NONE;
  game.step_min = 1;
  game.step_max = 0;
  for (int& k : game.menu_keys) k = -1;
}

bool game_riding() {
  bool local = HOOK(slot_is_local) && HOOK(slot_is_local)(game.watched_slot);
  return local && !(settings.spy && game.view == VIEW_TRACK_CAMERA);
}

// ---------------------------------------------------------------------------
// Frame pacing
// ---------------------------------------------------------------------------

static void count_frame_duration(double d) {
  int k = 0;
  while (k < 7 && !(d < SECONDS_PER_TIC * (1 << k))) k++;
  game.histogram[k]++;
}

double loop_pace() {
  bool first = true;
  double now, step;
  for (;;) {
    now = clock_to_seconds(loop_platform.now());
    double d = now - game.frame_time;
    if (first) count_frame_duration(d);
    first = false;
    if (!connected() && launch.lock_fps > 0) {
      double frame = 1.0 / launch.lock_fps;
      if (d < frame) loop_platform.sleep(frame - d);
      now = clock_to_seconds(loop_platform.now());
      step = frame;
      break;
    }
    if (!connected() && launch.warp) {
      step = 100 * SECONDS_PER_TIC;
      break;
    }
    if (d >= SECONDS_PER_TIC) {
      step = d < MAX_FRAME_STEP ? d : MAX_FRAME_STEP;
      break;
    }
    loop_platform.sleep(SECONDS_PER_TIC - d);
  }
  game.frame_time = now;
  if (step < game.step_min) game.step_min = step;
  if (step > game.step_max) game.step_max = step;
  return step;
}

double loop_catch_up_factor() {
  int local = HOOK(race_tic_count) ? HOOK(race_tic_count)() : 0;
  int server = HOOK(server_tic_count) ? HOOK(server_tic_count)() : local + 1;
  double b = (server - local - 1) * SECONDS_PER_TIC;
  if (b < 0) return 0.5 + 0.5 * clampd(b + 1, 0, 1);
  int drop = HOOK(race_gate_drop_tic) ? HOOK(race_gate_drop_tic)() : 0;
  if (local >= drop) return 1 + 0.125 * clampd(8 * b, 0, 1);
  return 1 + 3 * (b < 1 ? b : 1);
}

int loop_read_fps() {
  int fps = game.step_max > 0 ? (int)(1.0 / game.step_max) : 0;
  game.step_min = 1;
  game.step_max = 0;
  return fps;
}

// ---------------------------------------------------------------------------
// Keys with no menu open
// ---------------------------------------------------------------------------

static bool is_binding(int code, int binding) {
  return code > 0 && settings.bindings[binding].key_code == code;
}

// Moves the watched slot one entry along the running order.
static void step_watched_slot(int direction) {
  if (!HOOK(running_order)) return;
  int order[SLOT_COUNT];
  int n = HOOK(running_order)(order);
  if (n <= 0) return;
  int at = 0;
  while (at < n && order[at] != game.watched_slot) at++;
  if (at == n) at = 0;
  else at += direction;
  if (at < 0) at = 0;
  if (at >= n) at = n - 1;
  game.watched_slot = order[at];
}

static bool may_switch_bikes() {
  if (!game_riding()) return true;
  bool spectating = connected() && !(HOOK(holds_race_slot) && HOOK(holds_race_slot)());
  return spectating || settings.spy;
}

static void key_no_menu(int code, bool pressed) {
  bool editor = game.view == VIEW_EDITOR;
  if (pressed && !editor && is_binding(code, BIND_CONSOLE)) {
    game.open_menu = MENU_CHAT;
    game.selected_item = 0;
    return;
  }
  if (game.view == VIEW_NO_TRACK) return;
  if (editor && HOOK(editor_key) && HOOK(editor_key)(code, pressed)) return;
  if (code == EV_CHAR_TAB) {
    view_cycle();
    return;
  }
  if (!pressed) return;
  if (is_binding(code, BIND_PAUSE) && !connected()) game.paused = !game.paused;
  else if (is_binding(code, BIND_STEP) && game.paused && HOOK(race_tic)) HOOK(race_tic)();
  else if (is_binding(code, BIND_REWIND) && HOOK(rewind)) HOOK(rewind)(-1.0);
  else if (is_binding(code, BIND_SKIP) && HOOK(rewind)) HOOK(rewind)(1.0);
  else if (is_binding(code, BIND_PREV) && may_switch_bikes()) step_watched_slot(-1);
  else if (is_binding(code, BIND_NEXT) && may_switch_bikes()) step_watched_slot(+1);
  else if (is_binding(code, BIND_SCREENSHOT) && !editor && HOOK(screenshot)) HOOK(screenshot)();
  else if (code >= '0' && code <= '9' && HOOK(select_camera)) HOOK(select_camera)(code - '0');
}

// ---------------------------------------------------------------------------
// One tic
// ---------------------------------------------------------------------------

static void handle_event(const InputEvent& ev) {
  int code = ev.code;
  if (code == game.menu_keys[MK_CLOSE] || code == EV_CLOSE) {
    game.quit = true;
    return;
  }
  if (game.open_menu != game.remembered_menu) {
    game.remembered_menu = game.open_menu;
    game.menu_changed = true;
  }
  for (int b = 0; b < BIND_RIDING_COUNT; b++)
    if (is_binding(code, b)) game.binding_value[b] = ev.pressed ? 1 : 0;
  if (code == game.menu_keys[MK_CURSOR_LEFT]) game.mouse_held = ev.pressed;
  if (pot_watching()) {
    if (ev.pressed) loop_platform.pot_watch_key(code, game.game_clock);
    return;
  }
  if (ev.pressed && code == game.menu_keys[MK_ESC]) {
    game.open_menu = game.open_menu == MENU_NONE ? MENU_MAIN : MENU_NONE;
    game.selected_item = 0;
    return;
  }
  if (game.open_menu != MENU_NONE) {
    if (ev.pressed && !game.menu_changed && HOOK(menu_key)) HOOK(menu_key)(code, ev.pressed);
    if (!track_loaded()) game.view = VIEW_NO_TRACK;
    return;
  }
  key_no_menu(code, ev.pressed);
}

static void take_events(double deadline) {
  bool take_all = deadline >= game.frame_time;
  ClockValue stamp = clock_from_seconds(deadline);
  InputEvent ev;
  while (loop_platform.next_event && loop_platform.next_event(stamp, take_all, &ev)) handle_event(ev);
}

// Axis bindings read their calibrated position every tic.
static void read_axes() {
  if (pot_watching() && loop_platform.pot_watch_tic) loop_platform.pot_watch_tic(game.game_clock);
  if (!loop_platform.axis_read) return;
  for (int b = 0; b < BIND_RIDING_COUNT; b++) {
    const ControlBinding& cb = settings.bindings[b];
    if (!cb.axis) continue;
    double raw = loop_platform.axis_read(cb.axis) * (1.0 / 32768);
    double span = cb.high - cb.low;
    game.binding_value[b] = span != 0 ? clampd((raw - cb.low) / span, 0, 1) : 0;
  }
}

static void build_channels() {
  const double* v = game.binding_value;
  double* ch = game.channels;
  ch[CH_STEER] = v[BIND_LEFT] - v[BIND_RIGHT];
  ch[CH_THROTTLE] = v[BIND_THROTTLE];
  ch[CH_FRONT_BRAKE] = v[BIND_FRONT_BRAKE];
  ch[CH_REAR_BRAKE] = v[BIND_REAR_BRAKE];
  ch[CH_SHIFT] = v[BIND_UPSHIFT] - v[BIND_DOWNSHIFT];
  ch[CH_CLUTCH] = v[BIND_CLUTCH];
  ch[CH_SIT_DAB] = v[BIND_DAB];
  ch[CH_BACK_UP] = v[BIND_BACK_UP];
  ch[CH_LEAN] = v[BIND_LEAN_BACKWARD] - v[BIND_LEAN_FORWARD];
}

// The channels as the watched bike's controls.
static RidingInput riding_input() {
  const double* ch = game.channels;
  RidingInput in{};
  in.steer = settings.reverse_steering.index == 1 ? -ch[CH_STEER] : ch[CH_STEER];
  in.front_brake = ch[CH_FRONT_BRAKE];
  in.rear_brake = ch[CH_REAR_BRAKE];
  in.throttle = ch[CH_THROTTLE];
  in.sit_dab = ch[CH_SIT_DAB];
  if (settings.sticky_dab.index == 1) {
    if (game.prev_dab < 0.5 && ch[CH_SIT_DAB] >= 0.5) game.dab_latch = game.dab_latch > 0 ? 0 : 1;
    in.sit_dab = game.dab_latch;
  }
  game.prev_dab = ch[CH_SIT_DAB];
  in.back_up = ch[CH_BACK_UP];
  in.lean = ch[CH_LEAN];
  // The clutch engages at most 4 per second; it can be pulled at once.
  double target = clampd(1 - ch[CH_CLUTCH] * 8.0 / 7.0, 0, 1);
  double current = HOOK(bike_clutch) ? HOOK(bike_clutch)(game.watched_slot) : 1;
  in.clutch = target > current ? current + 4 * SECONDS_PER_TIC : target;
  if (in.clutch > target) in.clutch = target;
  in.gear = ch[CH_SHIFT] > 0.5 ? 1 : ch[CH_SHIFT] < -0.5 ? -1 : 0;
  return in;
}

// Returns false when the rest of the tic is skipped (editor, offline).
static bool apply_controls() {
  bool riding = game_riding();
  if (game.open_menu != MENU_NONE && riding && !connected()) return true;
  if (game.view == VIEW_EDITOR) {
    if (HOOK(editor_tic)) HOOK(editor_tic)();
    if (!connected()) return false;
    game.paused = false;
    return true;
  }
  if (game.open_menu == MENU_NONE && track_loaded()) {
    if (riding) {
      RidingInput in = riding_input();
      if (HOOK(bike_controls)) HOOK(bike_controls)(game.watched_slot, in);
      bool abort_on = settings.time_trial_abort.index == 1;
      if (abort_on && game.channels[CH_BACK_UP] > 0.5 && HOOK(time_trial) && HOOK(time_trial)() &&
          HOOK(time_trial_abort))
        HOOK(time_trial_abort)();
    } else if ((game.view == VIEW_CHASE || game.view == VIEW_TRACK_CAMERA) && HOOK(camera_controls)) {
      HOOK(camera_controls)(game.channels);
    }
  }
  if (connected()) game.paused = false;
  return true;
}

void loop_tic() {
  game.tic_time += SECONDS_PER_TIC;
  double deadline = game.frame_time - (game.target_time - game.tic_time);
  for (double& c : game.channels) c = 0;
  take_events(deadline);
  read_axes();
  build_channels();
  if (!apply_controls()) return;
  if (HOOK(net_step)) HOOK(net_step)();
  if (!track_loaded()) game.view = VIEW_NO_TRACK;
  bool server_ok = !connected() || (HOOK(server_announced_tic) && HOOK(server_announced_tic)());
  if (!game.paused && track_loaded() && server_ok) {
    if (HOOK(race_tic)) HOOK(race_tic)();
    if (HOOK(record_audio_block)) HOOK(record_audio_block)();
  }
  game.tics_run++;
}

// ---------------------------------------------------------------------------
// One frame
// ---------------------------------------------------------------------------

static double master_volume() {
  if (game.paused || game.view == VIEW_EDITOR) return 0;
  if (game.open_menu != MENU_NONE) return game_riding() ? 0 : 0.25;
  return 1;
}

static void frame_cursor() {
  int x = game.cursor_x, y = game.cursor_y;
  if (loop_platform.cursor && loop_platform.cursor(&x, &y)) {
    bool moved = x != game.cursor_x || y != game.cursor_y;
    game.cursor_x = x;
    game.cursor_y = y;
    if (game.open_menu != MENU_NONE && HOOK(menu_cursor)) {
      if (game.mouse_held && moved) HOOK(menu_cursor)(x, y, true);
      else if (moved && !pot_watching()) HOOK(menu_cursor)(x, y, false);
    }
  }
  game.menu_changed = false;
  game.remembered_menu = game.open_menu;
}

static void warp_restart() {
  if (!launch.warp || !track_loaded() || !HOOK(leader_laps) || !HOOK(race_laps)) return;
  if (HOOK(leader_laps)() >= HOOK(race_laps)() && HOOK(warp_restart)) HOOK(warp_restart)();
}

bool loop_frame() {
  if (game.quit) return false;
  view_update();
  if (loop_platform.draw_frame && !loop_platform.draw_frame()) game.quit = true;
  if (HOOK(audio_frame)) HOOK(audio_frame)(master_volume());
  double step = loop_pace();
  if (connected()) step *= loop_catch_up_factor();
  game.target_time += step;
  game.game_clock += step;
  console_set_clock(game.game_clock);
  frame_cursor();
  while (game.tic_time < game.target_time) loop_tic();
  warp_restart();
  if (track_loaded() && HOOK(terrain_frame)) {
    int mask = game.view == VIEW_EDITOR ? 0 : (1 << (int)settings.reshade_delay.value) - 1;
    HOOK(terrain_frame)(mask);
  }
  console_fade(game.game_clock);
  return !game.quit;
}

void loop_run() {
  while (loop_frame()) {
  }
}
