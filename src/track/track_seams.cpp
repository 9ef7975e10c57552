// Joins to work that is not part of the ground yet. Each function names the
// step of a track load or unload it stands for and logs it, so a load can be
// followed in the log; the owning subsystem replaces the body.
#include "core/launch.h"
#include "platform/platform.h"
#include "track/terrain_local.h"
#include "track/track_seams.h"

// Textures: there is no texture cache yet, so no handle and no memory.
int texture_load_name(const char* name) {
  if (launch.debug >= 2) log_printf("texture '%s' not loaded: no texture cache\n", name);
  return 0;
}
unsigned long texture_memory_used() { return 0; }

// Terrain drawing resources: without them there is no shader texturing.
bool terrain_textures_setup(int texture_mode) {
  log_printf("terrain textures: mode %d, drawing not built\n", texture_mode);
  return false;
}
void terrain_textures_create() { log_printf("terrain textures: none created\n"); }
void terrain_textures_free() {}

bool decals_read(const char* folder) {
  log_printf("decals of '%s' not read: no decal support\n", folder);
  return false;
}
bool decals_present() { return false; }
bool decals_write(const char*) { return false; }

void objects_create() { log_printf("object stores: none (scenery not built)\n"); }
void objects_free() {}
void lighting_read(const char* folder) { log_printf("lighting of '%s' not read: default light\n", folder); }
void roost_particles_create(int count) { log_printf("roost particles: %d not created\n", count); }
void flaggers_read(const char* path) { log_printf("flaggers '%s' not read\n", path); }
void billboards_read(const char* path) { log_printf("billboards '%s' not read\n", path); }
void statues_read(const char* path) { log_printf("statues '%s' not read\n", path); }
void map_texture_load(const char* path) { log_printf("map '%s' not loaded\n", path); }
void statue_grid_fill() {}
void cameras_read(const char* path) { log_printf("cameras '%s' not read\n", path); }
int statue_count() { return 0; }
const char* statue_model_file(int) { return nullptr; }

void timing_gates_read(const char* path) { log_printf("timing gates '%s' not read\n", path); }
void timing_free() {}
void timing_counts(int* first_lap, int* normal_lap, int* starting_gates) {
  *first_lap = *normal_lap = *starting_gates = 0;
}

void lines_free() {}
void track_script_run(const char* path) { log_printf("script '%s' not run: no script host\n", path); }
bool editor_active() { return false; }
void editor_take_track() {}
void editor_drop_track() {}
