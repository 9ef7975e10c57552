// Fork and shock: damping, springs, the fork's air spring and the rear
// linkage, applied as joint motors so the solver keeps the result stable.
#include <cmath>

#include "bike/bike_local.h"

// Pressure of the air above the fork oil at full extension times the piston
// area (lbf): the air spring is zero at full extension.
static const double FORK_AIR_FORCE = 82.4616928;

// Linear high-speed damping, shifted by the low-speed term but never outside
// one eighth to eight times the linear force.
float suspension_damping(float v, const SuspensionDamping* d) {
  if (v < 0) {
    float a = -v * d->hsc;
    return clampf(d->lsc + a, a / 8, 8 * a);
  }
  float a = -v * d->hsr;
  return clampf(a - d->lsr, 8 * a, a / 8);
}

// The force fades out over the last 1/32 of travel before full extension, so
// the stop meets the fork with nothing pushing it there.
static float top_out_ramp(float position, float travel) { return clampf(-32 * position / travel, 0, 1); }

float fork_force(const Bike* bike, float p, float v) {
  float travel = bike->info->fork_travel;
  float damping = suspension_damping(v, &bike->fork_damping);
  float spring = (bike->fork_preload - p) * bike->fork_spring;
  double gap = travel + bike->fork_air_gap;
  double c = clampd(-p, 0, travel);
  // A fork set up with no air at all would trap infinite pressure at full
  // compression; a thousandth of a foot keeps the force finite.
  double trapped = gap - c > 0.001 ? gap - c : 0.001;
  double air = FORK_AIR_FORCE * std::pow(gap / trapped, 1.4) - FORK_AIR_FORCE;
  return (float)(air + damping + spring) * top_out_ramp(p, travel);
}

// Cubic Hermite segment from (p0, m0) to (p1, m1) over a segment of length
// len; slopes are per unit of travel, so they scale by len inside.
static void hermite(double p0, double m0, double p1, double m1, double t, double len, double* value, double* slope) {
  double t2 = t * t, t3 = t2 * t;
  double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
  double d00 = 6 * t2 - 6 * t, d10 = 3 * t2 - 4 * t + 1, d01 = -6 * t2 + 6 * t, d11 = 3 * t2 - 2 * t;
  *value = h00 * p0 + h10 * len * m0 + h01 * p1 + h11 * len * m1;
  *slope = (d00 * p0 + d10 * len * m0 + d01 * p1 + d11 * len * m1) / len;
}

void linkage_eval(const float linkage[7], float x, float* s, float* ratio) {
  double f = linkage[3], value, slope;
  if (x <= f) {
    hermite(0, linkage[4], linkage[0], linkage[5], f > 0 ? x / f : 0, f > 0 ? f : 1, &value, &slope);
  } else {
    double len = 1 - f;
    hermite(linkage[0], linkage[5], linkage[1], linkage[6], len > 0 ? (x - f) / len : 1, len > 0 ? len : 1, &value,
            &slope);
  }
  *s = (float)value;
  *ratio = (float)slope;
}

float shock_torque(const Bike* bike, float a, float w) {
  const float* linkage = bike->info->linkage;
  float x = clampf(-a / linkage[2], 0, 1), s, r;
  linkage_eval(linkage, x, &s, &r);
  float damping = suspension_damping(w * r, &bike->shock_damping);
  float torque = ((s + bike->shock_preload) * bike->shock_spring + damping) * r;
  return torque * top_out_ramp(a, linkage[2]);
}

// A positive force drives the motor outwards as hard as it may; a negative
// one only holds against motion, so the suspension is never pulled in.
void fork_tic(Bike* bike) {
  dJointID j = bike->joints[JOINT_FORK];
  float f = fork_force(bike, (float)dJointGetSliderPosition(j), (float)dJointGetSliderPositionRate(j));
  dJointSetSliderParam(j, dParamVel, f >= 0 ? 100 : 0);
  dJointSetSliderParam(j, dParamFMax, std::fabs(f));
}

void shock_tic(Bike* bike) {
  dJointID j = bike->joints[JOINT_SWINGARM];
  float t = shock_torque(bike, (float)dJointGetHingeAngle(j), (float)dJointGetHingeAngleRate(j));
  dJointSetHingeParam(j, dParamVel, t >= 0 ? 100 : 0);
  dJointSetHingeParam(j, dParamFMax, std::fabs(t));
}
