// World tics per second for 1, 10, 40 and 160 bikes resting and rolling on
// the default track (rabbithill, from the build's data set), the cost per
// bike per tic, and the share of the real-time budget of one tic (1/128 s)
// that the world takes.
//
// Counters: tics_per_second, us_per_bike_tic, budget_percent (100 = all of
// 7.8125 ms).
// Bikes stand in rows on the starting gates, as a race starts; rolling bikes
// are pushed off at 30 ft/s. Each iteration places the bikes afresh, lets
// them settle for half a second (not timed) and times one simulated second.
//
// BM_Ridden: 1, 10 and 40 bikes with the menus' default setup and aids
// ridden off the start (throttle to about 40 ft/s, weaving in step), timed
// over seconds 2 to 4 of the ride: engine, steering aids and riders
// included. riders_down counts riders on the ground at the end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bike/bike.h"
#include "files/files.h"
#include "files/settings.h"
#include "track/track.h"

namespace {

struct Gate {
  float x, z, heading;
};

std::vector<Gate> g_gates;

// The "startinggate:" section of the track's timing_gates file.
void read_gates() {
  g_gates.clear();
  Stream* s = stream_open("@tracks/rabbithill/timing_gates", "r");
  if (!s) return;
  char line[1024], token[64];
  if (stream_read_line(s, line, sizeof line) && std::sscanf(line, " %63s", token) == 1 &&
      std::strcmp(token, "startinggate:") == 0) {
    float x, y, z, a;
    while (stream_read_line(s, line, sizeof line) && std::sscanf(line, " [ %f %f %f ] %f", &x, &y, &z, &a) == 4)
      g_gates.push_back({x, z, a});
  }
  stream_close(s);
}

bool track_ready() {
  static int state = 0;  // 0 not tried, 1 loaded, -1 failed
  if (state) return state > 0;
  if (!std::getenv("DW_HOME")) setenv("DW_HOME", DW_BINARY_DIR "/data", 1);
  std::filesystem::path home = std::filesystem::path(DW_BINARY_DIR) / "bench_tmp" / "home";
  std::filesystem::create_directories(home);
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  state = track_select_and_load("tracks/rabbithill", false) && physics_world_create() ? 1 : -1;
  if (state > 0) read_gates();
  return state > 0;
}

// Gate i of G in row i / G, rows 10 ft apart behind the gates.
void place_bikes(int count, bool rolling) {
  bike_destroy_all();
  for (int i = 0; i < count; i++) {
    Bike* b = bike_create("yz250f(2017)", i, true, i + 1, nullptr, nullptr, nullptr, nullptr);
    float x = terrain.world_size / 2 + 5.0f * i, z = terrain.world_size / 2, heading = 0;
    if (!g_gates.empty()) {
      const Gate& g = g_gates[i % g_gates.size()];
      float back = 10.0f * (float)(i / (int)g_gates.size() + 1.0 / 16);
      x = g.x + back * std::sin(g.heading);
      z = g.z + back * std::cos(g.heading);
      heading = g.heading;
    }
    bike_rotate(b, 0, 1, 0, heading);
    bike_translate(b, x, terrain_height(x, z), z);
    bike_raise_until_clear(b);
    if (rolling) bike_set_speed(b, 30);
  }
}

// Tics per second, cost per bike per tic and the share of the real-time
// budget (one tic of 1/128 s) from timed seconds over tics.
static void report_tic_cost(benchmark::State& state, double seconds, double tics, int count) {
  double per_tic = seconds / tics;
  state.counters["tics_per_second"] = 1 / per_tic;
  state.counters["us_per_bike_tic"] = per_tic * 1e6 / count;
  state.counters["budget_percent"] = 100 * per_tic / (1.0 / 128);
}

void BM_World(benchmark::State& state) {
  int count = (int)state.range(0);
  bool rolling = state.range(1) != 0;
  if (!track_ready()) {
    state.SkipWithError("can't load tracks/rabbithill: build the game_data target first");
    return;
  }
  const int timed = 128;
  double tics = 0, seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    place_bikes(count, rolling);
    for (int t = 0; t < 64; t++) bikes_world_tic(count);
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    for (int t = 0; t < timed; t++) bikes_world_tic(count);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    tics += timed;
  }
  report_tic_cost(state, seconds, tics, count);
  state.SetLabel(rolling ? "rolling" : "resting");
}

// Weaving gently at about 40 ft/s, the whole field in step as riders in a
// pack do (side by side on a 3.25 ft grid, out-of-step weaving would be a
// pile-up, which is a different benchmark).
void ride_controls(int count, int tic) {
  for (int i = 0; i < count; i++) {
    Bike* b = &bikes[i];
    float speed = bike_speed(b);
    set_clutch(b, 1);
    set_throttle(b, speed < 40 ? 1.0f : 0.2f);
    set_steering(b, 0.1f * (float)std::sin(tic * 2 * M_PI / 512));
    set_front_brake(b, 0);
    set_rear_brake(b, 0);
  }
}

void BM_Ridden(benchmark::State& state) {
  int count = (int)state.range(0);
  if (!track_ready()) {
    state.SkipWithError("can't load tracks/rabbithill: build the game_data target first");
    return;
  }
  settings_defaults();
  const int timed = 256;
  double tics = 0, seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    place_bikes(count, false);
    for (int i = 0; i < count; i++) apply_bike_setup(&bikes[i]);
    int t = 0;
    for (; t < 256; t++) {
      ride_controls(count, t);
      bikes_world_tic(count);
    }
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    for (; t < 256 + timed; t++) {
      ride_controls(count, t);
      bikes_world_tic(count);
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    tics += timed;
  }
  report_tic_cost(state, seconds, tics, count);
  int down = 0;
  for (int i = 0; i < count; i++) down += rider_down(&bikes[i]) ? 1 : 0;
  state.counters["riders_down"] = down;
}

BENCHMARK(BM_Ridden)->ArgNames({"bikes"})->Arg(1)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_World)
    ->ArgNames({"bikes", "rolling"})
    ->ArgsProduct({{1, 10, 40, 160}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
