// Dabbing: a foot put down pushes the frame back toward upright, more the
// further it leans past what the speed allows; a slow, fallen-over rider
// may also be turned back to face the racing direction.
#include <cmath>

#include "bike/bike_local.h"
#include "track/track.h"

bool (*bike_realign_target)(Bike* bike, float target[3]);

static const double DAB_FORCE = 400;  // lbf at full dab

static bool both_touch(const Bike* bike) {
  return bike->contacts[WHEEL_FRONT].depth > 0 && bike->contacts[WHEEL_REAR].depth > 0;
}

static bool foot_reaches_ground(const Bike* bike) {
  const dReal* r = dBodyGetPosition(bike->bodies[BODY_RIDER]);
  return r[1] - terrain_height((float)r[0], (float)r[2]) < bike->info->rider_position[1] + 1;
}

// Turns a stopped, fallen-over bike toward the racing direction. True when
// the turn takes the whole tic (no dab force then).
static bool realign(Bike* bike) {
  float t[3];
  if (!(bike->flags & BIKE_FLAG_REALIGN) || bike->back_up > 0.125f || !bike_realign_target) return false;
  if (!bike_realign_target(bike, t)) return false;
  double p[3], back[3];
  body_position(bike->bodies[BODY_FRAME], p);
  body_axis(bike->bodies[BODY_FRAME], 2, back);
  double h2 = back[0] * back[0] + back[2] * back[2];
  if (h2 <= 1.0 / 1024) return false;
  double ax = back[0] / std::sqrt(h2), az = back[2] / std::sqrt(h2);
  double dx = t[0] - p[0], dz = t[2] - p[2];
  double dot = ax * dx + az * dz, cross = az * dx - ax * dz;
  double omega = bike->collision_timer < 0 ? M_PI : M_PI / 2;
  const double up[3] = {0, 1, 0};
  double mass = bike->total_mass;
  if (dot >= 0 || std::fabs(cross) >= -dot / 4) {
    temporary_motor(bike->bodies[BODY_FRAME], up, cross < 0 ? omega : -omega, 320 * mass);
    for (int w = 0; w < BIKE_WHEELS; w++)
      if (bike->contacts[w].depth > 0) dBodyAddForce(bike->contacts[w].body, 0, 32 * mass, 0);
    return true;
  }
  temporary_motor(bike->bodies[BODY_FRAME], up, cross < 0 ? omega : -omega, 1280 * mass * std::fabs(cross) / std::fabs(dot));
  return false;
}

// The lean the rider lets the bike have at this speed before the foot
// pushes in full.
static double allowed_lean(const Bike* bike, double u, double limit) {
  double rla = bike->roll_limit_angle;
  if (u >= limit) return 2 * M_PI;
  if (u < 15) return (1 - std::pow(1 - clampd(u * u / (limit * limit), 0, 1), 32)) * rla;
  double f = clampd((u * u - 225) / (limit * limit - 225), 0, 1);
  return rla + (2 * M_PI - rla) * f;
}

static double dab_force(const Bike* bike, double u, double roll, double limit) {
  double lean = std::fabs(roll);
  double tau = roll > 0 ? -M_PI / 8 : M_PI / 8;  // roll back toward upright
  if ((bike->flags & BIKE_FLAG_DAB_WHEN_STOPPED) && bike->collision_timer < 0) tau *= 3;
  if (lean < M_PI / 16) tau *= lean * 16 / M_PI;
  double rate = bike_roll_rate(bike);
  double f = tau > 0 && tau > rate ? -DAB_FORCE : (tau < 0 && tau < rate ? DAB_FORCE : 0);
  if (lean < M_PI / 32) f *= lean * 32 / M_PI;
  if (bike->back_up < 0.125f || u > 5) {
    double alpha = 1.25 * allowed_lean(bike, u, limit);
    double w = clampd((lean - alpha) / 0.25, 0, 1);
    double toward = roll > 0 ? bike->steering : -bike->steering;
    double sigma = clampd(2 * toward - 1, 0, 1);
    f *= w + (1 - w) * sigma;
    if (u > 5) f *= bike->counter_steer;
  }
  return f;
}

static void push_frame(Bike* bike, double f) {
  if (f == 0) return;
  dBodyID frame = bike->bodies[BODY_FRAME];
  const double at_local[3] = {0, 4, 0};
  double at[3], side[3], up[3];
  body_point_world(frame, at_local, at);
  body_axis(frame, 0, side);
  body_axis(frame, 1, up);
  if (up[1] >= 0.707)
    dBodyAddForceAtPos(frame, f * side[0], f * side[1] + std::fabs(f) / 8, f * side[2], at[0], at[1], at[2]);
  else
    dBodyAddForceAtPos(frame, 0, std::fabs(f), 0, at[0], at[1], at[2]);
}

// True when the foot is down this tic.
static bool dabbing(Bike* bike) {
  if (bike->sit_dab <= 0) return false;
  if (rider_down(bike)) return true;
  if (bike->contacts[WHEEL_FRONT].depth <= 0 && !foot_reaches_ground(bike)) return false;
  double u = bike_speed(bike), limit = dab_speed_limit(bike), roll = -lean_angle(bike);
  if (u > limit) return false;
  if (u > 15 && (!both_touch(bike) || std::fabs(roll) < 0.589)) return false;
  if (bike->arcade || (u >= 5 && bike->collision_timer > 0)) return true;
  double lean = std::fabs(roll);
  if (u < 5 && lean > M_PI / 8 && lean < 63 * M_PI / 180 && realign(bike)) return true;
  push_frame(bike, dab_force(bike, u, roll, limit));
  return true;
}

void rider_lean_dab_tic(Bike* bike) {
  // The leg goes out at 8 per second and comes back in at 4.
  if (dabbing(bike)) bike->dab_extension = std::fmin(1.0f, bike->dab_extension + 8.0f / 128);
  else bike->dab_extension = std::fmax(0.0f, bike->dab_extension - 4.0f / 128);
  rider_feet_tic(bike);
}
