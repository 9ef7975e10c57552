#include <gtest/gtest.h>
#include <cstdio>
#include <cmath>
#include "bike/bike.h"
#include "track/track.h"

static void run(Bike* b, int tics, bool print) {
  for (int t = 0; t < tics; t++) {
    bike_prestep(b);
    physics_world_step();
    physics.tic++;
    bike_tic(b);
    if (print && (t % 32 == 31)) {
      float p[3], v[3];
      bike_frame_position(b, p);
      bike_frame_velocity(b, v);
      std::printf("t=%.2f pos=%.4f %.4f %.4f v=%.4f %.4f %.4f fork=%.3f shock=%.3f fd=%.4f rd=%.4f lean=%.4f rider=%.3f\n", (t + 1) / 128.0, p[0], p[1], p[2], v[0], v[1], v[2],
                  bike_fork_position(b), bike_swingarm_position(b), b->contacts[0].depth, b->contacts[1].depth, lean_angle(b),
                  dBodyGetPosition(b->bodies[BODY_RIDER])[1] - p[1]);
    }
  }
}

TEST(Experiment, Drop) {
  terrain_free();
  ASSERT_TRUE(terrain_alloc(6, 2.0f));
  terrain_update_range();
  ASSERT_TRUE(physics_world_create());
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(b);
  bike_translate(b, 128, 0, 128);
  bike_raise_until_clear(b);
  bike_translate(b, 0, 1, 0);
  std::printf("mass %f\n", b->total_mass);
  run(b, 128 * 6, true);
  physics_world_destroy();
  terrain_free();
}

TEST(Experiment, Roll) {
  terrain_free();
  ASSERT_TRUE(terrain_alloc(7, 2.0f));
  terrain_update_range();
  ASSERT_TRUE(physics_world_create());
  Bike* b = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
  bike_translate(b, 256, 0, 500);
  bike_raise_until_clear(b);
  run(b, 256, false);
  bike_set_speed(b, 30);
  run(b, 128 * 8, true);
  physics_world_destroy();
  terrain_free();
}
