// The seven bodies and six joints of a bike: masses, joint set-up, the rest
// pose and moving a whole bike.
#include <cmath>
#include <cstring>

#include "bike/bike_local.h"

static const float* rest_position(const BikeModel* m, int body) {
  switch (body) {
    case BODY_FRAME: return m->frame_position;
    case BODY_FRONT_WHEEL: return m->front_wheel.center;
    case BODY_REAR_WHEEL: return m->rear_wheel.center;
    case BODY_FORK_UPPER: return m->steering_head;
    case BODY_FORK_LOWER: return m->fork_lower_position;
    case BODY_SWINGARM: return m->swingarm_position;
    default: return m->rider_position;
  }
}

void rest_offset_from_frame(const Bike* bike, int body, double out[3]) {
  const float* p = rest_position(bike->info, body);
  const float* f = bike->info->frame_position;
  for (int i = 0; i < 3; i++) out[i] = (double)p[i] - f[i];
}

// The solver wants each body's centre of mass at its origin; composite
// masses of symmetric parts are there up to rounding, which this removes.
static void mass_centre(dMass* m) { dMassTranslate(m, -m->c[0], -m->c[1], -m->c[2]); }

// Hub sphere plus 16 tyre spheres on the centre circle in the y-z plane.
static void wheel_mass(const WheelBlock* w, dMass* out) {
  dMassSetSphereTotal(out, w->hub_mass, w->hub_radius);
  for (int i = 0; i < 16; i++) {
    double a = i * M_PI / 8;
    dMass s;
    dMassSetSphereTotal(&s, w->ring_mass / 16.0, w->tire_section_radius);
    dMassTranslate(&s, 0, w->tire_ring_radius * std::cos(a), w->tire_ring_radius * std::sin(a));
    dMassAdd(out, &s);
  }
  mass_centre(out);
}

// Two tubes either side, tilted back by the rake of the steering axis.
static void fork_mass(const BikeModel* m, dMass* out) {
  dMassSetZero(out);
  for (int side = -1; side <= 1; side += 2) {
    dMass c;
    dMassSetCylinderTotal(&c, m->fork_mass / 2.0, 2, m->fork_tube_spacing / 8.0, m->fork_tube_length * 2.0 / 3.0);
    dMassTranslate(&c, side * m->fork_tube_spacing / 2.0, 0, 0);
    dMassAdd(out, &c);
  }
  double dz = (double)m->fork_lower_position[2] - m->steering_head[2];
  double dy = (double)m->fork_lower_position[1] - m->steering_head[1];
  double rake = dy != 0 ? std::atan(dz / dy) : (dz >= 0 ? M_PI / 2 : -M_PI / 2);
  dMatrix3 R;
  dRFromAxisAndAngle(R, 1, 0, 0, rake);
  dMassRotate(out, R);
  mass_centre(out);
}

// Two long boxes either side, lying along the line from the pivot to the
// rear axle.
static void swingarm_mass(const BikeModel* m, dMass* out) {
  double d[3];
  for (int i = 0; i < 3; i++) d[i] = (double)m->rear_wheel.center[i] - m->swingarm_pivot[i];
  double len = length3(d);
  double w = m->frame_box[0] / 4.0;
  dMassSetZero(out);
  for (int side = -1; side <= 1; side += 2) {
    dMass b;
    dMassSetBoxTotal(&b, m->swingarm_mass, w, w, len);
    dMassTranslate(&b, side * m->frame_box[0] / 2.0, 0, 0);
    dMassAdd(out, &b);
  }
  dMatrix3 R;
  dRFromAxisAndAngle(R, 1, 0, 0, std::atan2(-d[1], d[2]));
  dMassRotate(out, R);
  mass_centre(out);
}

void bike_masses_set(Bike* bike) {
  const BikeModel* m = bike->info;
  double d = bike->rider_mass_distribution;
  dMass mass[BIKE_BODIES];
  dMassSetBoxTotal(&mass[BODY_FRAME], m->frame_mass + (1 - d) * m->rider_mass, m->frame_box[0], m->frame_box[1],
                   m->frame_box[2]);
  wheel_mass(&m->front_wheel, &mass[BODY_FRONT_WHEEL]);
  wheel_mass(&m->rear_wheel, &mass[BODY_REAR_WHEEL]);
  fork_mass(m, &mass[BODY_FORK_UPPER]);
  mass[BODY_FORK_LOWER] = mass[BODY_FORK_UPPER];
  swingarm_mass(m, &mass[BODY_SWINGARM]);
  dMassSetSphereTotal(&mass[BODY_RIDER], d * m->rider_mass, 1.0);
  bike->total_mass = 0;
  for (int i = 0; i < BIKE_BODIES; i++) {
    dBodySetMass(bike->bodies[i], &mass[i]);
    bike->total_mass += (float)mass[i].mass;
  }
}

