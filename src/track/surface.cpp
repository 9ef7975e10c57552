// Surfaces: defaults, friction and roll-resistance curves, the position to
// surface lookup, transition codes and tile painting.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "track/terrain_local.h"
#include "track/track.h"

void roost_defaults(RoostType* r) {
  std::memset(r, 0, sizeof *r);
  r->type = ROOST_UNUSED;
  r->texture = texture_load_name("@roost.png");
  r->count = 10.0f;
  r->dig = 1.0f;
  r->slip_threshold = 4.0f;
  r->slow_angle = 1.5707964f;
  r->fast_angle = 0.19634955f;
  r->slow_speed = 0.0f;
  r->fast_speed = 64.0f;
  r->size = 0.25f;
  r->grow = 4.0f;
  r->drag = 0.5f;
  r->vscale = 1.0f;
  r->randomize = 15.0f;
  for (int k = 0; k < 4; k++) r->colour[k] = 255;
  r->fade[3] = -2;
}

void erode_defaults(ErodeParams* e) {
  std::memset(e, 0, sizeof *e);
  e->depth = 1.0f;
  e->lower = 50.0f;
  e->upper = 150.0f;
  e->displacement = 2.0f;
  e->radius = 4.0f;
  e->inner_depth = 0.125f;
  e->inner_radius = 2.0f;
  e->min_slope = -0.5f;
  e->max_slope = 0.5f;
  e->off_speed = 10.0f;
  e->on_speed = 15.0f;
  e->slip_lower = 0.0f;
  e->slip_upper = 5.0f;
  e->slip_base_scale = 1.0f;
  e->slip_scale = 1.5f;
  e->downhill_scale = 0.0f;
  e->limit_depth[0] = 0.0f;
  e->limit_depth[1] = 1.0f;
  e->limit_first[0] = 1.0f;
  e->limit_second[0] = 1.0f;
  e->project_to_ground = 1.0f;
  e->lateral_scale = 1.0f;
  e->front_scale = 1.0f;
  e->limit_count = 2;
}

void surface_defaults(SurfaceTile* s) {
  std::memset(s, 0, sizeof *s);
  for (int i = 0; i < FRICTION_POINTS; i++) {
    s->friction[i].coefficient = 1.0f;
    s->friction[i].speed = FRICTION_UNUSED;
    s->roll[i].shallow = 5.0f;
    s->roll[i].deep = 15.0f;
    s->roll[i].speed = 0.0f;
  }
  s->friction[0].speed = 1.0f;
  s->roll[0].speed = 1.0f;
  for (int i = 0; i < ROOST_TYPES; i++) roost_defaults(&s->roost[i]);
  erode_defaults(&s->erode);
  s->texture_file = "";
}

// First point j whose speed is unused or strictly above the query; the
// caller interpolates between j - 1 and j.
float surface_friction(const SurfaceTile* s, int slip_function, float query) {
  bool squared = slip_function != 1 && slip_function != 2;
  const FrictionPoint* p = s->friction;
  int j = 0;
  float sj = 0;
  for (; j < FRICTION_POINTS; j++) {
    if (p[j].speed == FRICTION_UNUSED) break;
    sj = squared ? p[j].speed * p[j].speed : p[j].speed;
    if (sj > query) break;
  }
  if (j == 0) return p[0].coefficient;
  if (j == FRICTION_POINTS || p[j].speed == FRICTION_UNUSED) return p[j - 1].coefficient;
  float s0 = squared ? p[j - 1].speed * p[j - 1].speed : p[j - 1].speed;
  float t = sj > s0 ? (query - s0) / (sj - s0) : 1.0f;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return p[j - 1].coefficient + t * (p[j].coefficient - p[j - 1].coefficient);
}

void surface_roll_resistance(const SurfaceTile* s, float speed, float* shallow, float* deep) {
  const RollPoint* p = s->roll;
  int j = 0;
  for (; j < ROLL_POINTS; j++) {
    if (p[j].speed == 0.0f || p[j].speed > speed) break;
  }
  if (j == 0 || j == ROLL_POINTS || p[j].speed == 0.0f) {
    const RollPoint* q = j == 0 ? &p[0] : &p[j - 1];
    *shallow = q->shallow;
    *deep = q->deep;
    return;
  }
  float t = p[j].speed > p[j - 1].speed ? (speed - p[j - 1].speed) / (p[j].speed - p[j - 1].speed) : 1.0f;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  *shallow = p[j - 1].shallow + t * (p[j].shallow - p[j - 1].shallow);
  *deep = p[j - 1].deep + t * (p[j].deep - p[j - 1].deep);
}

static int tile_index(float v) {
  float f = v / terrain.tile_size;
  if (!(f > 0)) return 0;  // also a value that is not a number
  float last = (float)(terrain.tiles - 1);
  return f > last ? terrain.tiles - 1 : (int)f;
}

