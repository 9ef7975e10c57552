// What other parts read from a bike: the frame's pose and motion, the
// suspension graph's values, the engine, the contacts.
#include <cmath>

#include "bike/bike_local.h"

void bike_frame_position(const Bike* bike, float out[3]) {
  const dReal* p = dBodyGetPosition(bike->bodies[BODY_FRAME]);
  for (int i = 0; i < 3; i++) out[i] = (float)p[i];
}

void bike_frame_rotation(const Bike* bike, float out[9]) {
  const dReal* R = dBodyGetRotation(bike->bodies[BODY_FRAME]);
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) out[3 * r + c] = (float)R[4 * r + c];
}

void bike_frame_velocity(const Bike* bike, float out[3]) {
  const dReal* v = dBodyGetLinearVel(bike->bodies[BODY_FRAME]);
  for (int i = 0; i < 3; i++) out[i] = (float)v[i];
}

float bike_speed(const Bike* bike) {
  double v[3];
  body_velocity(bike->bodies[BODY_FRAME], v);
  return (float)length3(v);
}

float bike_heading(const Bike* bike) {
  double back[3];
  body_axis(bike->bodies[BODY_FRAME], 2, back);
  return (float)std::atan2(back[0], back[2]);
}

// Roll of the frame: the angle between its up axis and the horizontal
// direction square to where it points, less a right angle.
float lean_angle(const Bike* bike) {
  double up[3], back[3];
  body_axis(bike->bodies[BODY_FRAME], 1, up);
  body_axis(bike->bodies[BODY_FRAME], 2, back);
  double fx = -back[0], fz = -back[2], len = std::sqrt(fx * fx + fz * fz);
  if (!(len > 0)) return 0;
  double side[3] = {fz / len, 0, -fx / len};
  return (float)(std::acos(clampd(dot3(up, side), -1, 1)) - M_PI / 2);
}

const char* bike_model_name(const Bike* bike) { return bike->info->name; }
const char* bike_model_class(const Bike* bike) { return bike->info->class_name; }

// How much of the damping force the low-speed term carries at rate v, for
// the suspension graph; the catalogue's own coefficients are used.
static float damping_blend(float v, const float base[4]) {
  float hsc = base[0], lsc = base[1], hsr = base[2], lsr = base[3];
  float av = std::fabs(v);
  float denominator = v >= 0 ? av * hsr + lsr : lsc + av * hsc;
  if (!(denominator > 0)) return 0;
  return (v >= 0 ? lsr : lsc) / denominator;
}

float bike_fork_position(const Bike* bike) {
  return (float)(-dJointGetSliderPosition(bike->joints[JOINT_FORK]) / bike->info->fork_travel);
}

float bike_fork_speed(const Bike* bike) { return (float)dJointGetSliderPositionRate(bike->joints[JOINT_FORK]); }

float bike_fork_damping_blend(const Bike* bike) {
  return damping_blend(bike_fork_speed(bike), bike->info->fork_damping);
}

float bike_swingarm_position(const Bike* bike) {
  return clampf((float)(-dJointGetHingeAngle(bike->joints[JOINT_SWINGARM]) / bike->info->linkage[2]), 0, 1);
}

float bike_shock_speed(const Bike* bike) {
  float s, r;
  linkage_eval(bike->info->linkage, bike_swingarm_position(bike), &s, &r);
  return (float)dJointGetHingeAngleRate(bike->joints[JOINT_SWINGARM]) * r;
}

float bike_shock_damping_blend(const Bike* bike) {
  return damping_blend(bike_shock_speed(bike), bike->info->shock_damping);
}

float engine_rpm(const Bike* bike) { return bike->engine_speed * 9.549296585513721f; }
int bike_gear(const Bike* bike) { return bike->gear; }

const ContactRecord* bike_contact(const Bike* bike, int wheel) {
  return wheel >= 0 && wheel < BIKE_WHEELS ? &bike->contacts[wheel] : nullptr;
}
