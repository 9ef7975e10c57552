// A whole bike in the world: settling, rolling, slopes, bikes against bikes,
// ghosts, and a long ride with random shoves.
#include <random>

#include "files/settings.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

using BikeRide = PhysicsTest;

// With the menus' default setup: the rider puts a foot down and holds the
// brakes when stopped.
TEST_F(BikeRide, DroppedOnTheFlatTestTrackSettlesAndStaysPut) {
  ASSERT_TRUE(track_select_and_load("tracks/flattest", false));
  Bike* b = place_bike(0, 20, 40, 0, 1.0f);
  ASSERT_TRUE(b);
  settings_defaults();
  ASSERT_TRUE(apply_bike_setup(b));
  ride({b}, 10 * 128);
  double before[3], after[3];
  frame_position(b, before);
  float fork_before = bike_fork_position(b), shock_before = bike_swingarm_position(b);
  ride({b}, 2 * 128);
  frame_position(b, after);
  for (int i = 0; i < 3; i++) EXPECT_NEAR(after[i], before[i], 0.003) << "axis " << i;
  EXPECT_NEAR(bike_fork_position(b), fork_before, 0.003);
  EXPECT_NEAR(bike_swingarm_position(b), shock_before, 0.003);
  EXPECT_LT(bike_speed(b), 0.01f);
  // Sag as a share of travel: the rear carries more of the rider.
  EXPECT_GT(bike_fork_position(b), 0.05f);
  EXPECT_LT(bike_fork_position(b), 0.4f);
  EXPECT_GT(bike_swingarm_position(b), 0.15f);
  EXPECT_LT(bike_swingarm_position(b), 0.5f);
  EXPECT_GT(b->contacts[WHEEL_FRONT].depth, 0);
  EXPECT_GT(b->contacts[WHEEL_REAR].depth, 0);
  EXPECT_NEAR(lean_angle(b), 0, 1e-3);
  EXPECT_FALSE(rider_down(b));
}

// Rolling at 30 ft/s, the only loss is the tyres' rolling resistance: none
// on a surface without it, and about the curve's force on one with it.
TEST_F(BikeRide, RollsStraightAndSlowsOnlyByRollingResistance) {
  struct Case {
    float shallow, deep;
  } cases[] = {{0, 0}, {5, 15}, {20, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shallow);
    flat_ground(8, 2.0f, 0);
    one_surface(1.0f, c.shallow, c.deep);
    Bike* b = place_bike(0, 512, 900);
    ride({b}, 128);
    bike_set_speed(b, 30);
    double start[3], end[3];
    frame_position(b, start);
    ride({b}, 3 * 128);
    frame_position(b, end);
    EXPECT_NEAR(end[0], start[0], 0.02);
    EXPECT_NEAR(bike_heading(b), 0, 0.002);
    EXPECT_LT(end[2], start[2] - 60);  // forwards is -z
    // Each tyre sinks about a third of its section at rest.
    double per_wheel = c.shallow + (c.deep - c.shallow) / 3.0;
    double expected_loss = 2 * per_wheel / b->total_mass * 3;
    EXPECT_NEAR(30 - bike_speed(b), expected_loss, 0.1 + 0.25 * expected_loss);
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

TEST_F(BikeRide, RollsDownhill) {
  sloped_ground(7, 2.0f, 0.1f);  // rising towards +z
  one_surface(1.0f, 2, 4);
  Bike* b = place_bike(0, 256, 256);
  double start[3], end[3];
  frame_position(b, start);
  ride({b}, 3 * 128);
  frame_position(b, end);
  EXPECT_LT(end[2], start[2] - 5);
  EXPECT_LT(end[1], start[1] - 0.5);
  // Free rolling down a 10% slope: about g sin(a) less rolling losses.
  float v[3];
  bike_frame_velocity(b, v);
  EXPECT_LT(v[2], -3 * 32 * 0.0995 * 0.6);
  EXPECT_GT(v[2], -3 * 32 * 0.0995 * 1.05);
}

// Bikes set down with their handlebars tangled, or one's rear tyre on the
// other's front tyre, push each other apart until nothing touches; a ghost
// (presence 0) stays where it is and nothing touches it.
TEST_F(BikeRide, OverlappingBikesPushApartAndAGhostPassesThrough) {
  struct Case {
    float dx, dz;
    bool ghost;
  } cases[] = {{2.45f, 0, false}, {0, -7.0f, false}, {2.45f, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << " " << c.dz << " ghost " << c.ghost);
    flat_ground(6, 2.0f, 0);
    Bike* a = place_bike(0, 128, 128);
    Bike* b = place_bike(1, 128 + c.dx, 128 + c.dz);
    if (c.ghost) bike_set_absent(b);
    int touching = bike_bike_contacts(a, b, false);
    dJointGroupEmpty(physics.contact_group);
    EXPECT_EQ(touching != 0, !c.ghost);
    double pa[3], pb[3], qa[3], qb[3];
    frame_position(a, pa);
    frame_position(b, pb);
    ride({a, b}, 128);
    frame_position(a, qa);
    frame_position(b, qb);
    double before = std::hypot(pb[0] - pa[0], pb[2] - pa[2]), after = std::hypot(qb[0] - qa[0], qb[2] - qa[2]);
    if (c.ghost) {
      for (int i = 0; i < 3; i++) EXPECT_EQ(qb[i], pb[i]);  // a ghost isn't simulated
      EXPECT_NEAR(qa[0], pa[0], 0.01);                      // nor does it push
      EXPECT_EQ(bike_bike_contacts(a, b, false), 0);
    } else {
      EXPECT_GT(after, before + 0.05);
      EXPECT_EQ(bike_bike_contacts(a, b, false), 0);
    }
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

// Ten minutes of random controls and hard shoves on bumpy ground, two bikes
// close together: every number stays finite and no body runs away.
TEST_F(BikeRide, TenMinutesOfRandomShovesStayFinite) {
  flat_ground(6, 2.0f, 0);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> bump(-0.4f, 0.4f);
  for (int i = 0; i < terrain.dim * terrain.dim; i++) terrain.heights[i] = bump(random);
  terrain_update_range();
  Bike* a = place_bike(0, 120, 128);
  Bike* b = place_bike(1, 124, 128);
  std::uniform_real_distribution<float> unit(-1, 1);
  for (int second = 0; second < 600; second++) {
    for (Bike* x : {a, b}) {
      set_steering(x, unit(random));
      set_lean(x, unit(random));
      dBodyID body = x->bodies[random() % BIKE_BODIES];
      dBodyAddForce(body, 3000 * unit(random), 3000 * unit(random), 3000 * unit(random));
      dBodyAddTorque(body, 1500 * unit(random), 1500 * unit(random), 1500 * unit(random));
    }
    ride({a, b}, 128);
    for (Bike* x : {a, b}) {
      ASSERT_TRUE(bike_finite(x)) << "second " << second;
      float p[3];
      bike_frame_position(x, p);
      ASSERT_LT(bike_speed(x), 500.0f) << "second " << second;
      ASSERT_GT(p[1], -10.0f) << "fell through the ground at second " << second;
      // Off the grid the edge heights carry on; keep the bikes near it.
      if (std::fabs(p[0] - 128) > 100 || std::fabs(p[2] - 128) > 100) {
        bike_reset(x);
        bike_translate(x, x == a ? 120.0f : 124.0f, 0, 128);
        bike_raise_until_clear(x);
      }
    }
  }
}

}  // namespace
}  // namespace bike_test
