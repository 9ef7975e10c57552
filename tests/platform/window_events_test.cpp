// SDL events as the window's message handler sees them, turned into the
// game's input events. The window record here has no SDL window behind it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/platform_local.h"

namespace {

class WindowEvents : public testing::Test {
 protected:
  GameWindow w_;

  void key(SDL_Scancode sc, bool down, bool repeat = false) {
    SDL_Event ev{};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.timestamp = SDL_GetTicks();
    ev.key.keysym.scancode = sc;
    ev.key.repeat = repeat;
    window_handle_event(&w_, ev);
  }
  void text(const char* utf8) {
    SDL_Event ev{};
    ev.type = SDL_TEXTINPUT;
    ev.text.timestamp = SDL_GetTicks();
    std::strncpy(ev.text.text, utf8, sizeof ev.text.text - 1);
    window_handle_event(&w_, ev);
  }
  void window_event(Uint8 what) {
    SDL_Event ev{};
    ev.type = SDL_WINDOWEVENT;
    ev.window.event = what;
    ev.window.timestamp = SDL_GetTicks();
    window_handle_event(&w_, ev);
  }
  std::vector<InputEvent> drain() {
    std::vector<InputEvent> out;
    InputEvent ev;
    while (event_queue_take(&w_.events, &ev)) out.push_back(ev);
    return out;
  }
};

struct Expected {
  int code;
  bool pressed;
};

void expect_events(const std::vector<InputEvent>& got, std::initializer_list<Expected> want) {
  ASSERT_EQ(got.size(), want.size());
  size_t i = 0;
  for (const Expected& e : want) {
    EXPECT_EQ(got[i].code, e.code) << "event " << i;
    EXPECT_EQ(got[i].pressed, e.pressed) << "event " << i;
    i++;
  }
}

TEST_F(WindowEvents, KeysGiveScanCodeEventsAndControlKeysTypeCharacters) {
  key(SDL_SCANCODE_X, true);
  key(SDL_SCANCODE_X, false);
  key(SDL_SCANCODE_TAB, true);
  key(SDL_SCANCODE_TAB, true, true);  // auto-repeat
  key(SDL_SCANCODE_TAB, false);
  key(SDL_SCANCODE_RCTRL, true);
  key(SDL_SCANCODE_KP_ENTER, true);
  key(SDL_SCANCODE_ESCAPE, true);
  expect_events(drain(), {{4096 + 45, true},
                          {4096 + 45, false},
                          {4096 + 15, true},
                          {EV_CHAR_TAB, true},
                          {4096 + 15, true},
                          {EV_CHAR_TAB, true},
                          {4096 + 15, false},
                          {4096 + 285, true},
                          {4096 + 284, true},
                          {13, true},
                          {4096 + 1, true},
                          {27, true}});
}

TEST_F(WindowEvents, TypedTextBecomesCharacterPresses) {
  text("a1");
  text("\xc3\xa9");          // e acute: 233
  text("\xe2\x82\xac");      // the euro sign is beyond 255: no event
  expect_events(drain(), {{'a', true}, {'1', true}, {233, true}});
}

TEST_F(WindowEvents, MouseButtonsAndCloseRequests) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.button = SDL_BUTTON_RIGHT;
  window_handle_event(&w_, ev);
  ev.type = SDL_MOUSEBUTTONUP;
  window_handle_event(&w_, ev);
  ev.button.button = SDL_BUTTON_X1;  // no code for it
  window_handle_event(&w_, ev);
  window_event(SDL_WINDOWEVENT_CLOSE);
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // SIGINT and SIGTERM arrive as this
  window_handle_event(&w_, quit);
  expect_events(drain(), {{EV_MOUSE_RIGHT, true}, {EV_MOUSE_RIGHT, false}, {EV_CLOSE, true}, {EV_CLOSE, true}});
}

TEST_F(WindowEvents, MinimisedOrHiddenWindowsDrawNothing) {
  w_.width = 640;
  w_.height = 480;
  int width = 0, height = 0;
  EXPECT_TRUE(window_drawable_size(&w_, &width, &height));
  EXPECT_EQ(width, 640);
  window_event(SDL_WINDOWEVENT_MINIMIZED);
  EXPECT_FALSE(window_drawable_size(&w_, &width, &height));
  EXPECT_FALSE(window_begin_frame(&w_, &width, &height));
  window_event(SDL_WINDOWEVENT_RESTORED);
  EXPECT_TRUE(window_drawable_size(&w_, &width, &height));
  window_event(SDL_WINDOWEVENT_HIDDEN);
  EXPECT_FALSE(window_drawable_size(&w_, &width, &height));
  window_event(SDL_WINDOWEVENT_SHOWN);
  EXPECT_TRUE(window_drawable_size(&w_, &width, &height));
  w_.closing = true;
  EXPECT_FALSE(window_drawable_size(&w_, &width, &height));
}

// An event that waited in SDL's queue keeps the time it happened.
TEST_F(WindowEvents, StampsFollowTheEventTimeNotTheHandlingTime) {
  SDL_Event ev{};
  ev.type = SDL_KEYDOWN;
  ev.key.keysym.scancode = SDL_SCANCODE_A;
  ClockValue before = clock_now();
  ev.key.timestamp = SDL_GetTicks() - 200;
  window_handle_event(&w_, ev);
  auto got = drain();
  ASSERT_EQ(got.size(), 1u);
  double age = clock_to_seconds(before) - clock_to_seconds(got[0].stamp);
  EXPECT_GT(age, 0.15);
  EXPECT_LT(age, 0.3);
}

TEST_F(WindowEvents, FullQueueDropsNewEvents) {
  for (int i = 0; i < EVENT_QUEUE_CAPACITY + 10; i++) key(SDL_SCANCODE_A, (i & 1) == 0);
  EXPECT_EQ(drain().size(), (size_t)EVENT_QUEUE_CAPACITY);
}

TEST_F(WindowEvents, EventsUntilADeadline) {
  ClockValue now = clock_now();
  ClockValue early = clock_from_seconds(clock_to_seconds(now) - 1);
  ClockValue late = clock_from_seconds(clock_to_seconds(now) + 1);
  window_queue_event(&w_, 4096 + 30, true, early);
  window_queue_event(&w_, 4096 + 31, true, late);
  InputEvent ev;
  ASSERT_TRUE(event_next_until(&w_, now, &ev));
  EXPECT_EQ(ev.code, 4096 + 30);
  EXPECT_FALSE(event_next_until(&w_, now, &ev));  // the next one is later
  ASSERT_TRUE(event_next(&w_, &ev));
  EXPECT_EQ(ev.code, 4096 + 31);
  EXPECT_FALSE(event_next(&w_, &ev));
}

}  // namespace
