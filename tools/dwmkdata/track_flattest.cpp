// "Flat Test Track": a 64 ft square of level ground for tests. Its heights
// are stored inline in terrain.hf (the other form of the file), its west
// half is hard-pack and its east half grass, and four gates make a square
// lap.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mkdata.h"
#include "track/track.h"
#include "track_gen.h"

bool mk_track_flattest(const std::string& outdir) {
  const std::string folder = "tracks/flattest";
  if (!terrain_alloc(4, 2.0f)) return false;  // 33 x 33 points, 2 ft apart
  for (int j = 0; j < terrain.tiles; j++)
    for (int i = 0; i < terrain.tiles; i++)
      terrain.tilemap[i + terrain.tiles * j] = i < terrain.tiles / 2 ? SURF_HARDPACK : SURF_GRASS;

  std::vector<GenGate> gates = {
      {{20, 0, 16}, {1, 0}, 8}, {{48, 0, 20}, {0, 1}, 8}, {{44, 0, 48}, {-1, 0}, 8}, {{16, 0, 44}, {0, -1}, 8}};
  std::vector<GenStart> starts = {{{12, 0, 14}, -1.5707964f}, {{12, 0, 18}, -1.5707964f}};
  std::string timing = gen_timing_gates(starts, gates, {0, 1, 2, 3}, {0, 1, 2, 3});
  if (!gen_write_track(outdir, folder, "Flat Test Track", timing)) return false;

  // Replace terrain.hf by the inline form: header, ":" and the samples (all
  // zero: every height is the minimum); terrain.png is then not needed.
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(outdir) / folder / "terrain.png", ec);
  std::string hf = "4 2.000000 0.000000 0.000000\n:";
  hf.append(33 * 33 * 2, '\0');
  return mk_write_text(outdir, folder + "/terrain.hf", hf);
}
