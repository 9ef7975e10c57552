// Start-up and shutdown steps of subsystems that join the game later. Each
// function is the single place its subsystem hooks into; for now each does
// what can be done without that subsystem.
#include "core/core.h"
#include "core/game.h"
#include "core/startup.h"
#include "platform/platform.h"

// The bike catalogue selects the default bike and its stability preset.
void startup_default_bike() {}

// Texture choice lists come with the texture cache.
void startup_texture_lists() {}

// No track subsystem yet: no track can be listed.
bool startup_track_list() { return false; }

// Points series are read once the race subsystem has them.
void startup_series() {}

void startup_select_track(const char*) {}

// Fonts and HUD images come with the text renderer.
void startup_fonts() {}

// Race tables and the physics world come with the race and bike subsystems.
void startup_race_tables() {}
void startup_first_race() {}

void shutdown_network() {}
void shutdown_race() {
  log_printf("Deallocating bikes\n");
  log_printf("Finished deallocating bikes\n");
}

// The loading screen is drawn by the scene renderer; its messages are
// logged by the callers.
void loading_screen(const char*) {}
