// Pieces every generated track shares: the surface table, the timing-gate
// file, shadows baked from the sun, and writing the folder.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "mkdata.h"
#include "track/track.h"
#include "track_gen.h"

// Friction curves are read against the tyre's slip speed (slip function 2):
// grip peaks at small slip and falls off as the wheel spins or slides, more
// on loose and green surfaces than on the pad.
std::string gen_tileinfo() {
  // The file has no comment syntax: every line is a key.
  return "name hard-pack dirt\n"
         "texture @ground/hardpack.png\n"
         "slip_function 2\n"
         "friction 1.05 0\n"
         "friction 1.15 4\n"
         "friction 0.95 20\n"
         "friction 0.85 60\n"
         "roll_resist 3 10 1\n"
         "roll_resist 4 12 80\n"
         "roost count=8 dig=0.8 r=150 g=120 b=90 fade_a=-200\n"
         "erode_depth 0.6\n"
         "addtile\n"
         "\n"
         "name loam\n"
         "texture @ground/loam.png\n"
         "slip_function 2\n"
         "friction 1.0 0\n"
         "friction 1.1 6\n"
         "friction 0.9 25\n"
         "friction 0.75 60\n"
         "roll_resist 5 16 1\n"
         "roll_resist 6 18 80\n"
         "roost count=14 dig=1.2 r=110 g=85 b=60 fade_a=-160\n"
         "erode_depth 1.2\n"
         "erode_limit 0 1 1\n"
         "erode_limit 0.75 0.5 0.5\n"
         "erode_limit 1.5 0 0\n"
         "addtile\n"
         "\n"
         "name sand\n"
         "texture @ground/sand.png\n"
         "slip_function 2\n"
         "friction 0.8 0\n"
         "friction 0.85 8\n"
         "friction 0.65 30\n"
         "friction 0.55 60\n"
         "roll_resist 10 30 1\n"
         "roll_resist 9 26 80\n"
         "roost count=20 dig=1.6 size=0.2 r=220 g=200 b=150 fade_a=-240\n"
         "erode_depth 1.6\n"
         "erode_radius 5\n"
         "addtile\n"
         "\n"
         "name grass\n"
         "texture @ground/grass.png\n"
         "slip_function 2\n"
         "friction 0.9 0\n"
         "friction 0.8 4\n"
         "friction 0.55 15\n"
         "friction 0.45 50\n"
         "roll_resist 6 18 1\n"
         "roost count=4 dig=0.5 r=90 g=120 b=60 fade_a=-200\n"
         "erode_depth 0.3\n"
         "addtile\n"
         "\n"
         "name concrete\n"
         "texture @ground/concrete.png\n"
         "slip_function 2\n"
         "friction 1.2 0\n"
         "friction 1.3 3\n"
         "friction 1.1 20\n"
         "friction 0.95 60\n"
         "roll_resist 1 1 1\n"
         "roost count=0\n"
         "erode_depth 0\n"
         "addtile\n";
}

static void append(std::string* out, const char* format, double a, double b = 0, double c = 0) {
  char line[128];
  std::snprintf(line, sizeof line, format, a, b, c);
  *out += line;
}

std::string gen_timing_gates(const std::vector<GenStart>& starts, const std::vector<GenGate>& gates,
                             const std::vector<int>& first_lap, const std::vector<int>& normal_lap) {
  std::string out;
  if (!starts.empty()) {
    out += "startinggate:\n";
    for (const GenStart& s : starts) {
      append(&out, "[%f %f %f]", s.position[0], s.position[1], s.position[2]);
      append(&out, " %f\n", s.heading);
    }
  }
  if (!gates.empty()) {
    out += "checkpoints:\n";
    for (const GenGate& g : gates) {
      append(&out, "%f ", g.radius);
      append(&out, "[%f %f %f]", g.centre[0], g.centre[1], g.centre[2]);
      append(&out, " [%f %f %f]\n", g.direction[0], 0.0, g.direction[1]);
    }
  }
  auto list = [&](const char* key, const std::vector<int>& v) {
    if (v.empty()) return;
    out += key;
    for (int e : v) out += std::to_string(e) + " ";
    out += "\n";
  };
  list("firstlap:\n", first_lap);
  list("normallap:\n", normal_lap);
  return out;
}

// March from each grid point towards the sun; the more the ground rises
// above the ray, the darker, so shadow edges are soft.
void gen_bake_shadows() {
  const float* sun = terrain.light.sun_direction;
  float horizontal = std::sqrt(sun[0] * sun[0] + sun[2] * sun[2]);
  if (horizontal <= 0) return;
  float dx = sun[0] / horizontal, dz = sun[2] / horizontal, rise = sun[1] / horizontal;
  float step = terrain.spacing;
  for (int r = 0; r < terrain.dim; r++) {
    for (int c = 0; c < terrain.dim; c++) {
      float x = c * terrain.spacing, z = r * terrain.spacing;
      float h = terrain.heights[c + (size_t)terrain.dim * r];
      float reach = (terrain.max_height - h) / rise;
      float excess = 0;
      for (float t = step; t <= reach; t += step) {
        float e = terrain_height(x + dx * t, z + dz * t) - (h + rise * t);
        if (e > excess) excess = e;
      }
      float dark = excess * 150.0f;
      terrain.shadow[c + (size_t)terrain.dim * r] = (unsigned char)(dark > 200 ? 200 : dark);
    }
  }
}

std::string gen_pgm(const unsigned char* pixels, int width, int height) {
  std::string out = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  out.append((const char*)pixels, (size_t)width * height);
  return out;
}

bool gen_write_track(const std::string& outdir, const std::string& folder, const std::string& long_name,
                     const std::string& timing_gates) {
  std::string path = outdir + "/" + folder;
  gen_bake_shadows();
  // Light amount on file, darkness in memory.
  size_t points = (size_t)terrain.dim * terrain.dim;
  std::string light(points, '\0');
  for (size_t i = 0; i < points; i++) light[i] = (char)(255 - terrain.shadow[i]);
  // Every point's shading is computed from the sun by the save.
  for (size_t i = 0; i < points; i++) terrain.shading_dirty[i >> 5] |= 1u << (i & 31);
  bool ok = mk_write_text(outdir, folder + "/tileinfo", gen_tileinfo()) &&
            terrain_write_files(path.c_str()) &&
            mk_write_text(outdir, folder + "/shadows.pgm",
                          gen_pgm((const unsigned char*)light.data(), terrain.dim, terrain.dim)) &&
            mk_write_text(outdir, folder + "/desc", long_name + "\n") &&
            mk_write_text(outdir, folder + "/timing_gates", timing_gates);
  terrain_free();
  if (!ok) std::fprintf(stderr, "dwmkdata: can't write track %s\n", folder.c_str());
  return ok;
}
