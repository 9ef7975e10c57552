// Setting bikes down on the ground without leaving them stuck in it.
#include "bike/bike_local.h"
#include "gfx/gfx.h"
#include "track/track.h"

// Placement gives up this far above where it started: only a broken ground
// (or position) gets there.
static const int MAX_RAISES = 4096;

static bool shape_in_ground(const Bike* bike, int body_index) {
  const Shape* shape = bike->shapes[body_index];
  if (!shape) return false;
  for (int i = 0; i < shape->sphere_count; i++) {
    const ShapeSphere* s = &shape->spheres[i];
    double c[3] = {s->center[0], s->center[1], s->center[2]}, w[3];
    body_point_world(bike->bodies[body_index], c, w);
    float centre[3] = {(float)w[0], (float)w[1], (float)w[2]};
    GroundContact g;
    if (terrain_sphere_contact(centre, s->radius, &g)) return true;
  }
  return false;
}

static bool tyre_in_ground(const Bike* bike, int wheel) {
  const ContactRecord* c = &bike->contacts[wheel];
  double axle_local[3] = {1, 0, 0}, axle[3], p[3];
  rotate_to_world(dBodyGetRotation(c->body), axle_local, axle);
  body_position(c->body, p);
  Wheel w = {{(float)p[0], (float)p[1], (float)p[2]}, {(float)axle[0], (float)axle[1], (float)axle[2]},
             c->ring_radius, c->section_radius};
  GroundContact g;
  return terrain_wheel_contact_deepest(&w, &g) && g.depth > 0;
}

// The same tests as the ground contacts, without making any joints.
bool bike_penetrates_ground(const Bike* bike) {
  if (tyre_in_ground(bike, WHEEL_FRONT) || tyre_in_ground(bike, WHEEL_REAR)) return true;
  for (int b : {BODY_FRAME, BODY_FORK_UPPER, BODY_FORK_LOWER, BODY_SWINGARM, BODY_RIDER})
    if (shape_in_ground(bike, b)) return true;
  return false;
}

void bike_raise_until_clear(Bike* bike) {
  for (int i = 0; i < MAX_RAISES && bike_penetrates_ground(bike); i++) bike_translate(bike, 0, 0.25f, 0);
}

void bike_set_down(Bike* bike) {
  bike_translate(bike, 0, 0.125f, 0);
  bike_raise_until_clear(bike);
  bike_translate(bike, 0, -0.125f, 0);
}

// The whole bike moving forwards at speed (ft/s) with both wheels rolling
// at that speed: a push start.
void bike_set_speed(Bike* bike, float speed) {
  double forward[3];
  body_axis(bike->bodies[BODY_FRAME], 2, forward);
  for (int i = 0; i < 3; i++) forward[i] = -forward[i] * speed;
  for (int i = 0; i < BIKE_BODIES; i++) {
    dBodySetLinearVel(bike->bodies[i], forward[0], forward[1], forward[2]);
    dBodySetAngularVel(bike->bodies[i], 0, 0, 0);
  }
  for (int w = 0; w < BIKE_WHEELS; w++) {
    const ContactRecord* c = &bike->contacts[w];
    double axle[3], spin = -speed / (c->ring_radius + c->section_radius);
    body_axis(c->body, 0, axle);
    dBodySetAngularVel(c->body, axle[0] * spin, axle[1] * spin, axle[2] * spin);
  }
}
