// Shared pieces of the track generators: the surface table text, timing
// gates, shadows and writing a generated terrain into a track folder.
#pragma once

#include <string>
#include <vector>

// Surface indices of the standard surface table (tileinfo order).
enum { SURF_HARDPACK, SURF_LOAM, SURF_SAND, SURF_GRASS, SURF_CONCRETE, SURF_COUNT };

// tileinfo text describing the standard surfaces.
std::string gen_tileinfo();

struct GenGate {
  float centre[3];     // ft
  float direction[2];  // x, z: the side a rider passes to
  float radius;        // ft
};

struct GenStart {
  float position[3];   // rider start position (ft)
  float heading;       // radians; the rider faces -(sin a, cos a)
};

// timing_gates text in the track file format.
std::string gen_timing_gates(const std::vector<GenStart>& starts, const std::vector<GenGate>& gates,
                             const std::vector<int>& first_lap, const std::vector<int>& normal_lap);

// Shadow darkness of every grid point of the current terrain from the light's
// sun direction (soft-edged by how far the ground rises above the sun ray).
void gen_bake_shadows();

// Writes the current terrain (heights as terrain.png, shading baked from the
// sun, shadows, tile map) plus tileinfo, desc and timing_gates into
// outdir/folder. Frees the terrain afterwards.
bool gen_write_track(const std::string& outdir, const std::string& folder, const std::string& long_name,
                     const std::string& timing_gates);

// PGM bytes of a dim x dim grey image.
std::string gen_pgm(const unsigned char* pixels, int width, int height);
