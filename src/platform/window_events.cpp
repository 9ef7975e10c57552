// The window's messages: SDL events turned into time-stamped input events,
// size and visibility changes, and the private requests (mode switches,
// wake-ups) that other threads post to the window's owner.
#include <cstdint>

#include "platform/platform_local.h"

namespace {

// SDL user event type of the private requests, registered once.
Uint32 request_type() {
  static Uint32 type = SDL_RegisterEvents(1);
  return type;
}

// The clock value of an SDL event: its age by SDL's millisecond counter
// taken back from our clock, so a message that waited in the queue keeps the
// time it happened.
ClockValue event_stamp(Uint32 sdl_timestamp) {
  ClockValue now = clock_now();
  Uint32 ticks = SDL_GetTicks();
  int64_t age_ms = (int64_t)(Uint32)(ticks - sdl_timestamp);
  if (age_ms < 0 || age_ms > 10000) age_ms = 0;  // stamp from another clock origin
  int64_t us = now.seconds * 1000000 + now.microseconds - age_ms * 1000;
  return ClockValue{us / 1000000, us % 1000000};
}

// Keys whose press also types a control character.
int control_character(int scan) {
  switch (scan) {
    case 1: return 27;            // Esc
    case 14: return 8;            // Backspace
    case 15: return EV_CHAR_TAB;  // Tab
    case 28: return 13;           // Enter
    case 284: return 13;          // Keypad Enter
    default: return 0;
  }
}

void handle_key(GameWindow* w, const SDL_KeyboardEvent& key, bool down) {
  int scan = scancode_from_sdl(key.keysym.scancode);
  if (scan < 0) return;
  ClockValue stamp = event_stamp(key.timestamp);
  window_queue_event(w, EV_KEY_BASE + scan, down, stamp);
  int ch = control_character(scan);
  if (down && ch) window_queue_event(w, ch, true, stamp);
}

// Typed text arrives as UTF-8; characters 1..255 become character events.
void handle_text(GameWindow* w, const SDL_TextInputEvent& text) {
  ClockValue stamp = event_stamp(text.timestamp);
  const unsigned char* p = (const unsigned char*)text.text;
  while (*p) {
    uint32_t c = *p++;
    int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
    if (extra) c &= 0x3f >> extra;
    for (; extra > 0 && (*p & 0xc0) == 0x80; extra--) c = (c << 6) | (*p++ & 0x3f);
    if (extra == 0 && c >= 1 && c <= 255) window_queue_event(w, (int)c, true, stamp);
  }
}

void handle_mouse_button(GameWindow* w, const SDL_MouseButtonEvent& b, bool down) {
  int code = 0;
  if (b.button == SDL_BUTTON_LEFT) code = EV_MOUSE_LEFT;
  else if (b.button == SDL_BUTTON_MIDDLE) code = EV_MOUSE_MIDDLE;
  else if (b.button == SDL_BUTTON_RIGHT) code = EV_MOUSE_RIGHT;
  if (code) window_queue_event(w, code, down, event_stamp(b.timestamp));
}

void set_flag(GameWindow* w, bool* flag, bool value) {
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  *flag = value;
}

void handle_window_event(GameWindow* w, const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      int dw = 0, dh = 0;
      SDL_GL_GetDrawableSize(w->sdl, &dw, &dh);
      std::lock_guard<std::recursive_mutex> hold(w->lock);
      w->width = dw;
      w->height = dh;
      log_printf("Window resized to %dx%d\n", dw, dh);
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED: set_flag(w, &w->minimised, true); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: set_flag(w, &w->minimised, false); break;
    case SDL_WINDOWEVENT_HIDDEN: set_flag(w, &w->hidden, true); break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED: set_flag(w, &w->hidden, false); break;
    case SDL_WINDOWEVENT_CLOSE:
      // The close request is only an event: the main loop decides.
      window_queue_event(w, EV_CLOSE, true, event_stamp(e.timestamp));
      break;
    default: break;
  }
}

void handle_request(GameWindow* w, const SDL_UserEvent& u) {
  int width = (int)(intptr_t)u.data1, height = (int)(intptr_t)u.data2;
  if (u.code == REQUEST_FULLSCREEN) window_go_fullscreen(w, width, height);
  else if (u.code == REQUEST_WINDOWED) window_go_windowed(w, width, height);
}

bool for_this_window(const GameWindow* w, Uint32 window_id) { return window_id == 0 || window_id == w->sdl_id; }

}  // namespace

bool window_queue_event(GameWindow* w, int code, bool pressed, ClockValue stamp) {
  return event_queue_push(&w->events, InputEvent{code, pressed, stamp});
}

void window_handle_event(GameWindow* w, const SDL_Event& ev) {
  switch (ev.type) {
    case SDL_QUIT:  // also raised by SIGINT and SIGTERM
      window_queue_event(w, EV_CLOSE, true, event_stamp(ev.quit.timestamp));
      break;
    case SDL_WINDOWEVENT:
      if (for_this_window(w, ev.window.windowID)) handle_window_event(w, ev.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (for_this_window(w, ev.key.windowID)) handle_key(w, ev.key, ev.type == SDL_KEYDOWN);
      break;
    case SDL_TEXTINPUT:
      if (for_this_window(w, ev.text.windowID)) handle_text(w, ev.text);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (for_this_window(w, ev.button.windowID) && ev.button.which != SDL_TOUCH_MOUSEID)
        handle_mouse_button(w, ev.button, ev.type == SDL_MOUSEBUTTONDOWN);
      break;
    default:
      if (ev.type == request_type()) handle_request(w, ev.user);
      break;
  }
}

void window_pump(GameWindow* w) {
  if (!w || w->threaded) return;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) window_handle_event(w, ev);
}

// Posts a private request to the thread that owns the window's messages.
void window_post_request(GameWindow* w, int request, int width, int height) {
  SDL_Event ev{};
  ev.type = request_type();
  ev.user.code = request;
  ev.user.windowID = w->sdl_id;
  ev.user.data1 = (void*)(intptr_t)width;
  ev.user.data2 = (void*)(intptr_t)height;
  SDL_PushEvent(&ev);
}

void window_switch_mode(GameWindow* w, int width, int height, bool fullscreen) {
  window_post_request(w, fullscreen ? REQUEST_FULLSCREEN : REQUEST_WINDOWED, width, height);
  window_pump(w);  // without a message thread the main thread handles it now
}

bool event_next(GameWindow* w, InputEvent* out) {
  window_pump(w);
  if (event_queue_take(&w->events, out)) return true;
  input_devices_poll(w);
  return event_queue_take(&w->events, out);
}

bool event_next_until(GameWindow* w, ClockValue deadline, InputEvent* out) {
  window_pump(w);
  if (event_queue_take_until(&w->events, deadline, out)) return true;
  bool empty;
  {
    std::lock_guard<std::mutex> hold(w->events.lock);
    empty = w->events.count == 0;
  }
  if (!empty) return false;
  input_devices_poll(w);
  return event_queue_take_until(&w->events, deadline, out);
}
