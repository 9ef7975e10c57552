// Collision shapes: reading, bounding radius, the cache and private copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gfx/gfx.h"
#include "gfx_test_util.h"

namespace {

Shape* parse_shape(const std::string& text) { return shape_parse(text.data(), text.size(), "fixture.shp"); }

const char* kTwoSpheres =
    "2\n"
    "0 1 0   0.5 0.8 2500 250\n"
    "3 0 -4  1   0.6 10000 100\n";

TEST(ShapeRead, SpheresAndBoundingRadius) {
  Shape* s = parse_shape(kTwoSpheres);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->sphere_count, 2);
  const ShapeSphere& b = s->spheres[1];
  EXPECT_FLOAT_EQ(b.center[0], 3);
  EXPECT_FLOAT_EQ(b.center[2], -4);
  EXPECT_FLOAT_EQ(b.radius, 1);
  EXPECT_FLOAT_EQ(b.friction, 0.6f);
  EXPECT_FLOAT_EQ(b.spring, 10000);
  EXPECT_FLOAT_EQ(b.damping, 100);
  EXPECT_FLOAT_EQ(s->bounding_radius, 6);  // |(3, 0, -4)| + 1
  EXPECT_STREQ(s->path, "fixture.shp");
  shape_free(s);
}

TEST(ShapeRead, EmptyShapeHasNoReach) {
  Shape* s = parse_shape("0\n");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->sphere_count, 0);
  EXPECT_FLOAT_EQ(s->bounding_radius, 0);
  shape_free(s);
}

TEST(ShapeRead, MalformedFilesGiveNoShapeAndAMessage) {
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"no count", "spheres"},
      {"negative count", "-1\n0 0 0 1 1 1 1\n"},
      {"short", "2\n0 1 0 0.5 0.8 2500 250\n3 0 -4 1 0.6\n"},
      {"absurd count", "2147483647\n0 1 0 0.5 0.8 2500 250\n"},
      {"count past int", "9999999999\n"},
      {"word inside", "1\n0 1 zero 0.5 0.8 2500 250\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ConsoleWatch watch;
    EXPECT_EQ(parse_shape(c.second), nullptr);
    EXPECT_EQ(watch.count(), 1);
  }
}

std::string write_shape(const std::string& name, const std::string& text) {
  std::string dir = std::string(DW_BINARY_DIR) + "/test_tmp/gfx_shape";
  std::filesystem::create_directories(dir);
  std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(ShapeCache, CachedByExactPathAndCopiesArePrivate) {
  std::string path = write_shape("two.shp", kTwoSpheres);
  Shape* a = get_shape(path.c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(get_shape(path.c_str()), a);
  Shape* copy = copy_shape(path.c_str());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, a);
  EXPECT_NE(copy->spheres, a->spheres);
  EXPECT_FLOAT_EQ(copy->bounding_radius, a->bounding_radius);
  copy->spheres[0].center[1] = 42;  // an object moving its copy
  EXPECT_FLOAT_EQ(a->spheres[0].center[1], 1);
  shape_free(copy);
  EXPECT_EQ(get_shape((std::string(DW_BINARY_DIR) + "/test_tmp/gfx_shape/none.shp").c_str()), nullptr);
  EXPECT_EQ(copy_shape((std::string(DW_BINARY_DIR) + "/test_tmp/gfx_shape/none.shp").c_str()), nullptr);
  delete_all_shapes();
}

}  // namespace
