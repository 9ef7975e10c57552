// Start spots from the track's starting gates: gate i of G at row i / G,
// each row 10 ft behind the one before.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/files.h"
#include "ride.h"
#include "track/track.h"

struct GatePosition {
  float x, z, heading;
};

// The "startinggate:" section of the track's timing_gates file.
static std::vector<GatePosition> read_gates(const char* folder) {
  std::vector<GatePosition> gates;
  std::string name = std::string("@") + folder + "/timing_gates";
  Stream* s = stream_open(name.c_str(), "r");
  if (!s) return gates;
  char line[2048], token[64];
  if (stream_read_line(s, line, sizeof line) && std::sscanf(line, " %63s", token) == 1 &&
      std::strcmp(token, "startinggate:") == 0) {
    while (gates.size() < 160 && stream_read_line(s, line, sizeof line)) {
      float x, y, z, a;
      if (std::sscanf(line, " [ %f %f %f ] %f", &x, &y, &z, &a) < 4) break;
      gates.push_back({x, z, std::remainder(a, 2 * (float)M_PI)});
    }
  }
  stream_close(s);
  return gates;
}

StartSpot ride_start_spot(const char* folder, int index) {
  static std::string cached_folder;
  static std::vector<GatePosition> gates;
  if (cached_folder != folder) {
    cached_folder = folder;
    gates = read_gates(folder);
  }
  if (gates.empty()) return {terrain.world_size / 2 + 5.0f * index, terrain.world_size / 2, 0};
  const GatePosition& g = gates[index % gates.size()];
  float back = 10.0f * (float)(index / (int)gates.size() + 1.0 / 16);
  return {g.x + back * std::sin(g.heading), g.z + back * std::cos(g.heading), g.heading};
}
