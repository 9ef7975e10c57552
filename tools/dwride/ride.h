// dwride: rides bikes on a track without a window, for tests and benchmarks.
#pragma once

#include <random>

struct Bike;

// Where one bike starts: position on the ground (ft) and heading (rad).
struct StartSpot {
  float x, z;
  float heading;
};

// The start spot of bike index i of the line-up: the track's starting gate
// positions, in rows of gates; the middle of the track without any.
StartSpot ride_start_spot(const char* track_folder, int index);

// Control scripts: what the rider does with bike i each tic.
enum RideScript { SCRIPT_REST, SCRIPT_ROLL, SCRIPT_RANDOM, SCRIPT_COUNT };
// The script of a name, or -1.
int ride_script_find(const char* name);
const char* ride_script_names();
// Called once after placement, then before every tic.
void ride_script_start(int script, Bike* bike);
void ride_script_tic(int script, Bike* bike, int tic, std::mt19937* random);
