// Engine, gearbox, clutch and brakes of one bike, and the rider's controls
// that feed them.
#include "bike/bike_local.h"
#include "core/game.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

using Drivetrain = PhysicsTest;

Bike* new_bike() { return bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr); }

void set_rpm(Bike* b, double rpm) { b->engine_speed = (float)(rpm / 9.549296585513721); }

TEST_F(Drivetrain, EngineTorqueFollowsTheTablesAndThrottle) {
  Bike* b = new_bike();
  const BikeModel* m = b->info;
  struct Case {
    double rpm, throttle, expected;
  } cases[] = {
      {0, 0, m->closed_torque[0]},
      {9000, 1, m->open_torque[18]},                                  // the peak, on a point
      {9250, 1, (m->open_torque[18] + m->open_torque[19]) / 2},       // halfway between points
      {9250, 0.5, (m->open_torque[18] + m->open_torque[19] + m->closed_torque[18] + m->closed_torque[19]) / 4},
      {30000, 1, m->open_torque[49]},                                 // past the table: the last entry
      {-500, 1, m->open_torque[0]},
  };
  for (const Case& c : cases) {
    set_rpm(b, c.rpm);
    b->throttle = (float)c.throttle;
    EXPECT_NEAR(engine_torque(b), c.expected, 1e-3) << c.rpm << " rpm, throttle " << c.throttle;
  }
  // Past the table the default engine brakes itself.
  set_rpm(b, 25000);
  EXPECT_LT(engine_torque(b), 0);
}

// Front wheel up, rear down: no power while the nose rises; a nose already
// falling faster than 1/32 rad/s keeps it.
TEST_F(Drivetrain, WheelieCut) {
  Bike* b = new_bike();
  b->flags |= BIKE_FLAG_WHEELIE_CUT;
  set_rpm(b, 9000);
  b->throttle = 1;
  b->contacts[WHEEL_FRONT].depth = 0;
  b->contacts[WHEEL_REAR].depth = 0.1f;
  dBodySetAngularVel(b->bodies[BODY_FRAME], 0.5, 0, 0);  // nose up
  EXPECT_EQ(engine_torque(b), 0);
  dBodySetAngularVel(b->bodies[BODY_FRAME], -0.1, 0, 0);  // nose falling
  EXPECT_NEAR(engine_torque(b), b->info->open_torque[18], 1e-3);
  dBodySetAngularVel(b->bodies[BODY_FRAME], 0.5, 0, 0);
  b->contacts[WHEEL_FRONT].depth = 0.1f;  // both wheels down
  EXPECT_GT(engine_torque(b), 0);
  b->flags &= ~BIKE_FLAG_WHEELIE_CUT;
  b->contacts[WHEEL_FRONT].depth = 0;
  EXPECT_GT(engine_torque(b), 0);
}

TEST_F(Drivetrain, GearsClampAndShiftOncePerPress) {
  Bike* b = new_bike();  // five gears
  set_gear(b, 5);
  EXPECT_EQ(bike_gear(b), 4);
  set_gear(b, -3);
  EXPECT_EQ(bike_gear(b), 0);
  for (int t = 0; t < 50; t++) shift(b, 1);  // key held
  EXPECT_EQ(bike_gear(b), 1);
  shift(b, 0);
  shift(b, 1);
  EXPECT_EQ(bike_gear(b), 2);
  shift(b, 0);
  shift(b, -1);
  shift(b, -1);
  EXPECT_EQ(bike_gear(b), 1);
  shift(b, 2);  // not a shift input
  EXPECT_EQ(bike_gear(b), 1);
  shift(b, 0);
  rider_crash(b);
  shift(b, 1);
  EXPECT_EQ(bike_gear(b), 1);
}

// Open at the auto clutch rpm and below, closed 2000 rpm above it; the lever
// can only open it further.
TEST_F(Drivetrain, AutomaticClutchEngagement) {
  Bike* b = new_bike();
  struct Case {
    double auto_rpm, rpm, lever, expected;
  } cases[] = {
      {5000, 4000, 1, 0}, {5000, 6000, 1, 0.5}, {5000, 6000, 0.25, 0.25}, {5000, 7000, 1, 1},
      {5000, 9000, 0.3, 0.3}, {0, 1000, 1, 0.5}, {0, 2500, 1, 1},
  };
  for (const Case& c : cases) {
    b->auto_clutch_rpm = (float)c.auto_rpm;
    set_rpm(b, c.rpm);
    b->clutch = (float)c.lever;
    EXPECT_NEAR(clutch_engagement(b), c.expected, 1e-4) << c.auto_rpm << " " << c.rpm << " " << c.lever;
  }
}

