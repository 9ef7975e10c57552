// The terrain record, the triangulation of the grid and the height and
// normal queries.
//
// Each grid cell is cut along a diagonal that alternates like a
// checkerboard, so that no direction is favoured over the whole field. Every
// query uses the same cut; heights outside the grid continue the edge heights
// outward because vertex indices are clamped.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "track/terrain_local.h"
#include "track/track.h"

TerrainRecord terrain;

static void light_defaults(TerrainLight* l) {
  const float k = 1.0f / std::sqrt(3.0f);
  for (int i = 0; i < 3; i++) {
    l->sun_direction[i] = k;
    l->sun_colour[i] = 1.0f;
    l->ambient[i] = 0.5f;
  }
}

bool terrain_alloc(int n, float spacing) {
  terrain_free();
  if (n < 0 || n > TERRAIN_MAX_N || !(spacing > 0.0f) || !std::isfinite(spacing)) return false;
  TerrainRecord* t = &terrain;
  t->n = n;
  t->dim = (1 << (n + 1)) + 1;
  t->spacing = spacing;
  t->world_size = (float)(1 << (n + 1)) * spacing;
  t->tile_size = 2.0f * spacing;
  size_t points = (size_t)t->dim * (size_t)t->dim;
  t->heights = (float*)alloc_or_die(points * sizeof(float));
  t->loaded_heights = (float*)alloc_or_die(points * sizeof(float));
  std::memset(t->heights, 0, points * sizeof(float));
  std::memset(t->loaded_heights, 0, points * sizeof(float));
  t->shading = (uint8_t*)alloc_or_die(points * 3);
  std::memset(t->shading, 127, points * 3);
  t->shadow = (uint8_t*)alloc_or_die(points);
  std::memset(t->shadow, 0, points);
  size_t tris = terrain_triangle_count();
  t->tri_normals = (float*)alloc_or_die(tris * 3 * sizeof(float));
  std::memset(t->tri_normals, 0, tris * 3 * sizeof(float));
  t->shading_dirty = bits_alloc(points);
  t->tri_dirty = bits_alloc(tris);
  bits_set_all(t->tri_dirty, tris);
  t->surfaces = (SurfaceTile*)alloc_or_die(sizeof(SurfaceTile) * SURFACE_MAX);
  std::memset(t->surfaces, 0, sizeof(SurfaceTile) * SURFACE_MAX);
  t->tiles = 1 << n;
  t->tilemap = (uint8_t*)alloc_or_die((size_t)t->tiles * t->tiles);
  std::memset(t->tilemap, 0, (size_t)t->tiles * t->tiles);
  light_defaults(&t->light);
  return true;
}

void terrain_free() {
  TerrainRecord* t = &terrain;
  mem_free(t->heights);
  mem_free(t->loaded_heights);
  mem_free(t->shading);
  mem_free(t->shadow);
  mem_free(t->normal_texture);
  mem_free(t->tri_normals);
  mem_free(t->shading_dirty);
  mem_free(t->normal_dirty);
  mem_free(t->tri_dirty);
  if (t->surfaces) {
    for (int i = 0; i < t->surface_count; i++) mem_free(t->surfaces[i].pixels);
  }
  mem_free(t->surfaces);
  mem_free(t->tilemap);
  std::memset(t, 0, sizeof *t);
}

bool terrain_loaded() { return terrain.heights != nullptr; }

size_t terrain_triangle_count() { return 2 * (size_t)(terrain.dim - 1) * (size_t)(terrain.dim - 1); }

// Height of a grid point with both indices clamped to the grid.
float terrain_h(int c, int r) {
  int last = terrain.dim - 1;
  c = c < 0 ? 0 : (c > last ? last : c);
  r = r < 0 ? 0 : (r > last ? last : r);
  return terrain.heights[c + (size_t)terrain.dim * r];
}

