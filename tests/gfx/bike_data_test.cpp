// The default data set's bike files: every model and shape the catalogue
// names loads cleanly through the file layer and fits the bodies it belongs
// to.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bike/bike.h"
#include "files/files.h"
#include "gfx/gfx.h"
#include "gfx_test_util.h"

namespace {

class BikeData : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* data = std::getenv("DW_DATA_DIR");
    std::string dir = data ? data : std::string(DW_BINARY_DIR) + "/data";
    if (!std::filesystem::exists(dir + "/generic_frame.shp"))
      GTEST_SKIP() << "no default data set in " << dir << " (build the game_data target)";
    std::string home = std::string(DW_BINARY_DIR) + "/test_tmp/bike_data_home";
    std::filesystem::create_directories(home);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    setenv("DW_HOME", dir.c_str(), 1);
    vfs_shutdown();
    delete_all_models();
  }
  void TearDown() override {
    delete_all_models();
    vfs_shutdown();
  }
};

bool ends_with(const std::string& s, const char* end) {
  size_t n = std::strlen(end);
  return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

struct Box {
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
};

Box bounds(const Model* m) {
  Box b;
  for (const Model* p = m; p; p = p->next_part)
    for (int v = 0; v < p->vertex_count; v++)
      for (int k = 0; k < 3; k++) {
        b.lo[k] = std::fmin(b.lo[k], p->positions[3 * v + k]);
        b.hi[k] = std::fmax(b.hi[k], p->positions[3 * v + k]);
      }
  return b;
}

TEST_F(BikeData, EveryCatalogueModelAndShapeLoadsCleanly) {
  ConsoleWatch watch;
  int models = 0, shapes = 0;
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel* b = bike_model(i);
    for (const auto& file : b->files) {
      std::string name = file;
      if (ends_with(name, ".qm")) {
        EXPECT_NE(get_model(file), nullptr) << b->name << ": " << name;
        models++;
      } else if (ends_with(name, ".shp")) {
        EXPECT_NE(get_shape(file), nullptr) << b->name << ": " << name;
        shapes++;
      }
    }
  }
  EXPECT_EQ(models, 80 * 12);
  EXPECT_EQ(shapes, 80 * 7);
  EXPECT_EQ(watch.count(), 0) << "first message: " << watch.last();
}

TEST_F(BikeData, WheelsFitTheirTyresAndHaveADistantVersion) {
  const BikeModel* d = bike_model(BIKE_DEFAULT_MODEL);
  for (const WheelBlock* w : {&d->front_wheel, &d->rear_wheel}) {
    const char* path = w == &d->front_wheel ? d->files[BIKE_FILE_FRONT_WHEEL_MODEL] : d->files[BIKE_FILE_REAR_WHEEL_MODEL];
    SCOPED_TRACE(path);
    Model* m = get_model(path);
    ASSERT_NE(m, nullptr);
    Box b = bounds(m);
    double rolling = w->tire_ring_radius + w->tire_section_radius;
    EXPECT_NEAR(b.hi[1], rolling, rolling * 0.05);  // the tread at the rolling radius
    EXPECT_NEAR(-b.lo[2], rolling, rolling * 0.05);
    EXPECT_LT(b.hi[0] - b.lo[0], 1.0);               // narrower than a foot across the axle
    ASSERT_NE(m->next_lod, nullptr);
    EXPECT_FLOAT_EQ(m->next_lod->lod_distance, 32);
    EXPECT_EQ(model_pick_lod(m, 40, 0, 1), m->next_lod);
    int near_triangles = 0, far_triangles = 0;
    for (const Model* p = m; p; p = p->next_part) near_triangles += p->triangle_count;
    for (const Model* p = m->next_lod; p; p = p->next_part) far_triangles += p->triangle_count;
    EXPECT_LT(far_triangles * 2, near_triangles);
  }
}

TEST_F(BikeData, ChassisModelsSpanTheirBodies) {
  for (int i : {0, 22, 49, 64, 79}) {
    const BikeModel* b = bike_model(i);
    SCOPED_TRACE(b->name);
    // the swingarm reaches from the pivot to the rear axle
    Model* arm = get_model(b->files[BIKE_FILE_SWINGARM_MODEL]);
    ASSERT_NE(arm, nullptr);
    Box s = bounds(arm);
    EXPECT_LT(s.lo[2], b->swingarm_pivot[2] - b->swingarm_position[2]);
    EXPECT_GT(s.hi[2], b->rear_wheel.center[2] - b->swingarm_position[2]);
    // the frame sits between the wheels, above the ground
    Model* frame = get_model(b->files[BIKE_FILE_FRAME_MODEL]);
    ASSERT_NE(frame, nullptr);
    Box f = bounds(frame);
    EXPECT_GT(f.lo[2] + b->frame_position[2], b->front_wheel.center[2]);
    EXPECT_GT(f.lo[1] + b->frame_position[1], 0.5);
    EXPECT_GT(f.hi[1] + b->frame_position[1], 3.0);  // seat height
    // the handlebar's ends are at the rider's grips
    Model* fork = get_model(b->files[BIKE_FILE_FORK_UPPER_MODEL]);
    ASSERT_NE(fork, nullptr);
    Box u = bounds(fork);
    EXPECT_NEAR(u.hi[0], b->rider_pose[18] + 0.15, 0.08);
  }
}

TEST_F(BikeData, RiderIsSkinnedToNineBones) {
  const BikeModel* d = bike_model(BIKE_DEFAULT_MODEL);
  for (int f : {BIKE_FILE_BODY_MODEL, BIKE_FILE_BODY_FP_MODEL, BIKE_FILE_RIDER_PLATE_MODEL}) {
    Model* m = get_model(d->files[f]);
    ASSERT_NE(m, nullptr);
    int used[9] = {0};
    for (const Model* p = m; p; p = p->next_part) {
      ASSERT_EQ(p->bone_count, 9) << d->files[f];
      for (int k = 0; k < 4 * p->vertex_count; k++)
        if (p->bone_weights[k] > 0) used[p->bone_indices[k]]++;
    }
    if (f == BIKE_FILE_RIDER_PLATE_MODEL) continue;
    for (int bone = 0; bone < 9; bone++) EXPECT_GT(used[bone], 0) << d->files[f] << " bone " << bone;
  }
  // the first-person body stops below the chest
  EXPECT_LT(bounds(get_model(d->files[BIKE_FILE_BODY_FP_MODEL])).hi[1],
            bounds(get_model(d->files[BIKE_FILE_BODY_MODEL])).hi[1]);
}

TEST_F(BikeData, WheelShapesRingTheTyre) {
  const BikeModel* d = bike_model(BIKE_DEFAULT_MODEL);
  Shape* s = get_shape(d->files[BIKE_FILE_FRONT_WHEEL_SHAPE]);
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(s->bounding_radius, d->front_wheel.tire_ring_radius + d->front_wheel.tire_section_radius, 1e-3);
  Shape* rider = get_shape(d->files[BIKE_FILE_RIDER_SHAPE]);
  ASSERT_NE(rider, nullptr);
  EXPECT_GT(rider->sphere_count, 3);
}

}  // namespace
