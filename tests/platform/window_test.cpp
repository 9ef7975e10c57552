// A real window with a GL context (X server or SDL's offscreen driver on
// Mesa): drawing the clear colour, close requests, mode switches, the
// message thread, and a pixel format that cannot be had.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

// Waits up to a second for an event, pumping messages meanwhile.
bool wait_event(GameWindow* w, InputEvent* ev) {
  for (int i = 0; i < 100; i++) {
    if (event_next(w, ev)) return true;
    clock_sleep_seconds(0.01);
  }
  return false;
}

// Waits up to two seconds for the drawable size to become w x h.
bool wait_size(GameWindow* w, int want_w, int want_h) {
  int width = 0, height = 0;
  for (int i = 0; i < 200; i++) {
    window_pump(w);
    if (window_drawable_size(w, &width, &height) && width == want_w && height == want_h) return true;
    clock_sleep_seconds(0.01);
  }
  ADD_FAILURE() << "size stayed " << width << "x" << height << ", wanted " << want_w << "x" << want_h;
  return false;
}

class RealWindow : public testing::Test {
 protected:
  void open(const char* options = "") {
    use_test_video();
    options_set_for_test(options);
    window_options_forget();
    display_modes_forget();
    w_ = window_create("Dirtwave test", 320, 240, 24, 0, 16, 0, 0);
    if (!w_) GTEST_SKIP() << "no video driver could make a GL window: " << SDL_GetError();
  }
  void TearDown() override {
    if (w_) window_destroy(w_);
    options_set_for_test("");
  }
  void push_key(SDL_Scancode sc) {
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN;
    ev.key.timestamp = SDL_GetTicks();
    ev.key.windowID = w_->sdl_id;
    ev.key.keysym.scancode = sc;
    SDL_PushEvent(&ev);
  }
  GameWindow* w_ = nullptr;
};

