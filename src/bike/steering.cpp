// The rider's steering: a torque about the steering axis made of the
// player's input and a balance part that damps the roll and levels the bike,
// limited near the lock; and the arcade variant that holds the lean with a
// motor instead. Roll here is measured positive to the left, the same sense
// as the roll rate (the frame's spin about its own backward axis).
#include <cmath>

#include "bike/bike_local.h"
#include "track/track.h"

struct SteerState {
  double vf;        // front wheel ground speed (ft/s)
  double roll;      // positive leaning left (rad)
  double roll_rate; // positive rolling left (rad/s)
  double delta;     // steering angle, positive left (rad)
  double beta;      // front slip angle (rad)
  double lock;      // lock angle for this speed and ground (rad)
};

double bike_roll_rate(const Bike* bike) {
  dBodyID frame = bike->bodies[BODY_FRAME];
  const dReal* w = dBodyGetAngularVel(frame);
  dVector3 local;
  dBodyVectorFromWorld(frame, w[0], w[1], w[2], local);
  return local[2];
}

static void steering_axis(const Bike* bike, double out[3]) {
  const BikeModel* m = bike->info;
  double d[3];
  for (int i = 0; i < 3; i++) d[i] = (double)m->steering_head[i] - m->fork_lower_position[i];
  double len = length3(d);
  for (int i = 0; i < 3; i++) d[i] /= len;
  rotate_to_world(dBodyGetRotation(bike->bodies[BODY_FRAME]), d, out);
}

double front_slip_angle(const Bike* bike) {
  const BikeModel* m = bike->info;
  const dReal* v = dBodyGetLinearVel(bike->bodies[BODY_FRONT_WHEEL]);
  dVector3 local;
  dBodyVectorFromWorld(bike->bodies[BODY_FORK_UPPER], v[0], v[1], v[2], local);
  double dy = (double)m->steering_head[1] - m->fork_lower_position[1];
  double dz = (double)m->steering_head[2] - m->fork_lower_position[2];
  double len = std::sqrt(dy * dy + dz * dz);
  double side = local[0], along = (local[1] * -dz + local[2] * dy) / len;
  if (along * along + side * side <= 1) return 0;
  return -std::atan2(side, -along);
}

// Below the full lock speed the whole lock; above the restricted lock speed
// the restricted angle, wider on slippery ground.
static double lock_angle(const Bike* bike, double vf) {
  double sp = std::fmax(1.0, vf);
  double full = bike->full_lock_speed;
  double l2 = std::fmax(full + 1, (double)bike->restricted_lock_speed);
  double g = clampd((1 / sp - 1 / l2) / (1 / full - 1 / l2), 0, 1);
  const dReal* w = dBodyGetPosition(bike->bodies[BODY_FRONT_WHEEL]);
  const SurfaceTile* ground = surface_get(surface_at((float)w[0], (float)w[2]));
  double mu = ground ? ground->friction[0].coefficient : 1;
  mu = std::fmax(mu, 0.125);
  double rho = std::fmin(M_PI / 4, bike->restricted_lock_angle / mu);
  return rho + (M_PI / 4 - rho) * g;
}

static void steer_state(const Bike* bike, SteerState* s) {
  const WheelBlock* w = &bike->info->front_wheel;
  s->vf = dJointGetHingeAngleRate(bike->joints[JOINT_FRONT_AXLE]) * (w->tire_ring_radius + w->tire_section_radius);
  s->roll = -lean_angle(bike);
  s->roll_rate = bike_roll_rate(bike);
  s->delta = dJointGetHingeAngle(bike->joints[JOINT_STEERING]);
  s->beta = front_slip_angle(bike);
  s->lock = lock_angle(bike, s->vf);
}

// Near the ground at speed, the torque that would turn the wheel past the
// lock fades and then pushes back.
static void force_limits(const Bike* bike, const SteerState* s, double* lo, double* hi) {
  double m = bike->max_steering_force;
  *lo = -m, *hi = m;
  const WheelBlock* w = &bike->info->front_wheel;
  const dReal* p = dBodyGetPosition(bike->bodies[BODY_FRONT_WHEEL]);
  double clearance = p[1] - terrain_height((float)p[0], (float)p[2]) - (w->tire_ring_radius + w->tire_section_radius);
  if (!(s->vf > 1) || !(clearance < 0.5)) return;
  double lock = s->lock + (M_PI / 4 - s->lock) * clampd(2 * clearance, 0, 1);
  double t = 1.125 * lock + 0.015;
  if (s->beta > lock) *lo = -m * (1.25 * clampd((s->beta - t) / (lock - t), 0, 1) - 0.25);
  if (s->beta < -lock) *hi = m * (1.25 * clampd((-s->beta - t) / (lock - t), 0, 1) - 0.25);
}

