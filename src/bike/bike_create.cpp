// Making and unmaking the bike of a slot: the catalogue entry, its shapes
// and models, the bodies and joints.
#include <cstring>

#include "bike/bike_local.h"
#include "core/core.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

Bike bikes[BIKE_SLOTS];

// Shapes by body, as catalogue file roles (the wheels' shapes take part in
// bike-to-bike contact only; their ground contact is the tyre's).
static const int kShapeFile[BIKE_BODIES] = {
    BIKE_FILE_FRAME_SHAPE,      BIKE_FILE_FRONT_WHEEL_SHAPE, BIKE_FILE_REAR_WHEEL_SHAPE, BIKE_FILE_FORK_UPPER_SHAPE,
    BIKE_FILE_FORK_LOWER_SHAPE, BIKE_FILE_SWINGARM_SHAPE,    BIKE_FILE_RIDER_SHAPE,
};

static const int kModelFile[BIKE_MODEL_PARTS] = {
    BIKE_FILE_FRAME_MODEL,       BIKE_FILE_FORK_UPPER_MODEL, BIKE_FILE_FORK_LOWER_MODEL,  BIKE_FILE_SWINGARM_MODEL,
    BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_REAR_WHEEL_MODEL, BIKE_FILE_HEAD_MODEL,        BIKE_FILE_BODY_MODEL,
    BIKE_FILE_BODY_FP_MODEL,     BIKE_FILE_SIDE_PLATES_MODEL, BIKE_FILE_FRONT_PLATE_MODEL, BIKE_FILE_RIDER_PLATE_MODEL,
};

static void warn_missing(const char* path) { log_printf("Warning: Can't load %.900s\n", path); }

// Shapes and models come from the caches of the graphics subsystem and stay
// there; the bike only refers to them.
static void load_files(Bike* bike) {
  const BikeModel* m = bike->info;
  for (int i = 0; i < BIKE_BODIES; i++) {
    const char* path = m->files[kShapeFile[i]];
    bike->shapes[i] = path[0] ? get_shape(path) : nullptr;
    if (path[0] && !bike->shapes[i]) warn_missing(path);
  }
  for (int i = 0; i < BIKE_MODEL_PARTS; i++) {
    const char* path = m->files[kModelFile[i]];
    bike->models[i] = path[0] ? get_model(path) : nullptr;
    if (path[0] && !bike->models[i]) warn_missing(path);
  }
}

// Texture names asked for, each falling back to the catalogue's own. The
// images themselves are loaded by the renderer that draws them.
static void choose_textures(Bike* bike, const char* body, const char* head, const char* frame, const char* wheel) {
  const BikeModel* m = bike->info;
  const char* given[BIKE_TEXTURES] = {body, head, frame, wheel};
  const int own[BIKE_TEXTURES] = {BIKE_FILE_BODY_TEXTURE, BIKE_FILE_HEAD_TEXTURE, BIKE_FILE_BIKE_TEXTURE,
                                  BIKE_FILE_WHEEL_TEXTURE};
  for (int i = 0; i < BIKE_TEXTURES; i++)
    bike->textures[i] = pool_string(given[i] && given[i][0] ? given[i] : m->files[own[i]]);
}

static void contact_records_init(Bike* bike) {
  const WheelBlock* w[BIKE_WHEELS] = {&bike->info->front_wheel, &bike->info->rear_wheel};
  for (int i = 0; i < BIKE_WHEELS; i++) {
    ContactRecord* c = &bike->contacts[i];
    std::memset(c, 0, sizeof *c);
    c->body = bike->bodies[i == WHEEL_FRONT ? BODY_FRONT_WHEEL : BODY_REAR_WHEEL];
    c->axle[0] = 1;
    c->ring_radius = w[i]->tire_ring_radius;
    c->section_radius = w[i]->tire_section_radius;
  }
}

static void bodies_create(Bike* bike) {
  for (int i = 0; i < BIKE_BODIES; i++) {
    bike->bodies[i] = dBodyCreate(physics.world);
    dBodySetData(bike->bodies[i], bike);
  }
  // Wheels spin fast: the finite rotation update keeps them round.
  for (int i : {BODY_FRONT_WHEEL, BODY_REAR_WHEEL}) {
    dBodySetFiniteRotationMode(bike->bodies[i], 1);
    dBodySetFiniteRotationAxis(bike->bodies[i], 0, 0, 0);
  }
  bodies_rest_pose(bike);
  bike_masses_set(bike);
  bike_joints_create(bike);
}

Bike* bike_create(const char* model_name, int slot, bool local, int number, const char* body_texture,
                  const char* head_texture, const char* bike_texture, const char* wheel_texture) {
  if (slot < 0 || slot >= BIKE_SLOTS) return nullptr;
  if (!physics_world_create()) return nullptr;
  Bike* bike = &bikes[slot];
  if (bike->in_use) bike_destroy(bike);
  std::memset(bike, 0, sizeof *bike);
  bike->model = find_bike_model(model_name ? model_name : "");
  bike->info = bike_model(bike->model);
  bike->slot = slot;
  bike->number = number;
  bike->in_use = true;
  load_files(bike);
  choose_textures(bike, body_texture, head_texture, bike_texture, wheel_texture);
  bike->rider_mass_distribution = 1.0f / 3.0f;
  bodies_create(bike);
  contact_records_init(bike);
  set_default_setup(bike);
  bike_reset(bike);
  if (local) bike->flags2 |= BIKE_FLAG2_LOCAL;
  return bike;
}

void bike_destroy(Bike* bike) {
  if (!bike || !bike->in_use) return;
  for (int i = 0; i < BIKE_JOINTS; i++)
    if (bike->joints[i]) dJointDestroy(bike->joints[i]);
  for (int i = 0; i < BIKE_BODIES; i++)
    if (bike->bodies[i]) dBodyDestroy(bike->bodies[i]);
  int slot = bike->slot;
  std::memset(bike, 0, sizeof *bike);
  bike->slot = slot;
}

void bike_destroy_all() {
  for (int i = 0; i < BIKE_SLOTS; i++) bike_destroy(&bikes[i]);
}
