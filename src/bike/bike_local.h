// Private to the bike physics files: small vector helpers over the solver's
// reals and the steps that several files share.
#pragma once

#include <cmath>

#include "bike/bike.h"

inline double clampd(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

inline double dot3(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline void cross3(const double a[3], const double b[3], double out[3]) {
  double x = a[1] * b[2] - a[2] * b[1];
  double y = a[2] * b[0] - a[0] * b[2];
  double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x, out[1] = y, out[2] = z;
}
inline void copy3(const double a[3], double out[3]) { out[0] = a[0], out[1] = a[1], out[2] = a[2]; }
inline void sub3(const double a[3], const double b[3], double out[3]) {
  out[0] = a[0] - b[0], out[1] = a[1] - b[1], out[2] = a[2] - b[2];
}
inline double length3(const double a[3]) { return std::sqrt(dot3(a, a)); }

// Row-major 3 x 4 solver rotation: body vector to world, and column k (the
// body's k-th axis in world coordinates).
inline void rotate_to_world(const dReal* R, const double v[3], double out[3]) {
  double x = R[0] * v[0] + R[1] * v[1] + R[2] * v[2];
  double y = R[4] * v[0] + R[5] * v[1] + R[6] * v[2];
  double z = R[8] * v[0] + R[9] * v[1] + R[10] * v[2];
  out[0] = x, out[1] = y, out[2] = z;
}
inline void body_axis(dBodyID body, int k, double out[3]) {
  const dReal* R = dBodyGetRotation(body);
  out[0] = R[k], out[1] = R[4 + k], out[2] = R[8 + k];
}
// A point given in a body's frame, in world coordinates.
inline void body_point_world(dBodyID body, const double local[3], double out[3]) {
  const dReal* p = dBodyGetPosition(body);
  rotate_to_world(dBodyGetRotation(body), local, out);
  out[0] += p[0], out[1] += p[1], out[2] += p[2];
}
inline void body_position(dBodyID body, double out[3]) { copy3(dBodyGetPosition(body), out); }
inline void body_velocity(dBodyID body, double out[3]) { copy3(dBodyGetLinearVel(body), out); }
inline void point_velocity(dBodyID body, const double p[3], double out[3]) {
  dVector3 v;
  dBodyGetPointVel(body, p[0], p[1], p[2], v);
  copy3(v, out);
}

// One contact joint in the contact group between body1 and body2 (either
// may be 0, the static world). mode gets the soft ERP and CFM bits added.
void contact_joint_add(dBodyID body1, dBodyID body2, int mode, double mu, double k, double c, const double pos[3],
                       const double normal[3], double depth, const double* fdir1, dJointFeedback* feedback);

// Highest ground height (ft) anywhere under the square of half-width half
// around (x, z): below it nothing can touch the ground; +infinity when the
// square is too large to scan, -infinity with no ground at all.
float ground_max_height(float x, float z, float half);

// The catalogue's rest point of a body, relative to the frame's rest point.
void rest_offset_from_frame(const Bike* bike, int body, double out[3]);
// Joints: creation, and the rider mount's attachment to the present pose.
void bike_joints_create(Bike* bike);
void rider_mount_attach(Bike* bike);
// Masses of all seven bodies (also after the rider mass split changes).
void bike_masses_set(Bike* bike);
// Every body at its catalogue place, unrotated and still.
void bodies_rest_pose(Bike* bike);

// Fork force and shock torque into their joint motors.
void fork_tic(Bike* bike);
void shock_tic(Bike* bike);
// Rider mass point springs and the rider mount's damper.
void rider_springs_tic(Bike* bike);
// Crash countdown and remount.
void crash_tic(Bike* bike);

// Seams for the engine, drivetrain and rider model: the per-tic steps of
// bike_tic that the rider and engine code fills.
void rider_aids_tic(Bike* bike);
void steering_tic(Bike* bike);
void drivetrain_tic(Bike* bike);
void rider_lean_dab_tic(Bike* bike);
void rider_restore_tic(Bike* bike);
void rider_feet_release(Bike* bike);
void rider_feet_tic(Bike* bike);

// Steering helpers shared by the realistic and the arcade controller.
double bike_roll_rate(const Bike* bike);          // about the frame's backward axis; positive rolls left
double front_slip_angle(const Bike* bike);        // rad
void apply_steering_torque(Bike* bike, double t); // about the steering axis; positive steers left
void arcade_steering(Bike* bike);
// Horizontal velocity damper: pulls a body toward velocity target with at
// most max_force.
void horizontal_damper(dBodyID body, double max_force, const double target[3]);
// A one-axis angular motor against the world that lives for the next step.
void temporary_motor(dBodyID body, const double axis[3], double velocity, double max_torque);
double dab_speed_limit(const Bike* bike);  // ft/s
// Clutch engagement this tic: the lever limited by the automatic clutch.
double clutch_engagement(const Bike* bike);
