// Loading a track's ground: terrain.hf (with inline samples or terrain.png),
// shading, shadows, then the surface table and tile map.
#include <nettle/ripemd160.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/launch.h"
#include "files/files.h"
#include "platform/platform.h"
#include "track/terrain_local.h"
#include "track/track.h"

struct HeightHeader {
  int n;
  float spacing, min_height, max_height;
  bool inline_samples;  // samples follow ":" in terrain.hf
};

static bool read_header(Stream* s, HeightHeader* h) {
  if (stream_scan(s, "%d %f %f %f ", &h->n, &h->spacing, &h->min_height, &h->max_height) < 4) return false;
  int c = stream_read_char(s);
  h->inline_samples = c == ':';
  // Numbers the grid cannot be built from are as bad as missing ones.
  return h->n >= 0 && h->n <= TERRAIN_MAX_N && h->spacing > 0 && std::isfinite(h->spacing) &&
         std::isfinite(h->min_height) && std::isfinite(h->max_height) && h->max_height >= h->min_height;
}

static void store_sample(ripemd160_ctx* digest, size_t index, unsigned q, const HeightHeader* h) {
  uint8_t bytes[2] = {(uint8_t)(q & 255), (uint8_t)(q >> 8)};
  ripemd160_update(digest, 2, bytes);
  terrain.heights[index] = h->min_height + (float)q * (h->max_height - h->min_height) / 65535.0f;
}

// Samples after ":": dim x dim little-endian 16-bit values, row by row.
// A file that ends early is an error rather than a half-flat track.
static bool read_inline(Stream* s, const HeightHeader* h, ripemd160_ctx* digest) {
  int dim = terrain.dim;
  uint8_t* row = (uint8_t*)alloc_or_die((size_t)dim * 2);
  bool ok = true;
  for (int r = 0; r < dim && ok; r++) {
    ok = stream_read_block(s, row, (size_t)dim * 2) == (size_t)dim * 2;
    for (int c = 0; c < dim && ok; c++)
      store_sample(digest, (size_t)c + (size_t)dim * r, row[2 * c] | (row[2 * c + 1] << 8), h);
    loading_tick("Loading heights");
  }
  mem_free(row);
  return ok;
}

// terrain.png: a smaller image repeats its last column and row, a larger
// one is cut; an unreadable one leaves every height at the minimum.
static void read_png_heights(const char* folder, const HeightHeader* h, ripemd160_ctx* digest) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/terrain.png", folder);
  uint16_t* pixels = nullptr;
  int w = 0, ht = 0;
  bool have = png_read_grey16(name, &pixels, &w, &ht);
  int dim = terrain.dim;
  for (int r = 0; r < dim; r++) {
    for (int c = 0; c < dim; c++) {
      unsigned q = 0;
      if (have) q = pixels[(size_t)(c < w ? c : w - 1) + (size_t)w * (r < ht ? r : ht - 1)];
      store_sample(digest, (size_t)c + (size_t)dim * r, q, h);
    }
    if ((r & 63) == 0) loading_tick("Loading heights");
  }
  mem_free(pixels);
}

static bool load_heights(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/terrain.hf", folder);
  Stream* s = stream_open(name, "rb");
  if (!s) {
    console_printf("Can't open '%.950s'", name);
    return false;
  }
  HeightHeader h;
  if (!read_header(s, &h)) {
    stream_close(s);
    console_message("Bad height field parameters");
    console_message("Error reading heights");
    return false;
  }
  terrain_alloc(h.n, h.spacing);
  terrain.min_height = h.min_height;
  terrain.max_height = h.max_height;
  loading_tick("Loading heights");
  ripemd160_ctx digest;
  ripemd160_init(&digest);
  bool ok = true;
  if (h.inline_samples)
    ok = read_inline(s, &h, &digest);
  else
    read_png_heights(folder, &h, &digest);
  stream_close(s);
  if (!ok) {
    console_message("Error reading heights");
    return false;
  }
  ripemd160_digest(&digest, 20, terrain.heights_digest);
  std::memcpy(terrain.loaded_heights, terrain.heights, sizeof(float) * (size_t)terrain.dim * terrain.dim);
  if (launch.debug >= 2) {
    char hex[41];
    for (int i = 0; i < 20; i++) std::snprintf(hex + 2 * i, 3, "%02x", terrain.heights_digest[i]);
    log_printf("%s\n", hex);
  }
  return true;
}