// Grid cell and position inside it; positions far off the grid (or not a
// number) are pulled in so that the integer conversions stay defined.
void terrain_cell(float x, float z, int* c, int* r, float* fx, float* fz) {
  double limit = (double)(terrain.dim + QUERY_BAND);
  double u = (double)x / terrain.spacing, v = (double)z / terrain.spacing;
  if (!(u > -limit)) u = -limit;
  if (!(v > -limit)) v = -limit;
  if (u > limit) u = limit;
  if (v > limit) v = limit;
  double fu = std::floor(u), fv = std::floor(v);
  *c = (int)fu;
  *r = (int)fv;
  *fx = (float)(u - fu);
  *fz = (float)(v - fv);
}

void terrain_triangle_vertices(int t, int row, int v[3][2]) {
  int c = t >> 1, r = row;
  int p = ((c + r) & 1) == 0 ? 1 : 0;
  if ((t & 1) == 0) {
    v[0][0] = c;     v[0][1] = r;
    v[1][0] = c;     v[1][1] = r + 1;
    v[2][0] = c + 1; v[2][1] = r + p;
  } else {
    v[0][0] = c + 1; v[0][1] = r + 1;
    v[1][0] = c + 1; v[1][1] = r;
    v[2][0] = c;     v[2][1] = r + 1 - p;
  }
}

// Which triangle of cell (c, r) holds the in-cell position (fx, fz): 0 for
// the first, 1 for the second. On the diagonal the side used by the height
// formula wins, so height and normal always agree.
static int cell_half(int c, int r, float fx, float fz) {
  if (((c + r) & 1) != 0) return fx + fz <= 1.0f ? 0 : 1;
  return fz <= fx ? 1 : 0;
}

int terrain_triangle_at(float x, float z, int v[3][2]) {
  int c, r;
  float fx, fz;
  terrain_cell(x, z, &c, &r, &fx, &fz);
  int t = 2 * c + cell_half(c, r, fx, fz);
  terrain_triangle_vertices(t, r, v);
  return t;
}

float terrain_height(float x, float z) {
  int c, r;
  float fx, fz;
  terrain_cell(x, z, &c, &r, &fx, &fz);
  if (((c + r) & 1) != 0) {
    if (fx + fz <= 1.0f) {
      float h = terrain_h(c, r);
      return h + fx * (terrain_h(c + 1, r) - h) + fz * (terrain_h(c, r + 1) - h);
    }
    float h = terrain_h(c + 1, r + 1);
    return h + (1 - fx) * (terrain_h(c, r + 1) - h) + (1 - fz) * (terrain_h(c + 1, r) - h);
  }
  if (fz <= fx) {
    float h = terrain_h(c + 1, r);
    return h + (1 - fx) * (terrain_h(c, r) - h) + fz * (terrain_h(c + 1, r + 1) - h);
  }
  float h = terrain_h(c, r + 1);
  return h + fx * (terrain_h(c + 1, r + 1) - h) + (1 - fz) * (terrain_h(c, r) - h);
}

// World position of a grid vertex; positions stay unclamped so that cells
// beyond the edge are proper (flat-continued) triangles, not slivers.
void terrain_vertex(int c, int r, float out[3]) {
  out[0] = (float)c * terrain.spacing;
  out[1] = terrain_h(c, r);
  out[2] = (float)r * terrain.spacing;
}

// Upward (not unit) normal of the triangle with the given vertices.
void triangle_normal(const int v[3][2], float out[3]) {
  float a[3], b[3], c[3];
  terrain_vertex(v[0][0], v[0][1], a);
  terrain_vertex(v[1][0], v[1][1], b);
  terrain_vertex(v[2][0], v[2][1], c);
  float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  vec_cross(e1, e2, out);
  if (out[1] < 0) {
    out[0] = -out[0];
    out[1] = -out[1];
    out[2] = -out[2];
  }
}

void terrain_normal(float x, float z, float out[3]) {
  int v[3][2];
  terrain_triangle_at(x, z, v);
  triangle_normal(v, out);
}
