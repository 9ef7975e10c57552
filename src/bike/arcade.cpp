// Arcade riding: a motor holds the frame at the lean the input asks for,
// the steering follows the front tyre's slip, and a drag point far behind
// the frame keeps the bike from spinning out. In the air with the ground far
// below, the steering is only centred.
#include <cmath>

#include "bike/bike_local.h"
#include "track/track.h"

static double dead_band(double v, double band) {
  double a = std::fabs(v) - band;
  return a > 0 ? (v > 0 ? a : -a) : 0;
}

static bool high_in_the_air(const Bike* bike) {
  if (bike->contacts[WHEEL_FRONT].depth > 0) return false;
  double p[3], v[3];
  body_position(bike->bodies[BODY_FRAME], p);
  body_velocity(bike->bodies[BODY_FRAME], v);
  double x = p[0] + v[0], y = p[1] + v[1] - 16, z = p[2] + v[2];
  return y - terrain_height((float)x, (float)z) >= bike->info->frame_position[1];
}

// Lean motor about the frame's forward axis, against the world, for one tic.
static void lean_motor(Bike* bike) {
  double roll = -lean_angle(bike), target = -bike->steering * M_PI / 4;
  double kappa = 1.5 - 0.5 * clampd((bike->roll_damping - 40) / 40, 0, 1);
  double rate = kappa * std::fmin(std::fabs(roll - target), 1.0 / 16) * 16;
  double forward[3];
  body_axis(bike->bodies[BODY_FRAME], 2, forward);
  for (double& f : forward) f = -f;
  // Turning about the forward axis rolls to the right, lowering the roll.
  double vel = target > roll ? -rate : rate;
  temporary_motor(bike->bodies[BODY_FRAME], forward, vel, 1000);
}

static void steer_to_slip(Bike* bike) {
  dJointID steer = bike->joints[JOINT_STEERING];
  double delta = dJointGetHingeAngle(steer), rate = dJointGetHingeAngleRate(steer);
  double e = clampd(front_slip_angle(bike) - bike->steering / 2 - delta, -0.25, 0.25);
  double u = dead_band(8 * dead_band(e, 1.0 / 32) - rate, 1.0 / 2400);
  apply_steering_torque(bike, clampd(u / 2, -2.0 / 3, 2.0 / 3) * bike->steering_strength);
}

static void tail_drag(Bike* bike) {
  const double tail[3] = {0, 0, 20};
  double p[3], v[3];
  body_point_world(bike->bodies[BODY_FRAME], tail, p);
  point_velocity(bike->bodies[BODY_FRAME], p, v);
  dBodyAddForceAtPos(bike->bodies[BODY_FRAME], -v[0] / 4, -v[1] / 4, -v[2] / 4, p[0], p[1], p[2]);
}

void arcade_steering(Bike* bike) {
  bike->counter_steer = 0;
  if (high_in_the_air(bike)) {
    double delta = dJointGetHingeAngle(bike->joints[JOINT_STEERING]);
    apply_steering_torque(bike, (bike->steering_strength * bike->steering * bike->direct_steering - 50 * delta) * 1.5);
    return;
  }
  lean_motor(bike);
  steer_to_slip(bike);
  tail_drag(bike);
}
