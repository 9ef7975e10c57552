// Shared set-up of the bike physics tests: the game data (for the stock
// collision shapes and the flat test track), the world, small heightfields
// made in memory, and the per-tic order of work of a race.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bike/bike.h"
#include "files/files.h"
#include "track/track.h"

namespace bike_test {

inline std::string data_dir() {
  const char* dir = std::getenv("DW_DATA_DIR");
  return dir ? dir : std::string(DW_BINARY_DIR) + "/data";
}

// Points the file system at the default data with a home folder of its own.
inline void use_data(const std::string& data) {
  std::filesystem::path home = std::filesystem::path(DW_BINARY_DIR) / "bike_test_tmp" / "home";
  std::filesystem::create_directories(home);
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  setenv("DW_HOME", data.c_str(), 1);
  vfs_shutdown();
}

// Level ground of 2^(n+1) x spacing feet a side at the given height, one
// surface: the default one unless the test sets terrain.surfaces[0].
inline void flat_ground(int n, float spacing, float height) {
  terrain_free();
  ASSERT_TRUE(terrain_alloc(n, spacing));
  for (int i = 0; i < terrain.dim * terrain.dim; i++) terrain.heights[i] = height;
  terrain_update_range();
}

// Ground rising along +z by rise feet per foot.
inline void sloped_ground(int n, float spacing, float rise) {
  flat_ground(n, spacing, 0);
  for (int r = 0; r < terrain.dim; r++)
    for (int c = 0; c < terrain.dim; c++) terrain.heights[c + terrain.dim * r] = rise * r * spacing;
  terrain_update_range();
}

// One surface for the whole ground with a flat friction coefficient and a
// flat rolling resistance.
inline void one_surface(float friction, float roll_shallow, float roll_deep) {
  SurfaceTile* s = &terrain.surfaces[0];
  surface_defaults(s);
  s->friction[0] = {friction, 1.0f};
  s->slip_function = 1;
  s->roll[0] = {roll_shallow, roll_deep, 1.0f};
  terrain.surface_count = 1;
}

// A bike of the default model on the ground at (x, z) facing heading,
// set down clear of it and then raised by lift.
inline Bike* place_bike(int slot, float x, float z, float heading = 0, float lift = 0) {
  Bike* b = bike_create("yz250f(2017)", slot, true, slot + 1, nullptr, nullptr, nullptr, nullptr);
  if (!b) return nullptr;
  bike_rotate(b, 0, 1, 0, heading);
  bike_translate(b, x, terrain_height(x, z), z);
  bike_raise_until_clear(b);
  bike_translate(b, 0, lift, 0);
  return b;
}

// The race's order of work for the bikes given: bike-to-bike contacts,
// pre-step work, the world step, each bike's tic.
inline void ride(const std::vector<Bike*>& list, int tics) {
  for (int t = 0; t < tics; t++) {
    for (size_t i = 0; i < list.size(); i++)
      for (size_t j = i + 1; j < list.size(); j++) bike_bike_contacts(list[i], list[j], false);
    for (Bike* b : list) bike_prestep(b);
    physics_world_step();
    for (Bike* b : list) bike_tic(b);
    physics.tic++;
  }
}

inline void frame_position(const Bike* b, double out[3]) {
  float p[3];
  bike_frame_position(b, p);
  for (int i = 0; i < 3; i++) out[i] = p[i];
}

inline bool bike_finite(const Bike* b) {
  for (int i = 0; i < BIKE_BODIES; i++) {
    const dReal* p = dBodyGetPosition(b->bodies[i]);
    const dReal* v = dBodyGetLinearVel(b->bodies[i]);
    const dReal* w = dBodyGetAngularVel(b->bodies[i]);
    for (int k = 0; k < 3; k++)
      if (!std::isfinite(p[k]) || !std::isfinite(v[k]) || !std::isfinite(w[k])) return false;
  }
  return true;
}

// World, data and an empty ground; everything is torn down after each test.
struct PhysicsTest : ::testing::Test {
  void SetUp() override {
    use_data(data_dir());
    ASSERT_TRUE(std::filesystem::exists(data_dir() + "/generic_frame.shp")) << "run dwmkdata into " << data_dir();
    ASSERT_TRUE(physics_world_create());
    physics.tic = 0;
  }
  void TearDown() override {
    physics_world_destroy();
    for (int i = 0; i < CRASH_DELAY_ENTRIES; i++) crash_delay_set(i, 0);
    if (track.loaded) track_unload();
    terrain_free();
    vfs_shutdown();
  }
};

}  // namespace bike_test
