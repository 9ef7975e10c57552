// Contact queries against the ground: spheres (bodies, riders) and tori
// (wheels). Only the cells under the shape's bounding square are visited,
// and both triangles of each cell are tested.
//
// These queries run for every wheel and body sphere of every bike each tic,
// so most of the square is turned away cheaply before the exact tests: a
// cell wholly out of reach or wholly to one side of the tyre, a triangle
// whose bounding box is out of reach. Each such test turns away only what the
// exact test would turn away too, so the answer never depends on them. The
// deepest wheel contact also tests its triangles deepest-bound first and
// skips those that cannot beat the contact in hand; ties still go to the
// triangle that comes first in row-by-row order, as in a plain scan.
#include <cmath>

#include "track/terrain_local.h"
#include "track/track.h"

// Wheels exactly touching the ground are not in contact.
static const float WHEEL_SLACK = 1.0f / 1048576.0f;

struct Tri {
  float v[3][3];   // vertices in world units
  float n[3];      // unit upward normal (wheels only, once near enough)
};

// The four corners of one grid cell, shared by its two triangles.
struct Cell {
  int c, r;           // column and row of the cell
  float v[2][2][3];   // corner [dc][dr] = terrain_vertex(c + dc, r + dr)
};

// terrain_vertex for the four corners, written out: this runs for every
// cell of every query.
static void cell_load(int c, int r, Cell* k) {
  k->c = c;
  k->r = r;
  int last = terrain.dim - 1;
  for (int dc = 0; dc < 2; dc++) {
    int ci = c + dc < 0 ? 0 : (c + dc > last ? last : c + dc);
    for (int dr = 0; dr < 2; dr++) {
      int ri = r + dr < 0 ? 0 : (r + dr > last ? last : r + dr);
      k->v[dc][dr][0] = (float)(c + dc) * terrain.spacing;
      k->v[dc][dr][1] = terrain.heights[ci + (size_t)terrain.dim * ri];
      k->v[dc][dr][2] = (float)(r + dr) * terrain.spacing;
    }
  }
}

// Corner indices ([dc][dr]) of triangle `half` of the cell, in the
// triangulation's vertex order.
static void cell_triangle(const Cell* k, int half, int corner[3][2]) {
  int v[3][2];
  terrain_triangle_vertices(2 * k->c + half, k->r, v);
  for (int i = 0; i < 3; i++) {
    corner[i][0] = v[i][0] - k->c;
    corner[i][1] = v[i][1] - k->r;
  }
}

static void tri_vertices(const Cell* k, const int corner[3][2], Tri* t) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) t->v[i][j] = k->v[corner[i][0]][corner[i][1]][j];
}

// The same arithmetic as triangle_normal on the same vertices, normalised;
// done only for triangles that survive the cheap tests.
static void tri_unit_normal(const Tri* t, float n[3]) {
  const float *a = t->v[0], *b = t->v[1], *c = t->v[2];
  float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  vec_cross(e1, e2, n);
  if (n[1] < 0) {
    n[0] = -n[0];
    n[1] = -n[1];
    n[2] = -n[2];
  }
  vec_normalise(n);
}

// Lowest and highest vertex of a triangle (ft); a height that is not a
// number gives the whole line, so that no cull relies on it.
static void tri_heights(const Tri* t, float* lo, float* hi) {
  float a = t->v[0][1], b = t->v[1][1], c = t->v[2][1];
  if (std::isnan(a + b + c)) {
    *lo = -INFINITY;
    *hi = INFINITY;
    return;
  }
  *lo = a < b ? (a < c ? a : c) : (b < c ? b : c);
  *hi = a > b ? (a > c ? a : c) : (b > c ? b : c);
}

// Squared distance from p to the triangle's bounding box, given its
// lowest and highest vertex.
static float tri_box_gap2(const Tri* t, float lo, float hi, const float p[3]) {
  float gap2 = 0;
  for (int j = 0; j < 3; j += 2) {
    float a = t->v[0][j], b = t->v[1][j], c = t->v[2][j];
    float min = a < b ? (a < c ? a : c) : (b < c ? b : c);
    float max = a > b ? (a > c ? a : c) : (b > c ? b : c);
    float d = p[j] < min ? min - p[j] : (p[j] > max ? p[j] - max : 0.0f);
    gap2 += d * d;
  }
  float d = p[1] < lo ? lo - p[1] : (p[1] > hi ? p[1] - hi : 0.0f);
  return gap2 + d * d;
}

