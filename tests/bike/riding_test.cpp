// A ridden bike on level hard-pack ground with the menus' default setup and
// riding aids: starting, cruising, braking, turning, the clutch, landings and
// crashes, in arcade mode (the default) and with the realistic steering
// controller. Figures are printed for the record. The ground is 1024 ft a
// side (the flat test track is too small to ride a minute on) with the flat
// track's hard-pack grip and rolling resistance.
#include <algorithm>
#include <cstdio>
#include <random>

#include "core/game.h"
#include "files/settings.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

struct Riding : PhysicsTest {
  Bike* bike = nullptr;
  // The default setup as the menus give it; realistic turns arcade off.
  void start(bool realistic, float x = 512, float z = 1000) {
    flat_ground(8, 2.0f, 0);
    one_surface(1.05f, 3, 10);
    settings_defaults();
    if (realistic) choice_set_by_name(&settings.setup.arcade, "No");
    bike = place_bike(0, x, z, 0);
    ASSERT_TRUE(bike);
    ASSERT_TRUE(apply_bike_setup(bike));
    ride({bike}, 64);
  }
  void hold(float throttle, float steering, float brake, int tics) {
    for (int t = 0; t < tics; t++) {
      set_throttle(bike, throttle);
      set_steering(bike, steering);
      set_front_brake(bike, brake);
      set_rear_brake(bike, brake);
      set_clutch(bike, 1);
      ride({bike}, 1);
    }
  }
  // Throttle that holds a speed (ft/s).
  void cruise(float speed, float steering, int tics) {
    for (int t = 0; t < tics; t++) hold(clamp01((speed - bike_speed(bike)) * 0.5f), steering, 0, 1);
  }
  // A sideways knock: roll rate (rad/s, positive to the left) added to the
  // frame.
  void roll_knock(double rate) {
    dBodyID frame = bike->bodies[BODY_FRAME];
    const dReal* R = dBodyGetRotation(frame);
    const dReal* w = dBodyGetAngularVel(frame);
    dBodySetAngularVel(frame, w[0] + rate * R[2], w[1] + rate * R[6], w[2] + rate * R[10]);
  }
  // Turn radius (ft) over one second of a held input at 30 ft/s.
  double turn_radius(float input) {
    float h0 = bike_heading(bike);
    double dist = 0, p0[3], p1[3];
    for (int t = 0; t < 128; t++) {
      frame_position(bike, p0);
      cruise(30, input, 1);
      frame_position(bike, p1);
      dist += std::hypot(p1[0] - p0[0], p1[2] - p0[2]);
    }
    return dist / std::fabs(std::remainder(bike_heading(bike) - h0, 2 * M_PI));
  }
};

