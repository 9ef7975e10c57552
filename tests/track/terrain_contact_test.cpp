// Ground contacts against a plain reference: the queries skip cells and
// triangles by cheap bounds and test wheels' triangles deepest-bound first,
// and none of that may change an answer by a single bit. The reference
// below visits every triangle of the square in row order with the full
// sphere and torus tests, keeping a later triangle only when strictly
// deeper.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "track/terrain_local.h"
#include "track/track.h"

namespace {

// ---------------------------------------------------------------------------
// Reference queries
// ---------------------------------------------------------------------------

const float SLACK = 1.0f / 1048576.0f;

struct Tri {
  float v[3][3];
  float n[3];
};

void tri_build(int t, int row, Tri* tri) {
  int v[3][2];
  terrain_triangle_vertices(t, row, v);
  for (int i = 0; i < 3; i++) terrain_vertex(v[i][0], v[i][1], tri->v[i]);
  triangle_normal(v, tri->n);
  vec_normalise(tri->n);
}

void sub(const float a[3], const float b[3], float out[3]) {
  for (int i = 0; i < 3; i++) out[i] = a[i] - b[i];
}

void madd(const float a[3], float s, const float d[3], float out[3]) {
  for (int i = 0; i < 3; i++) out[i] = a[i] + s * d[i];
}

bool closest_on_triangle(const float p[3], const Tri* t, float out[3]) {
  const float *a = t->v[0], *b = t->v[1], *c = t->v[2];
  float ab[3], ac[3], ap[3], bp[3], cp[3];
  sub(b, a, ab);
  sub(c, a, ac);
  sub(p, a, ap);
  float d1 = vec_dot(ab, ap), d2 = vec_dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return madd(a, 0, ab, out), false;
  sub(p, b, bp);
  float d3 = vec_dot(ab, bp), d4 = vec_dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return madd(b, 0, ab, out), false;
  float vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return madd(a, d1 / (d1 - d3), ab, out), false;
  sub(p, c, cp);
  float d5 = vec_dot(ab, cp), d6 = vec_dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return madd(c, 0, ab, out), false;
  float vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return madd(a, d2 / (d2 - d6), ac, out), false;
  float va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    float bc[3];
    sub(c, b, bc);
    return madd(b, (d4 - d3) / ((d4 - d3) + (d5 - d6)), bc, out), false;
  }
  float denom = 1.0f / (va + vb + vc);
  float v = vb * denom, w = vc * denom;
  for (int i = 0; i < 3; i++) out[i] = a[i] + ab[i] * v + ac[i] * w;
  return true;
}

float sphere_triangle(const float centre[3], float radius, const Tri* t, GroundContact* out) {
  float q[3], d[3];
  closest_on_triangle(centre, t, q);
  sub(centre, q, d);
  float dist = std::sqrt(vec_dot(d, d));
  float depth = radius - dist;
  if (!(depth > 0)) return depth;
  for (int i = 0; i < 3; i++) out->normal[i] = dist > 0 ? d[i] / dist : t->n[i];
  madd(centre, -radius, out->normal, out->point);
  out->depth = depth;
  return depth;
}

void fix_normal(float n[3]) {
  if (n[1] < 0) {
    if (n[0] * n[0] + n[2] * n[2] >= 1.0f / 1024.0f) {
      n[1] = 0;
    } else {
      n[0] = n[2] = 0;
      n[1] = 1;
    }
  }
  vec_normalise(n);
}

void cell_range(float centre, float half, int* lo, int* hi) {
  double limit = (double)(terrain.dim + QUERY_BAND);
  double a = std::floor((double)(centre - half) / terrain.spacing);
  double b = std::ceil((double)(centre + half) / terrain.spacing);
  if (!(a > -limit)) a = -limit;
  if (!(b < limit)) b = limit;
  if (a > limit) a = limit;
  if (b < -limit) b = -limit;
  *lo = (int)a;
  *hi = (int)b;
}

