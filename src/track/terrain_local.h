// Private helpers shared by the track subsystem's files.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "track/track.h"

// Bit sets (one bit per grid point or triangle).
uint32_t* bits_alloc(size_t count);
inline void bits_set(uint32_t* b, size_t i) { b[i >> 5] |= 1u << (i & 31); }
inline void bits_clear(uint32_t* b, size_t i) { b[i >> 5] &= ~(1u << (i & 31)); }
inline bool bits_get(const uint32_t* b, size_t i) { return (b[i >> 5] >> (i & 31)) & 1u; }
void bits_set_all(uint32_t* b, size_t count);

inline void vec_cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
inline float vec_dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
// Normalises in place; returns the length before (0 leaves v as it was).
inline float vec_normalise(float v[3]) {
  float len = std::sqrt(vec_dot(v, v));
  if (len > 0) {
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
  }
  return len;
}

// Cells beyond the grid edge that queries still treat as ground; farther
// positions are pulled in so integer conversions stay defined.
enum { QUERY_BAND = 1 << 20 };

size_t terrain_triangle_count();
float terrain_h(int c, int r);
void terrain_cell(float x, float z, int* c, int* r, float* fx, float* fz);
void terrain_vertex(int c, int r, float out[3]);
void triangle_normal(const int v[3][2], float out[3]);
// Stored unit normal of triangle t of cell row `row` (indices clamped),
// recomputed first when its dirty bit is set.
const float* terrain_tri_normal(int t, int row);

// Normal-texture entry of one grid point; refresh of dirty shading.
void terrain_normal_texel(int c, int r);
void terrain_refresh_shading();

// Surface table and tile map loading (after the heightfield).
struct Stream;
bool surface_table_read(const char* folder);
bool tilemap_read(const char* folder);
bool tilemap_write(const char* prefix);  // prefix + "/tilemap"

// Terrain images: 16-bit grey PNG (read and write) and binary PNM.
// Reads a PNG as 16-bit grey of any size; pixels are row-major.
bool png_read_grey16(const char* name, uint16_t** pixels, int* width, int* height);
bool png_write_grey16(const char* name, const uint16_t* pixels, int width, int height);
// Reads a binary PPM (channels 3) or PGM (channels 1) with maxval 255.
// Returns 1 on success, 0 when the file does not open, -1 on a read error.
int pnm_read(const char* name, int channels, uint8_t** pixels, int* width, int* height);

// Seams to later work (textures, lighting, objects, timing, script, lines).
int texture_load_name(const char* name);
unsigned long texture_memory_used();
bool terrain_textures_setup(int texture_mode);  // true with shader texturing
void terrain_textures_create();
void terrain_textures_free();
bool decals_read(const char* folder);
bool decals_present();
bool decals_write(const char* folder);
