// Start-up and shutdown steps of subsystems that join the game later. Each
// function is the single place its subsystem hooks into; for now each does
// what can be done without that subsystem.
#include "core/core.h"
#include "core/game.h"
#include "core/startup.h"
#include "bike/bike.h"
#include "files/settings.h"
#include "platform/platform.h"
#include "track/track.h"

#include <cstring>

// The track the next race is held on: an index into the track list.
static int g_selected_track;

// The bike choice lists the catalogue; the default bike and the aids of
// the default stability are selected before the configuration is read.
void startup_default_bike() {
  const char* names[BIKE_MODEL_COUNT];
  int n = 0;
  for (int i = 0; i < BIKE_MODEL_COUNT; i++)
    if (const BikeModel* m = bike_model(i)) names[n++] = m->name;
  choice_set_items(&settings.setup.bike, names, n);
  choice_set_by_name(&settings.setup.bike, "yz250f(2017)");
  setup_apply_stability_preset();
}

// Texture choice lists come with the texture cache.
void startup_texture_lists() {}

bool startup_track_list() { return track_list_scan(); }

// Points series are read once the race subsystem has them.
void startup_series() {}

// "rabbithill" names the folder "tracks/rabbithill": the last part of the
// folder path, in any letter case.
static bool folder_is(const char* folder, const char* name) {
  const char* slash = std::strrchr(folder, '/');
  const char* last = slash ? slash + 1 : folder;
  return !strcasecmp(folder, name) || !strcasecmp(last, name);
}

// A name that is not in the track list leaves the selection unchanged.
void startup_select_track(const char* name) {
  for (int i = 0; i < track.count; i++) {
    if (!folder_is(track.list[i].folder, name)) continue;
    g_selected_track = i;
    const char* slash = std::strrchr(track.list[i].folder, '/');
    text_set(&settings.track, slash ? slash + 1 : track.list[i].folder);
    return;
  }
}

// Fonts and HUD images come with the text renderer.
void startup_fonts() {}

// The race tables come with race control; the physics world is here now.
void startup_race_tables() { physics_world_create(); }

// The first race: for now its track half (the line-up, grid and race clock
// come with race control).
void startup_first_race() {
  if (g_selected_track < track.count) track_select_and_load(track.list[g_selected_track].folder, false);
  loop_hooks.track_loaded = [] { return track.loaded; };
  loop_hooks.bike_controls = bike_apply_riding_input;
  loop_hooks.bike_clutch = bike_clutch_value;
}

void shutdown_network() {}
void shutdown_race() {
  log_printf("Deallocating bikes\n");
  bike_destroy_all();
  log_printf("Finished deallocating bikes\n");
  track_unload();
  physics_world_destroy();
}

// The loading screen is drawn by the scene renderer; its messages are
// logged by the callers.
void loading_screen(const char*) {}