bool ref_sphere(const float centre[3], float radius, GroundContact* out) {
  int c0, c1, r0, r1;
  cell_range(centre[0], radius, &c0, &c1);
  cell_range(centre[2], radius, &r0, &r1);
  GroundContact best{}, cur{};
  bool hit = false;
  Tri tri;
  for (int r = r0; r < r1; r++)
    for (int c = c0; c < c1; c++)
      for (int half = 0; half < 2; half++) {
        tri_build(2 * c + half, r, &tri);
        if (sphere_triangle(centre, radius, &tri, &cur) > 0 && (!hit || cur.depth > best.depth)) {
          best = cur;
          hit = true;
        }
      }
  if (!hit) return false;
  fix_normal(best.normal);
  *out = best;
  return true;
}

struct WheelFrame {
  float centre[3], axle[3], R, r;
};

void rim_point(const WheelFrame* w, const float toward[3], float out[3]) {
  static const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  float d[3], dir[3];
  sub(toward, w->centre, d);
  const float* try_dir = d;
  for (int attempt = -1; attempt < 3; attempt++) {
    if (attempt >= 0) try_dir = axes[attempt];
    float k = vec_dot(try_dir, w->axle);
    madd(try_dir, -k, w->axle, dir);
    float len2 = vec_dot(dir, dir);
    if (len2 > 1e-12f * (vec_dot(try_dir, try_dir) + 1e-30f) && len2 > 0) {
      vec_normalise(dir);
      break;
    }
  }
  madd(w->centre, w->R, dir, out);
}

void closest_on_segment(const float p[3], const float a[3], const float b[3], float out[3]) {
  float ab[3], ap[3];
  sub(b, a, ab);
  sub(p, a, ap);
  float len2 = vec_dot(ab, ab);
  float t = len2 > 0 ? vec_dot(ap, ab) / len2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  madd(a, t, ab, out);
}

float torus_triangle(const WheelFrame* w, const Tri* t, GroundContact* out) {
  float side[3], d[3];
  for (int i = 0; i < 3; i++) {
    sub(t->v[i], w->centre, d);
    side[i] = vec_dot(d, w->axle);
  }
  if ((side[0] > w->r && side[1] > w->r && side[2] > w->r) ||
      (side[0] < -w->r && side[1] < -w->r && side[2] < -w->r))
    return 0;
  float q[3];
  closest_on_triangle(w->centre, t, q);
  sub(q, w->centre, d);
  if (vec_dot(d, d) >= (w->R + w->r) * (w->R + w->r)) return 0;
  float best = 0, p[3];
  bool hit = false;
  GroundContact cur;
  auto consider = [&](const float centre[3]) {
    if (sphere_triangle(centre, w->r, t, &cur) > 0 && (!hit || cur.depth > best)) {
      *out = cur;
      best = cur.depth;
      hit = true;
    }
  };
  float down[3], proj[3], onto[3];
  madd(w->centre, -1.0f, t->n, down);
  rim_point(w, down, p);
  sub(p, t->v[0], d);
  float height = vec_dot(d, t->n);
  madd(p, -height, t->n, proj);
  if (closest_on_triangle(proj, t, onto)) {
    if (!(w->r - height > SLACK)) return 0;
    for (int i = 0; i < 3; i++) out->normal[i] = t->n[i];
    madd(p, -w->r, t->n, out->point);
    out->depth = w->r - height - SLACK;
    return out->depth;
  }
  for (int i = 0; i < 3; i++) {
    rim_point(w, t->v[i], p);
    consider(p);
    const float *a = t->v[i], *b = t->v[(i + 1) % 3];
    closest_on_segment(w->centre, a, b, q);
    for (int k = 0; k < 6; k++) {
      rim_point(w, q, p);
      closest_on_segment(p, a, b, q);
    }
    consider(p);
  }
  if (!hit) return 0;
  out->depth -= SLACK;
  return out->depth;
}

