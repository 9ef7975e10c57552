// Millisecond clock and precise sleep.
#include <sched.h>
#include <time.h>

#include "platform/platform.h"

ClockValue clock_now() {
  // A millisecond tick counter, like the system's uptime counter: monotonic,
  // origin at boot, 1 ms resolution.
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  int64_t ms = (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
  return ClockValue{ms / 1000, (ms % 1000) * 1000};
}

double clock_seconds() { return clock_to_seconds(clock_now()); }

ClockValue clock_from_seconds(double s) {
  int64_t us = (int64_t)(s * 1e6 + (s >= 0 ? 0.5 : -0.5));
  int64_t sec = us / 1000000, rem = us % 1000000;
  if (rem < 0) {
    rem += 1000000;
    sec -= 1;
  }
  return ClockValue{sec, rem};
}

void clock_sleep(int64_t seconds, int64_t microseconds) {
  ClockValue now = clock_now();
  ClockValue deadline{now.seconds + seconds, now.microseconds + microseconds};
  deadline.seconds += deadline.microseconds / 1000000;
  deadline.microseconds %= 1000000;
  // Sleep one millisecond short of the whole milliseconds, then yield until
  // the deadline: the wake-up lands within about a millisecond.
  int64_t ms = seconds * 1000 + microseconds / 1000 - 1;
  if (ms > 1) {
    timespec ts{(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
  }
  while (clock_before(clock_now(), deadline)) sched_yield();
}

void clock_sleep_seconds(double seconds) {
  if (seconds <= 0) return;
  ClockValue v = clock_from_seconds(seconds);
  clock_sleep(v.seconds, v.microseconds);
}
