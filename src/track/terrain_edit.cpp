// Height writes and what depends on them: dirty bits, triangle and vertex
// normals, shading refresh and the height sum.
//
// A height write only marks things dirty; normals and shading are refreshed
// in bulk by whoever needs them next, so a rut dug every tic stays cheap.
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "track/terrain_local.h"
#include "track/track.h"

uint32_t* bits_alloc(size_t count) {
  size_t words = (count + 31) / 32;
  uint32_t* b = (uint32_t*)alloc_or_die(words * sizeof(uint32_t) + sizeof(uint32_t));
  std::memset(b, 0, words * sizeof(uint32_t) + sizeof(uint32_t));
  return b;
}

void bits_set_all(uint32_t* b, size_t count) {
  for (size_t i = 0; i < count; i++) bits_set(b, i);
}

static int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

const float* terrain_tri_normal(int t, int row) {
  t = clampi(t, 0, 2 * terrain.dim - 3);
  row = clampi(row, 0, terrain.dim - 2);
  size_t index = (size_t)t + 2 * (size_t)(terrain.dim - 1) * row;
  float* n = terrain.tri_normals + 3 * index;
  if (bits_get(terrain.tri_dirty, index)) {
    int v[3][2];
    terrain_triangle_vertices(t, row, v);
    triangle_normal(v, n);
    vec_normalise(n);
    bits_clear(terrain.tri_dirty, index);
  }
  return n;
}

// An even point (c + r even) touches eight triangles of the two cell rows
// around it, an odd point four.
void terrain_vertex_normal(int c, int r, float out[3]) {
  bool even = ((c + r) & 1) == 0;
  int t0 = even ? 2 * c - 2 : 2 * c - 1;
  int t1 = even ? 2 * c + 1 : 2 * c;
  out[0] = out[1] = out[2] = 0;
  for (int row = r - 1; row <= r; row++) {
    for (int t = t0; t <= t1; t++) {
      const float* n = terrain_tri_normal(t, row);
      out[0] += n[0];
      out[1] += n[1];
      out[2] += n[2];
    }
  }
  if (vec_normalise(out) == 0) out[1] = 1;
}

void terrain_shade(int c, int r, uint8_t out[3]) {
  c = clampi(c, 0, terrain.dim - 1);
  r = clampi(r, 0, terrain.dim - 1);
  float n[3];
  terrain_vertex_normal(c, r, n);
  const TerrainLight* l = &terrain.light;
  float lambert = vec_dot(l->sun_direction, n);
  lambert = lambert < 0 ? 0 : (lambert > 1 ? 1 : lambert);
  float lit = lambert * (1.0f - terrain.shadow[c + (size_t)terrain.dim * r] / 255.0f);
  for (int k = 0; k < 3; k++) {
    float v = 255.0f * (l->sun_colour[k] * lit + l->ambient[k]) / 2.0f;
    out[k] = (uint8_t)clampi((int)(v < -1e9f ? -1e9f : (v > 1e9f ? 1e9f : v)), 0, 255);
  }
}

// The normal texture entry of a grid point: packed normal x, light, normal z.
void terrain_normal_texel(int c, int r) {
  float n[3];
  terrain_vertex_normal(c, r, n);
  size_t p = (size_t)c + (size_t)terrain.dim * r;
  uint8_t* o = terrain.normal_texture + 3 * p;
  o[0] = (uint8_t)clampi(128 + (int)(127 * n[0]), 1, 255);
  o[1] = (uint8_t)(255 - terrain.shadow[p]);
  o[2] = (uint8_t)clampi(128 + (int)(127 * n[2]), 1, 255);
}

void terrain_set_height(int c, int r, float h) {
  TerrainRecord* t = &terrain;
  if (!t->heights || c < 0 || r < 0 || c >= t->dim || r >= t->dim || t->edit_lock) return;
  t->modified |= TERRAIN_MOD_REDRAW | TERRAIN_MOD_UNSAVED | TERRAIN_MOD_EDITOR;
  if (h > t->max_height) t->max_height = h;
  if (h < t->min_height) t->min_height = h;
  t->heights[c + (size_t)t->dim * r] = h;
  for (int rr = clampi(r - 1, 0, t->dim - 1); rr <= clampi(r + 1, 0, t->dim - 1); rr++) {
    for (int cc = clampi(c - 1, 0, t->dim - 1); cc <= clampi(c + 1, 0, t->dim - 1); cc++) {
      size_t p = (size_t)cc + (size_t)t->dim * rr;
      bits_set(t->shading_dirty, p);
      if (t->normal_dirty) bits_set(t->normal_dirty, p);
    }
  }
  int t0 = clampi(2 * c - 2, 0, 2 * t->dim - 3), t1 = clampi(2 * c + 1, 0, 2 * t->dim - 3);
  for (int row = clampi(r - 1, 0, t->dim - 2); row <= clampi(r, 0, t->dim - 2); row++) {
    for (int tri = t0; tri <= t1; tri++) bits_set(t->tri_dirty, (size_t)tri + 2 * (size_t)(t->dim - 1) * row);
  }
}

// Shading (and normal texture) of every point whose shading-dirty bit is set.
void terrain_refresh_shading() {
  TerrainRecord* t = &terrain;
  for (int r = 0; r < t->dim; r++) {
    for (int c = 0; c < t->dim; c++) {
      size_t p = (size_t)c + (size_t)t->dim * r;
      if (!bits_get(t->shading_dirty, p)) continue;
      terrain_shade(c, r, t->shading + 3 * p);
      bits_clear(t->shading_dirty, p);
      if (t->normal_texture && t->normal_dirty) {
        terrain_normal_texel(c, r);
        bits_clear(t->normal_dirty, p);
      }
    }
  }
}

void terrain_update_range() {
  size_t points = (size_t)terrain.dim * terrain.dim;
  if (points == 0) return;
  float lo = terrain.heights[0], hi = terrain.heights[0];
  for (size_t i = 1; i < points; i++) {
    float h = terrain.heights[i];
    if (h < lo) lo = h;
    if (h > hi) hi = h;
  }
  terrain.min_height = lo;
  terrain.max_height = hi;
}

double terrain_hfvol() {
  double sum = 0;
  size_t points = (size_t)terrain.dim * terrain.dim;
  for (size_t i = 0; i < points; i++) sum += terrain.heights[i];
  console_printf("%f\n", sum);
  return sum;
}
