// Pot watching: a control binding learns a new key or axis. Every absolute
// axis is watched; the one pushed farthest from where it rested, once it
// has stopped moving for a quarter of a second, is taken with calibration
// points just inside its travel. A key pressed meanwhile is taken instead
// when no axis moved.
#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "files/settings.h"
#include "platform/platform_local.h"

namespace {

const double kSettleTime = 0.25;   // seconds of game clock without a new extreme
const double kMinTravel = 0.5;     // an axis must move this far (of 1) to count
const double kCalibrationLow = 0.0625, kCalibrationHigh = 0.9375;

struct WatchedAxis {
  const char* name;     // pooled axis name
  AxisHandle* handle;   // null when it could not be opened
  double start;         // value when watching began (raw / 32768)
  double extreme;       // value farthest from start so far
};

struct PotWatch {
  bool active;
  GameWindow* window;
  ControlBinding* binding;
  int candidate;        // key code waiting to be taken, -1 for none
  double change_time;   // game clock (s) of the last new extreme or candidate
  WatchedAxis* axes;
  int count;
};

PotWatch g_watch;
int g_debug;

void watch_end() {
  for (int i = 0; i < g_watch.count; i++)
    if (g_watch.axes[i].handle) axis_close(g_watch.axes[i].handle);
  mem_free(g_watch.axes);
  g_watch = PotWatch{};
  if (g_debug) log_printf("Done watching pots\n");
}

void take_axis(WatchedAxis* a) {
  ControlBinding* b = g_watch.binding;
  b->key_name[0] = 0;
  b->key_code = 0;
  if (b->axis && b->axis != a->handle) axis_close((AxisHandle*)b->axis);
  b->axis = a->handle;
  std::snprintf(b->axis_name, sizeof b->axis_name, "%s", a->name);
  double travel = a->extreme - a->start;
  b->low = a->start + travel * kCalibrationLow;
  b->high = a->start + travel * kCalibrationHigh;
  a->handle = nullptr;  // the binding owns it now
  watch_end();
}

void take_key(int code) {
  ControlBinding* b = g_watch.binding;
  if (b->axis) axis_close((AxisHandle*)b->axis);
  b->axis = nullptr;
  b->axis_name[0] = 0;
  const char* name = key_name(g_watch.window, code);
  std::snprintf(b->key_name, sizeof b->key_name, "%s", name ? name : "");
  b->key_code = code;
  watch_end();
}

}  // namespace

void input_set_debug(int level) { g_debug = level; }

void pot_watch_start(GameWindow* w, ControlBinding* b, double game_clock) {
  if (g_watch.active) watch_end();
  const char* const* names;
  int count = axis_names(w, &names);
  WatchedAxis* axes = count ? (WatchedAxis*)mem_calloc((size_t)count, sizeof(WatchedAxis)) : nullptr;
  if (count && !axes) count = 0;  // no memory: keys only
  g_watch = PotWatch{true, w, b, -1, game_clock, axes, count};
  if (g_debug) log_printf("Watching pots\n");
  for (int i = 0; i < count; i++) {
    WatchedAxis& a = axes[i];
    a.name = names[i];
    a.handle = axis_open(w, names[i]);
    a.start = a.handle ? axis_read(a.handle) * (1.0 / 32768) : 0;
    a.extreme = a.start;
    if (g_debug) log_printf("\t%s %s\n", a.name, a.handle ? "Ok" : "Failed");
  }
}

bool pot_watch_active() { return g_watch.active; }

void pot_watch_cancel() {
  if (g_watch.active) watch_end();
}

void pot_watch_window_closing(GameWindow* w) {
  if (g_watch.active && g_watch.window == w) watch_end();
}

void pot_watch_key(int code, double game_clock) {
  if (!g_watch.active) return;
  if (code == key_code(g_watch.window, "esc")) {
    watch_end();
    return;
  }
  // Characters have no key name and are never taken.
  if (g_watch.candidate < 0 && key_name(g_watch.window, code)) {
    g_watch.candidate = code;
    g_watch.change_time = game_clock;
  }
}

void pot_watch_tic(double game_clock) {
  if (!g_watch.active) return;
  bool settled = game_clock - g_watch.change_time > kSettleTime;
  for (int i = 0; i < g_watch.count; i++) {
    WatchedAxis& a = g_watch.axes[i];
    if (!a.handle) continue;
    double v = axis_read(a.handle) * (1.0 / 32768);
    if (std::fabs(v - a.start) > std::fabs(a.extreme - a.start)) {
      a.extreme = v;
      g_watch.change_time = game_clock;
      settled = false;
    } else if (settled && std::fabs(a.extreme - a.start) > kMinTravel) {
      take_axis(&a);
      return;
    }
  }
  if (g_watch.candidate >= 0 && game_clock - g_watch.change_time > kSettleTime) take_key(g_watch.candidate);
}
