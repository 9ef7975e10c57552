// Saving the ground back to the track folder (track editor): terrain.hf with
// its heights in terrain.png, both shading images, the tile map and decals.
// The files go below a prefix: "@" + track folder for the game, a plain
// folder for the data generator.
#include <cstdio>

#include "core/core.h"
#include "files/files.h"
#include "track/terrain_local.h"
#include "track/track.h"

static bool save_header(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "%s/terrain.hf", folder);
  Stream* s = stream_open(name, "wb");
  if (!s) {
    console_message("Can't open 'terrain.hf'");
    return false;
  }
  // Nothing after the header: the heights are read back from terrain.png.
  stream_print(s, "%d %f %f %f\n", terrain.n, terrain.spacing, terrain.min_height, terrain.max_height);
  return stream_close(s);
}

static bool save_png(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "%s/terrain.png", folder);
  size_t points = (size_t)terrain.dim * terrain.dim;
  uint16_t* q = (uint16_t*)alloc_or_die(points * sizeof(uint16_t));
  float range = terrain.max_height - terrain.min_height;
  for (size_t i = 0; i < points; i++) {
    float v = range > 0 ? (terrain.heights[i] - terrain.min_height) / range * 65535.0f + 0.5f : 0.0f;
    q[i] = (uint16_t)(v < 0 ? 0 : (v > 65535 ? 65535 : v));
  }
  bool ok = png_write_grey16(name, q, terrain.dim, terrain.dim);
  mem_free(q);
  if (!ok) console_message("Can't open 'terrain.png'");
  return ok;
}

static bool save_ppm(const char* folder, const char* file, bool doubled) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "%s/%s", folder, file);
  Stream* s = stream_open(name, "wb");
  if (!s) {
    console_printf("Can't open '%s'", file);
    return false;
  }
  stream_print(s, "P6\n%d %d\n255\n", terrain.dim, terrain.dim);
  size_t size = (size_t)terrain.dim * terrain.dim * 3;
  bool ok = true;
  if (doubled) {
    uint8_t row[4096];
    for (size_t i = 0; i < size && ok; i += sizeof row) {
      size_t n = size - i < sizeof row ? size - i : sizeof row;
      for (size_t k = 0; k < n; k++) {
        int v = 2 * terrain.shading[i + k];
        row[k] = (uint8_t)(v > 255 ? 255 : v);
      }
      ok = stream_write_block(s, row, n) == n;
    }
  } else {
    ok = stream_write_block(s, terrain.shading, size) == size;
  }
  return stream_close(s) && ok;
}

bool terrain_save(const char* folder) {
  if (!folder) return false;
  char prefix[VFS_PATH_MAX];
  std::snprintf(prefix, sizeof prefix, "@%s", folder);
  return terrain_write_files(prefix);
}

bool terrain_write_files(const char* folder) {
  if (!terrain.heights || !folder) return false;
  terrain_update_range();
  if (!save_header(folder) || !save_png(folder)) return false;
  terrain_refresh_shading();
  if (!save_ppm(folder, "shading.ppm", true) || !save_ppm(folder, "shadingx2.ppm", false)) return false;
  if (!tilemap_write(folder)) return false;
  if (decals_present() && !decals_write(folder)) {
    console_message("Can't open 'decals'");
    return false;
  }
  return true;
}