static dJointID hinge_create(Bike* bike, int body1, int body2, const float anchor[3], const double axis[3]) {
  dJointID j = dJointCreateHinge(physics.world, nullptr);
  dJointAttach(j, bike->bodies[body1], bike->bodies[body2]);
  dJointSetHingeAnchor(j, anchor[0], anchor[1], anchor[2]);
  dJointSetHingeAxis(j, axis[0], axis[1], axis[2]);
  return j;
}

// A top-out stop exactly at the pose the joint was made in meets the solver
// with exact ties (a bike falling freely keeps the suspension at exactly 0)
// on which its pivoting fails and drops every constraint of the bike; a stop
// a hair beyond full extension never ties.
static const double TOP_OUT_MARGIN = 1e-6;

// Made with every body at its rest pose, so that all joint positions and
// angles read 0 there.
void bike_joints_create(Bike* bike) {
  const BikeModel* m = bike->info;
  const double x_axis[3] = {1, 0, 0};
  double steer[3];
  for (int i = 0; i < 3; i++) steer[i] = (double)m->steering_head[i] - m->fork_lower_position[i];
  dJointID* J = bike->joints;
  J[JOINT_FRONT_AXLE] = hinge_create(bike, BODY_FORK_LOWER, BODY_FRONT_WHEEL, m->front_wheel.center, x_axis);
  J[JOINT_REAR_AXLE] = hinge_create(bike, BODY_SWINGARM, BODY_REAR_WHEEL, m->rear_wheel.center, x_axis);
  J[JOINT_STEERING] = hinge_create(bike, BODY_FORK_UPPER, BODY_FRAME, m->steering_head, steer);
  dJointSetHingeParam(J[JOINT_STEERING], dParamLoStop, -M_PI / 4);
  dJointSetHingeParam(J[JOINT_STEERING], dParamHiStop, M_PI / 4);

  J[JOINT_FORK] = dJointCreateSlider(physics.world, nullptr);
  dJointAttach(J[JOINT_FORK], bike->bodies[BODY_FORK_UPPER], bike->bodies[BODY_FORK_LOWER]);
  dJointSetSliderAxis(J[JOINT_FORK], steer[0], steer[1], steer[2]);
  dJointSetSliderParam(J[JOINT_FORK], dParamBounce, 0);
  dJointSetSliderParam(J[JOINT_FORK], dParamLoStop, -m->fork_travel);
  dJointSetSliderParam(J[JOINT_FORK], dParamHiStop, TOP_OUT_MARGIN);

  J[JOINT_SWINGARM] = hinge_create(bike, BODY_SWINGARM, BODY_FRAME, m->swingarm_pivot, x_axis);
  dJointSetHingeParam(J[JOINT_SWINGARM], dParamBounce, 0);
  dJointSetHingeParam(J[JOINT_SWINGARM], dParamLoStop, -m->linkage[2]);
  dJointSetHingeParam(J[JOINT_SWINGARM], dParamHiStop, TOP_OUT_MARGIN);

  J[JOINT_RIDER_MOUNT] = dJointCreateHinge2(physics.world, nullptr);
  rider_mount_attach(bike);
  for (int i = 0; i < BIKE_JOINTS; i++) dJointSetFeedback(J[i], &bike->joint_feedback[i]);
}

