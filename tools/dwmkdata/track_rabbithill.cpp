// "Rabbit Hill", the default track: an outdoor motocross circuit of about
// 3,100 ft on a 1,024 ft square of rolling ground.
//
// The lap is a centre-line of straights and arcs: four lanes joined by three
// banked hairpins, and a return along the west side. Jumps are height
// profiles laid along the centre-line; the start is a wide concrete pad with
// a 32-place gate whose straight merges into the lap. Every grid point takes
// its height and surface from the nearest centre-line sample.
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "mkdata.h"
#include "track/track.h"
#include "track_gen.h"

namespace {

const double PI = 3.14159265358979323846;
const int SIZE_EXPONENT = 9;       // 1025 x 1025 grid points
const float SPACING = 1.0f;        // ft between grid points
const double STEP = 0.5;           // ft between centre-line samples
const double HALF_WIDTH = 14.0;    // ft, lap track
const double SHOULDER = 16.0;      // ft from the track edge to natural ground
const double BERM_REACH = 14.0;    // ft a berm's lip extends past the edge
// The layout below is drawn with its corner near (0, 0); these move it to
// the middle of the map.
const double X0 = 60.0, Z0 = -100.0;
const double GATE_X = 150.0 + X0, GATE_Z = 850.0 + Z0;  // starting gate line
const double PAD_END_X = 156.0 + X0;                    // concrete up to here

// ---------------------------------------------------------------------------
// Centre-lines
// ---------------------------------------------------------------------------

struct Sample {
  double x, z;       // position (ft)
  double tx, tz;     // unit tangent (direction of travel)
  double s;          // distance along its path (ft)
  double half_width; // ft
  int turn;          // 0 none, +1 / -1: outside of the turn is on the -n / +n side
  double bank;       // 0..1 berm weight
  bool lap;          // on the lap (false: start straight)
};

struct PathBuilder {
  std::vector<Sample> samples;
  double x, z, hx, hz, s = 0;
  bool lap;

  PathBuilder(double x0, double z0, double hx0, double hz0, bool on_lap) : x(x0), z(z0), hx(hx0), hz(hz0), lap(on_lap) {}

