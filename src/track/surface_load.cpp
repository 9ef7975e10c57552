// Reading the surface table (tileinfo, or texturelist on old tracks) and
// the tile map of a track folder, and writing the tile map back.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/launch.h"
#include "files/files.h"
#include "platform/platform.h"
#include "track/terrain_local.h"
#include "track/track.h"

enum { SURFACE_FILE_MAX = 16 * 1024 * 1024 };

// The whole content of an open stream; false when it is unreasonably large.
static bool read_all(Stream* s, std::string* out) {
  char block[4096];
  size_t got;
  while ((got = stream_read_block(s, block, sizeof block)) > 0) {
    out->append(block, got);
    if (out->size() >= SURFACE_FILE_MAX) return false;
  }
  return true;
}

// Calls line() for each line of text; stops when it returns false.
template <typename F>
static void for_each_line(const std::string& text, const char* progress, F line) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string one = text.substr(start, end - start);
    if (one.find('\0') != std::string::npos) one.resize(one.find('\0'));
    if (!line(one.c_str())) return;
    loading_tick(progress);
    start = end + 1;
  }
}

static bool read_surfaces(Stream* s, bool tileinfo, const char* progress) {
  std::string text;
  bool ok = read_all(s, &text);
  stream_close(s);
  if (!ok) return false;
  TileinfoBuilder* b = (TileinfoBuilder*)alloc_or_die(sizeof(TileinfoBuilder));
  tileinfo_begin(b, terrain.surfaces);
  for_each_line(text, progress, [&](const char* line) {
    return tileinfo ? tileinfo_line(b, line) : texturelist_line(b, line);
  });
  terrain.surface_count = b->count;
  mem_free(b);
  surface_transitions(terrain.surfaces, terrain.surface_count);
  return true;
}

bool surface_table_read(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/tileinfo", folder);
  Stream* s = stream_open(name, "rb");
  bool ok;
  if (s) {
    loading_show("Loading tileinfo", true);
    ok = read_surfaces(s, true, "Loading tileinfo");
    if (!ok) {
      console_message("Error reading tileinfo");
      return false;
    }
    loading_done("Loading tileinfo");
  } else {
    std::snprintf(name, sizeof name, "@%s/texturelist", folder);
    s = stream_open(name, "rb");
    if (!s) {
      console_printf("Can't open '%.950s'", name);
      return false;
    }
    if (!read_surfaces(s, false, "Loading texturelist")) {
      console_message("Error reading texturelist");
      return false;
    }
  }
  if (launch.debug >= 1)
    log_printf("%lu bytes texture memory used after ground tiles loaded\n", texture_memory_used());
  return true;
}

bool tilemap_read(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/tilemap", folder);
  loading_show("Loading tilemap", true);
  Stream* s = stream_open(name, "rb");
  if (!s) {
    console_printf("Can't open '%.950s'", name);
    return false;
  }
  size_t size = (size_t)terrain.tiles * terrain.tiles;
  size_t got = stream_read_block(s, terrain.tilemap, size);
  bool extra = stream_read_char(s) != STREAM_EOF;
  stream_close(s);
  if (got != size || extra) {
    // A map of another size belongs to another grid: refuse it rather than
    // paint surfaces in the wrong places.
    console_printf("Bad tilemap size (expected %d x %d bytes)", terrain.tiles, terrain.tiles);
    return false;
  }
  uint8_t last = (uint8_t)(terrain.surface_count - 1);
  for (size_t i = 0; i < size; i++)
    if (terrain.tilemap[i] >= terrain.surface_count) terrain.tilemap[i] = last;
  loading_done("Loading tilemap");
  return true;
}

bool tilemap_write(const char* prefix) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "%s/tilemap", prefix);
  Stream* s = stream_open(name, "wb");
  if (!s) {
    console_message("Can't open 'tilemap'");
    return false;
  }
  size_t size = (size_t)terrain.tiles * terrain.tiles;
  bool ok = stream_write_block(s, terrain.tilemap, size) == size;
  return stream_close(s) && ok;
}
