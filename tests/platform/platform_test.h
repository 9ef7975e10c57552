// Helpers shared by the platform tests: a log captured into a file of its
// own, and a video driver that works without a screen.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/platform.h"

// Sends the log to a fresh file for the life of the object.
class LogCapture {
 public:
  explicit LogCapture(const char* name) {
    path_ = std::string(testing::TempDir()) + "dw_" + name + "_" + std::to_string(getpid()) + ".log";
    std::remove(path_.c_str());
    setenv("WEFT_LOGFILE", path_.c_str(), 1);
    log_reset_for_test();
    log_printf("capture\n");
  }
  ~LogCapture() {
    log_reset_for_test();
    unsetenv("WEFT_LOGFILE");
    std::remove(path_.c_str());
  }
  std::string text() const {
    std::ifstream f(path_);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  bool has(const std::string& line) const { return text().find(line) != std::string::npos; }
  // Whether the lines appear in this order.
  bool in_order(std::initializer_list<const char*> lines) const {
    std::string t = text();
    size_t at = 0;
    for (const char* line : lines) {
      at = t.find(line, at);
      if (at == std::string::npos) return false;
      at += std::string(line).size();
    }
    return true;
  }

 private:
  std::string path_;
};

// The tests draw on the X display when there is one, else (and whenever
// the X server refuses a connection, as a virtual one does while it resets
// after its last client left) with SDL's offscreen driver: EGL on Mesa's
// software renderer. Wayland is never tried: a test machine has none.
inline void use_test_video() {
  if (std::getenv("SDL_VIDEODRIVER")) return;
  setenv("SDL_VIDEODRIVER", std::getenv("DISPLAY") ? "x11,offscreen" : "offscreen", 1);
}
