// The main loop on a driven clock: pacing, tic deadlines and input, keys.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "core/core.h"
#include "core/game.h"
#include "core/launch.h"
#include "files/settings.h"

namespace {

// A clock that moves only when the loop sleeps or the test says so, and an
// event source of stamped events.
struct Driven {
  double now = 1000.0;       // seconds
  double draw_cost = 0;      // seconds each frame's drawing takes
  std::deque<InputEvent> events;
  std::vector<std::pair<int, bool>> seen_by_tic;  // (race tic index, event)
  int race_tics = 0;
  bool track = true;
  bool local = true;
  bool connected = false;
  int server_tic = 0;
  int race_clock = 0;
  int gate_drop = 0;
  std::vector<RidingInput> inputs;
  double clutch = 1;
};
Driven d;

ClockValue fake_now() { return clock_from_seconds(d.now); }
void fake_sleep(double s) { d.now += s; }
bool fake_next_event(ClockValue deadline, bool take_all, InputEvent* out) {
  if (d.events.empty()) return false;
  if (!take_all && clock_before(deadline, d.events.front().stamp)) return false;
  *out = d.events.front();
  d.events.pop_front();
  return true;
}
bool fake_draw() {
  d.now += d.draw_cost;
  return true;
}

class Loop : public testing::Test {
 protected:
  void SetUp() override {
    d = Driven{};
    settings_defaults();
    launch_defaults();
    game_reset();
    loop_platform = LoopPlatform{};
    loop_platform.now = fake_now;
    loop_platform.sleep = fake_sleep;
    loop_platform.next_event = fake_next_event;
    loop_platform.draw_frame = fake_draw;
    loop_hooks = LoopHooks{};
    loop_hooks.track_loaded = [] { return d.track; };
    loop_hooks.race_tic = [] { d.race_tics++; };
    loop_hooks.slot_is_local = [](int) { return d.local; };
    loop_hooks.connected = [] { return d.connected; };
    loop_hooks.server_tic_count = [] { return d.server_tic; };
    loop_hooks.race_tic_count = [] { return d.race_clock; };
    loop_hooks.race_gate_drop_tic = [] { return d.gate_drop; };
    loop_hooks.server_announced_tic = [] { return true; };
    loop_hooks.bike_clutch = [](int) { return d.clutch; };
    loop_hooks.bike_controls = [](int, const RidingInput& in) { d.inputs.push_back(in); };
    // Key codes as the platform would resolve the default bindings.
    settings.bindings[BIND_THROTTLE].key_code = EV_KEY_BASE + 45;
    settings.bindings[BIND_CLUTCH].key_code = EV_KEY_BASE + 44;
    settings.bindings[BIND_DAB].key_code = EV_KEY_BASE + 285;
    settings.bindings[BIND_UPSHIFT].key_code = EV_KEY_BASE + 328;
    settings.bindings[BIND_PAUSE].key_code = EV_KEY_BASE + 69;
    settings.bindings[BIND_STEP].key_code = EV_KEY_BASE + 52;
    settings.bindings[BIND_NEXT].key_code = EV_KEY_BASE + 27;
    game.frame_time = d.now;
  }
  void press(int code, bool pressed, double at) { d.events.push_back(InputEvent{code, pressed, clock_from_seconds(at)}); }
};

TEST_F(Loop, AStallGivesOneCappedStepOf16Tics) {
  d.now += 2.0;
  loop_frame();
  EXPECT_EQ(d.race_tics, 16);
  EXPECT_DOUBLE_EQ(game.target_time, 0.125);
  EXPECT_EQ(game.histogram[7], 1);
}

TEST_F(Loop, LockFpsAdvancesExactlyOneFramePerFrame) {
  launch.lock_fps = 30;
  for (double cost : {0.001, 0.02, 0.2}) {
    d.draw_cost = cost;
    double before = game.target_time;
    loop_frame();
    EXPECT_DOUBLE_EQ(game.target_time - before, 1.0 / 30) << cost;
  }
}

TEST_F(Loop, PacingSleepsUntilATicHasPassed) {
  double start = d.now;
  double step = loop_pace();
  EXPECT_GE(step, SECONDS_PER_TIC);
  EXPECT_NEAR(d.now - start, SECONDS_PER_TIC, 1e-6);
  EXPECT_EQ(game.histogram[0], 1);  // the first reading saw no time pass
}

TEST_F(Loop, WarpAsksForAHundredTicsPerFrame) {
  launch.warp = true;
  loop_frame();
  EXPECT_EQ(d.race_tics, 100);
}

TEST_F(Loop, EventsInsideOneTicAreSeenInOrder) {
  // A throttle tap shorter than a tic: pressed then released by the same tic.
  loop_hooks.race_tic = [] {
    d.race_tics++;
    d.seen_by_tic.push_back({d.race_tics, game.channels[CH_THROTTLE] > 0});
  };
  d.now += 4 * SECONDS_PER_TIC;
  double t = d.now - 4 * SECONDS_PER_TIC;
  press(EV_KEY_BASE + 45, true, t + 1.2 * SECONDS_PER_TIC);
  press(EV_KEY_BASE + 45, false, t + 1.6 * SECONDS_PER_TIC);
  press(EV_KEY_BASE + 45, true, t + 2.5 * SECONDS_PER_TIC);
  loop_frame();
  ASSERT_EQ(d.seen_by_tic.size(), 4u);
  EXPECT_FALSE(d.seen_by_tic[0].second);  // tic 1: nothing yet
  EXPECT_FALSE(d.seen_by_tic[1].second);  // tic 2: pressed and released
  EXPECT_TRUE(d.seen_by_tic[2].second);   // tic 3: held
  EXPECT_TRUE(d.seen_by_tic[3].second);
  EXPECT_TRUE(d.events.empty());
}

TEST_F(Loop, PauseAndStep) {
  d.now += 0.05;
  press(EV_KEY_BASE + 52, true, d.now);  // Step while not paused: nothing
  loop_frame();
  int tics = d.race_tics;
  EXPECT_GT(tics, 0);
  press(EV_KEY_BASE + 69, true, d.now);  // Pause
  d.now += 0.05;
  loop_frame();
  EXPECT_TRUE(game.paused);
  int paused_tics = d.race_tics;
  press(EV_KEY_BASE + 52, true, d.now);  // Step: exactly one race tic
  d.now += 0.05;
  loop_frame();
  EXPECT_EQ(d.race_tics, paused_tics + 1);
}

TEST_F(Loop, PauseDoesNothingWhileConnected) {
  d.connected = true;
  d.server_tic = 1;
  press(EV_KEY_BASE + 69, true, d.now);
  d.now += 0.02;
  loop_frame();
  EXPECT_FALSE(game.paused);
}

TEST_F(Loop, ClutchEngagesAtMostFourPerSecondAndGearsFromShift) {
  d.clutch = 0;
  loop_tic();
  ASSERT_FALSE(d.inputs.empty());
  EXPECT_DOUBLE_EQ(d.inputs.back().clutch, 4 * SECONDS_PER_TIC);
  EXPECT_EQ(d.inputs.back().gear, 0);
  // Pulling the lever is immediate.
  d.clutch = 1;
  press(EV_KEY_BASE + 44, true, d.now);
  press(EV_KEY_BASE + 328, true, d.now);
  game.frame_time = d.now;
  game.target_time = game.tic_time + SECONDS_PER_TIC;
  loop_tic();
  EXPECT_DOUBLE_EQ(d.inputs.back().clutch, 0);
  EXPECT_EQ(d.inputs.back().gear, 1);
}

TEST_F(Loop, StickyDabLatchesOnRises) {
  settings.sticky_dab.index = 1;
  auto tic_with = [&](bool held) {
    press(EV_KEY_BASE + 285, held, d.now);
    game.frame_time = d.now;
    game.target_time = game.tic_time + SECONDS_PER_TIC;
    loop_tic();
    return d.inputs.back().sit_dab;
  };
  EXPECT_EQ(tic_with(true), 1);
  EXPECT_EQ(tic_with(false), 1);  // released: latch stays
  EXPECT_EQ(tic_with(true), 0);   // second rise: off
  EXPECT_EQ(tic_with(true), 0);
}

TEST_F(Loop, NextBikeStopsAtTheEndOfTheRunningOrder) {
  d.local = false;  // spectating
  loop_hooks.running_order = [](int* slots) {
    slots[0] = 4;
    slots[1] = 0;
    slots[2] = 7;
    return 3;
  };
  game.watched_slot = 0;
  for (int i = 0; i < 3; i++) press(EV_KEY_BASE + 27, true, d.now);
  d.now += 0.01;
  loop_frame();
  EXPECT_EQ(game.watched_slot, 7);
}

struct CatchUpCase {
  double behind_seconds;  // server ahead of us by this much (negative: we lead)
  bool after_drop;
  double factor;
};

TEST_F(Loop, CatchUpFactorFollowsTheServer) {
  const CatchUpCase cases[] = {{1.5, false, 4.0}, {-0.5, false, 0.75}, {-3, true, 0.5}, {0.5, true, 1.125}};
  for (const CatchUpCase& c : cases) {
    d.race_clock = 1000;
    d.server_tic = 1000 + 1 + (int)(c.behind_seconds * 128);
    d.gate_drop = c.after_drop ? 0 : 100000;
    EXPECT_DOUBLE_EQ(loop_catch_up_factor(), c.factor) << c.behind_seconds;
  }
}

TEST_F(Loop, CloseEventEndsTheLoopAfterThePass) {
  press(EV_CLOSE, true, d.now);
  d.now += 0.01;
  EXPECT_FALSE(loop_frame());
  EXPECT_TRUE(game.quit);
}

TEST_F(Loop, FpsReadsLargestStepAndResets) {
  d.now += 0.05;
  loop_frame();
  EXPECT_EQ(loop_read_fps(), 20);
  EXPECT_EQ(loop_read_fps(), 0);
}

}  // namespace

