// Tyres and collision shapes touching the ground, statues and other bikes.
#include <cstring>

#include "gfx/gfx.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

using BikeContact = PhysicsTest;

// The wheel's own joints (its axle) plus any contact made for it.
int joints_on(dBodyID body) { return dBodyGetNumJoints(body); }

// Front wheel of a bike held with its tyre's lowest point `sink` feet into
// level ground at height 0 (negative: above it).
Bike* wheel_over_ground(float sink) {
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  const WheelBlock& w = b->info->front_wheel;
  float outer = w.tire_ring_radius + w.tire_section_radius;
  bike_translate(b, 32 - w.center[0], outer - sink - w.center[1], 32 - w.center[2]);
  return b;
}

TEST_F(BikeContact, TyreRecordFollowsTheDeepestTouch) {
  flat_ground(4, 2.0f, 0);
  Bike* b = wheel_over_ground(0.1f);
  dBodyID wheel = b->bodies[BODY_FRONT_WHEEL];
  dBodySetLinearVel(wheel, 1, 0, -5);
  dBodySetAngularVel(wheel, -2, 0, 0);  // rolling forwards, slower than the ground
  int before = joints_on(wheel);
  ASSERT_EQ(tire_contact(b, WHEEL_FRONT, 1), 1);
  EXPECT_EQ(joints_on(wheel), before + 1);
  const ContactRecord* c = bike_contact(b, WHEEL_FRONT);
  EXPECT_NEAR(c->depth, 0.1f, 1e-4);
  EXPECT_NEAR(c->point[0], 32, 1e-4);
  EXPECT_NEAR(c->point[1], -0.1f, 1e-4);  // the tyre's lowest point
  EXPECT_NEAR(c->point[2], 32, 1e-4);
  EXPECT_NEAR(c->normal[1], 1, 1e-6);
  // Point velocity = v + w x r with r from the hub down to that point.
  float r = c->ring_radius + c->section_radius;
  EXPECT_NEAR(c->point_velocity[0], 1, 1e-4);
  EXPECT_NEAR(c->point_velocity[1], 0, 1e-4);
  EXPECT_NEAR(c->point_velocity[2], -5 + 2 * r, 1e-4);
  physics_world_step();  // the joint's feedback is the ground holding the wheel up
  EXPECT_EQ(joints_on(wheel), before);
}

TEST_F(BikeContact, TyreJustTouchingMakesNoContactNorDrag) {
  flat_ground(4, 2.0f, 0);
  for (float sink : {0.0f, -0.01f}) {
    Bike* b = wheel_over_ground(sink);
    dBodyID wheel = b->bodies[BODY_FRONT_WHEEL];
    dBodySetLinearVel(wheel, 0, 0, -10);
    int before = joints_on(wheel);
    b->contacts[WHEEL_FRONT].depth = 0.5f;  // stale from an earlier tic
    EXPECT_EQ(tire_contact(b, WHEEL_FRONT, 1), 0);
    EXPECT_EQ(b->contacts[WHEEL_FRONT].depth, 0);
    EXPECT_EQ(joints_on(wheel), before);
    const dReal* f = dBodyGetForce(wheel);
    EXPECT_EQ(f[0], 0);
    EXPECT_EQ(f[2], 0);
  }
}

// Rolling resistance: against the motion along the ground, growing from the
// shallow to the deep value with the tyre's compression, and with speed
// only up to 1 ft/s.
TEST_F(BikeContact, RollingResistanceOpposesTheMotionAlongTheGround) {
  struct Case {
    float vx, vy, vz, sink;
    float fx, fz;  // expected force
  } cases[] = {
      {0, 0, -10, 0.1f, 0, 10 + 20 * 0.3f},           // 30% compressed: 16 lbf
      {0, -3, -10, 0.1f, 0, 10 + 20 * 0.3f},          // the normal part of the motion doesn't count
      {0, 0, 0.5f, 0.1f, 0, -0.5f * (10 + 20 * 0.3f)},  // slower than 1 ft/s: in proportion
      {6, 0, 8, 0.3f, -0.6f * (10 + 20 * 0.9f), -0.8f * (10 + 20 * 0.9f)},  // nearly the deep value
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vz);
    flat_ground(4, 2.0f, 0);
    one_surface(1, 10, 30);
    Bike* b = wheel_over_ground(c.sink);
    b->contacts[WHEEL_FRONT].section_radius = 1.0f / 3;  // compression = sink x 3
    dBodyID wheel = b->bodies[BODY_FRONT_WHEEL];
    dBodySetLinearVel(wheel, c.vx, c.vy, c.vz);
    ASSERT_EQ(tire_contact(b, WHEEL_FRONT, 1), 1);
    const dReal* f = dBodyGetForce(wheel);
    EXPECT_NEAR(f[0], c.fx, 0.01);
    EXPECT_NEAR(f[1], 0, 1e-6);
    EXPECT_NEAR(f[2], c.fz, 0.01);
  }
}

