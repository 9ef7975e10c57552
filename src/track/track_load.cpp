// Loading and unloading the current track in its fixed order, the track
// hash over its defining files, the trackinfo file, and the track half of a
// race reset.
#include <nettle/ripemd160.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/launch.h"
#include "files/files.h"
#include "platform/platform.h"
#include "track/terrain_local.h"
#include "track/track.h"
#include "track/track_seams.h"

enum { ROOST_PARTICLES = 2000 };

static std::string track_path(const char* file) { return std::string("@") + track.folder + file; }

// Feeds a whole file into the hash in 1 KiB steps; false when it is missing.
static bool hash_file(ripemd160_ctx* hash, const char* name) {
  Stream* s = stream_open(name, "rb");
  if (!s) return false;
  uint8_t block[1024];
  size_t got;
  while ((got = stream_read_block(s, block, sizeof block)) > 0) ripemd160_update(hash, got, block);
  stream_close(s);
  return true;
}

static bool file_opens(const char* name) {
  Stream* s = stream_open(name, "rb");
  if (s) stream_close(s);
  return s != nullptr;
}

static void scan_files(ripemd160_ctx* hash) {
  static const char* const files[] = {"/terrain.hf", "/terrain.png", "/texturelist", "/tilemap", "/tileinfo"};
  loading_show("Scanning", true);
  for (const char* f : files) {
    hash_file(hash, track_path(f).c_str());
    loading_tick("Scanning");
  }
  loading_done("Scanning");
}

static void verbose_memory(const char* after) {
  if (launch.debug >= 1) log_printf("%lu bytes texture memory used after %s\n", texture_memory_used(), after);
}

// Scenery after the ground: flaggers, billboards, statues, the map.
static void load_objects(ripemd160_ctx* hash) {
  roost_particles_create(ROOST_PARTICLES);
  loading_show("Loading flaggers", true);
  flaggers_read(track_path("/flaggers").c_str());
  loading_done("Loading flaggers");
  verbose_memory("flagger creation");
  std::string path = track_path("/billboards");
  if (file_opens(path.c_str())) {
    loading_show("Loading billboards", true);
    billboards_read(path.c_str());
    loading_done("Loading billboards");
  }
  verbose_memory("billboard creation");
  path = track_path("/statues");
  if (hash_file(hash, path.c_str())) {
    loading_show("Loading statues", true);
    statues_read(path.c_str());
    loading_done("Loading statues");
  }
  loading_show("Loading map", true);
  verbose_memory("statue creation");
  map_texture_load(track_path("/map.png").c_str());
  loading_done("Loading map");
  statue_grid_fill();
  if (editor_active()) editor_take_track();
}

// Each distinct statue model file once, in statue order.
static void hash_models(ripemd160_ctx* hash) {
  std::vector<std::string> seen;
  for (int i = 0; i < statue_count(); i++) {
    const char* model = statue_model_file(i);
    if (!model) continue;
    bool dup = false;
    for (const std::string& s : seen) dup = dup || s == model;
    if (dup) continue;
    seen.push_back(model);
    hash_file(hash, model);
  }
}

// Software texture baking until the renderer offers its modes.
static int terrain_texture_mode() { return 1; }

bool track_load() {
  if (!track.folder) return false;
  ripemd160_ctx hash;
  ripemd160_init(&hash);
  objects_create();
  scan_files(&hash);
  if (launch.debug >= 1) log_printf("Loading '@%s'\n", track.folder);
  lighting_read(track.folder);
  if (!terrain_load(track.folder, terrain_texture_mode())) {
    objects_free();
    track.folder = nullptr;
    track.long_name = nullptr;
    track.loaded = false;
    return false;
  }
  if (launch.debug >= 1) log_printf("%lu bytes texture memory used after hf creation\n", texture_memory_used());
  std::string gates = track_path("/timing_gates");
  hash_file(&hash, gates.c_str());
  timing_gates_read(gates.c_str());
  load_objects(&hash);
  hash_models(&hash);
  ripemd160_digest(&hash, 20, track.hash);
  cameras_read(track_path("/cameras").c_str());
  track.loaded = true;
  return true;
}

void track_unload() {
  log_printf("Deallocating track\n");
  if (editor_active()) editor_drop_track();
  timing_free();
  lines_free();
  objects_free();
  terrain_textures_free();
  terrain_free();
  track.loaded = false;
  track.folder = nullptr;
  track.long_name = nullptr;
  log_printf("Finished deallocating track\n");
}

static const char* long_name_of(const char* folder) {
  for (int i = 0; i < track.count; i++)
    if (std::strcmp(track.list[i].folder, folder) == 0) return track.list[i].long_name;
  return folder;
}

void track_force_reload() {
  track.force_reload = true;
  console_message("Track will be reloaded on next restart");
}

bool track_select_and_load(const char* folder, bool multiplayer) {
  if (!folder) return false;
  if (!track.loaded || std::strcmp(folder, track.folder) != 0 || multiplayer || track.force_reload) {
    track.force_reload = false;
    if (track.loaded) track_unload();
    track.folder = pool_string(folder);
    track.long_name = long_name_of(track.folder);
    if (!track_load()) return false;
  }
  track_script_run(track_path("/frills.js").c_str());
  // Remote races must keep every client's ground identical; a later local
  // race on the same loaded track may edit again.
  terrain.edit_lock = multiplayer;
  return true;
}

bool trackinfo_save() {
  if (!track.loaded || !track.folder) return false;
  std::string name = std::string("@") + track.folder + ".trackinfo";
  Stream* s = stream_open(name.c_str(), "w");
  if (!s) return false;
  int first = 0, normal = 0, gates = 0;
  timing_counts(&first, &normal, &gates);
  stream_print(s, "dir=%s\n", track.folder);
  stream_print(s, "longname=%s\n", track.long_name ? track.long_name : track.folder);
  stream_print(s, "firstlap=%d\n", first);
  stream_print(s, "normallap=%d\n", normal);
  stream_print(s, "gatecount=%d\n", gates);
  stream_print(s, "hash=");
  for (int i = 0; i < 20; i++) stream_print(s, "%02x", track.hash[i]);
  stream_print(s, "\n");
  if (!stream_close(s)) return false;
  console_printf("Track info saved to %s.trackinfo", track.folder);
  return true;
}
