// Aids that act at the start of a bike's tic: backing up, the automatic dab
// and brakes of a stopped bike, and crash detection with the jump stamps it
// reads. The overridden controls are put back at the end of the tic.
#include <cmath>

#include "bike/bike_local.h"

static const double BACK_UP_SPEED = 4;     // ft/s at the top of each pulse
static const double STOPPED_SPEED = 5;     // ft/s

void horizontal_damper(dBodyID body, double max_force, const double target[3]) {
  double v[3], d[3];
  body_velocity(body, v);
  sub3(v, target, d);
  double len2 = dot3(d, d);
  if (len2 < 1.0 / 16) return;
  double len = std::sqrt(len2);
  double b = clampd((len - 0.25) * 0.8, 0, 1);
  double s = -b * max_force / len;
  dBodyAddForce(body, s * d[0], 0, s * d[2]);
}

void temporary_motor(dBodyID body, const double axis[3], double velocity, double max_torque) {
  dJointID m = dJointCreateAMotor(physics.world, physics.contact_group);
  dJointAttach(m, body, nullptr);
  dJointSetAMotorNumAxes(m, 1);
  dJointSetAMotorAxis(m, 0, 0, axis[0], axis[1], axis[2]);
  dJointSetAMotorParam(m, dParamVel, velocity);
  dJointSetAMotorParam(m, dParamFMax, max_torque);
}

// The max dab speed, raised while a collision has just knocked the rider.
double dab_speed_limit(const Bike* bike) {
  return bike->collision_timer <= -512 ? std::fmax(75.0, (double)bike->max_dab_speed) : bike->max_dab_speed;
}

// Backing up: the rider paddles the bike backwards in pulses, once a second,
// turning it with the steering.
static void back_up_aid(Bike* bike) {
  int tic = physics.tic;
  double p = (1 - std::cos((tic % 128) * 2 * M_PI / 127)) / 2;
  bike->sit_dab = rider_down(bike) ? 0 : 1;
  dBodyID frame = bike->bodies[BODY_FRAME];
  double back[3], up[3];
  body_axis(frame, 2, back);
  body_axis(frame, 1, up);
  double target[3] = {back[0] * BACK_UP_SPEED * p, back[1] * BACK_UP_SPEED * p, back[2] * BACK_UP_SPEED * p};
  horizontal_damper(frame, 2000, target);
  temporary_motor(frame, up, -bike->steering * p * M_PI / 2, 2000);
}

// A slow or stopped rider puts a foot down, and with the throttle or clutch
// shut holds the brakes so the bike stands still.
static void stopped_aid(Bike* bike, double speed) {
  if (!(bike->flags & BIKE_FLAG_DAB_WHEN_STOPPED)) return;
  double limit = dab_speed_limit(bike), lean = std::fabs(lean_angle(bike));
  if (speed > limit) return;
  if (speed > 15 && lean < clampd((speed - 15) / 15, 0, 1) * M_PI / 4) return;
  bool idle = bike->throttle == 0 || bike->clutch == 0;
  if (!(idle || speed < STOPPED_SPEED || lean > M_PI / 16)) return;
  double dab = clampd(1 - speed / limit, 0, 1);
  bike->sit_dab = rider_down(bike) ? 0 : (float)std::fmax(dab, (double)bike->sit_dab);
  if (speed < STOPPED_SPEED && idle && bike->contacts[WHEEL_FRONT].depth > 0 && bike->contacts[WHEEL_REAR].depth > 0) {
    bike->front_brake = bike->rear_brake = 1;
    const double rest[3] = {0, 0, 0};
    horizontal_damper(bike->bodies[BODY_FRAME], 1000, rest);
  }
}

static void jump_stamps(Bike* bike) {
  bool front = bike->contacts[WHEEL_FRONT].depth > 0, rear = bike->contacts[WHEEL_REAR].depth > 0;
  const dReal* v = dBodyGetLinearVel(bike->bodies[BODY_FRAME]);
  if (!front && !rear && v[1] < 0 && bike->landing_tic >= bike->airborne_tic) bike->airborne_tic = physics.tic;
  if ((front || rear) && bike->landing_tic < bike->airborne_tic) bike->landing_tic = physics.tic;
}

// Just after landing a long jump the rider is easier to throw off.
static double crash_severity(const Bike* bike) {
  if (bike->landing_tic < bike->airborne_tic) return 1.5;
  double airtime = (bike->landing_tic - bike->airborne_tic) / 128.0;
  double since = (physics.tic - bike->landing_tic) / 128.0;
  double a = clampd((airtime - 0.559) * 7.9365, 0, 1), b = clampd((0.25 - since) * 8, 0, 1);
  return 1.5 - 0.5 * a * b;
}

static void crash_detection(Bike* bike) {
  if (rider_down(bike) || bike->arcade) return;
  double phi = crash_severity(bike);
  double r[3], v[3], fv[3], d[3];
  body_position(bike->bodies[BODY_RIDER], r);
  body_velocity(bike->bodies[BODY_RIDER], v);
  point_velocity(bike->bodies[BODY_FRAME], r, fv);
  sub3(v, fv, d);
  if (length3(d) > 31 * phi) {
    rider_crash(bike);
    return;
  }
  const float* old = bike->rider_velocity[((physics.tic % BIKE_VELOCITY_RING) + BIKE_VELOCITY_RING) % BIKE_VELOCITY_RING];
  double a[3] = {(v[0] - old[0]) * 32, (v[1] - old[1]) * 32 + 32, (v[2] - old[2]) * 32};
  if (length3(a) > 1376 * phi) rider_crash(bike);
}

void rider_aids_tic(Bike* bike) {
  bike->held_front_brake = bike->front_brake;
  bike->held_rear_brake = bike->rear_brake;
  bike->held_sit_dab = bike->sit_dab;
  bike->aid_override = true;
  double speed = bike_speed(bike);
  if (bike->back_up > 0 && speed < STOPPED_SPEED) back_up_aid(bike);
  else stopped_aid(bike, speed);
  jump_stamps(bike);
  crash_detection(bike);
}

void rider_restore_tic(Bike* bike) {
  if (!bike->aid_override) return;
  bike->front_brake = bike->held_front_brake;
  bike->rear_brake = bike->held_rear_brake;
  bike->sit_dab = rider_down(bike) ? 0 : bike->held_sit_dab;
  bike->aid_override = false;
}
