// The pieces of a bike: bodies and joints as made, the suspension laws,
// presence, crashing and remounting, and refused or broken input.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "gfx/gfx.h"
#include "platform/platform.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

using BikeParts = PhysicsTest;

TEST_F(BikeParts, EveryModelIsBuiltWithItsMassesAndRestPose) {
  flat_ground(4, 2.0f, 0);
  for (int m = 0; m < BIKE_MODEL_COUNT; m++) {
    const BikeModel* info = bike_model(m);
    SCOPED_TRACE(info->name);
    Bike* b = bike_create(info->name, m % BIKE_SLOTS, true, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->model, m);
    dMass mass;
    dBodyGetMass(b->bodies[BODY_SWINGARM], &mass);
    EXPECT_NEAR(mass.mass, 2 * info->swingarm_mass, 1e-5);
    dBodyGetMass(b->bodies[BODY_RIDER], &mass);
    EXPECT_NEAR(mass.mass, info->rider_mass / 3, 1e-5);
    dBodyGetMass(b->bodies[BODY_FRAME], &mass);
    EXPECT_NEAR(mass.mass, info->frame_mass + info->rider_mass * 2 / 3, 1e-4);
    double sum = 0;
    for (int i = 0; i < BIKE_BODIES; i++) {
      dBodyGetMass(b->bodies[i], &mass);
      sum += mass.mass;
    }
    EXPECT_NEAR(b->total_mass, sum, 1e-4);
    const dReal* p = dBodyGetPosition(b->bodies[BODY_FORK_LOWER]);
    EXPECT_NEAR(p[1], info->fork_lower_position[1], 1e-6);
    EXPECT_EQ(dJointGetSliderPosition(b->joints[JOINT_FORK]), 0);
    EXPECT_EQ(dJointGetHingeAngle(b->joints[JOINT_SWINGARM]), 0);
    EXPECT_EQ(dJointGetBody(b->joints[JOINT_RIDER_MOUNT], 0), b->bodies[BODY_RIDER]);
  }
}

TEST_F(BikeParts, RotateTurnsEveryBodyAboutTheOriginAndTranslateMovesIt) {
  Bike* b = bike_create("yz250f(2017)", 3, true, 1, nullptr, nullptr, nullptr, nullptr);
  const BikeModel* m = b->info;
  bike_rotate(b, 0, 1, 0, (float)(M_PI / 2));
  bike_translate(b, 10, 1, -5);
  const dReal* p = dBodyGetPosition(b->bodies[BODY_REAR_WHEEL]);
  // A quarter turn about +y takes (x, y, z) to (z, y, -x).
  EXPECT_NEAR(p[0], m->rear_wheel.center[2] + 10, 1e-5);
  EXPECT_NEAR(p[1], m->rear_wheel.center[1] + 1, 1e-5);
  EXPECT_NEAR(p[2], -m->rear_wheel.center[0] - 5, 1e-5);
  EXPECT_NEAR(bike_heading(b), M_PI / 2, 1e-6);
  // Joints read as at rest: every body turned alike.
  EXPECT_NEAR(dJointGetHingeAngle(b->joints[JOINT_STEERING]), 0, 1e-9);
  bike_reset(b);
  EXPECT_NEAR(dBodyGetPosition(b->bodies[BODY_REAR_WHEEL])[2], m->rear_wheel.center[2], 1e-6);
}

// Setting down after editing: up 1/8 ft, then 1/4 ft at a time while still
// in the ground, then back down 1/8 ft.
TEST_F(BikeParts, SetDownLiftsABuriedBikeInQuarterFeet) {
  flat_ground(4, 2.0f, 0);
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  bike_translate(b, 32, -1, 32);
  ASSERT_TRUE(bike_penetrates_ground(b));
  double y0 = dBodyGetPosition(b->bodies[BODY_FRAME])[1];
  bike_set_down(b);
  double lift = dBodyGetPosition(b->bodies[BODY_FRAME])[1] - y0;
  EXPECT_NEAR(std::fmod(lift, 0.25), 0, 1e-5);
  bike_translate(b, 0, 0.125f, 0);
  EXPECT_FALSE(bike_penetrates_ground(b));
  bike_translate(b, 0, -0.25f, 0);
  EXPECT_TRUE(bike_penetrates_ground(b));
}