// Lever pulled, throttle shut: the engine idles where the closed-throttle
// torque is zero and the rear wheel is not driven.
TEST_F(Drivetrain, PulledClutchIdlesAt1500AndDrivesNothing) {
  flat_ground(6, 2.0f, -100);  // far below: the bike hangs in the air
  Bike* b = new_bike();
  for (int body = 0; body < BIKE_BODIES; body++) dBodySetGravityMode(b->bodies[body], 0);
  set_clutch(b, 0);
  ride({b}, 4 * 128);
  EXPECT_NEAR(engine_rpm(b), 1500, 20);
  EXPECT_NEAR(dJointGetHingeAngleRate(b->joints[JOINT_REAR_AXLE]), 0, 1e-3);
  // Let in, the idling engine turns the wheel.
  set_clutch(b, 1);
  b->auto_clutch_rpm = 0;
  ride({b}, 128);
  EXPECT_GT(dJointGetHingeAngleRate(b->joints[JOINT_REAR_AXLE]), 1);
}

// An antilock brake lets go for a tic whenever its tyre slides faster than
// 2 ft/s; a front brake with the rear wheel in the air does too under
// "Stop Wheelies".
TEST_F(Drivetrain, BrakesAndAntilock) {
  Bike* b = new_bike();
  struct Case {
    int flags;
    float front_depth, rear_depth, slide;
    double front, rear;  // torque expected at full levers
  } cases[] = {
      {BIKE_FLAG_FRONT_ANTILOCK, 0.1f, 0.1f, 3, 0, 250},
      {BIKE_FLAG_FRONT_ANTILOCK, 0.1f, 0.1f, 1, 250, 250},
      {BIKE_FLAG_FRONT_ANTILOCK, 0, 0, 3, 250, 250},  // in the air: nothing to slide on
      {BIKE_FLAG_REAR_ANTILOCK, 0.1f, 0.1f, 3, 250, 0},
      {BIKE_FLAG_WHEELIE_BRAKE, 0.1f, 0, 0, 0, 250},
      {0, 0.1f, 0.1f, 3, 250, 250},
  };
  for (const Case& c : cases) {
    b->flags = (uint8_t)(BIKE_FLAG_ALWAYS | c.flags);
    b->front_brake = b->rear_brake = 1;
    b->contacts[WHEEL_FRONT].depth = c.front_depth;
    b->contacts[WHEEL_REAR].depth = c.rear_depth;
    for (ContactRecord& r : b->contacts) r.point_velocity[0] = c.slide, r.point_velocity[1] = r.point_velocity[2] = 0;
    drivetrain_tic(b);
    EXPECT_NEAR(dJointGetHingeParam(b->joints[JOINT_FRONT_AXLE], dParamFMax), c.front, 1e-3) << c.flags;
    EXPECT_NEAR(dJointGetHingeParam(b->joints[JOINT_REAR_AXLE], dParamFMax), c.rear, 1e-3) << c.flags;
  }
}

// While the rider is down the throttle, sit/dab, back-up and lean setters
// store 0; the others still work.
TEST_F(Drivetrain, SettersWhileTheRiderIsDown) {
  Bike* b = new_bike();
  rider_crash(b);
  ASSERT_TRUE(rider_down(b));
  set_throttle(b, 1);
  set_sit_dab(b, 1);
  set_back_up(b, 1);
  set_lean(b, -1);
  set_front_brake(b, 0.5f);
  set_steering(b, 0.5f);
  EXPECT_EQ(b->throttle, 0);
  EXPECT_EQ(b->sit_dab, 0);
  EXPECT_EQ(b->back_up, 0);
  EXPECT_EQ(b->lean, 0);
  EXPECT_EQ(b->front_brake, 0.5f);
  EXPECT_EQ(b->steering, 0.5f);
}

TEST_F(Drivetrain, RidingInputReachesTheSlotsBike) {
  Bike* b = new_bike();
  RidingInput in{};
  in.steer = 2;
  in.throttle = 0.5;
  in.front_brake = 0.25;
  in.rear_brake = 0.75;
  in.sit_dab = 1;
  in.back_up = 0.5;
  in.lean = -0.5;
  in.clutch = 0.125;
  in.gear = 1;
  bike_apply_riding_input(0, in);
  EXPECT_EQ(b->steering, 1);
  EXPECT_EQ(b->throttle, 0.5f);
  EXPECT_EQ(b->front_brake, 0.25f);
  EXPECT_EQ(b->rear_brake, 0.75f);
  EXPECT_EQ(b->sit_dab, 1);
  EXPECT_EQ(b->back_up, 0.5f);
  EXPECT_EQ(b->lean, -0.5f);
  EXPECT_EQ(bike_clutch_value(0), 0.125);
  EXPECT_EQ(bike_gear(b), 1);
  bike_apply_riding_input(0, in);  // still held: no second shift
  EXPECT_EQ(bike_gear(b), 1);
  // Slots without a bike are ignored and read as engaged.
  bike_apply_riding_input(5, in);
  bike_apply_riding_input(-1, in);
  EXPECT_EQ(bike_clutch_value(5), 1);
  EXPECT_EQ(bike_clutch_value(200), 1);
}

}  // namespace
}  // namespace bike_test