WheelFrame frame_of(const Wheel* wheel) {
  WheelFrame f;
  for (int i = 0; i < 3; i++) {
    f.centre[i] = wheel->centre[i];
    f.axle[i] = wheel->axle[i];
  }
  if (vec_normalise(f.axle) == 0 || !std::isfinite(f.axle[0] + f.axle[1] + f.axle[2])) {
    f.axle[0] = 1;
    f.axle[1] = f.axle[2] = 0;
  }
  f.R = wheel->rim_radius;
  f.r = wheel->tube_radius;
  return f;
}

bool ref_deepest(const Wheel* wheel, GroundContact* out) {
  WheelFrame f = frame_of(wheel);
  int c0, c1, r0, r1;
  cell_range(f.centre[0], f.R + f.r, &c0, &c1);
  cell_range(f.centre[2], f.R + f.r, &r0, &r1);
  GroundContact best{}, cur{};
  bool hit = false;
  Tri tri;
  for (int r = r0; r < r1; r++)
    for (int c = c0; c < c1; c++)
      for (int half = 0; half < 2; half++) {
        tri_build(2 * c + half, r, &tri);
        if (torus_triangle(&f, &tri, &cur) > 0 && (!hit || cur.depth > best.depth)) {
          best = cur;
          hit = true;
        }
      }
  if (!hit) return false;
  fix_normal(best.normal);
  *out = best;
  return true;
}

int middle_out(int k, int count) {
  int m = (count - 1) / 2;
  int step = (k + 1) / 2;
  int i = (k & 1) ? m + step : m - step;
  return (i >= 0 && i < count) ? i : -1;
}