// Grip comes from the surface under the tyre: on ice a wheel pushed
// sideways keeps sliding, on dirt it stops.
TEST_F(BikeContact, GripComesFromTheSurface) {
  struct Case {
    float friction;
    bool stops;
  } cases[] = {{0, false}, {1.2f, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.friction);
    flat_ground(6, 2.0f, 0);
    one_surface(c.friction, 0, 0);
    Bike* b = place_bike(0, 128, 128);
    ride({b}, 128);
    for (int i = 0; i < BIKE_BODIES; i++) dBodySetLinearVel(b->bodies[i], 3, 0, 0);
    ride({b}, 32);
    // Where the tyres meet the ground the sideways slide has stopped.
    for (int w : {WHEEL_FRONT, WHEEL_REAR}) {
      float vx = b->contacts[w].point_velocity[0];
      if (c.stops)
        EXPECT_LT(std::fabs(vx), 0.5f);
      else
        EXPECT_GT(vx, 2.5f);
    }
    physics_world_destroy();
    ASSERT_TRUE(physics_world_create());
  }
}

// A rider's shape touching the ground upside down and moving fast throws
// him off; slower, or the right way up, it doesn't.
TEST_F(BikeContact, RiderUpsideDownOnTheGroundCrashes) {
  struct Case {
    bool upside_down;
    float speed;
    bool crashes;
  } cases[] = {{true, 6, true}, {true, 4, false}, {false, 6, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    flat_ground(5, 2.0f, 0);
    Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
    if (c.upside_down) bike_rotate(b, 0, 0, 1, (float)M_PI);
    bike_translate(b, 32, 0, 32);
    // Lower the whole bike until the rider's shape is in the ground.
    float y = (float)dBodyGetPosition(b->bodies[BODY_RIDER])[1];
    bike_translate(b, 0, -y + 0.3f, 0);
    for (int i = 0; i < BIKE_BODIES; i++) dBodySetLinearVel(b->bodies[i], c.speed, 0, 0);
    EXPECT_EQ(bike_ground_contacts(b), 1);
    EXPECT_EQ(rider_down(b), c.crashes);
    EXPECT_TRUE(b->touched_down);
    bike_reset(b);
    EXPECT_FALSE(b->touched_down);
    dJointGroupEmpty(physics.contact_group);
  }
}

TEST_F(BikeContact, PenaltyModePushesBothBikesApartWithoutJoints) {
  flat_ground(6, 2.0f, 0);
  Bike* a = place_bike(0, 128, 128);
  Bike* b = place_bike(1, 128.5f, 128);
  int joints = joints_on(a->bodies[BODY_FRAME]);
  int bits = bike_bike_contacts(a, b, true);
  EXPECT_TRUE(bits & BIKE_PART_FRAME);
  EXPECT_TRUE(bits & BIKE_PART_RIDER);
  EXPECT_EQ(joints_on(a->bodies[BODY_FRAME]), joints);
  const dReal* fa = dBodyGetForce(a->bodies[BODY_FRAME]);
  const dReal* fb = dBodyGetForce(b->bodies[BODY_FRAME]);
  EXPECT_LT(fa[0], 0);  // a is pushed away from b, along -x
  EXPECT_GT(fb[0], 0);
  // The parts of b that touched a, seen from b.
  for (int i = 0; i < BIKE_BODIES; i++) {
    dBodySetForce(a->bodies[i], 0, 0, 0);
    dBodySetForce(b->bodies[i], 0, 0, 0);
  }
  EXPECT_EQ(bike_bike_contacts(b, a, true), bits);
}

// Rubbing shoulders at speed (parts of the same kind touching) upsets both
// riders briefly; ramming another moving bike upsets the one who rams for
// longer, and a struck rider's negative timer drops to -640. Each bike here
// has a single one-sphere shape on the part named, the parts 1.5 ft apart
// with bike b ahead.
TEST_F(BikeContact, CollisionTimers) {
  const char* text = "1\n0 0 0 1 0.5 5000 250\n";
  Shape* ball = shape_parse(text, std::strlen(text), "ball");
  ASSERT_TRUE(ball);
  struct Case {
    int part_a, part_b;
    float speed_a, speed_b, timer_b;
    float expect_a, expect_b;
  } cases[] = {
      {BODY_FORK_UPPER, BODY_FORK_UPPER, 12, 12, 0, 128, 128},
      {BODY_FORK_UPPER, BODY_FORK_UPPER, 12, 8, 0, 128, 0},
      {BODY_FRONT_WHEEL, BODY_RIDER, 20, 6, -5, 192, -640},
      {BODY_FRONT_WHEEL, BODY_RIDER, 20, 6, 0, 192, 0},
      {BODY_FRONT_WHEEL, BODY_RIDER, 20, 4, -5, 0, -5},  // the struck bike barely moving
      {BODY_FRONT_WHEEL, BODY_RIDER, 8, 6, -5, 0, -5},   // the one behind too slow
  };
  Bike* a = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  Bike* b = bike_create("yz250f(2017)", 1, true, 2, nullptr, nullptr, nullptr, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.part_a << " " << c.part_b << " " << c.speed_a << " " << c.speed_b);
    bike_reset(a);
    bike_reset(b);
    for (int i = 0; i < BIKE_BODIES; i++) a->shapes[i] = b->shapes[i] = nullptr;
    a->shapes[c.part_a] = ball;
    b->shapes[c.part_b] = ball;
    const dReal* pa = dBodyGetPosition(a->bodies[c.part_a]);
    const dReal* pb = dBodyGetPosition(b->bodies[c.part_b]);
    bike_translate(b, (float)(pa[0] - pb[0]), (float)(pa[1] - pb[1]), (float)(pa[2] - pb[2]) - 1.5f);
    for (int i = 0; i < BIKE_BODIES; i++) {
      dBodySetLinearVel(a->bodies[i], 0, 0, -c.speed_a);
      dBodySetLinearVel(b->bodies[i], 0, 0, -c.speed_b);
    }
    b->collision_timer = c.timer_b;
    physics.tic = 77;
    EXPECT_EQ(bike_bike_contacts(a, b, false), 1 << c.part_a);
    EXPECT_EQ(a->collision_timer, c.expect_a);
    EXPECT_EQ(b->collision_timer, c.expect_b);
    EXPECT_EQ(a->last_bike_contact_tic, 77);
    EXPECT_EQ(b->last_bike_contact_tic, 77);
    dJointGroupEmpty(physics.contact_group);
  }
  for (int i = 0; i < BIKE_BODIES; i++) a->shapes[i] = b->shapes[i] = nullptr;
  shape_free(ball);
}