// Fork force with the default fork (travel 1 ft, air gap 5/12 ft): air
// spring, spring and damping, faded in over the last 1/32 of travel.
TEST_F(BikeParts, ForkForceLaw) {
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  b->fork_air_gap = 5.0f / 12;
  auto air = [](double c) { return 82.4616928 * (std::pow((17.0 / 12) / (17.0 / 12 - c), 1.4) - 1); };
  struct Case {
    float p, v, k, preload, hsc, ramp;
  } cases[] = {
      {0, 0, 500, 0.05f, 0, 0},           // full extension: nothing pushes
      {0, -3, 500, 0.05f, 60, 0},         // not even while compressing
      {-1, 0, 0, 0, 0, 1},                // the air spring alone: about 375 lbf
      {-1.0f / 64, 0, 400, 0, 0, 0.5f},   // half the force at 1/64 of travel
      {-0.5f, 0, 400, 0.1f, 0, 1},
      {-0.5f, -1, 400, 0.1f, 60, 1},      // compressing at 1 ft/s adds 60 lbf
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.p);
    b->fork_spring = c.k;
    b->fork_preload = c.preload;
    b->fork_damping = {c.hsc, 0, 30, 0};
    double expected = c.ramp * (air(-c.p) + (c.preload - c.p) * c.k + (c.v < 0 ? -c.v * c.hsc : 0));
    EXPECT_NEAR(fork_force(b, c.p, c.v), expected, 1e-3);
  }
  EXPECT_NEAR(air(1), 374.97, 0.01);
}

// Damping: the low-speed term shifts the linear force, inside one eighth to
// eight times it.
TEST_F(BikeParts, DampingStaysInsideItsBand) {
  struct Case {
    float v;
    SuspensionDamping d;
    float expected;
  } cases[] = {
      {0, {60, 60, 30, 30}, 0},
      {-1, {60, 0, 30, 0}, 60},         // linear compression
      {-1, {60, 30, 30, 0}, 90},        // shifted
      {-0.01f, {60, 60, 30, 0}, 4.8f},  // capped at eight times 0.6
      {-1, {60, -100, 30, 0}, 7.5f},    // never below an eighth
      {1, {60, 0, 30, 0}, -30},         // rebound pulls back
      {0.01f, {60, 0, 30, 30}, -2.4f},  // capped at eight times -0.3
      {2, {60, 0, 30, -100}, -7.5f},    // never weaker than an eighth
  };
  for (const auto& c : cases) EXPECT_NEAR(suspension_damping(c.v, &c.d), c.expected, 1e-4) << c.v;
}

TEST_F(BikeParts, LinkageCurveMeetsItsEndsAndSplit) {
  const float* l = bike_model(BIKE_DEFAULT_MODEL)->linkage;
  struct Case {
    float x, s, slope;
  } cases[] = {{0, 0, l[4]}, {l[3], l[0], l[5]}, {1, l[1], l[6]}};
  for (const auto& c : cases) {
    float s, r;
    linkage_eval(l, c.x, &s, &r);
    EXPECT_NEAR(s, c.s, 1e-5) << c.x;
    EXPECT_NEAR(r, c.slope, 1e-4) << c.x;
  }
  // Just above the split the second segment starts where the first ended.
  float s1, r1, s2, r2;
  linkage_eval(l, l[3] - 1e-4f, &s1, &r1);
  linkage_eval(l, l[3] + 1e-4f, &s2, &r2);
  EXPECT_NEAR(s1, s2, 1e-3);
  EXPECT_NEAR(r1, r2, 1e-2);
}

