// The tyre against the ground: a torus tested against the heightfield's
// triangles, its deepest touch one soft contact joint with the surface's
// grip, and rolling resistance on top.
#include <cmath>
#include <cstring>

#include "bike/bike_local.h"
#include "track/track.h"

static void wheel_of(const ContactRecord* c, Wheel* w) {
  const dReal* p = dBodyGetPosition(c->body);
  double axle_local[3] = {c->axle[0], c->axle[1], c->axle[2]}, axle[3];
  rotate_to_world(dBodyGetRotation(c->body), axle_local, axle);
  for (int i = 0; i < 3; i++) {
    w->centre[i] = (float)p[i];
    w->axle[i] = (float)axle[i];
  }
  w->rim_radius = c->ring_radius;
  w->tube_radius = c->section_radius;
}

// A wheel whose lowest possible point is above all the ground under it
// can't touch: the torus test is skipped in the air.
static bool wheel_may_touch(const Wheel* w) {
  float reach = w->rim_radius + w->tube_radius;
  return w->centre[1] - reach <= ground_max_height(w->centre[0], w->centre[2], reach);
}

static void record_contact(ContactRecord* c, const GroundContact* g) {
  double p[3] = {g->point[0], g->point[1], g->point[2]}, v[3];
  point_velocity(c->body, p, v);
  for (int i = 0; i < 3; i++) {
    c->point[i] = g->point[i];
    c->normal[i] = g->normal[i];
    c->point_velocity[i] = (float)v[i];
  }
  c->depth = g->depth;
}

// Velocity the contact point would have if the wheel did not spin about its
// axle: the hub's motion plus the rest of its rotation.
static void non_spin_point_velocity(const ContactRecord* c, double out[3]) {
  double axle[3], w[3], hub[3], r[3], t[3];
  body_axis(c->body, 0, axle);
  copy3(dBodyGetAngularVel(c->body), w);
  double spin = dot3(w, axle);
  for (int i = 0; i < 3; i++) w[i] -= spin * axle[i];
  body_position(c->body, hub);
  for (int i = 0; i < 3; i++) r[i] = c->point[i] - hub[i];
  cross3(w, r, t);
  body_velocity(c->body, out);
  for (int i = 0; i < 3; i++) out[i] += t[i];
}

// The speed the surface's friction curve is read at, by its slip function.
static float slip_query(const ContactRecord* c, int slip_function) {
  double pv[3] = {c->point_velocity[0], c->point_velocity[1], c->point_velocity[2]};
  double speed2 = dot3(pv, pv), speed = std::sqrt(speed2);
  if (slip_function == 1) return (float)speed;
  if (slip_function != 2) return (float)speed2;
  if (speed < 1.0 / 16) return (float)speed;
  double v[3];
  non_spin_point_velocity(c, v);
  return (float)clampd(dot3(v, pv) / speed, -speed, speed);
}

// Friction acts first across the sliding direction; a wheel that is not
// sliding takes the direction along its rolling line instead.
static bool friction_direction(const ContactRecord* c, double out[3]) {
  double n[3] = {c->normal[0], c->normal[1], c->normal[2]};
  double pv[3] = {c->point_velocity[0], c->point_velocity[1], c->point_velocity[2]};
  cross3(n, pv, out);
  if (dot3(out, out) < 1.0 / 1024) {
    double axle[3];
    body_axis(c->body, 0, axle);
    cross3(n, axle, out);
  }
  double len = length3(out);
  if (!(len > 0)) return false;
  for (int i = 0; i < 3; i++) out[i] /= len;
  return true;
}

static void rolling_resistance(const ContactRecord* c, const SurfaceTile* s, double compression) {
  double w[3], n[3] = {c->normal[0], c->normal[1], c->normal[2]};
  body_velocity(c->body, w);
  double along = dot3(w, n);
  for (int i = 0; i < 3; i++) w[i] -= along * n[i];
  double u = length3(w);
  float shallow, deep;
  surface_roll_resistance(s, (float)u, &shallow, &deep);
  // Above 1 ft/s the force no longer grows with speed.
  if (u > 1)
    for (int i = 0; i < 3; i++) w[i] /= u;
  double k = shallow + (deep - shallow) * compression;
  dBodyAddForce(c->body, -k * w[0], -k * w[1], -k * w[2]);
}

int tire_contact(Bike* bike, int wheel, float friction_scale) {
  ContactRecord* c = &bike->contacts[wheel];
  std::memset(&c->feedback, 0, sizeof c->feedback);
  Wheel w;
  GroundContact g;
  wheel_of(c, &w);
  if (!wheel_may_touch(&w) || !terrain_wheel_contact_deepest(&w, &g) || !(g.depth > 0)) {
    c->depth = 0;
    return 0;
  }
  record_contact(c, &g);
  const SurfaceTile* s = surface_get(surface_at(c->point[0], c->point[2]));
  double mu = surface_friction(s, s->slip_function, slip_query(c, s->slip_function)) * (double)friction_scale;
  // The tyre stiffens as it is squashed, up to a full section.
  double compression = std::fmin(c->depth / c->section_radius, 1.0);
  double c3 = compression * compression * compression;
  double k = 1000 + 24000 * c3, d = 200 + 2300 * c3;
  double fdir[3];
  bool have_dir = friction_direction(c, fdir);
  double pos[3] = {c->point[0], c->point[1], c->point[2]}, n[3] = {c->normal[0], c->normal[1], c->normal[2]};
  contact_joint_add(c->body, nullptr, dContactApprox1 | (have_dir ? dContactFDir1 : 0), mu, k, d, pos, n, c->depth,
                    have_dir ? fdir : nullptr, &c->feedback);
  rolling_resistance(c, s, compression);
  return 1;
}

// Bikes simulated elsewhere only need their records for ruts, roost and
// scripts: the fast query, once per tic.
void wheel_contact_query(Bike* bike) {
  if (!bike || !bike->in_use || (bike->flags2 & BIKE_FLAG2_LOCAL)) return;
  if (bike->query_tic == physics.tic) return;
  bike->query_tic = physics.tic;
  for (int i = 0; i < BIKE_WHEELS; i++) {
    ContactRecord* c = &bike->contacts[i];
    Wheel w;
    GroundContact g;
    wheel_of(c, &w);
    if (wheel_may_touch(&w) && terrain_wheel_contact_first(&w, &g) && g.depth > 0)
      record_contact(c, &g);
    else
      c->depth = 0;
  }
}
