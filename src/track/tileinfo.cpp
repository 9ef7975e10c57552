// The tileinfo and texturelist statements that describe a track's surfaces.
//
// Every problem in a line is a warning and the line is otherwise ignored, so
// that a track with one odd line still loads.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/core.h"
#include "track/terrain_local.h"
#include "track/track.h"

static const float SECONDS_PER_TIC = 1.0f / 128.0f;

static void warn(const char* text) { console_printf("tileinfo warning: %s\n", text); }

void tileinfo_begin(TileinfoBuilder* b, SurfaceTile* table) {
  std::memset(b, 0, sizeof *b);
  surface_defaults(&b->current);
  b->out = table;
}

// The file name a texture value names: no leading "@", no folder part.
static const char* texture_file_name(const char* value) {
  if (*value == '@') value++;
  const char* slash = std::strrchr(value, '/');
  const char* bslash = std::strrchr(value, '\\');
  if (bslash && (!slash || bslash > slash)) slash = bslash;
  return pool_string(slash ? slash + 1 : value);
}

static void cut_name(char out[SURFACE_NAME_CHARS + 1], const char* text) {
  size_t n = std::strlen(text);
  if (n > SURFACE_NAME_CHARS) n = SURFACE_NAME_CHARS;
  std::memcpy(out, text, n);
  out[n] = 0;
}

// ---------------------------------------------------------------------------
// Single values and curves
// ---------------------------------------------------------------------------

struct ErodeKey {
  const char* key;
  size_t offset;
};

#define EK(name, field) {name, offsetof(ErodeParams, field)}
static const ErodeKey erode_keys[] = {
    EK("erode_depth", depth),           EK("erode_lower", lower),
    EK("erode_upper", upper),           EK("erode_displacement", displacement),
    EK("erode_radius", radius),         EK("erode_inner_depth", inner_depth),
    EK("erode_inner_radius", inner_radius), EK("erode_min_slope", min_slope),
    EK("erode_max_slope", max_slope),   EK("erode_off_speed", off_speed),
    EK("erode_on_speed", on_speed),     EK("erode_slip_lower", slip_lower),
    EK("erode_slip_upper", slip_upper), EK("erode_slip_base_scale", slip_base_scale),
    EK("erode_slip_scale", slip_scale), EK("erode_downhill_scale", downhill_scale),
    EK("erode_project_to_ground", project_to_ground), EK("erode_lateral_scale", lateral_scale),
    EK("erode_front_scale", front_scale),
};
#undef EK

static bool erode_single(TileinfoBuilder* b, const char* key, const char* value) {
  for (const ErodeKey& k : erode_keys) {
    if (std::strcmp(k.key, key) != 0) continue;
    float v;
    if (std::sscanf(value, "%f", &v) == 1)
      *(float*)((char*)&b->current.erode + k.offset) = v;
    else
      console_printf("tileinfo warning: bad %s\n", key);
    return true;
  }
  return false;
}

static void read_friction(TileinfoBuilder* b, const char* value) {
  float c, s;
  if (std::sscanf(value, "%f %f", &c, &s) != 2) return warn("bad friction parameters");
  if (b->friction_count >= FRICTION_POINTS) return warn("too many friction points");
  if (!(c > 0)) c = 0;
  if (s > FRICTION_SPEED_MAX) s = FRICTION_SPEED_MAX;
  b->current.friction[b->friction_count].coefficient = c;
  b->current.friction[b->friction_count].speed = s;
  b->friction_count++;
}

static void read_roll(TileinfoBuilder* b, const char* value) {
  float shallow, deep, s;
  if (std::sscanf(value, "%f %f %f", &shallow, &deep, &s) != 3) return warn("bad roll_resist parameters");
  if (b->roll_count >= ROLL_POINTS) return warn("too many roll_resist points");
  if (!(shallow > 0)) shallow = 0;
  if (!(deep > 0)) deep = 0;
  if (!(s > ROLL_SPEED_MIN)) s = ROLL_SPEED_MIN;
  RollPoint* p = &b->current.roll[b->roll_count++];
  p->shallow = shallow;
  p->deep = deep;
  p->speed = s;
}

static void read_limit(TileinfoBuilder* b, const char* value) {
  float d, f1, f2;
  if (std::sscanf(value, "%f %f %f", &d, &f1, &f2) != 3) return warn("bad erode_limit");
  if (b->limit_count >= ERODE_LIMITS) return warn("too many erode limits");
  ErodeParams* e = &b->current.erode;
  if (b->limit_count > 0 && !(d > e->limit_depth[b->limit_count - 1]))
    return warn("erode_limit depth <= prev depth");
  e->limit_depth[b->limit_count] = d;
  e->limit_first[b->limit_count] = f1;
  e->limit_second[b->limit_count] = f2;
  b->limit_count++;
}