static bool load_shading(const char* folder) {
  char name[VFS_PATH_MAX];
  uint8_t* pixels = nullptr;
  int w = 0, h = 0;
  bool halve = false;
  std::snprintf(name, sizeof name, "@%s/shadingx2.ppm", folder);
  int got = pnm_read(name, 3, &pixels, &w, &h);
  if (got == 0) {
    halve = true;
    std::snprintf(name, sizeof name, "@%s/shading.ppm", folder);
    got = pnm_read(name, 3, &pixels, &w, &h);
  }
  if (got <= 0) {
    if (got == 0) console_printf("Can't open '%.950s'", name);
    console_message("Error reading shading");
    return false;
  }
  if (w != terrain.dim || h != terrain.dim) {
    mem_free(pixels);
    console_printf("Bad shading dimensions (%dx%d)", w, h);
    return false;
  }
  size_t size = (size_t)w * h * 3;
  for (size_t i = 0; i < size; i++) terrain.shading[i] = halve ? pixels[i] >> 1 : pixels[i];
  mem_free(pixels);
  return true;
}

static bool load_shadows(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/shadows.pgm", folder);
  uint8_t* pixels = nullptr;
  int w = 0, h = 0;
  int got = pnm_read(name, 1, &pixels, &w, &h);
  if (got == 0) return true;  // nothing is shadowed
  if (got < 0) {
    console_message("Error reading shadows");
    return false;
  }
  if (w != terrain.dim || h != terrain.dim) {
    mem_free(pixels);
    log_printf("Bad shadow dimensions (%dx%d)\n", w, h);
    return false;
  }
  size_t size = (size_t)w * h;
  for (size_t i = 0; i < size; i++) terrain.shadow[i] = (uint8_t)(255 - pixels[i]);
  mem_free(pixels);
  return true;
}

// With shader texturing every grid point carries its normal and light.
static void build_normal_texture() {
  size_t points = (size_t)terrain.dim * terrain.dim;
  terrain.normal_dirty = bits_alloc(points);
  terrain.normal_texture = (uint8_t*)alloc_or_die(points * 3);
  loading_show("Creating terrain normals", true);
  for (int r = 0; r < terrain.dim; r++) {
    for (int c = 0; c < terrain.dim; c++) terrain_normal_texel(c, r);
    if ((r & 63) == 0) loading_tick("Creating terrain normals");
  }
  loading_done("Creating terrain normals");
}

static bool load_steps(const char* folder, int texture_mode) {
  loading_show("Loading terrain", true);
  if (!load_heights(folder)) return false;
  loading_done("Loading heights");
  loading_done("Loading terrain");
  bool shader_texturing = terrain_textures_setup(texture_mode);
  loading_show("Loading shading", true);
  if (!load_shading(folder)) return false;
  loading_done("Loading shading");
  loading_show("Loading shadows", true);
  if (!load_shadows(folder)) return false;
  loading_done("Loading shadows");
  if (launch.debug >= 1)
    log_printf("%lu bytes texture memory used before ground tiles loaded\n", texture_memory_used());
  if (!surface_table_read(folder) || !tilemap_read(folder)) return false;
  if (shader_texturing) build_normal_texture();
  terrain_textures_create();
  decals_read(folder);
  return true;
}

bool terrain_load(const char* folder, int texture_mode) {
  terrain_free();
  if (load_steps(folder, texture_mode)) return true;
  terrain_textures_free();
  terrain_free();
  return false;
}