TEST_F(Riding, StandsStillWithTheAids) {
  for (bool realistic : {false, true}) {
    SCOPED_TRACE(realistic);
    start(realistic);
    hold(0, 0, 0, 20 * 128);
    EXPECT_LT(std::fabs(lean_angle(bike)), 0.3f);
    EXPECT_LT(bike_speed(bike), 0.2f);
    EXPECT_FALSE(rider_down(bike));
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

TEST_F(Riding, FullThrottleFromRestShiftsUpAndReaches40) {
  start(false);
  int tics = 0;
  while (bike_speed(bike) < 40 && tics < 10 * 128) {
    hold(1, 0, 0, 1);
    tics++;
  }
  std::printf("[figure] 0-40 ft/s full throttle: %.2f s (gear %d, %.0f rpm)\n", tics / 128.0, bike_gear(bike) + 1,
              engine_rpm(bike));
  // A 250 four-stroke: about 27 mph in two seconds.
  EXPECT_GT(tics, 128);
  EXPECT_LT(tics, 4 * 128);
  int gear = bike_gear(bike), upshifts = 0;
  for (int t = 0; t < 8 * 128; t++) {
    hold(1, 0, 0, 1);
    if (bike_gear(bike) > gear) upshifts++;
    EXPECT_GE(bike_gear(bike), gear);  // never down while accelerating
    gear = bike_gear(bike);
  }
  std::printf("[figure] after 8 s more: %.1f ft/s in gear %d at %.0f rpm\n", bike_speed(bike), bike_gear(bike) + 1,
              engine_rpm(bike));
  EXPECT_GE(upshifts, 3);
  EXPECT_GT(bike_speed(bike), 90);
  EXPECT_FALSE(rider_down(bike));
}

// Knocked sideways at speed, the aids bring the bike back upright and it
// holds there for a minute with the steering input at 0.
TEST_F(Riding, StaysUprightRidingStraightForAMinute) {
  for (bool realistic : {false, true}) {
    SCOPED_TRACE(realistic);
    start(realistic, 512, 1000);
    cruise(30, 0, 2 * 128);
    roll_knock(0.5);
    cruise(30, 0, 2 * 128);
    float worst = 0;
    double p0[3], p1[3];
    frame_position(bike, p0);
    for (int s = 0; s < 60; s++) {
      cruise(30, 0, 128);
      worst = std::max(worst, std::fabs(lean_angle(bike)));
      // Stay on the ground: ride back and forth along the middle.
      if (s % 10 == 9) frame_position(bike, p1);
    }
    frame_position(bike, p1);
    std::printf("[figure] %s, 60 s straight at 30 ft/s after a knock: worst lean %.3f rad, drift %.1f ft\n",
                realistic ? "realistic" : "arcade", worst, std::fabs(p1[0] - p0[0]));
    EXPECT_LT(worst, 0.1f);
    EXPECT_GT(bike_speed(bike), 25);
    EXPECT_FALSE(rider_down(bike));
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

TEST_F(Riding, FullBrakesFrom60StopWithoutACrash) {
  for (bool realistic : {false, true}) {
    SCOPED_TRACE(realistic);
    start(realistic, 512, 1000);
    int tics = 0;
    while (bike_speed(bike) < 60 && tics < 20 * 128) {
      hold(1, 0, 0, 1);
      tics++;
    }
    ASSERT_GE(bike_speed(bike), 60);
    double p0[3], p1[3];
    frame_position(bike, p0);
    int stop = 0;
    while (bike_speed(bike) > 0.5f && stop < 10 * 128) {
      hold(0, 0, 1, 1);
      stop++;
    }
    frame_position(bike, p1);
    std::printf("[figure] %s, 60-0 ft/s full brakes: %.2f s over %.1f ft\n", realistic ? "realistic" : "arcade",
                stop / 128.0, std::hypot(p1[0] - p0[0], p1[2] - p0[2]));
    EXPECT_LT(stop, 4 * 128);
    EXPECT_FALSE(rider_down(bike));
    hold(0, 0, 1, 128);
    EXPECT_LT(std::fabs(lean_angle(bike)), 0.3f);
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

// Arcade steering holds the lean the input asks for: a steady circle, the
// same radius both ways.
TEST_F(Riding, SteadySteeringHoldsASteadyTurnBothWays) {
  start(false);
  cruise(30, 0, 2 * 128);
  double radius[2];
  for (int side = 0; side < 2; side++) {
    float input = side == 0 ? 0.5f : -0.5f;
    cruise(30, input, 3 * 128);
    double first = turn_radius(input), second = turn_radius(input);
    EXPECT_NEAR(second, first, 0.05 * first);
    radius[side] = second;
    EXPECT_FALSE(rider_down(bike));
    cruise(30, 0, 3 * 128);
  }
  std::printf("[figure] arcade turn at 30 ft/s, input 0.5: radius %.1f ft left, %.1f ft right\n", radius[0], radius[1]);
  EXPECT_NEAR(radius[0], radius[1], 0.05 * radius[0]);
  EXPECT_GT(radius[0], 20);
  EXPECT_LT(radius[0], 200);
}

// The realistic controller turns the input into steering torque: the bike
// leans and turns, the same both ways, and stands back up when let go.
TEST_F(Riding, RealisticSteeringTurnsBothWaysAlike) {
  double radius[2], lean[2];
  for (int side = 0; side < 2; side++) {
    float input = side == 0 ? 0.08f : -0.08f;
    start(true);
    cruise(30, 0, 2 * 128);
    cruise(30, input, 4 * 128);
    radius[side] = turn_radius(input);
    lean[side] = lean_angle(bike);
    EXPECT_FALSE(rider_down(bike));
    cruise(30, 0, 8 * 128);
    // Let go, the leveling stands it up again (slowly: about 40% in 8 s).
    EXPECT_LT(std::fabs(lean_angle(bike)), 0.75 * std::fabs(lean[side]));
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
  std::printf("[figure] realistic turn at 30 ft/s, input 0.08 held 5 s: radius %.1f ft / %.1f ft, lean %.3f / %.3f\n",
              radius[0], radius[1], lean[0], lean[1]);
  EXPECT_NEAR(radius[0], radius[1], 0.05 * radius[0]);
  EXPECT_NEAR(lean[0], -lean[1], 0.02);
  EXPECT_LT(radius[0], 300);
}

// The main loop lets the clutch out at 4 per second through the watched
// bike's clutch value: from fully pulled that is 32 tics, and the drive only
// bites as it comes out.
TEST_F(Riding, ClutchLetOutFromFullyPulledTakes32Tics) {
  start(true);
  RidingInput in{};
  in.throttle = 0.6;
  in.clutch = 0;
  for (int t = 0; t < 128; t++) {
    bike_apply_riding_input(0, in);
    ride({bike}, 1);
  }
  EXPECT_LT(bike_speed(bike), 0.2f);  // revving against the pulled lever
  EXPECT_GT(engine_rpm(bike), 7000);
  EXPECT_EQ(bike_clutch_value(0), 0);
  int tics = 0;
  while (bike_clutch_value(0) < 1 && tics < 1000) {
    in.clutch = std::min(1.0, bike_clutch_value(0) + 4 * TIC_SECONDS);
    bike_apply_riding_input(0, in);
    ride({bike}, 1);
    tics++;
  }
  EXPECT_EQ(tics, 32);
  ride({bike}, 64);
  EXPECT_GT(bike_speed(bike), 3);
}

// Dropped at 30 ft/s: 10 ft is ridden away, 40 ft throws the rider off; he
// is back on after the crash time.
TEST_F(Riding, LandingsFrom10FtAreSurvivedAndFrom40FtCrash) {
  struct Case {
    float height;
    bool crash;
  } cases[] = {{10, false}, {40, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    start(true, 512, 1000);
    cruise(30, 0, 128);
    bike_translate(bike, 0, c.height, 0);
    int crashed_at = -1;
    for (int t = 0; t < 3 * 128 && crashed_at < 0; t++) {
      cruise(30, 0, 1);
      if (rider_down(bike)) crashed_at = t;
    }
    EXPECT_EQ(crashed_at >= 0, c.crash);
    if (crashed_at >= 0) {
      hold(0, 0, 0, CRASH_TICS - 2);
      EXPECT_TRUE(rider_down(bike));
      hold(0, 0, 0, 4);
      EXPECT_FALSE(rider_down(bike));
      EXPECT_EQ(bike->crash_count, 1);
    }
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

bool record_finite(const Bike* b) {
  const float values[] = {b->throttle, b->clutch, b->front_brake, b->rear_brake, b->steering, b->sit_dab,
                          b->back_up, b->lean, b->engine_angle, b->engine_speed, b->counter_steer,
                          b->landing_damping_multiplier, b->dab_extension, b->feet[0][0], b->feet[0][1],
                          b->feet[1][2], b->feet_velocity[1][1]};
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return b->gear >= 0 && b->gear < BIKE_GEARS;
}

// Ten minutes of every control at random, a quarter second at a time, on
// bumpy ground: an arcade bike and a realistic one, far apart. Nothing in
// the bike record or the bodies may stop being a number.
TEST_F(Riding, TenMinutesOfRandomRidingStayFinite) {
  flat_ground(8, 2.0f, 0);
  one_surface(1.05f, 3, 10);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> bump(-0.3f, 0.3f), unit(0, 1);
  for (int i = 0; i < terrain.dim * terrain.dim; i++) terrain.heights[i] = bump(random);
  terrain_update_range();
  settings_defaults();
  Bike* list[2];
  for (int i = 0; i < 2; i++) {
    choice_set_by_name(&settings.setup.arcade, i == 0 ? "Yes" : "No");
    list[i] = place_bike(i, 300 + 400 * i, 512);
    ASSERT_TRUE(apply_bike_setup(list[i]));
  }
  for (int quarter = 0; quarter < 600 * 4; quarter++) {
    for (Bike* b : list) {
      set_throttle(b, unit(random));
      set_clutch(b, unit(random) < 0.2f ? unit(random) : 1);
      set_front_brake(b, unit(random) < 0.3f ? unit(random) : 0);
      set_rear_brake(b, unit(random) < 0.3f ? unit(random) : 0);
      set_steering(b, 2 * unit(random) - 1);
      set_lean(b, 2 * unit(random) - 1);
      set_sit_dab(b, unit(random) < 0.2f ? 1 : 0);
      set_back_up(b, unit(random) < 0.05f ? 1 : 0);
      shift(b, (int)(unit(random) * 3) - 1);
    }
    ride({list[0], list[1]}, 32);
    for (Bike* b : list) {
      ASSERT_TRUE(bike_finite(b)) << "quarter " << quarter;
      ASSERT_TRUE(record_finite(b)) << "quarter " << quarter;
      float p[3];
      bike_frame_position(b, p);
      if (std::fabs(p[0] - 512) > 400 || std::fabs(p[2] - 512) > 400) {
        bike_reset(b);
        bike_translate(b, b == list[0] ? 300.0f : 700.0f, 1, 512);
        bike_raise_until_clear(b);
      }
    }
  }
}

}  // namespace
}  // namespace bike_test
