// The rider's feet, for drawing: on the foot pegs while riding (the lean
// side's foot reaching for the ground while dabbing), loose points that fall
// and slide while the rider is down.
#include <cmath>

#include "bike/bike_local.h"
#include "track/track.h"

enum { POSE_HIPS = 9, POSE_PEGS = 21, POSE_LIMBS = 27 };
static const double FOOT_CLEARANCE = 0.25;  // ft above the ground
static const double FOOT_DRAG = 0.9375;     // velocity kept per tic

static void pose_point(const Bike* bike, dBodyID body, int index, int side, double out[3]) {
  const float* p = &bike->info->rider_pose[index + 3 * side];
  double local[3] = {p[0], p[1], p[2]};
  body_point_world(body, local, out);
}

static void store(float dst[3], const double v[3]) {
  for (int i = 0; i < 3; i++) dst[i] = (float)v[i];
}

// Side 0 is the left foot (negative x).
static void foot_on_bike(Bike* bike, int side, double roll) {
  dBodyID frame = bike->bodies[BODY_FRAME];
  double p[3], v[3];
  pose_point(bike, frame, POSE_PEGS, side, p);
  bool dab_side = (side == 0) == (roll > 0);
  if (dab_side && bike->dab_extension > 0) {
    double across[3];
    body_axis(frame, 0, across);
    double out = (side == 0 ? -0.5 : 0.5) * bike->dab_extension;
    for (int i = 0; i < 3; i++) p[i] += out * across[i];
    double ground = terrain_height((float)p[0], (float)p[2]);
    p[1] += (ground - p[1]) * bike->dab_extension;
  }
  point_velocity(bike->bodies[BODY_RIDER], p, v);
  store(bike->feet[side], p);
  store(bike->feet_velocity[side], v);
}

static void foot_loose(Bike* bike, int side) {
  float* p = bike->feet[side];
  float* v = bike->feet_velocity[side];
  v[1] -= (float)(WORLD_GRAVITY * TIC_SECONDS);
  for (int i = 0; i < 3; i++) p[i] += (float)(v[i] * TIC_SECONDS);
  float ground = terrain_height(p[0], p[2]) + (float)FOOT_CLEARANCE;
  if (p[1] < ground) {
    p[1] = ground;
    v[0] = v[1] = v[2] = 0;
  }
  for (int i = 0; i < 3; i++) v[i] *= (float)FOOT_DRAG;
  // The leg holds the foot within reach of the hip.
  const float* limbs = &bike->info->rider_pose[POSE_LIMBS];
  double reach = (double)limbs[2] + limbs[3], hip[3];
  pose_point(bike, bike->bodies[BODY_RIDER], POSE_HIPS, side, hip);
  double d[3] = {p[0] - hip[0], p[1] - hip[1], p[2] - hip[2]}, len = length3(d);
  if (len > reach && len > 0)
    for (int i = 0; i < 3; i++) p[i] = (float)(hip[i] + d[i] * reach / len);
}

void rider_feet_tic(Bike* bike) {
  double roll = -lean_angle(bike);
  for (int side = 0; side < 2; side++) {
    if (rider_down(bike)) foot_loose(bike, side);
    else foot_on_bike(bike, side, roll);
  }
}

void rider_feet_release(Bike* bike) {
  for (int side = 0; side < 2; side++) {
    double p[3], v[3];
    pose_point(bike, bike->bodies[BODY_FRAME], POSE_PEGS, side, p);
    point_velocity(bike->bodies[BODY_RIDER], p, v);
    store(bike->feet[side], p);
    store(bike->feet_velocity[side], v);
  }
}