TEST_F(BikeParts, ShockTorqueRampsInFromFullExtension) {
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  float travel = b->info->linkage[2];
  EXPECT_EQ(shock_torque(b, 0, 0), 0);
  float at_64th = shock_torque(b, -travel / 64, 0);
  float s, r;
  linkage_eval(b->info->linkage, 1.0f / 64, &s, &r);
  EXPECT_NEAR(at_64th, 0.5f * (s + b->shock_preload) * b->shock_spring * r, 1e-2);
  EXPECT_GT(shock_torque(b, -travel / 2, 0), shock_torque(b, -travel / 4, 0));
  // Compressing fast adds to it; extending fast takes away.
  EXPECT_GT(shock_torque(b, -travel / 2, -1), shock_torque(b, -travel / 2, 0));
  EXPECT_LT(shock_torque(b, -travel / 2, 1), shock_torque(b, -travel / 2, 0));
}

// A negative force only brakes the fork: the motor aims at standing still
// with at most that force, never pulling the fork in.
TEST_F(BikeParts, ForkMotorNeverPullsTheForkIn) {
  flat_ground(4, 2.0f, 0);
  Bike* b = place_bike(0, 32, 32);
  ride({b}, 128);
  dJointID fork = b->joints[JOINT_FORK];
  EXPECT_EQ(dJointGetSliderParam(fork, dParamVel), 100);
  b->fork_preload = -0.5f;  // a spring that would pull
  float p = (float)dJointGetSliderPosition(fork), v = (float)dJointGetSliderPositionRate(fork);
  float f = fork_force(b, p, v);
  ASSERT_LT(f, 0);
  bike_tic(b);
  EXPECT_EQ(dJointGetSliderParam(fork, dParamVel), 0);
  EXPECT_NEAR(dJointGetSliderParam(fork, dParamFMax), -f, 1e-3);
}

struct PresenceCase {
  float before;
  void (*op)(Bike*);
  float after;
  bool solid;
};

TEST_F(BikeParts, PresenceOperations) {
  const PresenceCase cases[] = {
      {1, bike_set_absent, 0, false},     {0, bike_set_present, 1, true},  {0, bike_touch, 0.25f, false},
      {0.25f, bike_touch, 1, true},       {0.1f, bike_touch, 1, true},     {0.6f, bike_touch, 0.6f, true},
      {1, bike_fade, 1 - 1.0f / 128, true}, {0.25f + 1.0f / 256, bike_fade, 0.25f - 1.0f / 256, false},
      {0, bike_fade, 0, false},
  };
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  for (const PresenceCase& c : cases) {
    SCOPED_TRACE(c.before);
    b->presence = c.before;
    // A ghost's gathered forces are dropped when it becomes solid.
    dBodyAddForce(b->bodies[BODY_FRAME], 100, 0, 0);
    c.op(b);
    EXPECT_FLOAT_EQ(b->presence, c.after);
    EXPECT_EQ(bike_solid(b), c.solid);
    for (int i = 0; i < BIKE_BODIES; i++) EXPECT_EQ(dBodyIsEnabled(b->bodies[i]) != 0, c.solid);
    const dReal* f = dBodyGetForce(b->bodies[BODY_FRAME]);
    EXPECT_EQ(f[0] == 0, c.before <= 0.25f);
    dBodySetForce(b->bodies[BODY_FRAME], 0, 0, 0);
  }
}