  void add(int turn, double bank) {
    samples.push_back({x, z, hx, hz, s, HALF_WIDTH, turn, bank, lap});
  }
  void straight(double length) {
    int n = (int)std::lround(length / STEP);
    for (int i = 0; i < n; i++) {
      add(0, 0.0);
      x += hx * STEP;
      z += hz * STEP;
      s += STEP;
    }
  }
  // Turns by sweep radians (positive: towards n = (-hz, hx)) on a circle;
  // bank is the berm's weight (0 for none).
  void arc(double radius, double sweep, double bank = 0.0) {
    int sign = sweep > 0 ? 1 : -1;
    double cx = x + sign * radius * -hz, cz = z + sign * radius * hx;
    double vx = x - cx, vz = z - cz, h0x = hx, h0z = hz;
    int n = (int)std::lround(radius * std::fabs(sweep) / STEP);
    for (int i = 0; i < n; i++) {
      add(sign, bank);
      double a = sweep * (i + 1) / n, ca = std::cos(a), sa = std::sin(a);
      x = cx + vx * ca - vz * sa;
      z = cz + vx * sa + vz * ca;
      hx = h0x * ca - h0z * sa;
      hz = h0x * sa + h0z * ca;
      s += radius * std::fabs(sweep) / n;
    }
  }
};

double smoothstep(double t) {
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return t * t * (3 - 2 * t);
}

// Eases berm weights in and out over 25 ft either side of an arc's ends
// (a box filter of 50 ft, twice); samples outside an arc bank to the side
// of the nearest arc.
void ease_banks(std::vector<Sample>* samples) {
  std::vector<Sample>& v = *samples;
  size_t n = v.size();
  int half = (int)(25 / STEP);
  for (int pass = 0; pass < 2; pass++) {
    std::vector<double> w(n);
    for (size_t i = 0; i < n; i++) {
      double sum = 0;
      for (int k = -half; k <= half; k++) sum += v[(i + n + k) % n].bank;
      w[i] = sum / (2 * half + 1);
    }
    for (size_t i = 0; i < n; i++) v[i].bank = w[i];
  }
  std::vector<int> side(n, 0);
  for (size_t i = 0; i < n; i++) {
    if (v[i].turn != 0 || v[i].bank <= 0) continue;
    for (int k = 1; k <= 2 * half + 1 && side[i] == 0; k++) {
      if (v[(i + k) % n].turn != 0) side[i] = v[(i + k) % n].turn;
      else if (v[(i + n - k) % n].turn != 0) side[i] = v[(i + n - k) % n].turn;
    }
  }
  for (size_t i = 0; i < n; i++)
    if (side[i] != 0) v[i].turn = side[i];
}

// The lap, starting at the finish line where the start straight merges.
std::vector<Sample> build_lap() {
  PathBuilder p(600 + X0, 700 + Z0, 1, 0, true);
  p.straight(160);            // to the first hairpin
  p.arc(55, -PI, 1.0);        // berm 1
  p.straight(500);            // doubles and step-up lane
  p.arc(55, PI, 1.0);         // berm 2
  p.straight(500);            // whoops and rhythm lane
  p.arc(55, -PI, 1.0);        // berm 3
  p.straight(580);            // big table lane
  p.arc(60, -PI / 2, 0.25);   // lightly banked corner
  p.straight(210);            // return along the west side
  p.arc(60, -PI / 2, 0.25);   // corner onto the finish straight
  p.straight(420);
  std::vector<Sample>& v = p.samples;
  ease_banks(&v);
  return v;
}

// The start straight: a concrete pad 70 ft deep behind the gate, a funnel
// from the gate's 104 ft down to the lap's width, and an S onto the lap.
std::vector<Sample> build_start() {
  PathBuilder p(80 + X0, 850 + Z0, 1, 0, false);
  p.straight(70 + 241.4);
  p.arc(110, -1.2483);
  p.arc(110, 1.2483);
  for (Sample& s : p.samples) {
    double t = smoothstep((s.s - 80.0) / 180.0);
    s.half_width = 54.0 + (HALF_WIDTH - 54.0) * t;
  }
  return p.samples;
}

// ---------------------------------------------------------------------------
// Jumps along the lap: piecewise-linear profiles, rounded afterwards
// ---------------------------------------------------------------------------

struct Profile {
  std::vector<double> h;  // height per STEP of lap distance
  void add_points(double s0, const std::vector<std::pair<double, double>>& pts) {
    for (size_t k = 0; k + 1 < pts.size(); k++) {
      double a = s0 + pts[k].first, b = s0 + pts[k + 1].first;
      for (double s = a; s < b; s += STEP) {
        size_t i = (size_t)std::lround(s / STEP) % h.size();
        double t = (s - a) / (b - a);
        h[i] += pts[k].second + t * (pts[k + 1].second - pts[k].second);
      }
    }
  }
  void tabletop(double s0, double height, double up, double top, double down) {
    add_points(s0, {{0, 0}, {up, height}, {up + top, height}, {up + top + down, 0}});
  }
  // Two mounds: a steep take-off and a long landing across the gap.
  void double_jump(double s0, double height, double gap) {
    double a = 3 * height, b = 1.5 * height, c = 4 * height;
    add_points(s0, {{0, 0}, {a, height}, {a + b, 0}, {a + b + gap, 0}, {a + b + gap + b, height},
                    {a + b + gap + b + c, 0}});
  }
  // A take-off that lands on a higher plateau.
  void step_up(double s0, double lip, double plateau) {
    add_points(s0, {{0, 0}, {14, lip}, {18, 1.5}, {30, 1.5}, {36, plateau}, {66, plateau}, {110, 0}});
  }
  void whoops(double s0, int count, double height, double spacing) {
    for (double s = 0; s < count * spacing; s += STEP) {
      size_t i = (size_t)std::lround((s0 + s) / STEP) % h.size();
      h[i] += height * 0.5 * (1 - std::cos(2 * PI * s / spacing));
    }
  }
  // Rounds lips and landings so no edge is sharper than a few feet.
  void smooth() {
    for (int pass = 0; pass < 2; pass++) {
      std::vector<double> out(h.size());
      int half = (int)(1.5 / STEP);
      for (size_t i = 0; i < h.size(); i++) {
        double sum = 0;
        for (int k = -half; k <= half; k++) sum += h[(i + h.size() + k) % h.size()];
        out[i] = sum / (2 * half + 1);
      }
      h.swap(out);
    }
  }
  double at(double s) const {
    double u = s / STEP;
    double f = std::floor(u);
    long n = (long)h.size();
    long i = ((long)f % n + n) % n;
    double t = u - f;
    return h[i] * (1 - t) + h[(i + 1) % n] * t;
  }
};

Profile build_profile(double lap_length) {
  Profile p;
  p.h.assign((size_t)std::lround(lap_length / STEP), 0.0);
  p.add_points(40, {{0, 0}, {20, 2}, {40, 0}});  // roller after the finish
  // Lane B (s 333..833, heading west)
  p.double_jump(380, 6, 26);
  p.step_up(540, 4, 7);
  p.tabletop(700, 5, 16, 40, 24);
  // Lane C (s 1006..1506): whoops, rhythm rollers, small table
  p.whoops(1060, 12, 2.5, 10);
  for (int k = 0; k < 6; k++) p.add_points(1230 + 25 * k, {{0, 0}, {12.5, 3}, {25, 0}});
  p.tabletop(1420, 3, 10, 20, 15);
  // Lane D (s 1679..2259): big table, double, small table
  p.tabletop(1730, 6, 18, 50, 28);
  p.double_jump(1900, 5, 24);
  p.tabletop(2050, 4, 14, 30, 20);
  // Return lane (s 2353..2563)
  p.step_up(2400, 3.5, 5);
  // Finish straight (s 2657..3077)
  p.tabletop(2720, 5, 16, 40, 24);
  p.double_jump(2860, 5, 24);
  p.smooth();
  return p;
}

// ---------------------------------------------------------------------------
// Ground
// ---------------------------------------------------------------------------

struct Ground {
  double phase[6];
  std::vector<float> noise;  // value noise lattice, 16 ft cells
  int lattice;