int surface_at(float x, float z) {
  if (!terrain.tilemap) return 0;
  return terrain.tilemap[tile_index(x) + (size_t)terrain.tiles * tile_index(z)];
}

const SurfaceTile* surface_get(int index) {
  static SurfaceTile fallback;
  static bool made;
  if (terrain.surfaces && index >= 0 && index < terrain.surface_count) return &terrain.surfaces[index];
  if (!made) {
    surface_defaults(&fallback);
    std::strcpy(fallback.name, "default");
    made = true;
  }
  return &fallback;
}

// ---------------------------------------------------------------------------
// Transition codes
// ---------------------------------------------------------------------------

// Length of s up to (not including) the first `stop` character.
static size_t span_to(const char* s, char stop) {
  const char* e = std::strchr(s, stop);
  return e ? (size_t)(e - s) : std::strlen(s);
}

// First surface whose file name up to "." equals the n characters at key.
static int surface_by_stem(const SurfaceTile* table, int count, const char* key, size_t n) {
  for (int i = 0; i < count; i++) {
    const char* f = table[i].texture_file ? table[i].texture_file : "";
    size_t len = span_to(f, '.');
    if (len == n && std::strncmp(f, key, n) == 0) return i;
  }
  return -1;
}

static int32_t transition_code(const SurfaceTile* table, int count, int own) {
  const char* name = table[own].texture_file ? table[own].texture_file : "";
  int32_t plain = (own << 16) | (own << 8);
  const char* dash = std::strchr(name, '-');
  if (!dash) return plain;
  int a = surface_by_stem(table, count, name, (size_t)(dash - name));
  if (a < 0) return plain;
  const char* rest = dash + 1;
  if (std::strncmp(rest, "alt", 3) == 0 && rest[3] >= '0' && rest[3] <= '9') return (a << 16) | (a << 8);
  size_t blen = span_to(rest, '-');
  int b = surface_by_stem(table, count, rest, blen);
  if (b < 0) return -256;
  int32_t code = (a << 16) | (b << 8);
  if (rest[blen] == '-') {
    const char* bits = rest + blen + 1;
    int value = 0;
    for (int k = 0; k < 4; k++) {
      if (bits[k] != '0' && bits[k] != '1') return code;
      value = value * 2 + (bits[k] - '0');
    }
    code |= value;
  }
  return code;
}

void surface_transitions(SurfaceTile* table, int count) {
  for (int i = 0; i < count; i++) table[i].transition = transition_code(table, count, i);
}

int transition_corner(int32_t code, int bit) {
  uint32_t u = (uint32_t)code;
  return (u & (uint32_t)bit) ? (int)((u >> 8) & 255) : (int)((u >> 16) & 255);
}

// ---------------------------------------------------------------------------
// Tile painting
// ---------------------------------------------------------------------------

static int32_t cell_code(int i, int j) {
  int last = terrain.tiles - 1;
  i = i < 0 ? 0 : (i > last ? last : i);
  j = j < 0 ? 0 : (j > last ? last : j);
  int s = terrain.tilemap[i + (size_t)terrain.tiles * j];
  if (s >= terrain.surface_count) return (s << 16) | (s << 8);
  return terrain.surfaces[s].transition;
}

static void retile(int i, int j, int mask, int b) {
  static const int corner_bits[4] = {8, 4, 2, 1};
  int32_t code = cell_code(i, j);
  int wanted[4];
  for (int k = 0; k < 4; k++) {
    wanted[k] = (mask & corner_bits[k]) ? b : transition_corner(code, corner_bits[k]);
  }
  if (i < 0 || j < 0 || i >= terrain.tiles || j >= terrain.tiles) return;
  for (int s = 0; s < terrain.surface_count; s++) {
    int k = 0;
    while (k < 4 && transition_corner(terrain.surfaces[s].transition, corner_bits[k]) == wanted[k]) k++;
    if (k == 4) {
      terrain.tilemap[i + (size_t)terrain.tiles * j] = (uint8_t)s;
      return;
    }
  }
}

void surface_paint(int i, int j, int b) {
  if (!terrain.tilemap || b < 0 || b > 255) return;
  bool inside = i >= 0 && j >= 0 && i < terrain.tiles && j < terrain.tiles;
  if (inside && terrain.tilemap[i + (size_t)terrain.tiles * j] == b) return;
  if (inside) terrain.tilemap[i + (size_t)terrain.tiles * j] = (uint8_t)b;
  static const int nb[8][3] = {{-1, -1, 1}, {0, -1, 3}, {1, -1, 2}, {-1, 0, 5},
                               {1, 0, 10},  {-1, 1, 4}, {0, 1, 12}, {1, 1, 8}};
  for (int k = 0; k < 8; k++) retile(i + nb[k][0], j + nb[k][1], nb[k][2], b);
}
