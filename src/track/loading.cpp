// Loading-screen messages of long steps, and the longest gap between two
// screen updates (a step that blocks the window for long shows up in the
// log at the end of a race reset).
#include <cstdio>
#include <cstring>

#include "core/startup.h"
#include "platform/platform.h"
#include "track/track.h"

static struct {
  double last_draw;        // clock (s) of the last screen update
  double last_tick;        // clock (s) of the last progress redraw
  int dots;                // 0..3 dots after a progress message
  char showing[80];        // message on screen since last_draw
  double max_delay;        // longest gap (s)
  char max_message[80];    // what was showing during it
  bool started;
} loading;

static void draw(const char* text) {
  double now = clock_seconds();
  if (loading.started) {
    double gap = now - loading.last_draw;
    if (gap > loading.max_delay) {
      loading.max_delay = gap;
      std::snprintf(loading.max_message, sizeof loading.max_message, "%s", loading.showing);
    }
  }
  loading.started = true;
  loading.last_draw = now;
  std::snprintf(loading.showing, sizeof loading.showing, "%s", text);
  loading_screen(text);
}

void loading_show(const char* message, bool log) {
  if (log) log_printf("%s\n", message);
  loading.dots = 0;
  loading.last_tick = clock_seconds();
  draw(message);
}

void loading_tick(const char* message) {
  double now = clock_seconds();
  if (now - loading.last_tick < 0.125) return;
  loading.last_tick = now;
  loading.dots = (loading.dots + 1) & 3;
  char text[80];
  std::snprintf(text, sizeof text, "%.64s%s", message, "..." + (3 - loading.dots));
  draw(text);
}

void loading_done(const char* message) {
  char text[80];
  std::snprintf(text, sizeof text, "%.64s...done", message);
  draw(text);
}

void loading_delay_reset() {
  loading.max_delay = 0;
  loading.max_message[0] = 0;
  loading.started = false;
}

void loading_delay_report() {
  log_printf("Max loading delay was %f (%s)\n", loading.max_delay, loading.max_message);
}
