// Ground queries on the default track: wheel and sphere contacts and
// heights per second, and how long loading the track takes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files/files.h"
#include "track/track.h"

namespace {

// Points the file system at the generated data and loads Rabbit Hill once.
bool load_default_track() {
  static bool tried, ok;
  if (tried) return ok;
  tried = true;
  const char* dir = std::getenv("DW_DATA_DIR");
  std::string data = dir ? dir : std::string(DW_BINARY_DIR) + "/data";
  std::string home = std::string(DW_BINARY_DIR) + "/bench_terrain_home";
  setenv("DW_HOME", data.c_str(), 1);
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  vfs_shutdown();
  ok = track_select_and_load("tracks/rabbithill", false);
  if (!ok) std::fprintf(stderr, "tracks/rabbithill did not load from %s\n", data.c_str());
  return ok;
}

// Wheels a little into the ground at random places on the track surface
// (not grass), leaning and steering at random.
std::vector<Wheel> track_wheels(int count) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  std::vector<Wheel> wheels;
  while ((int)wheels.size() < count) {
    float x = u(rng) * terrain.world_size, z = u(rng) * terrain.world_size;
    if (surface_at(x, z) == 3) continue;
    float yaw = u(rng) * 6.2831853f, lean = (u(rng) - 0.5f) * 1.2f;
    Wheel w;
    w.rim_radius = 0.85f;
    w.tube_radius = 0.25f;
    w.axle[0] = std::cos(yaw) * std::cos(lean);
    w.axle[1] = std::sin(lean);
    w.axle[2] = std::sin(yaw) * std::cos(lean);
    w.centre[0] = x;
    w.centre[1] = terrain_height(x, z) + w.rim_radius + w.tube_radius - 0.05f;
    w.centre[2] = z;
    wheels.push_back(w);
  }
  return wheels;
}

void BM_WheelContactDeepest(benchmark::State& state) {
  if (!load_default_track()) return state.SkipWithError("no default track");
  std::vector<Wheel> wheels = track_wheels(4096);
  size_t i = 0, hits = 0;
  GroundContact g;
  for (auto _ : state) {
    hits += terrain_wheel_contact_deepest(&wheels[i++ & 4095], &g);
    benchmark::DoNotOptimize(g);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["hit_ratio"] = (double)hits / (double)state.iterations();
}
BENCHMARK(BM_WheelContactDeepest);

void BM_WheelContactFirst(benchmark::State& state) {
  if (!load_default_track()) return state.SkipWithError("no default track");
  std::vector<Wheel> wheels = track_wheels(4096);
  size_t i = 0;
  GroundContact g;
  for (auto _ : state) {
    benchmark::DoNotOptimize(terrain_wheel_contact_first(&wheels[i++ & 4095], &g));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WheelContactFirst);

void BM_SphereContact(benchmark::State& state) {
  if (!load_default_track()) return state.SkipWithError("no default track");
  std::vector<Wheel> wheels = track_wheels(4096);
  size_t i = 0;
  GroundContact g;
  for (auto _ : state) {
    const Wheel& w = wheels[i++ & 4095];
    benchmark::DoNotOptimize(terrain_sphere_contact(w.centre, w.rim_radius + w.tube_radius, &g));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SphereContact);

void BM_Height(benchmark::State& state) {
  if (!load_default_track()) return state.SkipWithError("no default track");
  std::vector<Wheel> wheels = track_wheels(4096);
  size_t i = 0;
  for (auto _ : state) {
    const Wheel& w = wheels[i++ & 4095];
    benchmark::DoNotOptimize(terrain_height(w.centre[0], w.centre[2]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Height);

// A full load of Rabbit Hill: hashing, heights from terrain.png, shading,
// shadows, surfaces and tile map.
void BM_LoadDefaultTrack(benchmark::State& state) {
  if (!load_default_track()) return state.SkipWithError("no default track");
  for (auto _ : state) {
    track_force_reload();
    if (!track_select_and_load("tracks/rabbithill", false)) return state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadDefaultTrack)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