TEST_F(RealWindow, DrawsTheClearColourAndReadsItBack) {
  LogCapture log("window_draw");
  open();
  int width = 0, height = 0;
  ASSERT_TRUE(window_begin_frame(w_, &width, &height));
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  glViewport(0, 0, width, height);
  glClearColor(0.196078f, 0.6f, 0.8f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char pixel[3] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(width / 2, height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 50);
  EXPECT_EQ(pixel[1], 153);
  EXPECT_EQ(pixel[2], 204);
  EXPECT_TRUE(window_end_frame(w_));
  EXPECT_NE(glGetString(GL_VERSION), nullptr);
  window_destroy(w_);
  w_ = nullptr;
  EXPECT_TRUE(log.in_order({"Options:\n", " threaded: [off]\n", "Choosing pixel format\n", "Creating window\n",
                            "Input device roll call...\n", "Creating OpenGL context\n", "Deleting OpenGL context\n",
                            "Closing input devices\n", "Killing cursor\n", "Destroying window\n",
                            "Window shutdown complete\n"}));
}

TEST_F(RealWindow, CloseRequestsBecomeTheCloseEvent) {
  open();
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // what SDL makes of SIGINT and SIGTERM
  SDL_PushEvent(&quit);
  InputEvent ev;
  ASSERT_TRUE(wait_event(w_, &ev));
  EXPECT_EQ(ev.code, EV_CLOSE);
  EXPECT_EQ(key_code(w_, "close"), EV_CLOSE);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = w_->sdl_id;
  SDL_PushEvent(&close);
  ASSERT_TRUE(wait_event(w_, &ev));
  EXPECT_EQ(ev.code, EV_CLOSE);
  // The window stays: the main loop decides what a close request means.
  int width, height;
  EXPECT_TRUE(window_drawable_size(w_, &width, &height));
}

TEST_F(RealWindow, CursorAxesAndMouseAliases) {
  open();
  AxisHandle* x = axis_open(w_, "cursor-x");
  AxisHandle* y = axis_open(w_, "cursor-y");
  ASSERT_NE(x, nullptr);
  ASSERT_NE(y, nullptr);
  int cx = axis_read(x), cy = axis_read(y);
  EXPECT_GE(cx, 0);
  EXPECT_GE(cy, 0);
  axis_close(x);
  axis_close(y);
  EXPECT_EQ(key_code(w_, "cursor-left"), EV_MOUSE_LEFT);
  EXPECT_EQ(key_code(w_, "cursor-right"), EV_MOUSE_RIGHT);
}

TEST_F(RealWindow, SwitchesBetweenWindowedSizesAndFullScreen) {
  open();
  window_switch_mode(w_, 400, 300, false);
  EXPECT_TRUE(wait_size(w_, 400, 300));
  EXPECT_FALSE(w_->fullscreen);
  int dw, dh;
  desktop_size(&dw, &dh);
  window_switch_mode(w_, 0, 0, true);  // "Default Fullscreen": the desktop's own mode
  EXPECT_TRUE(wait_size(w_, dw, dh));
  EXPECT_TRUE(w_->fullscreen);
  window_switch_mode(w_, 320, 240, false);
  EXPECT_TRUE(wait_size(w_, 320, 240));
  int width, height;
  ASSERT_TRUE(window_begin_frame(w_, &width, &height));
  EXPECT_TRUE(window_end_frame(w_));
}

TEST_F(RealWindow, MessageThreadQueuesEventsWhileTheMainThreadDraws) {
  LogCapture log("window_thread");
  open("[threaded:on]");
  EXPECT_TRUE(w_->threaded);
  push_key(SDL_SCANCODE_Z);
  int width, height;
  for (int frame = 0; frame < 5; frame++) {
    ASSERT_TRUE(window_begin_frame(w_, &width, &height));
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(window_end_frame(w_));
  }
  InputEvent ev;
  ASSERT_TRUE(wait_event(w_, &ev));
  EXPECT_EQ(ev.code, 4096 + 44);
  window_switch_mode(w_, 360, 200, false);
  EXPECT_TRUE(wait_size(w_, 360, 200));
  window_destroy(w_);
  w_ = nullptr;
  EXPECT_TRUE(log.in_order({" threaded: [on]\n", "Starting message processing thread\n", "Creating window\n",
                            "Creating OpenGL context\n", "Deleting OpenGL context\n", "Setting close flag\n",
                            "Message processing thread done\n", "Destroying window\n", "Window shutdown complete\n"}));
}

TEST(WindowFailure, ImpossiblePixelFormatGivesNoWindowAndALoggedReason) {
  LogCapture log("window_fail");
  use_test_video();
  window_options_forget();
  GameWindow* w = window_create("Dirtwave test", 320, 240, 24, 0, 64, 0, 0);  // 64 depth bits
  EXPECT_EQ(w, nullptr);
  if (w) window_destroy(w);
  std::string text = log.text();
  bool reason = text.find("Can't create window!\n") != std::string::npos ||
                text.find("Couldn't create OpenGL context\n") != std::string::npos;
  EXPECT_TRUE(reason) << text;
  // A sound request afterwards still gets a window.
  GameWindow* ok = window_create("Dirtwave test", 320, 240, 16, 0, 16, 0, 0);
  if (!ok) GTEST_SKIP() << "no video driver could make a GL window";
  window_destroy(ok);
}

TEST(WindowFailure, NoVideoDriverGivesNoWindow) {
  LogCapture log("window_nodriver");
  window_options_forget();
  const char* before = std::getenv("SDL_VIDEODRIVER");
  std::string saved = before ? before : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  GameWindow* w = window_create("Dirtwave test", 320, 240, 24, 0, 16, 0, 0);
  if (before) setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(w, nullptr);
  if (w) window_destroy(w);
  EXPECT_TRUE(log.has("Can't start the video system: "));
}

}  // namespace
