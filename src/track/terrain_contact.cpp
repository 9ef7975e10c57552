// Contact queries against the ground: spheres (bodies, riders) and tori
// (wheels). Only the cells under the shape's bounding square are visited,
// and both triangles of each cell are tested.
#include <cmath>

#include "track/terrain_local.h"
#include "track/track.h"

// Wheels exactly touching the ground are not in contact.
static const float WHEEL_SLACK = 1.0f / 1048576.0f;

struct Tri {
  float v[3][3];   // vertices in world units
  float n[3];      // unit upward normal
};

static void tri_build(int t, int row, Tri* tri) {
  int v[3][2];
  terrain_triangle_vertices(t, row, v);
  for (int i = 0; i < 3; i++) terrain_vertex(v[i][0], v[i][1], tri->v[i]);
  triangle_normal(v, tri->n);
  vec_normalise(tri->n);
}

static void sub(const float a[3], const float b[3], float out[3]) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
  out[2] = a[2] - b[2];
}

static void madd(const float a[3], float s, const float d[3], float out[3]) {
  out[0] = a[0] + s * d[0];
  out[1] = a[1] + s * d[1];
  out[2] = a[2] + s * d[2];
}

// Closest point of triangle (a, b, c) to p: by Voronoi region of vertex,
// edge or face. Returns true when it lies inside the face.
static bool closest_on_triangle(const float p[3], const Tri* t, float out[3]) {
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

// Sphere against one triangle; depth (> 0 for a contact) with point and
// normal filled in.
static float sphere_triangle(const float centre[3], float radius, const Tri* t, GroundContact* out) {
  float q[3], d[3];
  closest_on_triangle(centre, t, q);
  sub(centre, q, d);
  float dist = std::sqrt(vec_dot(d, d));
  float depth = radius - dist;
  if (!(depth > 0)) return depth;
  if (dist > 0) {
    for (int i = 0; i < 3; i++) out->normal[i] = d[i] / dist;
  } else {
    for (int i = 0; i < 3; i++) out->normal[i] = t->n[i];
  }
  madd(centre, -radius, out->normal, out->point);
  out->depth = depth;
  return depth;
}

// A contact below a steep face must never push down: a downward normal
// becomes horizontal, or straight up when it has no horizontal part.
static void fix_normal(float n[3]) {
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

// Cell range [lo, hi) covering [centre - half, centre + half] along one
// axis, kept to a band around the grid so that odd input cannot ask for
// billions of cells.
static void cell_range(float centre, float half, int* lo, int* hi) {
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

bool terrain_sphere_contact(const float centre[3], float radius, GroundContact* out) {
  if (!terrain.heights) return false;
  int c0, c1, r0, r1;
  cell_range(centre[0], radius, &c0, &c1);
  cell_range(centre[2], radius, &r0, &r1);
  GroundContact best{}, cur{};
  bool hit = false;
  Tri tri;
  for (int r = r0; r < r1; r++) {
    for (int c = c0; c < c1; c++) {
      for (int half = 0; half < 2; half++) {
        tri_build(2 * c + half, r, &tri);
        if (sphere_triangle(centre, radius, &tri, &cur) > 0 && (!hit || cur.depth > best.depth)) {
          best = cur;
          hit = true;
        }
      }
    }
  }
  if (!hit) return false;
  fix_normal(best.normal);
  *out = best;
  return true;
}

// ---------------------------------------------------------------------------
// Wheels
// ---------------------------------------------------------------------------

struct WheelFrame {
  float centre[3];
  float axle[3];  // unit
  float R, r;
};

// Unit direction in the rim plane nearest to d; when d lies along the axle
// the x, y and z axes are tried in turn.
static void rim_direction(const WheelFrame* w, const float d[3], float out[3]) {
  static const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const float* try_dir = d;
  for (int attempt = -1; attempt < 3; attempt++) {
    if (attempt >= 0) try_dir = axes[attempt];
    float k = vec_dot(try_dir, w->axle);
    madd(try_dir, -k, w->axle, out);
    float len2 = vec_dot(out, out);
    if (len2 > 1e-12f * (vec_dot(try_dir, try_dir) + 1e-30f) && len2 > 0) {
      vec_normalise(out);
      return;
    }
  }
}

static void rim_point(const WheelFrame* w, const float toward[3], float out[3]) {
  float d[3], dir[3];
  sub(toward, w->centre, d);
  rim_direction(w, d, dir);
  madd(w->centre, w->R, dir, out);
}

static void closest_on_segment(const float p[3], const float a[3], const float b[3], float out[3]) {
  float ab[3], ap[3];
  sub(b, a, ab);
  sub(p, a, ap);
  float len2 = vec_dot(ab, ab);
  float t = len2 > 0 ? vec_dot(ap, ab) / len2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  madd(a, t, ab, out);
}

// The tube as a sphere of radius r at the rim point nearest to each feature
// of the triangle (face, three edges, three vertices); the deepest wins.
// Returns the depth less the slack, with out filled in when positive.
static float torus_triangle(const WheelFrame* w, const Tri* t, GroundContact* out) {
  // Cheap rejections first: the tube lies within r of the rim plane and
  // within R + r of the hub.
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

  float best = 0;
  bool hit = false;
  float p[3];
  GroundContact cur;
  auto consider = [&](const float centre[3]) {
    if (sphere_triangle(centre, w->r, t, &cur) > 0 && (!hit || cur.depth > best)) {
      *out = cur;
      best = cur.depth;
      hit = true;
    }
  };
  // Face: the rim point lowest along the triangle's normal, measured from
  // the plane so the depth keeps growing as the wheel sinks. When it lies
  // over the inside of the face no edge or vertex can be deeper.
  float down[3], proj[3], onto[3];
  madd(w->centre, -1.0f, t->n, down);
  rim_point(w, down, p);
  sub(p, t->v[0], d);
  float height = vec_dot(d, t->n);
  madd(p, -height, t->n, proj);
  if (closest_on_triangle(proj, t, onto)) {
    if (!(w->r - height > WHEEL_SLACK)) return 0;
    for (int i = 0; i < 3; i++) out->normal[i] = t->n[i];
    madd(p, -w->r, t->n, out->point);
    out->depth = w->r - height - WHEEL_SLACK;
    return out->depth;
  }
  for (int i = 0; i < 3; i++) {
    rim_point(w, t->v[i], p);
    consider(p);
    // Edge: alternate between the segment and the rim circle.
    const float *a = t->v[i], *b = t->v[(i + 1) % 3];
    closest_on_segment(w->centre, a, b, q);
    for (int k = 0; k < 6; k++) {
      rim_point(w, q, p);
      closest_on_segment(p, a, b, q);
    }
    consider(p);
  }
  if (!hit) return 0;
  out->depth -= WHEEL_SLACK;
  return out->depth;
}

static bool wheel_frame(const Wheel* wheel, WheelFrame* f) {
  if (!terrain.heights) return false;
  for (int i = 0; i < 3; i++) {
    f->centre[i] = wheel->centre[i];
    f->axle[i] = wheel->axle[i];
  }
  if (vec_normalise(f->axle) == 0 || !std::isfinite(f->axle[0] + f->axle[1] + f->axle[2])) {
    f->axle[0] = 1;
    f->axle[1] = f->axle[2] = 0;
  }
  f->R = wheel->rim_radius;
  f->r = wheel->tube_radius;
  return true;
}

bool terrain_wheel_contact_deepest(const Wheel* wheel, GroundContact* out) {
  WheelFrame f;
  if (!wheel_frame(wheel, &f)) return false;
  int c0, c1, r0, r1;
  cell_range(f.centre[0], f.R + f.r, &c0, &c1);
  cell_range(f.centre[2], f.R + f.r, &r0, &r1);
  GroundContact best{}, cur{};
  bool hit = false;
  Tri tri;
  for (int r = r0; r < r1; r++) {
    for (int c = c0; c < c1; c++) {
      for (int half = 0; half < 2; half++) {
        tri_build(2 * c + half, r, &tri);
        if (torus_triangle(&f, &tri, &cur) > 0 && (!hit || cur.depth > best.depth)) {
          best = cur;
          hit = true;
        }
      }
    }
  }
  if (!hit) return false;
  fix_normal(best.normal);
  *out = best;
  return true;
}

// The k-th index visited from the middle outwards: m, m+1, m-1, m+2, ...
// (-1 for a step that falls outside [0, count)).
static int middle_out(int k, int count) {
  int m = (count - 1) / 2;
  int step = (k + 1) / 2;
  int i = (k & 1) ? m + step : m - step;
  return (i >= 0 && i < count) ? i : -1;
}

bool terrain_wheel_contact_first(const Wheel* wheel, GroundContact* out) {
  WheelFrame f;
  if (!wheel_frame(wheel, &f)) return false;
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
