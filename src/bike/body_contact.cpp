// Collision shapes: spheres on the frame, forks, swingarm, wheels and rider
// touching the ground, statues and other bikes.
#include <cmath>
#include <vector>

#include "bike/bike_local.h"
#include "gfx/gfx.h"
#include "track/track.h"

// Shape contacts with the ground are stiff enough to hold a fallen bike and
// soft enough not to bounce it.
static const double GROUND_SPRING = 2500, GROUND_DAMPING = 250;
// Bike-to-bike pushes are capped so that deep overlaps separate gently.
static const double MAX_PUSH = 2500;

static void sphere_world(dBodyID body, const ShapeSphere* s, double out[3]) {
  double c[3] = {s->center[0], s->center[1], s->center[2]};
  body_point_world(body, c, out);
}

// Ground contacts of one body's shape; true when any sphere touched.
static bool shape_ground_contacts(Bike* bike, int body_index, bool* rider_upside_down_hit) {
  const Shape* shape = bike->shapes[body_index];
  if (!shape) return false;
  dBodyID body = bike->bodies[body_index];
  // Parts well clear of the ground, which is nearly always, skip the
  // per-sphere tests.
  const dReal* at = dBodyGetPosition(body);
  float reach = shape->bounding_radius;
  if (at[1] - reach > ground_max_height((float)at[0], (float)at[2], reach)) return false;
  bool touched = false;
  for (int i = 0; i < shape->sphere_count; i++) {
    const ShapeSphere* s = &shape->spheres[i];
    double c[3];
    sphere_world(body, s, c);
    if (c[1] - s->radius > ground_max_height((float)c[0], (float)c[2], s->radius)) continue;
    float centre[3] = {(float)c[0], (float)c[1], (float)c[2]};
    GroundContact g;
    if (!terrain_sphere_contact(centre, s->radius, &g)) continue;
    double pos[3] = {g.point[0], g.point[1], g.point[2]}, n[3] = {g.normal[0], g.normal[1], g.normal[2]};
    contact_joint_add(body, nullptr, dContactApprox1, s->friction, GROUND_SPRING, GROUND_DAMPING, pos, n, g.depth,
                      nullptr, nullptr);
    touched = true;
  }
  if (touched && body_index == BODY_RIDER) {
    double up[3], v[3];
    body_axis(body, 1, up);
    body_velocity(body, v);
    if (up[1] < 0 && dot3(v, v) > 25) *rider_upside_down_hit = true;
  }
  return touched;
}

// Grip falls off as an arcade bike leans, so it slides instead of flipping.
static float friction_scale(const Bike* bike) {
  if (!bike->arcade) return 1;
  return 1 - 0.375f * clampf(4 * std::fabs(lean_angle(bike)) / (float)M_PI, 0, 1);
}

int bike_ground_contacts(Bike* bike) {
  float scale = friction_scale(bike);
  int any = tire_contact(bike, WHEEL_FRONT, scale);
  any |= tire_contact(bike, WHEEL_REAR, scale);
  bool upside_down = false;
  any |= shape_ground_contacts(bike, BODY_FRAME, &upside_down);
  static const int kTouchDown[] = {BODY_FORK_UPPER, BODY_FORK_LOWER, BODY_SWINGARM, BODY_RIDER};
  for (int b : kTouchDown) {
    if (shape_ground_contacts(bike, b, &upside_down)) {
      any = 1;
      bike->touched_down = true;
    }
  }
  if (upside_down && !bike->arcade) rider_crash(bike);
  return any;
}

// ---------------------------------------------------------------------------
// Sphere against sphere
// ---------------------------------------------------------------------------

struct SpherePair {
  double pa[3], pb[3];   // centres
  const ShapeSphere *a, *b;
  double depth;
  double normal[3];      // from a towards b
  double point[3];
  double k, d, mu;
  bool forceless;        // centres too close to tell a direction
};

