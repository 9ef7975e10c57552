// The message thread (option "threaded"): it creates the window and then
// handles its messages, so input keeps its time stamps and the window stays
// responsive while the main thread is busy drawing or loading.
#include <system_error>

#include "platform/platform_local.h"

namespace {

void report_ready(GameWindow* w, int state) {
  std::lock_guard<std::mutex> hold(w->ready_lock);
  w->ready = state;
  w->ready_signal.notify_all();
}

void message_thread(GameWindow* w) {
  if (!window_create_sdl(w)) {
    report_ready(w, -1);
    return;
  }
  report_ready(w, 1);
  SDL_Event ev;
  while (!w->closing) {
    // The wait ends early for any event, including the wake-up request that
    // window_thread_stop posts.
    if (!SDL_WaitEventTimeout(&ev, 100)) continue;
    window_handle_event(w, ev);
    while (!w->closing && SDL_PollEvent(&ev)) window_handle_event(w, ev);
  }
}

}  // namespace

bool window_thread_start(GameWindow* w) {
  w->ready = 0;
  try {
    w->thread = std::thread(message_thread, w);
  } catch (const std::system_error&) {
    log_printf("Can't create thread!\n");
    return false;
  }
  std::unique_lock<std::mutex> hold(w->ready_lock);
  w->ready_signal.wait(hold, [w] { return w->ready != 0; });
  if (w->ready > 0) return true;
  hold.unlock();
  w->thread.join();
  return false;
}

void window_thread_stop(GameWindow* w) {
  if (!w->thread.joinable()) return;
  log_printf("Setting close flag\n");
  w->closing = true;
  window_post_request(w, REQUEST_WAKE, 0, 0);
  w->thread.join();
  log_printf("Message processing thread done\n");
}
