// Empty main-loop tics per second: the loop's own cost per tic (event
// polling, channels, control hand-off) with no race behind it.
#include <benchmark/benchmark.h>

#include "core/game.h"
#include "core/launch.h"
#include "files/settings.h"

namespace {

double g_now = 0;
ClockValue bench_now() { return clock_from_seconds(g_now); }
void bench_sleep(double s) { g_now += s; }
bool bench_no_event(ClockValue, bool, InputEvent*) { return false; }
void bench_controls(int, const RidingInput& in) { benchmark::DoNotOptimize(in.throttle); }

void BM_EmptyLoopTics(benchmark::State& state) {
  settings_defaults();
  launch_defaults();
  launch.warp = true;  // 100 tics a frame, no waiting on the clock
  game_reset();
  loop_platform = LoopPlatform{};
  loop_platform.now = bench_now;
  loop_platform.sleep = bench_sleep;
  loop_platform.next_event = bench_no_event;
  loop_hooks = LoopHooks{};
  loop_hooks.track_loaded = [] { return true; };
  loop_hooks.slot_is_local = [](int) { return true; };
  loop_hooks.race_tic = [] {};
  loop_hooks.bike_controls = bench_controls;
  for (auto _ : state) loop_frame();
  state.counters["tics_per_second"] = benchmark::Counter((double)game.tics_run, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmptyLoopTics);

}  // namespace