// True when the spheres overlap; fills the contact between them.
static bool sphere_pair(SpherePair* p) {
  double ra = p->a->radius, rb = p->b->radius, dv[3];
  sub3(p->pb, p->pa, dv);
  double dist2 = dot3(dv, dv), reach = ra + rb;
  if (!(dist2 < reach * reach)) return false;
  double rmin = ra < rb ? ra : rb;
  p->forceless = dist2 < 1.0 / 256 && dist2 < rmin * rmin / 256;
  if (p->forceless) return true;
  double dist = std::sqrt(dist2);
  p->depth = reach - dist;
  for (int i = 0; i < 3; i++) {
    p->normal[i] = dv[i] / dist;
    p->point[i] = p->pa[i] + p->normal[i] * (ra - p->depth / 2);
  }
  p->k = std::fmin(p->a->spring, p->b->spring);
  p->d = std::fmin(p->a->damping, p->b->damping);
  p->mu = std::fmin(p->a->friction, p->b->friction);
  if (p->k * p->depth > MAX_PUSH) p->k = MAX_PUSH / p->depth;
  return true;
}

// Pushes two bodies apart with a spring-damper force instead of a joint;
// used when one side is simulated elsewhere and must not be moved by the
// solver's constraint.
static void penalty_push(dBodyID a, dBodyID b, const SpherePair* p) {
  double va[3], vb[3], dv[3];
  point_velocity(a, p->pa, va);
  point_velocity(b, p->pb, vb);
  sub3(va, vb, dv);
  double f = clampd(dot3(dv, p->normal) * p->d + p->depth * p->k, -1000, 1000);
  if (dBodyIsEnabled(a))
    dBodyAddForceAtPos(a, -f * p->normal[0], -f * p->normal[1], -f * p->normal[2], p->point[0], p->point[1],
                       p->point[2]);
  if (dBodyIsEnabled(b))
    dBodyAddForceAtPos(b, f * p->normal[0], f * p->normal[1], f * p->normal[2], p->point[0], p->point[1], p->point[2]);
}

// World centres of the spheres of a bike's shapes, worked out per part when
// a part is first near the other bike.
struct BikeSpheres {
  const Bike* bike;
  std::vector<double> centres[BIKE_BODIES];  // 3 per sphere
  bool ready[BIKE_BODIES];
};

static void bike_spheres_begin(const Bike* bike, BikeSpheres* out) {
  out->bike = bike;
  for (int part = 0; part < BIKE_BODIES; part++) out->ready[part] = false;
}

static const double* part_centres(BikeSpheres* s, int part) {
  std::vector<double>& c = s->centres[part];
  if (!s->ready[part]) {
    const Shape* shape = s->bike->shapes[part];
    c.resize(3 * (size_t)shape->sphere_count);
    for (int i = 0; i < shape->sphere_count; i++) sphere_world(s->bike->bodies[part], &shape->spheres[i], &c[3 * i]);
    s->ready[part] = true;
  }
  return c.data();
}

static bool shapes_near(dBodyID a, const Shape* sa, dBodyID b, const Shape* sb) {
  double pa[3], pb[3], d[3];
  body_position(a, pa);
  body_position(b, pb);
  sub3(pb, pa, d);
  double reach = (double)sa->bounding_radius + sb->bounding_radius;
  return dot3(d, d) < reach * reach;
}

// Every sphere of one part of bike a against one part of bike b.
static bool part_pair_contacts(Bike* a, int part_a, BikeSpheres* ca, Bike* b, int part_b, BikeSpheres* cb,
                               bool penalty_mode) {
  const Shape *sa = a->shapes[part_a], *sb = b->shapes[part_b];
  dBodyID ba = a->bodies[part_a], bb = b->bodies[part_b];
  if (!sa || !sb || !shapes_near(ba, sa, bb, sb)) return false;
  const double* centres_a = part_centres(ca, part_a);
  const double* centres_b = part_centres(cb, part_b);
  double b_centre[3];
  body_position(bb, b_centre);
  bool touched = false;
  SpherePair p;
  for (int i = 0; i < sa->sphere_count; i++) {
    p.a = &sa->spheres[i];
    copy3(&centres_a[3 * i], p.pa);
    // A sphere clear of the other part's bounding sphere meets none of it.
    double d[3], reach = (double)p.a->radius + sb->bounding_radius;
    sub3(b_centre, p.pa, d);
    if (dot3(d, d) >= reach * reach) continue;
    for (int j = 0; j < sb->sphere_count; j++) {
      p.b = &sb->spheres[j];
      copy3(&centres_b[3 * j], p.pb);
      if (!sphere_pair(&p)) continue;
      touched = true;
      if (p.forceless) continue;
      if (penalty_mode)
        penalty_push(ba, bb, &p);
      else
        contact_joint_add(bb, ba, dContactApprox1, p.mu, p.k, p.d, p.point, p.normal, p.depth, nullptr, nullptr);
    }
  }
  return touched;
}