TEST_F(BikeParts, CrashReleasesTheRiderForItsTimeThenRemounts) {
  flat_ground(5, 2.0f, 0);
  crash_delay_set(15, 100);
  crash_delay_set(3, 1000000);  // beyond what a server may ask
  EXPECT_EQ(physics.crash_delay[3], CRASH_DELAY_MAX);
  Bike* b = place_bike(0, 64, 64);
  b->crash_count = 20;
  rider_crash(b);
  EXPECT_TRUE(rider_down(b));
  EXPECT_EQ(b->crash_timer, 512 + 100);
  EXPECT_EQ(b->crash_count, 21);
  EXPECT_EQ(dJointGetBody(b->joints[JOINT_RIDER_MOUNT], 0), nullptr);
  // Down, the rider can't open the throttle; a second crash changes nothing.
  set_throttle(b, 1);
  EXPECT_EQ(b->throttle, 0);
  rider_crash(b);
  EXPECT_EQ(b->crash_timer, 612);
  ride({b}, 611);
  EXPECT_TRUE(rider_down(b));
  ride({b}, 1);
  EXPECT_FALSE(rider_down(b));
  EXPECT_EQ(dJointGetBody(b->joints[JOINT_RIDER_MOUNT], 0), b->bodies[BODY_RIDER]);
  // Back on the bike at his place on the frame, however the frame lies.
  const float* rp = b->info->rider_position;
  const float* fp = b->info->frame_position;
  dVector3 rest;
  dBodyGetRelPointPos(b->bodies[BODY_FRAME], rp[0] - fp[0], rp[1] - fp[1], rp[2] - fp[2], rest);
  const dReal* rider = dBodyGetPosition(b->bodies[BODY_RIDER]);
  for (int i = 0; i < 3; i++) EXPECT_NEAR(rider[i], rest[i], 1e-6);
  // A rider whose collision timer is negative doesn't come off.
  b->collision_timer = -10;
  rider_crash(b);
  EXPECT_FALSE(rider_down(b));
}

TEST_F(BikeParts, ControlSettersClamp) {
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  set_throttle(b, 2);
  set_steering(b, -3);
  set_lean(b, 0.5f);
  set_clutch(b, -1);
  set_front_brake(b, std::nanf(""));
  EXPECT_EQ(b->throttle, 1);
  EXPECT_EQ(b->steering, -1);
  EXPECT_EQ(b->lean, 0.5f);
  EXPECT_EQ(b->clutch, 0);
  EXPECT_EQ(b->front_brake, 0);
}

TEST_F(BikeParts, SlotOutOfRangeMakesNoBike) {
  EXPECT_EQ(bike_create("yz250f(2017)", 160, true, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(bike_create("yz250f(2017)", -1, true, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_NE(bike_create("yz250f(2017)", 159, true, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

// Without its files a bike is still made, only without collision shapes and
// models, and the log says which files were missing.
TEST_F(BikeParts, MissingFilesAreLoggedAndTheBikeIsStillMade) {
  std::filesystem::path empty = std::filesystem::path(DW_BINARY_DIR) / "bike_test_tmp" / "empty_data";
  std::filesystem::create_directories(empty);
  use_data(empty.string());
  delete_all_shapes();
  delete_all_models();
  std::string log = (std::filesystem::path(DW_BINARY_DIR) / "bike_test_tmp" / "missing.log").string();
  std::remove(log.c_str());
  setenv("WEFT_LOGFILE", log.c_str(), 1);
  log_reset_for_test();
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  log_close();
  unsetenv("WEFT_LOGFILE");
  log_reset_for_test();
  ASSERT_TRUE(b);
  for (int i = 0; i < BIKE_BODIES; i++) EXPECT_EQ(b->shapes[i], nullptr);
  std::ifstream f(log);
  std::stringstream text;
  text << f.rdbuf();
  EXPECT_NE(text.str().find("Warning: Can't load @generic_frame.shp\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("Warning: Can't load @yz250fv2014_frame.qm\n"), std::string::npos);
  // It still stands on its tyres.
  flat_ground(4, 2.0f, 0);
  bike_translate(b, 32, 0, 32);
  bike_raise_until_clear(b);
  ride({b}, 256);
  EXPECT_TRUE(bike_finite(b));
  EXPECT_GT(b->contacts[WHEEL_REAR].depth, 0);
}

}  // namespace
}  // namespace bike_test
