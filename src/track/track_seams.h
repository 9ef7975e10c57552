// Joins between track loading and the work that fills a track beyond its
// ground: textures, lighting, scenery objects, timing gates, racing lines,
// the track script and the editor. Each is one named function in
// track_seams.cpp; the subsystem that owns the work replaces its body.
#pragma once

#include <cstdint>

// Scenery object stores (billboards, statues, index list, flaggers, the
// 8 x 8 statue grid), created empty at each load and freed at unload.
void objects_create();
void objects_free();
void lighting_read(const char* folder);
void roost_particles_create(int count);
void flaggers_read(const char* path);
void billboards_read(const char* path);
void statues_read(const char* path);
void map_texture_load(const char* path);
void statue_grid_fill();
void cameras_read(const char* path);
// Statue models in statue order (null for a statue without a model).
int statue_count();
const char* statue_model_file(int i);

// Timing gates: reading, freeing and the counts the trackinfo file shows.
void timing_gates_read(const char* path);
void timing_free();
void timing_counts(int* first_lap, int* normal_lap, int* starting_gates);

// Racing lines, track script and editor.
void lines_free();
void track_script_run(const char* path);
bool editor_active();
void editor_take_track();
void editor_drop_track();