// The bike that closes in on the other faster is the one that struck.
static double closing_speed(const Bike* from, const Bike* to) {
  double pa[3], pb[3], d[3], v[3];
  body_position(from->bodies[BODY_FRAME], pa);
  body_position(to->bodies[BODY_FRAME], pb);
  sub3(pb, pa, d);
  double len = length3(d);
  if (!(len > 0)) return 0;
  body_velocity(from->bodies[BODY_FRAME], v);
  return dot3(v, d) / len;
}

// A rider rubbing shoulders with another (same parts touching) briefly loses
// balance authority; one who rams another's rider loses it for longer.
static void collision_timers(Bike* a, Bike* b, bool same_kind) {
  float ua = bike_speed(a), ub = bike_speed(b);
  if (same_kind) {
    if (ua >= 10) a->collision_timer = std::fmax(a->collision_timer, 128.0f);
    if (ub >= 10) b->collision_timer = std::fmax(b->collision_timer, 128.0f);
  } else {
    bool a_struck = closing_speed(a, b) >= closing_speed(b, a);
    Bike* striker = a_struck ? a : b;
    Bike* struck = a_struck ? b : a;
    float us = a_struck ? ua : ub, uo = a_struck ? ub : ua;
    if (us >= 10 && uo >= 5 && !rider_down(struck)) {
      striker->collision_timer = std::fmax(striker->collision_timer, 192.0f);
      if (struck->collision_timer < 0) struck->collision_timer = std::fmin(struck->collision_timer, -640.0f);
    }
  }
  for (Bike* x : {a, b}) {
    x->last_bike_contact_tic = physics.tic;
    for (int i = 0; i < 4; i++) x->line_ids[i] = -1;
  }
}

int bike_bike_contacts(Bike* a, Bike* b, bool penalty_mode) {
  if (a == b || !bike_solid(a) || !bike_solid(b)) return 0;
  // Whole bikes far apart: nothing of them can touch.
  double pa[3], pb[3], d[3];
  body_position(a->bodies[BODY_FRAME], pa);
  body_position(b->bodies[BODY_FRAME], pb);
  sub3(pb, pa, d);
  if (dot3(d, d) > 24.0 * 24.0) return 0;
  // Scratch kept between calls: the race tests many pairs every tic.
  static BikeSpheres ca, cb;
  bike_spheres_begin(a, &ca);
  bike_spheres_begin(b, &cb);
  int bits = 0;
  bool same_kind = false;
  for (int i = 0; i < BIKE_BODIES; i++) {
    for (int j = 0; j < BIKE_BODIES; j++) {
      if (!part_pair_contacts(a, i, &ca, b, j, &cb, penalty_mode)) continue;
      bits |= 1 << i;
      if (i == j) same_kind = true;
    }
  }
  if (bits) collision_timers(a, b, same_kind);
  return bits;
}

int bike_static_shape_contacts(Bike* bike, const Shape* shape, const float position[3], const float rotation[9]) {
  if (!bike_solid(bike) || !shape) return 0;
  int bits = 0;
  SpherePair p;
  for (int part = 0; part < BIKE_BODIES; part++) {
    const Shape* sa = bike->shapes[part];
    if (!sa) continue;
    dBodyID ba = bike->bodies[part];
    for (int j = 0; j < shape->sphere_count; j++) {
      p.b = &shape->spheres[j];
      const float* c = p.b->center;
      for (int k = 0; k < 3; k++)
        p.pb[k] = position[k] + rotation[3 * k] * c[0] + rotation[3 * k + 1] * c[1] + rotation[3 * k + 2] * c[2];
      for (int i = 0; i < sa->sphere_count; i++) {
        p.a = &sa->spheres[i];
        sphere_world(ba, p.a, p.pa);
        if (!sphere_pair(&p)) continue;
        bits |= 1 << part;
        if (p.forceless) continue;
        // The statue stays put: the bike is pushed back along the line
        // from the statue's sphere to its own.
        double n[3] = {-p.normal[0], -p.normal[1], -p.normal[2]};
        contact_joint_add(ba, nullptr, dContactApprox1, p.mu, p.k, p.d, p.point, n, p.depth, nullptr, nullptr);
      }
    }
  }
  return bits;
}

// The track's statues are not kept yet; once they are, each statue near the
// bike goes through bike_static_shape_contacts here.
int bike_statue_contacts(Bike*) { return 0; }