  explicit Ground(std::mt19937* rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (double& p : phase) p = u(*rng) * 2 * PI;
    lattice = 1024 / 16 + 2;
    noise.resize((size_t)lattice * lattice);
    for (float& n : noise) n = (float)(u(*rng) * 2 - 1);
  }
  // Gentle hills: slopes stay below 1 in 20.
  double smooth(double x, double z) const {
    return 6 * std::sin(x / 170 + phase[0]) * std::cos(z / 230 + phase[1]) + 4 * std::sin((x + z) / 310 + phase[2]) +
           2 * std::cos((x - 2 * z) / 260 + phase[3]);
  }
  double bumps(double x, double z) const {
    double u = x / 16, v = z / 16;
    int i = (int)std::floor(u), j = (int)std::floor(v);
    double fu = smoothstep(u - i), fv = smoothstep(v - j);
    auto n = [&](int a, int b) {
      a = a < 0 ? 0 : (a >= lattice ? lattice - 1 : a);
      b = b < 0 ? 0 : (b >= lattice ? lattice - 1 : b);
      return noise[(size_t)a + (size_t)lattice * b];
    };
    double top = n(i, j) * (1 - fu) + n(i + 1, j) * fu, bottom = n(i, j + 1) * (1 - fu) + n(i + 1, j + 1) * fu;
    return 0.5 * (top * (1 - fv) + bottom * fv);
  }
  // Spectator banks rise along the map's edges.
  double banks(double x, double z) const {
    double edge = std::fmin(std::fmin(x, 1024 - x), std::fmin(z, 1024 - z));
    return 14 * smoothstep((60 - edge) / 60);
  }
  double natural(double x, double z) const { return smooth(x, z) + bumps(x, z) + banks(x, z); }
};

// Nearest centre-line sample of every grid point within reach of a track.
struct Nearest {
  std::vector<int> index;    // sample index, -1 for none
  std::vector<float> dist2;  // squared distance (ft^2)
};

Nearest stamp(const std::vector<Sample>& samples, int dim, double reach) {
  Nearest n;
  n.index.assign((size_t)dim * dim, -1);
  n.dist2.assign((size_t)dim * dim, 1e30f);
  for (size_t k = 0; k < samples.size(); k++) {
    const Sample& s = samples[k];
    double r = s.half_width + reach;
    int c0 = (int)std::floor((s.x - r) / SPACING), c1 = (int)std::ceil((s.x + r) / SPACING);
    int r0 = (int)std::floor((s.z - r) / SPACING), r1 = (int)std::ceil((s.z + r) / SPACING);
    for (int row = r0 < 0 ? 0 : r0; row <= r1 && row < dim; row++)
      for (int col = c0 < 0 ? 0 : c0; col <= c1 && col < dim; col++) {
        double dx = col * SPACING - s.x, dz = row * SPACING - s.z;
        float d2 = (float)(dx * dx + dz * dz);
        size_t p = (size_t)col + (size_t)dim * row;
        if (d2 <= r * r && d2 < n.dist2[p]) {
          n.dist2[p] = d2;
          n.index[p] = (int)k;
        }
      }
  }
  return n;
}

struct Layout {
  std::vector<Sample> samples;  // lap samples first, then the start straight
  size_t lap_count;
  double lap_length;
  Profile profile;
  Ground ground;
  explicit Layout(std::mt19937* rng) : ground(rng) {}
};

// Where a point lies relative to its nearest sample.
struct Place {
  const Sample* s;
  double lateral;   // signed offset along n = (-tz, tx) (ft)
  double along;     // lap distance of the point's projection (ft)
};

Place place_of(const Layout& L, int sample, double x, double z) {
  const Sample& s = L.samples[(size_t)sample];
  double dx = x - s.x, dz = z - s.z;
  return {&s, dx * -s.tz + dz * s.tx, s.s + dx * s.tx + dz * s.tz};
}

// Height of the track surface at a place (bed, jumps, berm).
double track_height(const Layout& L, const Place& p, double bed) {
  double a = std::fabs(p.lateral), hw = p.s->half_width;
  double h = bed;
  // Jump sides slope away over 10 ft so a wide line is not a cliff.
  if (p.s->lap) h += L.profile.at(p.along) * (1 - smoothstep((a - hw) / 10));
  if (p.s->bank > 0) {
    // Outside of the turn: the side away from the arc's centre.
    double out = p.s->turn > 0 ? -p.lateral : p.lateral;
    double rise = std::fmax(0.0, out + 4) * 0.38;
    if (out > hw) rise = (hw + 4) * 0.38 * (1 - smoothstep((out - hw) / BERM_REACH));
    h += p.s->bank * rise;
  }
  return h;
}

// Distance outside the track's edge (negative on the track). Behind the
// start of the start straight the pad ends as well.
double edge_distance(const Place& p) {
  double d = std::fabs(p.lateral) - p.s->half_width;
  if (!p.s->lap && p.along < 0) d = std::fmax(d, -p.along);
  return d;
}

double blend_reach(const Place& p) {
  double out = p.s->turn > 0 ? -p.lateral : p.lateral;
  return SHOULDER + (p.s->bank > 0 && out > 0 ? BERM_REACH * p.s->bank : 0);
}

float height_at(const Layout& L, const Nearest& n, int c, int r) {
  double x = c * SPACING, z = r * SPACING;
  double natural = L.ground.natural(x, z);
  int k = n.index[(size_t)c + (size_t)terrain.dim * r];
  if (k < 0) return (float)natural;
  Place p = place_of(L, k, x, z);
  double bed = L.ground.smooth(p.s->x, p.s->z);
  double t = smoothstep(edge_distance(p) / blend_reach(p));
  return (float)(track_height(L, p, bed) * (1 - t) + natural * t);
}

int surface_of(const Layout& L, const Nearest& n, double x, double z) {
  int c = (int)std::lround(x / SPACING), r = (int)std::lround(z / SPACING);
  int k = n.index[(size_t)c + (size_t)terrain.dim * r];
  if (k < 0) return SURF_GRASS;
  Place p = place_of(L, k, x, z);
  double edge = edge_distance(p);
  if (!p.s->lap && x < PAD_END_X && edge <= 0) return SURF_CONCRETE;
  if (edge > 5) return SURF_GRASS;
  if (edge > 0) return SURF_LOAM;
  if (p.s->lap && p.along > 1050 && p.along < 1190) return SURF_SAND;
  if (p.s->bank > 0.3) return SURF_LOAM;
  return SURF_HARDPACK;
}

// ---------------------------------------------------------------------------
// Timing
// ---------------------------------------------------------------------------

const Sample& sample_at(const std::vector<Sample>& v, size_t first, size_t count, double s) {
  size_t best = first;
  for (size_t i = first; i < first + count; i++)
    if (std::fabs(v[i].s - s) < std::fabs(v[best].s - s)) best = i;
  return v[best];
}

GenGate gate_at(const Sample& s) {
  GenGate g;
  g.centre[0] = (float)s.x;
  g.centre[1] = terrain_height((float)s.x, (float)s.z);
  g.centre[2] = (float)s.z;
  g.direction[0] = (float)s.tx;
  g.direction[1] = (float)s.tz;
  g.radius = (float)(s.half_width + 10);
  return g;
}

// 20 gates spaced evenly round the lap, the last on the finish line, and
// one on the start straight that only the first lap passes.
std::string timing(const Layout& L) {
  const int count = 20;
  std::vector<GenGate> gates;
  for (int k = 0; k < count; k++) {
    double s = (k + 1) * L.lap_length / count;
    if (k == count - 1) s = 0;
    gates.push_back(gate_at(sample_at(L.samples, 0, L.lap_count, s)));
  }
  gates.push_back(gate_at(sample_at(L.samples, L.lap_count, L.samples.size() - L.lap_count, 300)));
  std::vector<int> first{count}, normal;
  for (int k = 0; k < count; k++) {
    first.push_back(k);
    normal.push_back(k);
  }
  // 32 places across the gate, 3.25 ft apart, riders facing east.
  std::vector<GenStart> starts;
  for (int i = 0; i < 32; i++) {
    GenStart st;
    st.position[0] = (float)GATE_X;
    st.position[2] = (float)(GATE_Z + (i - 15.5) * 3.25);
    st.position[1] = terrain_height(st.position[0], st.position[2]);
    st.heading = (float)(-PI / 2);
    starts.push_back(st);
  }
  return gen_timing_gates(starts, gates, first, normal);
}

}  // namespace

bool mk_track_rabbithill(const std::string& outdir) {
  std::mt19937 rng(20240905u);
  Layout L(&rng);
  L.samples = build_lap();
  L.lap_count = L.samples.size();
  L.lap_length = L.samples.back().s + STEP;
  std::vector<Sample> start = build_start();
  L.samples.insert(L.samples.end(), start.begin(), start.end());
  L.profile = build_profile(L.lap_length);

  if (!terrain_alloc(SIZE_EXPONENT, SPACING)) return false;
  Nearest near = stamp(L.samples, terrain.dim, SHOULDER + BERM_REACH);
  for (int r = 0; r < terrain.dim; r++)
    for (int c = 0; c < terrain.dim; c++) terrain.heights[c + (size_t)terrain.dim * r] = height_at(L, near, c, r);
  terrain_update_range();
  for (int j = 0; j < terrain.tiles; j++)
    for (int i = 0; i < terrain.tiles; i++)
      terrain.tilemap[i + (size_t)terrain.tiles * j] = (unsigned char)surface_of(L, near, 2 * i + 1, 2 * j + 1);
  std::string gates = timing(L);
  return gen_write_track(outdir, "tracks/rabbithill", "Rabbit Hill", gates);
}
