// dwride: rides bikes on a track without a window, for tests and benchmarks.
#pragma once

#include <random>
#include <string>
#include <vector>

struct Bike;

// Where one bike starts: position on the ground (ft) and heading (rad).
struct StartSpot {
  float x, z;
  float heading;
};

// The start spot of bike index i of the line-up: the track's starting gate
// positions, in rows of gates; the middle of the track without any.
StartSpot ride_start_spot(const char* track_folder, int index);

// A timing gate: radius and horizontal centre and direction (ft).
struct RideGate {
  float radius, x, z, dx, dz;
};
// The gates and the first lap's order (gate indices) of a track.
struct RideCourse {
  std::vector<RideGate> gates;
  std::vector<int> first_lap;
};
// Reads the "checkpoints:" and "firstlap:" sections of the track's
// timing_gates; empty when the file has none.
RideCourse ride_course_read(const char* track_folder);
// The crossing test: within the radius, on the far side of the centre.
bool ride_gate_passed(const RideGate& g, float x, float z);

// Control scripts: what the rider does with bike i each tic.
enum RideScript {
  SCRIPT_REST, SCRIPT_ROLL, SCRIPT_RANDOM, SCRIPT_THROTTLE, SCRIPT_BRAKE, SCRIPT_TURN_LEFT, SCRIPT_TURN_RIGHT,
  SCRIPT_LAP, SCRIPT_COUNT,
};
// The script of a name, or -1.
int ride_script_find(const char* name);
const char* ride_script_names();
// Called once after placement, then before every tic.
void ride_script_start(int script, Bike* bike, const RideCourse* course);
void ride_script_tic(int script, Bike* bike, int tic, std::mt19937* random);
// Extra fields of the script for the report line of bike (e.g. the lap
// script's " gates=3/21"); empty for most scripts.
std::string ride_script_report(int script, const Bike* bike);
