// A cheap upper bound of the ground under a square, so that parts clear of
// the ground skip the exact triangle tests.
#include <cmath>
#include <limits>

#include "bike/bike_local.h"
#include "track/track.h"

// Squares wider than this many grid points are not worth scanning: the
// exact test decides.
static const int MAX_SCAN = 48;

static int grid_index(double v, bool up) {
  double i = up ? std::ceil(v) : std::floor(v);
  double last = terrain.dim - 1;
  return (int)(i < 0 ? 0 : (i > last ? last : i));
}

// Every triangle lies within its corners' heights, so the highest grid
// point of the cells covering the square bounds the ground there. Off the
// grid the edge heights carry on outwards, as in every ground query.
float ground_max_height(float x, float z, float half) {
  const float unbounded = std::numeric_limits<float>::infinity();
  if (!terrain.heights) return -unbounded;
  if (!std::isfinite(x) || !std::isfinite(z) || !std::isfinite(half)) return unbounded;
  double s = terrain.spacing;
  int c0 = grid_index((x - half) / s, false), c1 = grid_index((x + half) / s, true);
  int r0 = grid_index((z - half) / s, false), r1 = grid_index((z + half) / s, true);
  if (c1 - c0 > MAX_SCAN || r1 - r0 > MAX_SCAN) return unbounded;
  float top = -unbounded;
  for (int r = r0; r <= r1; r++) {
    const float* row = terrain.heights + (size_t)terrain.dim * r;
    for (int c = c0; c <= c1; c++) top = std::fmax(top, row[c]);
  }
  return top;
}
