// The rider's mass point held to the frame: a fore-aft and a vertical spring
// (one-sided contact joints aimed at the target each tic) and the mount's
// damper. Sitting lowers the target, leaning moves it fore and aft.
#include <cmath>

#include "bike/bike_local.h"

// Beyond these the spring becomes a hard stop.
static const double FORE_AFT_LIMIT = 0.75;
static const double HARD_STOP = 2500;

// One frictionless joint pulling the rider toward the target along axis by
// error (signed).
static void rider_spring(Bike* bike, const double r[3], const double axis[3], double error, double k, double c) {
  double sign = error >= 0 ? 1 : -1;
  double n[3] = {sign * axis[0], sign * axis[1], sign * axis[2]};
  contact_joint_add(bike->bodies[BODY_RIDER], bike->bodies[BODY_FRAME], 0, 0, k, c, r, n, std::fabs(error), nullptr,
                    nullptr);
}

void rider_springs_tic(Bike* bike) {
  dBodyID frame = bike->bodies[BODY_FRAME];
  double up[3], back[3], off[3], q[3], r[3], d[3];
  body_axis(frame, 1, up);
  body_axis(frame, 2, back);
  rest_offset_from_frame(bike, BODY_RIDER, off);
  body_point_world(frame, off, q);
  body_position(bike->bodies[BODY_RIDER], r);
  sub3(q, r, d);
  // Gains follow the rider's mass so heavier riders feel the same.
  double m = bike->info->rider_mass / 4.6875;
  double sit = bike->sit_dab;

  double e_v = dot3(d, up), along = dot3(d, back);
  double target = clampd((0.5 + 0.5 * sit) * e_v - bike->lean, -FORE_AFT_LIMIT, FORE_AFT_LIMIT);
  double e_f = along - target;
  double k, c;
  if (std::fabs(along) > FORE_AFT_LIMIT) {
    k = c = HARD_STOP;
  } else {
    k = 100 * std::fabs(e_f) + 600 * bike->rider_forward_spring;
    c = 0;
  }
  if (k * m > 0) rider_spring(bike, r, back, e_f, k * m, c * m);

  double e = e_v + 0.125 - 0.5 * sit;
  if (e_v > 0.5 || e_v < -0.75) {
    k = c = HARD_STOP;
  } else {
    k = 400 * bike->rider_vertical_spring;
    c = 100 * bike->rider_vertical_damping;
  }
  if ((k + c) * m > 0) rider_spring(bike, r, up, e, k * m, c * m);

  // Along the mount's first axis the rider only meets damping.
  dJointID mount = bike->joints[JOINT_RIDER_MOUNT];
  dJointSetHinge2Param(mount, dParamSuspensionERP, 0);
  dJointSetHinge2Param(mount, dParamSuspensionCFM, 1.0 / (m * (30 * bike->rider_forward_damping + 5)));
}
