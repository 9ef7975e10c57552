// The dwride harness end to end: its report lines, its scripts and its
// refusals.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RideRun {
  int status;
  std::vector<std::string> lines;  // standard output
  std::string errors;              // standard error
};

RideRun dwride(const std::string& args) {
  const char* data_env = std::getenv("DW_DATA_DIR");
  std::string data = data_env ? data_env : std::string(DW_BINARY_DIR) + "/data";
  std::filesystem::path tmp = std::filesystem::path(DW_BINARY_DIR) / "bike_test_tmp";
  std::filesystem::create_directories(tmp / "home");
  // Tests run side by side in separate processes: each its own file.
  static int calls = 0;
  std::string err_file =
      (tmp / ("dwride_stderr_" + std::to_string(getpid()) + "_" + std::to_string(calls++) + ".txt")).string();
  std::string cmd = "XDG_DATA_HOME='" + (tmp / "home").string() + "' DW_HOME='" + data + "' '" DW_BINARY_DIR
                    "/tools/dwride' " + args + " 2>'" + err_file + "'";
  RideRun run{};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {-1, {}, "popen failed"};
  char line[1024];
  while (std::fgets(line, sizeof line, p)) {
    std::string s = line;
    if (!s.empty() && s.back() == '\n') s.pop_back();
    run.lines.push_back(s);
  }
  int raw = pclose(p);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream f(err_file);
  std::stringstream e;
  e << f.rdbuf();
  run.errors = e.str();
  std::remove(err_file.c_str());
  return run;
}

std::map<std::string, std::string> fields(const std::string& line) {
  std::map<std::string, std::string> out;
  std::istringstream in(line);
  std::string pair;
  while (in >> pair) {
    size_t eq = pair.find('=');
    if (eq != std::string::npos) out[pair.substr(0, eq)] = pair.substr(eq + 1);
  }
  return out;
}

TEST(Dwride, RestPrintsOneLinePerSecondAndTheSpeed) {
  ASSERT_TRUE(std::filesystem::exists(DW_BINARY_DIR "/tools/dwride")) << "build the dwride target";
  RideRun r = dwride("--track flattest --bikes 2 --seconds 3 --script rest");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 4u);
  const char* keys[] = {"t",     "x",   "y",    "z",     "speed",       "heading",    "gear",
                        "rpm",   "fork", "shock", "front_depth", "rear_depth", "crashed"};
  for (int i = 0; i < 3; i++) {
    auto f = fields(r.lines[i]);
    for (const char* k : keys) EXPECT_TRUE(f.count(k)) << k << " in " << r.lines[i];
    EXPECT_EQ(std::stod(f["t"]), i + 1);
    EXPECT_LT(std::stod(f["speed"]), 0.5);
    EXPECT_GT(std::stod(f["front_depth"]), 0);
    EXPECT_EQ(f["crashed"], "0");
  }
  auto last = fields(r.lines[3]);
  EXPECT_EQ(last["bikes"], "2");
  EXPECT_GT(std::stod(last["tics_per_second"]), 0);
}

TEST(Dwride, RollStartsAtThirtyFeetPerSecond) {
  RideRun r = dwride("--track flattest --bikes 1 --seconds 1 --script roll");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_GE(r.lines.size(), 1u);
  double speed = std::stod(fields(r.lines[0])["speed"]);
  EXPECT_GT(speed, 27);
  EXPECT_LT(speed, 30);
}

TEST(Dwride, RandomShovesOnTheDefaultTrackFinishFinite) {
  RideRun r = dwride("--track rabbithill --bikes 3 --seconds 20 --script random --model cr125");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.lines.size(), 21u);
}

TEST(Dwride, ThrottleAcceleratesAndShiftsUp) {
  RideRun r = dwride("--track flattest --bikes 1 --seconds 2 --script throttle");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_GT(std::stod(fields(r.lines[1])["speed"]), 30);
  RideRun far = dwride("--track rabbithill --bikes 1 --seconds 6 --script throttle");
  ASSERT_EQ(far.status, 0) << far.errors;
  EXPECT_GE(std::stoi(fields(far.lines[5])["gear"]), 3);
  EXPECT_EQ(fields(far.lines[5])["crashed"], "0");
}

TEST(Dwride, BrakeStopsFrom60) {
  RideRun r = dwride("--track rabbithill --bikes 1 --seconds 8 --script brake");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 9u);
  double top = 0;
  for (int i = 0; i < 8; i++) top = std::max(top, std::stod(fields(r.lines[i])["speed"]));
  EXPECT_GT(top, 45);
  EXPECT_LT(std::stod(fields(r.lines[7])["speed"]), 0.5);
  EXPECT_EQ(fields(r.lines[7])["crashed"], "0");
}

// Heading turns one way for turn-left and the other for turn-right, by the
// same amount.
TEST(Dwride, TurnScriptsMirrorEachOther) {
  RideRun left = dwride("--track rabbithill --bikes 1 --seconds 4 --script turn-left");
  RideRun right = dwride("--track rabbithill --bikes 1 --seconds 4 --script turn-right");
  ASSERT_EQ(left.status, 0) << left.errors;
  ASSERT_EQ(right.status, 0) << right.errors;
  double h0 = std::stod(fields(left.lines[1])["heading"]), h1 = std::stod(fields(left.lines[3])["heading"]);
  double g0 = std::stod(fields(right.lines[1])["heading"]), g1 = std::stod(fields(right.lines[3])["heading"]);
  double turned_left = std::remainder(h1 - h0, 2 * M_PI), turned_right = std::remainder(g1 - g0, 2 * M_PI);
  EXPECT_GT(turned_left, 0.5);  // heading grows turning left
  EXPECT_NEAR(turned_left, -turned_right, 0.15 * turned_left);
}

// Our simple rider goes round the default track gate by gate; the harness
// never touches the bike after placing it.
TEST(Dwride, LapScriptCompletesALapOfTheDefaultTrack) {
  RideRun r = dwride("--track rabbithill --bikes 1 --seconds 150 --script lap");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 151u);
  std::string gates = fields(r.lines[149])["gates"];
  size_t slash = gates.find('/');
  ASSERT_NE(slash, std::string::npos) << r.lines[149];
  EXPECT_EQ(gates.substr(0, slash), gates.substr(slash + 1)) << r.lines[149];
  EXPECT_GE(std::stoi(gates.substr(slash + 1)), 20);
  int first_full = -1;
  for (int i = 0; i < 150 && first_full < 0; i++)
    if (fields(r.lines[i])["gates"] == gates) first_full = i + 1;
  std::printf("[figure] lap script: full lap of rabbithill (%s gates) after %d s\n", gates.c_str(), first_full);
}

TEST(Dwride, RefusesBadArguments) {
  const char* bad[] = {
      "--track flattest --bikes 161 --seconds 1 --script rest", "--track flattest --bikes 0 --seconds 1 --script rest",
      "--track flattest --bikes 1 --seconds -2 --script rest",  "--track flattest --bikes 1 --seconds 1 --script fly",
      "--track flattest --bikes 1 --seconds 1",                  "--track flattest --bikes",
      "--track nowhere --bikes 1 --seconds 1 --script rest",    "--colour red --track flattest --seconds 1 --script rest",
      "--track flattest --bikes 1 --seconds 1 --script rest --arcade maybe",
  };
  for (const char* args : bad) {
    RideRun r = dwride(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_TRUE(r.lines.empty()) << args;
    EXPECT_NE(r.errors.find("dwride:"), std::string::npos) << args << ": " << r.errors;
  }
}

}  // namespace
