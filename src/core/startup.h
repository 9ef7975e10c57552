// Start-up and shutdown of the game, and the steps that reach into the
// other subsystems.
#pragma once

struct GameWindow;

// The whole program: start-up, main loop, shutdown. Returns the exit status.
int game_main(int argc, char** argv);
GameWindow* game_window();

// Start-up steps that belong to other subsystems. Each is the one place
// where that subsystem joins the start-up; until a subsystem exists its step
// does only what can be done without it.
void startup_default_bike();
void startup_stock_shapes();
void startup_texture_lists();
bool startup_track_list();           // false when there is no track
void startup_series();
void startup_select_track(const char* folder);
void startup_gl();
void startup_fonts();
void startup_race_tables();
void startup_first_race();
void shutdown_network();
void shutdown_race();

// The loading screen's message (drawn once the renderer exists).
void loading_screen(const char* text);
// Draws the frame for the current view into a w x h drawable.
void game_draw(int width, int height);
void game_draw_blank(int width, int height);
// Appends the tic's readback audio to the --record-audio file.
void record_audio_block();

// Whether the seven stock collision shapes are the accepted ones, and the
// digest of their contents (40 lower-case hex digits).
extern bool stock_shapes;
void stock_shapes_digest(char hex[41]);