static void read_slip_function(TileinfoBuilder* b, const char* value) {
  int v;
  if (std::sscanf(value, "%d", &v) != 1) return warn("bad slip_function");
  b->current.slip_function = v;
  if (v < 0 || v > 2) warn("bad slip_function");
}

// ---------------------------------------------------------------------------
// Roost lines: key=value tokens, double quotes keep spaces together
// ---------------------------------------------------------------------------

static int next_token(const char** cursor, char* out, int size) {
  const char* p = *cursor;
  while (*p && std::strchr("\r\n\f \b\t", *p)) p++;
  if (!*p) return 0;
  int n = 0;
  while (*p && !std::strchr("\r\n\f \b\t", *p)) {
    if (*p == '"') {
      for (p++; *p && *p != '"'; p++)
        if (n < size - 1) out[n++] = *p;
      if (*p == '"') p++;
      continue;
    }
    if (n < size - 1) out[n++] = *p;
    p++;
  }
  out[n] = 0;
  *cursor = p;
  return 1;
}

static float roost_number(const char* key, const char* text, bool warns) {
  char* end;
  double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v)) {
    if (warns) console_printf("tileinfo warning: bad %s\n", key);
    return 0;
  }
  return (float)v;
}

static int clamp_int(float v, int lo, int hi) {
  if (!(v > lo)) return lo;
  if (v > hi) return hi;
  return (int)v;
}

static bool roost_float_key(RoostType* r, const char* key, const char* val) {
  struct Key {
    const char* name;
    size_t offset;
  };
#define RK(name, field) {name, offsetof(RoostType, field)}
  static const Key keys[] = {RK("count", count), RK("dig", dig), RK("slip_threshold", slip_threshold),
                             RK("slow_angle", slow_angle), RK("fast_angle", fast_angle),
                             RK("slow_speed", slow_speed), RK("fast_speed", fast_speed),
                             RK("size", size), RK("grow", grow), RK("drag", drag),
                             RK("vscale", vscale), RK("randomize", randomize)};
#undef RK
  for (const Key& k : keys) {
    if (std::strcmp(k.name, key) == 0) {
      *(float*)((char*)r + k.offset) = roost_number(key, val, true);
      return true;
    }
  }
  return false;
}

static void roost_token(RoostType* r, const char* token) {
  char key[64];
  const char* eq = std::strchr(token, '=');
  size_t klen = eq ? (size_t)(eq - token) : std::strlen(token);
  if (!eq || klen >= sizeof key) {
    console_printf("tileinfo warning: unknown roost parameter '%.40s'\n", token);
    return;
  }
  std::memcpy(key, token, klen);
  key[klen] = 0;
  const char* val = eq + 1;
  static const char* colours[4] = {"r", "g", "b", "a"};
  static const char* fades[4] = {"fade_r", "fade_g", "fade_b", "fade_a"};
  if (std::strcmp(key, "splash") == 0) {
    if (roost_number(key, val, false) != 0) r->type = ROOST_SPLASH;
    return;
  }
  if (std::strcmp(key, "texture") == 0) {
    r->texture = texture_load_name(val);
    return;
  }
  if (roost_float_key(r, key, val)) return;
  for (int k = 0; k < 4; k++) {
    if (std::strcmp(key, colours[k]) == 0) {
      r->colour[k] = (uint8_t)clamp_int(roost_number(key, val, true), 0, 255);
      return;
    }
    if (std::strcmp(key, fades[k]) == 0) {
      r->fade[k] = (int8_t)clamp_int(roost_number(key, val, true) * SECONDS_PER_TIC, -128, 127);
      return;
    }
  }
  console_printf("tileinfo warning: unknown roost parameter '%.40s'\n", token);
}

static void read_roost(TileinfoBuilder* b, const char* value) {
  if (b->roost_count >= ROOST_TYPES) return warn("too many roost types");
  RoostType* r = &b->current.roost[b->roost_count++];
  r->type = ROOST_ROOST;
  char token[1024];
  const char* cursor = value;
  while (next_token(&cursor, token, sizeof token)) roost_token(r, token);
}

// ---------------------------------------------------------------------------
// Storing a surface
// ---------------------------------------------------------------------------

// Exchange sorts by ascending speed (the few points of a curve).
static void sort_curves(SurfaceTile* s, int nf, int nr) {
  for (int i = 0; i < nf; i++)
    for (int j = i + 1; j < nf; j++)
      if (s->friction[j].speed < s->friction[i].speed) std::swap(s->friction[i], s->friction[j]);
  for (int i = 0; i < nr; i++)
    for (int j = i + 1; j < nr; j++)
      if (s->roll[j].speed < s->roll[i].speed) std::swap(s->roll[i], s->roll[j]);
}