// Rounding allowance for a cheap test or bound compared with what the exact
// float tests compute: about 16 units in the last place of `scale`, the sum
// of the magnitudes in play, far more than those few operations can lose.
static float slop(float scale) { return scale * (1.0f / 524288.0f); }

static float abs_sum(const float v[3]) { return std::fabs(v[0]) + std::fabs(v[1]) + std::fabs(v[2]); }

// True when no point of the cell's square comes within `reach` of (x, z)
// horizontally, so every triangle of the cell is farther than that.
static bool cell_out_of_reach(const Cell* k, float x, float z, float reach) {
  float x0 = k->v[0][0][0], x1 = k->v[1][0][0];
  float z0 = k->v[0][0][2], z1 = k->v[0][1][2];
  float dx = x < x0 ? x0 - x : (x > x1 ? x - x1 : 0.0f);
  float dz = z < z0 ? z0 - z : (z > z1 ? z - z1 : 0.0f);
  return dx * dx + dz * dz > reach * reach;
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
// normal filled in. The triangle's normal is only needed (and only
// computed) when the centre lies exactly on it.
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
    tri_unit_normal(t, out->normal);
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

// A centre that is not a number or a size that is not finite touches
// nothing; without this its cell range would span the whole band, trillions
// of cells, only to find no contact.
static bool shape_valid(const float centre[3], float size) {
  return !std::isnan(centre[0]) && !std::isnan(centre[1]) && !std::isnan(centre[2]) && std::isfinite(size);
}

bool terrain_sphere_contact(const float centre[3], float radius, GroundContact* out) {
  if (!terrain.heights || !shape_valid(centre, radius)) return false;
  int c0, c1, r0, r1;
  cell_range(centre[0], radius, &c0, &c1);
  cell_range(centre[2], radius, &r0, &r1);
  // A negative radius touches nothing, so any cull is right for it.
  float scale = abs_sum(centre) + std::fabs(radius) + 2 * terrain.spacing;
  float reach = std::fabs(radius) + slop(scale);
  GroundContact best{}, cur{};
  bool hit = false;
  Cell cell;
  Tri tri;
  int corner[3][2];
  for (int r = r0; r < r1; r++) {
    for (int c = c0; c < c1; c++) {
      cell_load(c, r, &cell);
      if (cell_out_of_reach(&cell, centre[0], centre[2], reach)) continue;
      for (int half = 0; half < 2; half++) {
        cell_triangle(&cell, half, corner);
        tri_vertices(&cell, corner, &tri);
        float lo, hi;
        tri_heights(&tri, &lo, &hi);
        float box_reach = reach + slop(scale + std::fabs(lo) + std::fabs(hi));
        if (tri_box_gap2(&tri, lo, hi, centre) > box_reach * box_reach) continue;
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
  float scale;    // sum of the magnitudes of the centre and both radii (ft)
  float reach;    // |R + r| widened by slop: nothing farther can be tested
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
// The caller has already made sure the triangle passes the rim-plane and
// reach tests (wheel_triangle_near).
//
// Face: the rim point lowest along the triangle's normal, measured from the
// plane so the depth keeps growing as the wheel sinks. When it lies over
// the inside of the face no edge or vertex can be deeper, and this decides
// the triangle (*decided set): the depth less the slack, with out filled in
// when positive, else 0. Otherwise *gap is how far (ft, in the plane) that
// lowest point lies off the triangle.
static float torus_face(const WheelFrame* w, const Tri* t, GroundContact* out, bool* decided, float* gap) {
  float down[3], p[3], d[3], proj[3], onto[3];
  madd(w->centre, -1.0f, t->n, down);
  rim_point(w, down, p);
  sub(p, t->v[0], d);
  float height = vec_dot(d, t->n);
  madd(p, -height, t->n, proj);
  *decided = closest_on_triangle(proj, t, onto);
  if (!*decided) {
    sub(proj, onto, d);
    *gap = std::sqrt(vec_dot(d, d));
    return 0;
  }
  if (!(w->r - height > WHEEL_SLACK)) return 0;
  for (int i = 0; i < 3; i++) out->normal[i] = t->n[i];
  madd(p, -w->r, t->n, out->point);
  out->depth = w->r - height - WHEEL_SLACK;
  return out->depth;
}

// The rest of the test when the face did not decide: vertices and edges.
// The three edge searches are independent, so they run side by side,
// which lets the processor overlap their long chains of roots and
// divisions; the candidates are then weighed in the usual order.
static float torus_edges(const WheelFrame* w, const Tri* t, GroundContact* out) {
  float corner[3][3], p[3][3], q[3][3];
  for (int i = 0; i < 3; i++) {
    rim_point(w, t->v[i], corner[i]);
    closest_on_segment(w->centre, t->v[i], t->v[(i + 1) % 3], q[i]);
  }
  // Edge: alternate between the segment and the rim circle.
  for (int k = 0; k < 6; k++) {
    for (int i = 0; i < 3; i++) {
      rim_point(w, q[i], p[i]);
      closest_on_segment(p[i], t->v[i], t->v[(i + 1) % 3], q[i]);
    }
  }
  float best = 0;
  bool hit = false;
  GroundContact cur;
  for (int i = 0; i < 6; i++) {
    const float* centre = (i & 1) ? p[i / 2] : corner[i / 2];
    if (sphere_triangle(centre, w->r, t, &cur) > 0 && (!hit || cur.depth > best)) {
      *out = cur;
      best = cur.depth;
      hit = true;
    }
  }
  if (!hit) return 0;
  out->depth -= WHEEL_SLACK;
  return out->depth;
}

// A wheel's cell: its corners and how far each lies from the rim plane
// along the axle (ft), the same numbers the per-triangle test compares.
struct WheelCell {
  Cell k;
  float side[2][2];
};

// Loads a cell for the wheel; false when neither of its triangles can pass
// the exact tests: the cell is out of reach horizontally, or all four
// corners lie more than r to the same side of the rim plane.
static bool wheel_cell(const WheelFrame* w, int c, int r, WheelCell* wc) {
  cell_load(c, r, &wc->k);
  if (cell_out_of_reach(&wc->k, w->centre[0], w->centre[2], w->reach)) return false;
  int above = 0, below = 0;
  for (int dc = 0; dc < 2; dc++) {
    for (int dr = 0; dr < 2; dr++) {
      float d[3];
      sub(wc->k.v[dc][dr], w->centre, d);
      float side = vec_dot(d, w->axle);
      wc->side[dc][dr] = side;
      above += side > w->r;
      below += side < -w->r;
    }
  }
  return above < 4 && below < 4;
}

// The cheap rejections of the torus test: the tube lies within r of the
// rim plane and within R + r of the hub. Fills the triangle (with its
// normal) when it passes.
static bool wheel_triangle_near(const WheelFrame* w, const WheelCell* wc, int half, Tri* t) {
  int corner[3][2];
  cell_triangle(&wc->k, half, corner);
  float side[3];
  for (int i = 0; i < 3; i++) side[i] = wc->side[corner[i][0]][corner[i][1]];
  if ((side[0] > w->r && side[1] > w->r && side[2] > w->r) ||
      (side[0] < -w->r && side[1] < -w->r && side[2] < -w->r))
    return false;
  tri_vertices(&wc->k, corner, t);
  // Its bounding box out of reach: the closest point is farther still.
  float lo, hi;
  tri_heights(t, &lo, &hi);
  float reach = w->reach + slop(w->scale + std::fabs(lo) + std::fabs(hi));
  if (tri_box_gap2(t, lo, hi, w->centre) > reach * reach) return false;
  float q[3], d[3];
  closest_on_triangle(w->centre, t, q);
  sub(q, w->centre, d);
  if (vec_dot(d, d) >= (w->R + w->r) * (w->R + w->r)) return false;
  tri_unit_normal(t, t->n);
  return true;
}

// Sine of the least angle between the axle and a direction from the hub
// for which rim_direction is trusted to stay in the rim plane, and how far
// out of it (as a sine) it may then stray: its projection loses about 1e-6
// of the direction's length to rounding, so at this angle the stray is
// below 1e-4.
static const float RIM_SINE_MIN = 1.0f / 64.0f;
static const float RIM_STRAY = 1.0f / 4096.0f;

// True when every point of the triangle is seen from the hub at least
// 2 x RIM_SINE_MIN away from the axle: some rim-plane direction u (unit,
// across the axle) has every vertex well along it, and the distance from
// the axle is at least the distance along u.
static bool rim_directions_sound(const WheelFrame* w, const Tri* t, const float u[3], float tol) {
  float along = 1e30f, far2 = 0;
  for (int i = 0; i < 3; i++) {
    float d[3];
    sub(t->v[i], w->centre, d);
    along = std::fmin(along, vec_dot(d, u));
    far2 = std::fmax(far2, vec_dot(d, d));
  }
  return along >= 2 * RIM_SINE_MIN * std::sqrt(far2) + 2 * tol;
}

// What the cheap tests know of how deep the tube can reach a triangle.
struct RimBound {
  float low;    // ft, no rim point lies lower over the plane (after rounding)
  float s;      // sine between the axle and the normal
  float tol;    // ft, rounding allowance for this triangle
  bool level;   // rim directions trusted: low used s
};

// Every rim point lies R from the hub, so it sits no lower than R under
// the hub's height over the triangle's plane; when the rim directions can
// be trusted to stay in the rim plane it sits no lower than R s, where s is
// the sine between the axle and the normal (1 for an upright wheel on flat
// ground, less for a leaning one). Both the face depth (r less that height)
// and any feature's depth (r less its distance) are then at most r - low.
static void wheel_rim_bound(const WheelFrame* w, const Tri* t, RimBound* b) {
  float d[3], perp[3];
  sub(w->centre, t->v[0], d);
  float hub = vec_dot(d, t->n);
  float k = vec_dot(t->n, w->axle);
  madd(t->n, -k, w->axle, perp);
  b->s = std::sqrt(vec_dot(perp, perp));
  b->tol = slop(w->scale + abs_sum(t->v[0]) + abs_sum(t->v[1]) + abs_sum(t->v[2]));
  b->level = false;
  float dip = std::fabs(w->R);
  if (b->s >= RIM_SINE_MIN + b->tol) {
    // u: across the axle, away from the ground.
    float u[3] = {-perp[0] / b->s, -perp[1] / b->s, -perp[2] / b->s};
    b->level = rim_directions_sound(w, t, u, b->tol);
    if (b->level) dip *= b->s + RIM_STRAY;
  }
  b->low = hub - dip - b->tol;
}

static float wheel_depth_bound(const WheelFrame* w, const RimBound* b) { return w->r - WHEEL_SLACK - b->low; }

// A tighter bound once the face step has found the rim's lowest point
// `gap` off the triangle (in its plane). A rim point x along the circle
// from the lowest one rises s x^2 / 2R and moves at most x sideways, so
// its squared distance from the triangle is at least
// (low + s x^2 / 2R)^2 + (gap - x)^2, which is never below
// low^2 + gap^2 a / (1 + a) with a = low s / R. The gap is first reduced
// by how far rounding may have moved the lowest point.
static float wheel_edge_bound(const WheelFrame* w, const RimBound* b, float gap) {
  float bound = wheel_depth_bound(w, b);
  float R = std::fabs(w->R);
  if (!b->level || !(b->low > 0) || !(R > 0)) return bound;
  float e = gap - R * (b->tol / b->s + 2 * RIM_STRAY) - 4 * b->tol;
  if (!(e > 0)) return bound;
  float a = b->low * b->s / R;
  float dist = std::sqrt(b->low * b->low + e * e * (a / (1 + a))) - R * RIM_STRAY - 2 * b->tol;
  float edge = w->r - WHEEL_SLACK - dist;
  return edge < bound ? edge : bound;
}

// Whether a triangle with this depth bound can still change the answer.
static bool may_win(float bound, bool hit, float best) {
  return hit ? !(bound < best) : !(bound <= 0);
}

static bool wheel_frame(const Wheel* wheel, WheelFrame* f) {
  if (!terrain.heights) return false;
  if (!shape_valid(wheel->centre, wheel->rim_radius + wheel->tube_radius)) return false;
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
  f->scale = abs_sum(f->centre) + std::fabs(f->R) + std::fabs(f->r) + 2 * terrain.spacing;
  f->reach = std::fabs(f->R + f->r) + slop(f->scale);
  return true;
}

// Triangles waiting for the exact test, in scan order.
struct Candidate {
  Tri tri;
  RimBound rim;
  float bound;  // ft, no deeper contact possible
};
enum { CANDIDATES_MAX = 32 };

struct Deepest {
  GroundContact contact;
  bool hit;
  long long order;  // scan position of the kept triangle
};

static void deepest_offer(const GroundContact* cur, long long at, Deepest* best) {
  if (!best->hit || cur->depth > best->contact.depth || (cur->depth == best->contact.depth && at < best->order)) {
    best->contact = *cur;
    best->hit = true;
    best->order = at;
  }
}

// Tests a batch: first the cheap face step of every triangle, which often
// finds the deepest contact at once, then the costly edges of those left,
// deepest bound first, while they can still win. The kept contact is the
// deepest, and of equal depths the earliest in scan order, just as a plain
// scan keeping only strictly deeper ones would end with.
static void candidates_test(const WheelFrame* w, Candidate* list, int count, long long first, Deepest* best) {
  int order[CANDIDATES_MAX], left = 0;
  GroundContact cur{};
  for (int i = 0; i < count; i++) {
    if (!may_win(list[i].bound, best->hit, best->contact.depth)) continue;
    bool decided;
    float gap;
    if (torus_face(w, &list[i].tri, &cur, &decided, &gap) > 0) deepest_offer(&cur, first + i, best);
    if (decided) continue;
    list[i].bound = wheel_edge_bound(w, &list[i].rim, gap);
    int j = left++;
    for (; j > 0 && list[order[j - 1]].bound < list[i].bound; j--) order[j] = order[j - 1];
    order[j] = i;
  }
  for (int i = 0; i < left; i++) {
    Candidate* k = &list[order[i]];
    if (!may_win(k->bound, best->hit, best->contact.depth)) continue;
    if (torus_edges(w, &k->tri, &cur) > 0) deepest_offer(&cur, first + order[i], best);
  }
}

bool terrain_wheel_contact_deepest(const Wheel* wheel, GroundContact* out) {
  WheelFrame f;
  if (!wheel_frame(wheel, &f)) return false;
  int c0, c1, r0, r1;
  cell_range(f.centre[0], f.R + f.r, &c0, &c1);
  cell_range(f.centre[2], f.R + f.r, &r0, &r1);
  Deepest best{};
  Candidate list[CANDIDATES_MAX];
  int count = 0;
  long long tested = 0;  // candidates before this batch
  WheelCell cell;
  for (int r = r0; r < r1; r++) {
    for (int c = c0; c < c1; c++) {
      if (!wheel_cell(&f, c, r, &cell)) continue;
      for (int half = 0; half < 2; half++) {
        Candidate* k = &list[count];
        if (!wheel_triangle_near(&f, &cell, half, &k->tri)) continue;
        wheel_rim_bound(&f, &k->tri, &k->rim);
        k->bound = wheel_depth_bound(&f, &k->rim);
        if (!may_win(k->bound, best.hit, best.contact.depth)) continue;
        if (++count == CANDIDATES_MAX) {
          candidates_test(&f, list, count, tested, &best);
          tested += count;
          count = 0;
        }
      }
    }
  }
  candidates_test(&f, list, count, tested, &best);
  if (!best.hit) return false;
  fix_normal(best.contact.normal);
  *out = best.contact;
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
  WheelCell cell;
  Tri tri;
  GroundContact cur{};
  for (int kr = 0; kr < 2 * rows; kr++) {
    int rr = middle_out(kr, rows);
    if (rr < 0) continue;
    for (int kc = 0; kc < 2 * cols; kc++) {
      int cc = middle_out(kc, cols);
      if (cc < 0 || !wheel_cell(&f, c0 + cc, r0 + rr, &cell)) continue;
      for (int half = 0; half < 2; half++) {
        if (!wheel_triangle_near(&f, &cell, half, &tri)) continue;
        RimBound rim;
        wheel_rim_bound(&f, &tri, &rim);
        if (!may_win(wheel_depth_bound(&f, &rim), false, 0)) continue;
        bool decided;
        float gap, depth = torus_face(&f, &tri, &cur, &decided, &gap);
        if (!decided && may_win(wheel_edge_bound(&f, &rim, gap), false, 0)) depth = torus_edges(&f, &tri, &cur);
        if (depth > 0) {
          fix_normal(cur.normal);
          *out = cur;
          return true;
        }
      }
    }
  }
  return false;
}
