// Heightfield: triangulation, height and normal queries, contacts, height
// writes under the edit lock.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "track/track.h"

namespace {

// A fresh terrain of exponent n and spacing s with heights from f(c, r).
void make_terrain(int n, float s, const std::function<float(int, int)>& f) {
  ASSERT_TRUE(terrain_alloc(n, s));
  for (int r = 0; r < terrain.dim; r++)
    for (int c = 0; c < terrain.dim; c++) terrain.heights[c + terrain.dim * r] = f(c, r);
  terrain_update_range();
}

struct TerrainTest : ::testing::Test {
  void TearDown() override { terrain_free(); }
};

void expect_vec(const float* v, float x, float y, float z, float tol = 1e-5f) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

TEST_F(TerrainTest, SizeExponentZeroIsThreeByThree) {
  make_terrain(0, 4.0f, [](int, int) { return 0.0f; });
  EXPECT_EQ(terrain.dim, 3);
  EXPECT_EQ(terrain.tiles, 1);
  EXPECT_FLOAT_EQ(terrain.world_size, 8.0f);
  EXPECT_FALSE(terrain_alloc(-1, 1.0f));
  EXPECT_FALSE(terrain_alloc(TERRAIN_MAX_N + 1, 1.0f));
  EXPECT_FALSE(terrain_alloc(2, 0.0f));
}

// A single raised vertex tells which way each cell is cut: the wrong
// diagonal would give a different height at the probe.
TEST_F(TerrainTest, DiagonalsAlternateLikeACheckerboard) {
  struct Case {
    int bump_c, bump_r;   // the raised vertex (height 1)
    float u, v;           // probe in grid units
    float expected;
  } cases[] = {
      {1, 0, 0.5f, 0.25f, 0.25f},   // even cell (0,0): cut (0,0)-(1,1)
      {0, 1, 0.25f, 0.5f, 0.25f},   // the other half of that cell
      {2, 1, 1.75f, 0.5f, 0.25f},   // odd cell (1,0): cut (1,1)-(2,0)
      {1, 0, 1.25f, 0.5f, 0.25f},   // its first triangle holds (1,0)
  };
  for (const Case& k : cases) {
    make_terrain(1, 2.0f, [&](int c, int r) { return c == k.bump_c && r == k.bump_r ? 1.0f : 0.0f; });
    EXPECT_NEAR(terrain_height(k.u * 2.0f, k.v * 2.0f), k.expected, 1e-6f) << k.bump_c << "," << k.bump_r;
  }
}

TEST_F(TerrainTest, TriangleVerticesFollowTheCut) {
  make_terrain(1, 1.0f, [](int, int) { return 0.0f; });
  int v[3][2];
  // Even cell (0,0), first triangle: (0,0), (0,1), (1,1).
  EXPECT_EQ(terrain_triangle_at(0.2f, 0.7f, v), 0);
  int even_first[3][2] = {{0, 0}, {0, 1}, {1, 1}};
  for (int i = 0; i < 3; i++) EXPECT_TRUE(v[i][0] == even_first[i][0] && v[i][1] == even_first[i][1]);
  // Odd cell (1,0), second triangle: (2,1), (2,0), (1,1).
  EXPECT_EQ(terrain_triangle_at(1.8f, 0.7f, v), 3);
  int odd_second[3][2] = {{2, 1}, {2, 0}, {1, 1}};
  for (int i = 0; i < 3; i++) EXPECT_TRUE(v[i][0] == odd_second[i][0] && v[i][1] == odd_second[i][1]);
}

TEST_F(TerrainTest, HeightAndNormalOnASlope) {
  // The plane y = 0.5 x + 0.25 z sampled every 2 ft.
  make_terrain(1, 2.0f, [](int c, int r) { return 0.5f * 2 * c + 0.25f * 2 * r; });
  const float probes[][2] = {{0, 0}, {1.3f, 2.9f}, {3.99f, 0.01f}, {2, 2}, {7.5f, 6.1f}, {1.0f, 1.0f}};
  for (const auto& p : probes) {
    EXPECT_NEAR(terrain_height(p[0], p[1]), 0.5f * p[0] + 0.25f * p[1], 1e-5f);
    float n[3];
    terrain_normal(p[0], p[1], n);
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    float k = std::sqrt(1 + 0.25f + 0.0625f);
    expect_vec(n, -0.5f / k * len, 1 / k * len, -0.25f / k * len);
    EXPECT_GT(n[1], 0);
  }
  float vn[3];
  for (int c : {0, 2, 4}) {
    terrain_vertex_normal(c, 1, vn);
    float k = std::sqrt(1 + 0.25f + 0.0625f);
    expect_vec(vn, -0.5f / k, 1 / k, -0.25f / k);
  }
  // Outside the grid the edge heights continue outward.
  EXPECT_NEAR(terrain_height(-10.0f, 3.0f), 0.75f, 1e-5f);
  EXPECT_NEAR(terrain_height(100.0f, 3.0f), 4.0f + 0.75f, 1e-5f);
  EXPECT_NEAR(terrain_height(-1e30f, 1e30f), 2.0f, 1e-5f);
  EXPECT_TRUE(std::isfinite(terrain_height(NAN, NAN)));
}

TEST_F(TerrainTest, GridPointsAndDiagonalsAgree) {
  make_terrain(2, 1.5f, [](int c, int r) { return (float)((c * 7 + r * 13) % 5); });
  for (int r = 0; r < terrain.dim; r++)
    for (int c = 0; c < terrain.dim; c++)
      EXPECT_FLOAT_EQ(terrain_height(c * 1.5f, r * 1.5f), terrain.heights[c + terrain.dim * r]);
  // Along an even cell's diagonal, both sides give the same height.
  float on = terrain_height(0.5f * 1.5f, 0.5f * 1.5f);
  EXPECT_NEAR(terrain_height(0.5f * 1.5f + 1e-4f, 0.5f * 1.5f), on, 1e-3f);
  EXPECT_NEAR(terrain_height(0.5f * 1.5f, 0.5f * 1.5f + 1e-4f), on, 1e-3f);
}

// ---------------------------------------------------------------------------
// Contacts
// ---------------------------------------------------------------------------

TEST_F(TerrainTest, SphereOnFlatGround) {
  make_terrain(2, 1.0f, [](int, int) { return 1.0f; });
  GroundContact g;
  float centre[3] = {1.3f, 1.4f, 2.6f};
  ASSERT_TRUE(terrain_sphere_contact(centre, 0.5f, &g));
  EXPECT_NEAR(g.depth, 0.1f, 1e-5f);
  expect_vec(g.normal, 0, 1, 0);
  expect_vec(g.point, 1.3f, 0.9f, 2.6f);
  centre[1] = 1.6f;
  EXPECT_FALSE(terrain_sphere_contact(centre, 0.5f, &g));
  // Beyond the edge the ground continues flat; absurd positions find nothing.
  float outside[3] = {-500.0f, 0.0f, 30.0f};
  EXPECT_TRUE(terrain_sphere_contact(outside, 2.0f, &g));
  EXPECT_NEAR(g.depth, 1.0f, 1e-5f);
  float far[3] = {1e30f, 0.0f, -1e30f};
  EXPECT_FALSE(terrain_sphere_contact(far, 2.0f, &g));
}

// Inside a steep face the closest feature would push the sphere down; the
// contact must push sideways instead.
TEST_F(TerrainTest, SphereAgainstSteepFaceGetsHorizontalNormal) {
  make_terrain(3, 1.0f, [](int c, int) { return c >= 5 ? 10.0f : 0.0f; });
  GroundContact g;
  float centre[3] = {4.3f, 1.0f, 4.5f};
  ASSERT_TRUE(terrain_sphere_contact(centre, 0.5f, &g));
  EXPECT_GE(g.normal[1], 0.0f);
  expect_vec(g.normal, 1, 0, 0);
  EXPECT_NEAR(g.depth, 0.5f - 2.0f / std::sqrt(101.0f), 1e-4f);
}

TEST_F(TerrainTest, WheelContactsHandComputed) {
  make_terrain(4, 1.0f, [](int, int) { return 0.0f; });
  const float slack = 1.0f / 1048576.0f;
  const float s30 = 0.5f, c30 = std::sqrt(3.0f) / 2;
  struct Case {
    Wheel w;
    float depth, point[3];
    bool first_too;  // the middle cell holds the deepest point
  } cases[] = {
      // Upright wheel: lowest point straight below the hub.
      {{{8.2f, 1.0f, 8.3f}, {1, 0, 0}, 0.8f, 0.3f}, 0.1f, {8.2f, -0.1f, 8.3f}, true},
      // Sunk past the tube's centre: the depth keeps growing.
      {{{8.2f, 0.5f, 8.3f}, {1, 0, 0}, 0.8f, 0.3f}, 0.6f, {8.2f, -0.6f, 8.3f}, true},
      // Leaned 30 degrees: the rim's low point moves sideways.
      {{{8.0f, 1.0f, 8.0f}, {c30, s30, 0}, 1.0f, 0.25f}, 0.25f - (1 - c30), {8.5f, -(0.25f - (1 - c30)), 8.0f}, false},
      // Lying flat: the axle is vertical, any rim point is lowest.
      {{{8.0f, 0.2f, 8.0f}, {0, 1, 0}, 0.8f, 0.3f}, 0.1f, {NAN, -0.1f, NAN}, false},
  };
  for (const Case& k : cases) {
    for (int first = 0; first < (k.first_too ? 2 : 1); first++) {
      GroundContact g;
      bool hit = first ? terrain_wheel_contact_first(&k.w, &g) : terrain_wheel_contact_deepest(&k.w, &g);
      ASSERT_TRUE(hit);
      EXPECT_NEAR(g.depth, k.depth - slack, 1e-5f);
      expect_vec(g.normal, 0, 1, 0);
      for (int i = 0; i < 3; i++)
        if (!std::isnan(k.point[i])) {
          EXPECT_NEAR(g.point[i], k.point[i], 1e-4f) << i << " first=" << first;
        }
    }
  }
}

TEST_F(TerrainTest, WheelJustTouchingIsNoContact) {
  make_terrain(3, 1.0f, [](int, int) { return 0.0f; });
  Wheel w = {{4.0f, 1.0f, 4.0f}, {1, 0, 0}, 0.75f, 0.25f};
  GroundContact g;
  EXPECT_FALSE(terrain_wheel_contact_deepest(&w, &g));
  EXPECT_FALSE(terrain_wheel_contact_first(&w, &g));
  w.centre[1] = 1.0f - 1.0f / 2097152.0f;  // half the slack deep
  EXPECT_FALSE(terrain_wheel_contact_deepest(&w, &g));
  w.centre[1] = 0.99f;
  EXPECT_TRUE(terrain_wheel_contact_deepest(&w, &g));
}

// On a ridge the deepest contact is on the ridge line; the first contact
// found near the middle may be any touching triangle but never deeper.
TEST_F(TerrainTest, DeepestIsNeverShallowerThanFirst) {
  make_terrain(4, 1.0f, [](int c, int r) { return 0.3f * std::sin(c * 0.9f) + 0.2f * std::cos(r * 1.3f); });
  for (float x = 3.0f; x < 12.0f; x += 0.77f) {
    Wheel w = {{x, 0.9f, 7.3f}, {0.8f, 0.1f, 0.6f}, 0.8f, 0.3f};
    GroundContact deep, first;
    bool a = terrain_wheel_contact_deepest(&w, &deep);
    bool b = terrain_wheel_contact_first(&w, &first);
    EXPECT_EQ(a, b);
    if (a && b) {
      EXPECT_GE(deep.depth, first.depth - 1e-6f);
    }
  }
}

// ---------------------------------------------------------------------------
// Height writes
// ---------------------------------------------------------------------------

TEST_F(TerrainTest, HeightWritesMarkDirtyAndRespectTheLock) {
  make_terrain(2, 1.0f, [](int, int) { return 0.0f; });
  float before[3];
  terrain_vertex_normal(4, 4, before);
  expect_vec(before, 0, 1, 0);

  terrain.edit_lock = true;
  terrain_set_height(4, 4, 2.0f);
  EXPECT_EQ(terrain.heights[4 + 9 * 4], 0.0f);
  EXPECT_EQ(terrain.modified, 0u);
  EXPECT_EQ(terrain.max_height, 0.0f);

  terrain.edit_lock = false;
  terrain_set_height(4, 4, 2.0f);
  EXPECT_EQ(terrain_height(4.0f, 4.0f), 2.0f);
  EXPECT_EQ(terrain.modified, (unsigned)(TERRAIN_MOD_REDRAW | TERRAIN_MOD_UNSAVED | TERRAIN_MOD_EDITOR));
  EXPECT_EQ(terrain.max_height, 2.0f);
  // The neighbour's vertex normal now leans away from the raised point.
  float after[3];
  terrain_vertex_normal(5, 4, after);
  EXPECT_GT(after[0], 0.1f);
  // Shading-dirty bits: exactly the 3 x 3 block.
  for (int r = 0; r < 9; r++)
    for (int c = 0; c < 9; c++) {
      size_t p = c + 9 * r;
      bool dirty = (terrain.shading_dirty[p >> 5] >> (p & 31)) & 1;
      EXPECT_EQ(dirty, std::abs(c - 4) <= 1 && std::abs(r - 4) <= 1) << c << "," << r;
    }
  // Writes outside the grid are ignored.
  terrain_set_height(-1, 0, 99.0f);
  terrain_set_height(0, 9, 99.0f);
  EXPECT_EQ(terrain.max_height, 2.0f);
  EXPECT_NEAR(terrain_hfvol(), 2.0, 1e-9);
}

}  // namespace