// The given points replace the default curve; the rest are unused.
static void finish_curves(TileinfoBuilder* b) {
  SurfaceTile* s = &b->current;
  if (b->friction_count > 0) {
    for (int i = b->friction_count; i < FRICTION_POINTS; i++) {
      s->friction[i].coefficient = 1.0f;
      s->friction[i].speed = FRICTION_UNUSED;
    }
  }
  if (b->roll_count > 0) {
    for (int i = b->roll_count; i < ROLL_POINTS; i++) s->roll[i].speed = 0;
  }
  sort_curves(s, b->friction_count, b->roll_count);
  if (b->limit_count > 0) {
    ErodeParams* e = &s->erode;
    for (int i = b->limit_count; i < ERODE_LIMITS; i++)
      e->limit_depth[i] = e->limit_first[i] = e->limit_second[i] = 0;
    e->limit_count = b->limit_count;
  }
}

static bool add_tile(TileinfoBuilder* b) {
  if (b->count >= SURFACE_MAX) return false;
  finish_curves(b);
  b->out[b->count++] = b->current;
  surface_defaults(&b->current);
  b->friction_count = b->roll_count = b->roost_count = b->limit_count = 0;
  b->have_name = false;
  return b->count < SURFACE_MAX;
}

// ---------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------

static void set_texture(TileinfoBuilder* b, const char* value) {
  b->current.texture = texture_load_name(value);
  b->current.texture_file = texture_file_name(value);
  if (!b->have_name) cut_name(b->current.name, value);
}

bool tileinfo_line(TileinfoBuilder* b, const char* line) {
  if (b->count >= SURFACE_MAX) return false;
  const char* p = line;
  while (*p && std::strchr(" \t\r\n", *p)) p++;
  if (!*p) return true;
  const char* k = p;
  while (*p && !std::strchr(" \t\r\n", *p)) p++;
  char key[1024];
  size_t klen = (size_t)(p - k) < sizeof key - 1 ? (size_t)(p - k) : sizeof key - 1;
  std::memcpy(key, k, klen);
  key[klen] = 0;
  while (*p == ' ' || *p == '\t') p++;
  char value[4096];
  size_t vlen = std::strcspn(p, "\r\n");
  if (vlen >= sizeof value) vlen = sizeof value - 1;
  std::memcpy(value, p, vlen);
  value[vlen] = 0;

  if (std::strcmp(key, "addtile") == 0) return add_tile(b);
  if (std::strcmp(key, "name") == 0) {
    cut_name(b->current.name, value);
    b->have_name = true;
  } else if (std::strcmp(key, "texture") == 0) {
    set_texture(b, value);
  } else if (std::strcmp(key, "friction") == 0) {
    read_friction(b, value);
  } else if (std::strcmp(key, "slip_function") == 0) {
    read_slip_function(b, value);
  } else if (std::strcmp(key, "roll_resist") == 0) {
    read_roll(b, value);
  } else if (std::strcmp(key, "roost") == 0) {
    read_roost(b, value);
  } else if (std::strcmp(key, "erode_limit") == 0) {
    read_limit(b, value);
  } else if (!erode_single(b, key, value)) {
    console_printf("tileinfo warning: Unknown identifier '%.950s'\n", key);
  }
  return true;
}

// Old tracks: "friction shallow deep texture" or a texture name alone.
bool texturelist_line(TileinfoBuilder* b, const char* line) {
  if (b->count >= SURFACE_MAX) return false;
  const char* p = line;
  while (*p && std::strchr(" \t\r\n\f\v", *p)) p++;
  if (!*p) return true;
  float c = 1.0f, shallow = 5.0f, deep = 15.0f;
  int used = 0;
  if (std::sscanf(p, "%f %f %f %n", &c, &shallow, &deep, &used) == 3 && used > 0) {
    p += used;
  } else {
    c = 1.0f;
    shallow = 5.0f;
    deep = 15.0f;
  }
  char name[1024];
  size_t n = std::strcspn(p, "\r\n");
  while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t')) n--;
  if (n >= sizeof name) n = sizeof name - 1;
  std::memcpy(name, p, n);
  name[n] = 0;
  SurfaceTile* s = &b->current;
  surface_defaults(s);
  for (int i = 0; i < FRICTION_POINTS; i++) {
    s->friction[i].coefficient = c;
    s->roll[i].shallow = shallow;
    s->roll[i].deep = deep;
  }
  s->roost[0].type = ROOST_ROOST;
  set_texture(b, name);
  return add_tile(b);
}
