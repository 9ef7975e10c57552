// A ridden bike on level hard-pack ground with the default setup and riding
// aids (realistic steering): starting, cruising, braking, turning, the
// clutch, landings and crashes. Figures are printed for the record. The
// ground is 4096 ft a side (the flat test track is too small to ride a
// minute on) with the flat track's hard-pack grip and rolling resistance.
#include <cstdio>
#include <cstdarg>

#include "files/settings.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {
void dbg_msg(int n, const char* m, va_list) { std::printf("ODEMSG tic %d %d %s rider_down %d sit %f fb %f rb %f\n", physics.tic, n, m, rider_down(&bikes[0]), bikes[0].sit_dab, bikes[0].front_brake, bikes[0].rear_brake); }

struct Riding : PhysicsTest {
  Bike* bike = nullptr;
  void SetUp() override {
    PhysicsTest::SetUp();
    flat_ground(8, 2.0f, 0);
    one_surface(1.05f, 3, 10);
    settings_defaults();
    choice_set_by_name(&settings.setup.arcade, "No");
    bike = place_bike(0, 512, 900, 0);
    ASSERT_TRUE(bike);
    ASSERT_TRUE(apply_bike_setup(bike)); dSetMessageHandler(dbg_msg);
    for (int i = 0; i < 7; i++) { dMass m; dBodyGetMass(bike->bodies[i], &m); std::printf("DBG mass %d %f en %d\n", i, m.mass, dBodyIsEnabled(bike->bodies[i])); }
    std::printf("DBG fork %f %f %f shock %f %f fd %f lsr %f %f %f %f\n", bike->fork_spring, bike->fork_preload, bike->fork_air_gap, bike->shock_spring, bike->shock_preload, bike->final_drive, bike->fork_damping.hsc, bike->fork_damping.lsc, bike->shock_damping.hsr, bike->rider_mass_distribution);
    for (int t = 0; t < 40; t++) { ride({bike}, 1); float q[3]; bike_frame_position(bike, q); std::printf("DBG t%d y=%f d=%f %f\n", t, q[1], bike->contacts[0].depth, bike->contacts[1].depth);
      const dReal* w = dBodyGetPosition(bike->bodies[1]); const dReal* R = dBodyGetRotation(bike->bodies[1]);
      std::printf("DBG wheel %f %f %f axle %f %f %f gmh %f\n", w[0], w[1], w[2], R[0], R[4], R[8], 0.0); }
    ride({bike}, 56);
    float p[3]; bike_frame_position(bike, p);
    std::printf("DBG pos %f %f %f h=%f depth %f %f\n", p[0], p[1], p[2], terrain_height(p[0], p[2]), bike->contacts[0].depth, bike->contacts[1].depth);
  }
  // Rides n tics with the given controls held; returns tics ridden.
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
    for (int t = 0; t < tics; t++) {
      float u = bike_speed(bike);
      hold(clampf((speed - u) * 0.5f, 0, 1), steering, 0, 1);
    }
  }
  static float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
};

TEST_F(Riding, StandsStillWithTheAids) {
  hold(0, 0, 0, 20 * 128);
  EXPECT_LT(std::fabs(lean_angle(bike)), 0.5f);
  EXPECT_LT(bike_speed(bike), 0.2f);
  EXPECT_FALSE(rider_down(bike));
  std::printf("standing: lean %.3f rad after 20 s\n", lean_angle(bike));
}

TEST_F(Riding, FullThrottleFromRestShiftsUpAndReaches40) {
  int tics = 0, top_gear = 0;
  while (bike_speed(bike) < 40 && tics < 30 * 128) {
    hold(1, 0, 0, 1);
    tics++;
    top_gear = std::max(top_gear, bike_gear(bike));
  }
  std::printf("0-40 ft/s: %.2f s, gear %d, rpm %.0f, lean %.3f\n", tics / 128.0, bike_gear(bike) + 1, engine_rpm(bike),
              lean_angle(bike));
  EXPECT_LT(tics, 6 * 128);
  EXPECT_GT(tics, 128);
  hold(1, 0, 0, 6 * 128);
  std::printf("after 6 s more: speed %.1f gear %d rpm %.0f\n", bike_speed(bike), bike_gear(bike) + 1, engine_rpm(bike));
  EXPECT_GE(bike_gear(bike), 2);
  EXPECT_FALSE(rider_down(bike));
}

TEST_F(Riding, StaysUprightRidingStraightForAMinute) {
  float worst = 0;
  for (int s = 0; s < 60; s++) {
    cruise(30, 0, 128);
    worst = std::max(worst, std::fabs(lean_angle(bike)));
  }
  std::printf("straight 60 s: speed %.1f, worst lean %.3f, heading %.3f\n", bike_speed(bike), worst, bike_heading(bike));
  EXPECT_LT(worst, 0.2f);
  EXPECT_GT(bike_speed(bike), 25);
  EXPECT_FALSE(rider_down(bike));
}

}  // namespace
}  // namespace bike_test
