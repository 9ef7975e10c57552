// A bike's work around each world step: contacts before it, and after it
// the rider, suspension, steering, drivetrain and the corrections that keep
// the articulated body well behaved.
#include <cmath>

#include "bike/bike_local.h"

void bike_prestep(Bike* bike) {
  if (!bike_solid(bike)) return;
  bike_ground_contacts(bike);
  bike_statue_contacts(bike);
  bike_roost(bike);
}

// Damps the front wheel's rotation other than its spin, against the frame:
// without it the light wheel shimmies about the steering axis.
static void wobble_damping(Bike* bike) {
  dBodyID wheel = bike->bodies[BODY_FRONT_WHEEL];
  double w[3], a[3];
  copy3(dBodyGetAngularVel(wheel), w);
  body_axis(wheel, 0, a);
  double spin = dot3(w, a), m = bike->total_mass, t[3];
  for (int i = 0; i < 3; i++) t[i] = m * (spin * a[i] - w[i]);
  dBodyAddTorque(wheel, t[0], t[1], t[2]);
  dBodyAddTorque(bike->bodies[BODY_FRAME], -t[0], -t[1], -t[2]);
}

// The joints' forces should cancel within the bike; whatever they added up
// to in the last step (the soft constraints' error) is taken back at the
// frame so the bike does not push itself along.
static void joint_force_correction(Bike* bike) {
  if (physics.tic <= 1 || rider_down(bike)) return;
  double p0[3], force[3] = {0, 0, 0}, moment[3] = {0, 0, 0};
  body_position(bike->bodies[BODY_FRAME], p0);
  for (int j = 0; j < BIKE_JOINTS; j++) {
    dBodyID b1 = dJointGetBody(bike->joints[j], 0), b2 = dJointGetBody(bike->joints[j], 1);
    if (!b1 || !b2) return;
    const dJointFeedback* fb = &bike->joint_feedback[j];
    double p1[3], p2[3], r1[3], r2[3], m1[3], m2[3];
    body_position(b1, p1);
    body_position(b2, p2);
    sub3(p1, p0, r1);
    sub3(p2, p0, r2);
    cross3(r1, fb->f1, m1);
    cross3(r2, fb->f2, m2);
    for (int i = 0; i < 3; i++) {
      force[i] += fb->f1[i] + fb->f2[i];
      moment[i] += fb->t1[i] + fb->t2[i] + m1[i] + m2[i];
    }
  }
  dBodyID frame = bike->bodies[BODY_FRAME];
  dBodyAddForce(frame, -force[0], -force[1], -force[2]);
  dBodyAddTorque(frame, -moment[0], -moment[1], -moment[2]);
}

static void collision_timer_tic(Bike* bike) {
  if (bike->collision_timer > 0)
    bike->collision_timer = std::fmax(bike->collision_timer - 1, 0.0f);
  else if (bike->collision_timer < 0)
    bike->collision_timer = std::fmin(bike->collision_timer + 1, 0.0f);
}

static void store_rider_velocity(Bike* bike) {
  const dReal* v = dBodyGetLinearVel(bike->bodies[BODY_RIDER]);
  float* slot = bike->rider_velocity[((physics.tic % BIKE_VELOCITY_RING) + BIKE_VELOCITY_RING) % BIKE_VELOCITY_RING];
  for (int i = 0; i < 3; i++) slot[i] = (float)v[i];
}

// Forces added here act in the next world step; motor settings hold until
// the next call.
void bike_tic(Bike* bike) {
  if (!bike_solid(bike)) return;
  collision_timer_tic(bike);
  crash_tic(bike);
  rider_aids_tic(bike);
  if (!rider_down(bike)) rider_springs_tic(bike);
  fork_tic(bike);
  shock_tic(bike);
  steering_tic(bike);
  drivetrain_tic(bike);
  wobble_damping(bike);
  joint_force_correction(bike);
  rider_lean_dab_tic(bike);
  rider_restore_tic(bike);
  store_rider_velocity(bike);
}

// The bikes' share of a race tic for slots 0..count-1: contacts between
// bikes, each bike's pre-step work from a rotating first slot (so no slot is
// always first to claim contacts), the world step, then every bike's own
// tic. Headless riding and benchmarks drive the world with it.
void bikes_world_tic(int count) {
  for (int i = 0; i < count; i++)
    for (int j = i + 1; j < count; j++) bike_bike_contacts(&bikes[i], &bikes[j], false);
  for (int k = 0; k < count; k++) bike_prestep(&bikes[(physics.tic + k) % count]);
  physics_world_step();
  for (int i = 0; i < count; i++) bike_tic(&bikes[i]);
  physics.tic++;
}
