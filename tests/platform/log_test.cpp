// Log file set-up, the timestamp prefix, options and the clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "platform/platform.h"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string temp_path(const char* name) { return std::string(testing::TempDir()) + name; }

TEST(Log, DirectiveOpensTheFileAndIsNotWritten) {
  unsetenv("WEFT_LOGFILE");
  unsetenv("WEFT_LOGFILE_FLAGS");
  std::string path = temp_path("dw_log_directive.txt");
  log_reset_for_test();
  log_printf("WEFT_LOGFILE=%s", path.c_str());
  log_printf("hello %d\n", 7);
  log_close();
  log_printf("dropped\n");
  std::string text = read_file(path);
  EXPECT_NE(text.find("Logfile \"" + path + "\" opened\n"), std::string::npos);
  EXPECT_NE(text.find("WEFT 0.31\n"), std::string::npos);
  EXPECT_EQ(text.find("WEFT_LOGFILE="), std::string::npos);
  EXPECT_EQ(text.find("dropped"), std::string::npos);
  std::regex line(R"(\[\d+:\d\d:\d\d\.\d\d\] hello 7\n)");
  EXPECT_TRUE(std::regex_search(text, line)) << text;
}

TEST(Log, EnvironmentPathWinsAndAppendsWithDoubleArrow) {
  std::string path = temp_path("dw_log_env.txt");
  std::remove(path.c_str());
  std::string value = ">>" + path;
  setenv("WEFT_LOGFILE", value.c_str(), 1);
  for (int run = 0; run < 2; run++) {
    log_reset_for_test();
    log_printf("WEFT_LOGFILE=/nonexistent/elsewhere.txt");  // ignored
    log_printf("run %d\n", run);
  }
  log_close();
  unsetenv("WEFT_LOGFILE");
  std::string text = read_file(path);
  EXPECT_NE(text.find("run 0"), std::string::npos);
  EXPECT_NE(text.find("run 1"), std::string::npos);
  EXPECT_EQ(text.find("WEFT_LOGFILE"), std::string::npos);
}

TEST(Options, FlagsAndIntegers) {
  std::string path = temp_path("dw_log_options.txt");
  setenv("WEFT_LOGFILE", path.c_str(), 1);
  log_reset_for_test();
  options_set_for_test("[threaded:on][sound-rate:44100][dsnd:maybe][sound-channels:many][waveout:off]");
  EXPECT_TRUE(option_flag("threaded", false));
  EXPECT_EQ(option_integer("sound-rate", 22050), 44100);
  EXPECT_TRUE(option_flag("dsnd", true));
  EXPECT_FALSE(option_flag("waveout", true));
  EXPECT_EQ(option_integer("sound-channels", 16), 16);
  EXPECT_EQ(option_integer("sound-mixahead", 125), 125);
  log_close();
  unsetenv("WEFT_LOGFILE");
  std::string text = read_file(path);
  EXPECT_NE(text.find("unrecognized setting for dsnd\n"), std::string::npos);
  EXPECT_NE(text.find("unrecognized setting for sound-channels\n"), std::string::npos);
  options_set_for_test("");
}

TEST(Clock, IsMonotonicAndSleepsAtLeastAsAsked) {
  ClockValue a = clock_now();
  EXPECT_GE(a.microseconds, 0);
  EXPECT_LT(a.microseconds, 1000000);
  EXPECT_EQ(a.microseconds % 1000, 0);  // millisecond resolution
  double before = clock_seconds();
  clock_sleep(0, 20000);
  EXPECT_GE(clock_seconds() - before, 0.019);
  ClockValue v = clock_from_seconds(3723.45);
  EXPECT_EQ(v.seconds, 3723);
  EXPECT_EQ(v.microseconds, 450000);
}

TEST(EventQueue, KeepsTimeOrderAndCapacity) {
  EventQueue q;
  EXPECT_TRUE(event_queue_push(&q, InputEvent{1, true, {10, 0}}));
  EXPECT_TRUE(event_queue_push(&q, InputEvent{2, true, {9, 0}}));  // earlier: goes first
  InputEvent ev;
  EXPECT_FALSE(event_queue_take_until(&q, ClockValue{8, 999999}, &ev));
  ASSERT_TRUE(event_queue_take_until(&q, ClockValue{9, 0}, &ev));
  EXPECT_EQ(ev.code, 2);
  event_queue_clear(&q);
  for (int i = 0; i < EVENT_QUEUE_CAPACITY; i++) ASSERT_TRUE(event_queue_push(&q, InputEvent{i, true, {1, 0}}));
  EXPECT_FALSE(event_queue_push(&q, InputEvent{999, true, {1, 0}}));
  ASSERT_TRUE(event_queue_take(&q, &ev));
  EXPECT_EQ(ev.code, 0);
}

}  // namespace