bool ref_first(const Wheel* wheel, GroundContact* out) {
  WheelFrame f = frame_of(wheel);
  int c0, c1, r0, r1;
  cell_range(f.centre[0], f.R + f.r, &c0, &c1);
  cell_range(f.centre[2], f.R + f.r, &r0, &r1);
  int rows = r1 - r0, cols = c1 - c0;
  Tri tri;
  GroundContact cur{};
  for (int kr = 0; kr < 2 * rows; kr++) {
    int rr = middle_out(kr, rows);
    if (rr < 0) continue;
    for (int kc = 0; kc < 2 * cols; kc++) {
      int cc = middle_out(kc, cols);
      if (cc < 0) continue;
      for (int half = 0; half < 2; half++) {
        tri_build(2 * (c0 + cc) + half, r0 + rr, &tri);
        if (torus_triangle(&f, &tri, &cur) > 0) {
          fix_normal(cur.normal);
          *out = cur;
          return true;
        }
      }
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Fixture and poses
// ---------------------------------------------------------------------------

// 33 x 33 points, 1.25 ft apart: rolling bumps with seeded noise, a flat
// plateau (where neighbouring triangles tie exactly), and a 3 ft cliff.
void make_bumpy_terrain() {
  ASSERT_TRUE(terrain_alloc(4, 1.25f));
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<float> noise(-0.15f, 0.15f);
  for (int r = 0; r < terrain.dim; r++) {
    for (int c = 0; c < terrain.dim; c++) {
      float h = 0.6f * std::sin(c * 0.7f) * std::cos(r * 0.45f) + 0.3f * std::sin(r * 1.9f + c * 0.3f) + noise(rng);
      if (c >= 22 && c <= 28 && r >= 4 && r <= 10) h = 1.0f;  // plateau
      if (r >= 20 && c >= 8 && c <= 14) h += 3.0f;              // cliff along row 20
      terrain.heights[c + terrain.dim * r] = h;
    }
  }
  terrain_update_range();
}

struct Pose {
  Wheel w;
  const char* kind;
};

void set_axle(Wheel* w, float yaw, float lean) {
  w->axle[0] = std::cos(yaw) * std::cos(lean);
  w->axle[1] = std::sin(lean);
  w->axle[2] = std::sin(yaw) * std::cos(lean);
}

// Pose number i of the seeded set; kinds take turns.
Pose random_pose(int i, std::mt19937& rng) {
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  float size = terrain.world_size;
  Pose p;
  Wheel& w = p.w;
  w.rim_radius = 0.5f + 0.6f * u(rng);
  w.tube_radius = 0.1f + 0.3f * u(rng);
  float x = (u(rng) * 1.2f - 0.1f) * size, z = (u(rng) * 1.2f - 0.1f) * size;
  set_axle(&w, u(rng) * 6.2831853f, (u(rng) - 0.5f) * 2.4f);
  float sink;  // how far the rim's low point is below the ground (ft)
  switch (i % 8) {
    case 0:
    case 1:
      p.kind = "riding";
      sink = (u(rng) - 0.3f) * 0.4f;
      break;
    case 2:
      p.kind = "deeply sunk";
      sink = (w.rim_radius + w.tube_radius) * (0.5f + 1.5f * u(rng));
      break;
    case 3:
      // Upright on the plateau, within a few slacks of touching.
      p.kind = "just touching";
      x = (23.5f + 3 * u(rng)) * terrain.spacing;
      z = (5.5f + 3 * u(rng)) * terrain.spacing;
      sink = (u(rng) - 0.5f) * 8e-6f;
      set_axle(&w, u(rng) * 6.2831853f, 0.0f);
      break;
    case 4: {
      // Exactly flat, or tilted by 1e-7 to 0.1 radians.
      p.kind = "lying flat";
      sink = (u(rng) - 0.2f) * 0.6f;
      float tilt = (i & 16) ? 0.0f : std::pow(10.0f, -7.0f + 6.0f * u(rng));
      set_axle(&w, u(rng) * 6.2831853f, 1.5707963f - tilt);
      break;
    }
    case 5:
      p.kind = "far outside";
      x = (u(rng) < 0.5f ? -1 : 1) * std::pow(10.0f, 1.5f + 4.5f * u(rng));
      sink = (u(rng) - 0.3f) * 0.6f;
      break;
    case 6: {
      // Hub over a grid point or edge of the plateau: exact ties.
      p.kind = "on a vertex or edge";
      int c = 22 + (int)(u(rng) * 6), r = 4 + (int)(u(rng) * 6);
      x = c * terrain.spacing + ((i & 8) ? 0.5f * terrain.spacing : 0.0f);
      z = r * terrain.spacing;
      sink = (u(rng) - 0.2f) * 0.3f;
      const float yaws[4] = {0.0f, 1.5707963f, 0.7853982f, 2.3561945f};
      set_axle(&w, yaws[i / 8 % 4], (i & 32) ? 1.5707963f : 0.0f);
      break;
    }
    default:
      p.kind = "big wheel";
      w.rim_radius = 3.0f + 5.0f * u(rng);
      sink = u(rng) * 1.5f;
      break;
  }
  // The rim dips R cos(lean) below the hub, then the tube adds r.
  float low = std::sqrt(std::fmax(0.0f, 1 - w.axle[1] * w.axle[1])) * w.rim_radius + w.tube_radius;
  w.centre[0] = x;
  w.centre[1] = terrain_height(x, z) + low - sink;
  w.centre[2] = z;
  return p;
}

// Seeded poses of every kind the bikes (and odd input) produce.
std::vector<Pose> wheel_poses() {
  std::mt19937 rng(4242);
  std::vector<Pose> poses;
  for (int i = 0; i < 5000; i++) poses.push_back(random_pose(i, rng));
  // Odd axles: zero, not unit, not finite; odd centres.
  Wheel odd = {{10.0f, 0.5f, 12.0f}, {0, 0, 0}, 0.8f, 0.3f};
  poses.push_back({odd, "zero axle"});
  odd.axle[1] = 7.0f;
  poses.push_back({odd, "long axle"});
  odd.axle[0] = INFINITY;
  poses.push_back({odd, "infinite axle"});
  odd = {{INFINITY, 0.5f, 12.0f}, {1, 0, 0}, 0.8f, 0.3f};
  poses.push_back({odd, "infinite centre"});
  odd = {{10.0f, -INFINITY, 12.0f}, {0.3f, 0.2f, 0.9f}, 0.8f, 0.3f};
  poses.push_back({odd, "infinitely deep"});
  return poses;
}

bool same(bool hit_a, const GroundContact& a, bool hit_b, const GroundContact& b) {
  return hit_a == hit_b && (!hit_a || std::memcmp(&a, &b, sizeof a) == 0);
}

struct ContactTest : ::testing::Test {
  void SetUp() override { make_bumpy_terrain(); }
  void TearDown() override { terrain_free(); }
};

TEST_F(ContactTest, WheelQueriesMatchThePlainScanBitForBit) {
  int hits = 0, first_hits = 0, mismatches = 0;
  for (const Pose& p : wheel_poses()) {
    GroundContact ref{}, got{};
    bool a = ref_deepest(&p.w, &ref), b = terrain_wheel_contact_deepest(&p.w, &got);
    if (!same(a, ref, b, got) && ++mismatches <= 10)
      ADD_FAILURE() << "deepest, " << p.kind << " at " << p.w.centre[0] << " " << p.w.centre[1] << " "
                    << p.w.centre[2] << ": reference " << a << " depth " << ref.depth << ", query " << b
                    << " depth " << got.depth;
    hits += a;
    a = ref_first(&p.w, &ref);
    b = terrain_wheel_contact_first(&p.w, &got);
    if (!same(a, ref, b, got) && ++mismatches <= 10)
      ADD_FAILURE() << "first, " << p.kind << " at " << p.w.centre[0] << " " << p.w.centre[1] << " "
                    << p.w.centre[2] << ": reference " << a << " depth " << ref.depth << ", query " << b
                    << " depth " << got.depth;
    first_hits += a;
  }
  EXPECT_EQ(mismatches, 0);
  // The poses must exercise both answers.
  EXPECT_GT(hits, 2000);
  EXPECT_LT(hits, 4500);
  EXPECT_EQ(first_hits, hits);
}

TEST_F(ContactTest, SphereQueryMatchesThePlainScanBitForBit) {
  int hits = 0, mismatches = 0;
  for (const Pose& p : wheel_poses()) {
    // The whole wheel's reach, and the tube alone at the hub.
    for (float radius : {p.w.rim_radius + p.w.tube_radius, p.w.tube_radius}) {
      GroundContact ref{}, got{};
      bool a = ref_sphere(p.w.centre, radius, &ref), b = terrain_sphere_contact(p.w.centre, radius, &got);
      if (!same(a, ref, b, got) && ++mismatches <= 10)
        ADD_FAILURE() << p.kind << " at " << p.w.centre[0] << " " << p.w.centre[1] << " " << p.w.centre[2]
                      << " radius " << radius << ": reference " << a << ", query " << b;
      hits += a;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(hits, 2000);
}

// A centre or size that is not a number touches nothing, and answers at
// once instead of scanning the whole band around the grid.
TEST_F(ContactTest, NotANumberTouchesNothing) {
  GroundContact g;
  const Wheel wheels[] = {
      {{NAN, 0.5f, 12.0f}, {1, 0, 0}, 0.8f, 0.3f},
      {{10.0f, 0.5f, NAN}, {1, 0, 0}, 0.8f, 0.3f},
      {{10.0f, 0.5f, 12.0f}, {1, 0, 0}, NAN, 0.3f},
      {{10.0f, 0.5f, 12.0f}, {1, 0, 0}, 0.8f, NAN},
  };
  for (const Wheel& w : wheels) {
    EXPECT_FALSE(terrain_wheel_contact_deepest(&w, &g));
    EXPECT_FALSE(terrain_wheel_contact_first(&w, &g));
    EXPECT_FALSE(terrain_sphere_contact(w.centre, w.rim_radius + w.tube_radius, &g));
  }
  const float centre[3] = {10.0f, 0.5f, 12.0f};
  EXPECT_FALSE(terrain_sphere_contact(centre, NAN, &g));
}

}  // namespace