// Puts the rider mass point at its rest place on the frame as the frame is
// now, moving with it, and joins it to the frame. The mount's anchor lies
// 50 ft ahead at the rider's height, so turning about its second axis moves
// the rider almost straight up and down.
void rider_mount_attach(Bike* bike) {
  dBodyID frame = bike->bodies[BODY_FRAME], rider = bike->bodies[BODY_RIDER];
  const dReal* R = dBodyGetRotation(frame);
  double off[3], rest[3], vel[3];
  rest_offset_from_frame(bike, BODY_RIDER, off);
  body_point_world(frame, off, rest);
  point_velocity(frame, rest, vel);
  dBodySetPosition(rider, rest[0], rest[1], rest[2]);
  dBodySetRotation(rider, R);
  dBodySetLinearVel(rider, vel[0], vel[1], vel[2]);
  const dReal* w = dBodyGetAngularVel(frame);
  dBodySetAngularVel(rider, w[0], w[1], w[2]);

  const BikeModel* m = bike->info;
  double anchor_local[3] = {-(double)m->frame_position[0], (double)m->rider_position[1] - m->frame_position[1],
                            -50.0 - m->frame_position[2]};
  double anchor[3], axis1[3], axis2[3];
  const double a1[3] = {0, 1, 1}, a2[3] = {1, 0, 0};
  body_point_world(frame, anchor_local, anchor);
  rotate_to_world(R, a1, axis1);
  rotate_to_world(R, a2, axis2);
  dJointID j = bike->joints[JOINT_RIDER_MOUNT];
  dJointAttach(j, rider, frame);
  dJointSetHinge2Anchor(j, anchor[0], anchor[1], anchor[2]);
  dVector3 ax1 = {axis1[0], axis1[1], axis1[2], 0}, ax2 = {axis2[0], axis2[1], axis2[2], 0};
  dJointSetHinge2Axes(j, ax1, ax2);
  dJointSetHinge2Param(j, dParamLoStop, 0);
  dJointSetHinge2Param(j, dParamHiStop, 0);
}

static void clear_motors(Bike* bike) {
  dJointSetHingeParam(bike->joints[JOINT_FRONT_AXLE], dParamFMax, 0);
  dJointSetHingeParam(bike->joints[JOINT_REAR_AXLE], dParamFMax, 0);
  dJointSetSliderParam(bike->joints[JOINT_FORK], dParamFMax, 0);
  dJointSetHingeParam(bike->joints[JOINT_SWINGARM], dParamFMax, 0);
}

static void clear_state(Bike* bike) {
  bike->throttle = bike->clutch = bike->front_brake = bike->rear_brake = 0;
  bike->steering = bike->sit_dab = bike->back_up = bike->lean = 0;
  bike->control_set = 0;
  bike->gear = bike->last_shift = 0;
  bike->engine_angle = bike->engine_speed = 0;
  bike->crash_timer = bike->crash_count = 0;
  bike->airborne_tic = bike->landing_tic = 0;
  bike->lap_progress = 0;
  bike->counter_steer = 0;
  bike->landing_timer = 0;
  bike->landing_damping_multiplier = 1;
  bike->collision_timer = 0;
  bike->last_bike_contact_tic = 0;
  bike->query_tic = -1;
  bike->touched_down = false;
  bike->dab_extension = 0;
  std::memset(bike->rider_velocity, 0, sizeof bike->rider_velocity);
  for (int i = 0; i < 4; i++) bike->line_ids[i] = -1;
  for (int w = 0; w < BIKE_WHEELS; w++) {
    bike->contacts[w].depth = 0;
    std::memset(&bike->contacts[w].feedback, 0, sizeof bike->contacts[w].feedback);
  }
  std::memset(bike->joint_feedback, 0, sizeof bike->joint_feedback);
}

void bodies_rest_pose(Bike* bike) {
  dMatrix3 identity;
  dRSetIdentity(identity);
  for (int i = 0; i < BIKE_BODIES; i++) {
    dBodyID b = bike->bodies[i];
    const float* p = rest_position(bike->info, i);
    dBodySetPosition(b, p[0], p[1], p[2]);
    dBodySetRotation(b, identity);
    dBodySetLinearVel(b, 0, 0, 0);
    dBodySetAngularVel(b, 0, 0, 0);
    dBodySetForce(b, 0, 0, 0);
    dBodySetTorque(b, 0, 0, 0);
    dBodyEnable(b);
  }
}

void bike_reset(Bike* bike) {
  if (!bike || !bike->in_use) return;
  bodies_rest_pose(bike);
  clear_state(bike);
  clear_motors(bike);
  bike->presence = 1;
  rider_mount_attach(bike);
}

void bike_translate(Bike* bike, float dx, float dy, float dz) {
  for (int i = 0; i < BIKE_BODIES; i++) {
    const dReal* p = dBodyGetPosition(bike->bodies[i]);
    dBodySetPosition(bike->bodies[i], p[0] + dx, p[1] + dy, p[2] + dz);
  }
}

void bike_rotate(Bike* bike, float axis_x, float axis_y, float axis_z, float angle) {
  dMatrix3 R;
  dRFromAxisAndAngle(R, axis_x, axis_y, axis_z, angle);
  for (int i = 0; i < BIKE_BODIES; i++) {
    double p[3], q[3];
    body_position(bike->bodies[i], p);
    rotate_to_world(R, p, q);
    dBodySetRotation(bike->bodies[i], R);
    dBodySetPosition(bike->bodies[i], q[0], q[1], q[2]);
  }
}