TEST_F(BikeContact, StaticShapePushesTheBikeBack) {
  flat_ground(6, 2.0f, 0);
  Bike* b = place_bike(0, 128, 128);
  const char* text = "1\n0 0 0 0.5 0.5 5000 250\n";
  Shape* post = shape_parse(text, std::strlen(text), "post");
  ASSERT_TRUE(post);
  const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const dReal* front = dBodyGetPosition(b->bodies[BODY_FRONT_WHEEL]);
  float far_away[3] = {(float)front[0], (float)front[1], (float)front[2] - 5};
  EXPECT_EQ(bike_static_shape_contacts(b, post, far_away, identity), 0);
  float touching[3] = {(float)front[0], (float)front[1], (float)front[2] - 1.2f};
  EXPECT_EQ(bike_static_shape_contacts(b, post, touching, identity), BIKE_PART_FRONT_WHEEL);
  ride({b}, 1);
  EXPECT_GT(dBodyGetLinearVel(b->bodies[BODY_FRONT_WHEEL])[2], 0.01);  // pushed back, +z
  bike_set_absent(b);
  EXPECT_EQ(bike_static_shape_contacts(b, post, touching, identity), 0);
  shape_free(post);
}

// Bikes simulated elsewhere get their records from the fast query, once
// per tic; bikes simulated here are left to their tyre contacts.
TEST_F(BikeContact, RemoteBikesQueryContactsOncePerTic) {
  flat_ground(5, 2.0f, 0);
  Bike* remote = bike_create("yz250f(2017)", 1, false, 1, nullptr, nullptr, nullptr, nullptr);
  bike_translate(remote, 32, 0, 32);  // at rest pose the tyres are slightly in the ground
  physics.tic = 5;
  wheel_contact_query(remote);
  EXPECT_GT(remote->contacts[WHEEL_FRONT].depth, 0);
  EXPECT_GT(remote->contacts[WHEEL_REAR].depth, 0);
  bike_translate(remote, 0, 10, 0);
  wheel_contact_query(remote);
  EXPECT_GT(remote->contacts[WHEEL_FRONT].depth, 0);  // same tic: kept
  physics.tic = 6;
  wheel_contact_query(remote);
  EXPECT_EQ(remote->contacts[WHEEL_FRONT].depth, 0);

  Bike* local = bike_create("yz250f(2017)", 2, true, 1, nullptr, nullptr, nullptr, nullptr);
  bike_translate(local, 32, 0, 32);
  wheel_contact_query(local);
  EXPECT_EQ(local->contacts[WHEEL_FRONT].depth, 0);
}

}  // namespace
}  // namespace bike_test