namespace {

TEST(Views, TabCyclesWithAndWithoutTheEditor) {
  struct Case {
    bool editor;
    int from, to;
  };
  const Case cases[] = {
      {false, VIEW_FIRST_PERSON, VIEW_CHASE}, {true, VIEW_FIRST_PERSON, VIEW_EDITOR},
      {true, VIEW_EDITOR, VIEW_CHASE},        {false, VIEW_CHASE, VIEW_TRACK_CAMERA},
      {false, VIEW_TRACK_CAMERA, VIEW_FIRST_PERSON}, {false, VIEW_NO_TRACK, VIEW_NO_TRACK},
  };
  for (const Case& c : cases) {
    launch_defaults();
    launch.editor = c.editor;
    game_reset();
    game.view = c.from;
    view_cycle();
    EXPECT_EQ(game.view, c.to) << c.from << " editor " << c.editor;
  }
}

TEST(Views, UpdateFollowsTrackAndBike) {
  loop_hooks = LoopHooks{};
  game_reset();
  game.view = VIEW_FIRST_PERSON;
  view_update();
  EXPECT_EQ(game.view, VIEW_NO_TRACK);  // nothing loaded
  static bool bike = false;
  loop_hooks.track_loaded = [] { return true; };
  loop_hooks.slot_has_bike = [](int) { return bike; };
  view_update();
  EXPECT_EQ(game.view, VIEW_TRACK_CAMERA);  // a track, but no bike to watch
  bike = true;
  loop_hooks.slot_is_local = [](int) { return true; };
  view_update();
  EXPECT_EQ(game.view, VIEW_FIRST_PERSON);  // riding brings the rider's view back
  loop_hooks = LoopHooks{};
}

}  // namespace