// Roll damping (stronger just after a landing) and leveling.
static double balance_torque(Bike* bike, const SteerState* s) {
  double wheel_rate = std::fabs(dJointGetHingeAngleRate(bike->joints[JOINT_FRONT_AXLE]));
  if (bike->contacts[WHEEL_FRONT].depth <= 0 || wheel_rate < M_PI / 4) {
    bike->landing_damping_multiplier = bike->landing_damping_factor;
    return -50 * s->delta;
  }
  double b = s->roll_rate * bike->roll_damping * bike->landing_damping_multiplier;
  if (bike->landing_damping_falloff > 0)
    bike->landing_damping_multiplier = std::fmax(
        1.0f, bike->landing_damping_multiplier -
                  (bike->landing_damping_factor - 1) / (128 * bike->landing_damping_falloff));
  else
    bike->landing_damping_multiplier = 1;
  double level = s->roll * bike->leveling;
  if (bike->slow_damping_speed > 0) {
    double f = bike->slow_damping_factor +
               (1 - bike->slow_damping_factor) * clampd(bike_speed(bike) / bike->slow_damping_speed, 0, 1);
    b *= f, level *= f;
  }
  // Falling further into a lean beyond the limit is resisted harder.
  if (s->roll_rate * s->roll > 0 && std::fabs(s->roll) > bike->roll_limit_angle)
    b *= 1 + (std::fabs(s->roll) - bike->roll_limit_angle) * bike->roll_limit_factor;
  return b + level;
}

// With less than fully direct steering the input asks for a roll rate
// toward a lean of the roll limit angle.
static double lean_tracking(const Bike* bike, const SteerState* s, double direct) {
  double d = bike->direct_steering;
  if (d >= 1) return direct;
  double tau = 2.5 * (-bike->steering * bike->roll_limit_angle - s->roll);
  bool back = tau * s->roll < 0;  // toward upright
  double limit = back ? 25 * M_PI / 8 : 5 * M_PI / 4;
  tau = clampd(tau, -limit, limit);
  double e = clampd(tau - s->roll_rate, -0.125, 0.125);
  double c = clampd(4 * (s->roll_rate - (tau - e)), -1, 1) * bike->steering_strength;
  return (direct - c) * d + c;
}

void apply_steering_torque(Bike* bike, double t) {
  double axis[3];
  steering_axis(bike, axis);
  dBodyAddTorque(bike->bodies[BODY_FRONT_WHEEL], t * axis[0], t * axis[1], t * axis[2]);
  dBodyAddTorque(bike->bodies[BODY_FRAME], -t * axis[0], -t * axis[1], -t * axis[2]);
}

// How ready the front wheel is to counter-steer the bike up: steered or
// slipping toward the lean.
static void counter_steer_readiness(Bike* bike, const SteerState* s) {
  double k = clampd((s->vf - 5) / 10, 0, 1);
  double a = 0.25 * k * s->lock, b = (0.625 * k + 0.125) * s->lock;
  double lambda = -s->roll;  // the frame's lean angle as lean_angle gives it
  double r1, r2;
  if (lambda >= 0) {
    r1 = clampd((-s->beta - a) / (b - a), 0, 1);
    r2 = clampd((s->delta - M_PI / 12) * 12 / M_PI, 0, 1);
  } else {
    r1 = clampd((s->beta - a) / (b - a), 0, 1);
    r2 = clampd((s->delta + M_PI / 12) * -12 / M_PI, 0, 1);
  }
  bike->counter_steer = (float)std::fmax(r1, r2);
}

static void steering_controller(Bike* bike) {
  SteerState s;
  steer_state(bike, &s);
  double lo, hi;
  force_limits(bike, &s, &lo, &hi);
  double direct = bike->steering_strength * bike->steering * bike->direct_steering;
  double b = balance_torque(bike, &s);
  direct = lean_tracking(bike, &s, direct);
  if (bike->collision_timer > 0) {
    double limit = 200 * clampd((128 - bike->collision_timer) / 128, 0, 1);
    b = clampd(b, -limit, limit);
  }
  apply_steering_torque(bike, clampd((direct + b) * 1.5, lo, hi));
  counter_steer_readiness(bike, &s);
}

void steering_tic(Bike* bike) {
  if (rider_down(bike)) {
    bike->counter_steer = 0;
    return;
  }
  if (bike->arcade) arcade_steering(bike);
  else steering_controller(bike);
}
