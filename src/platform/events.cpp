// The input event queue: kept in time-stamp order, guarded by its own lock
// because the window's message thread adds while the main thread takes.
#include <cstring>

#include "platform/platform.h"

bool event_queue_push(EventQueue* q, const InputEvent& ev) {
  std::lock_guard<std::mutex> hold(q->lock);
  if (q->count >= EVENT_QUEUE_CAPACITY) return false;
  // An event stamped earlier than queued ones goes before them.
  int at = q->count;
  while (at > 0 && clock_before(ev.stamp, q->events[at - 1].stamp)) at--;
  std::memmove(&q->events[at + 1], &q->events[at], sizeof(InputEvent) * (q->count - at));
  q->events[at] = ev;
  q->count++;
  return true;
}

static void queue_pop_front(EventQueue* q, InputEvent* out) {
  *out = q->events[0];
  q->count--;
  std::memmove(&q->events[0], &q->events[1], sizeof(InputEvent) * q->count);
}

bool event_queue_take(EventQueue* q, InputEvent* out) {
  std::lock_guard<std::mutex> hold(q->lock);
  if (q->count == 0) return false;
  queue_pop_front(q, out);
  return true;
}

bool event_queue_take_until(EventQueue* q, ClockValue deadline, InputEvent* out) {
  std::lock_guard<std::mutex> hold(q->lock);
  if (q->count == 0 || clock_before(deadline, q->events[0].stamp)) return false;
  queue_pop_front(q, out);
  return true;
}

void event_queue_clear(EventQueue* q) {
  std::lock_guard<std::mutex> hold(q->lock);
  q->count = 0;
}
