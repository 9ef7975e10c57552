// Collision shapes: sets of spheres with contact constants, read from ".shp"
// files and kept for the whole run.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "gfx/gfx.h"
#include "gfx/model_scan.h"

static GrowArray g_shapes;  // Shape* in load order
static bool g_shapes_ready;

static char* copy_text(const char* text) {
  size_t n = std::strlen(text) + 1;
  char* out = (char*)mem_alloc(n);
  if (out) std::memcpy(out, text, n);
  return out;
}

static Shape* shape_new(int count, const char* path) {
  Shape* s = (Shape*)mem_calloc(1, sizeof(Shape));
  if (!s) return nullptr;
  s->spheres = (ShapeSphere*)mem_calloc((size_t)count, sizeof(ShapeSphere));
  s->path = copy_text(path);
  if (!s->spheres || !s->path) {
    shape_free(s);
    return nullptr;
  }
  s->sphere_count = count;
  return s;
}

static bool read_sphere(TextScan* scan, ShapeSphere* out) {
  float* f = out->center;  // the seven numbers lie in file order
  static_assert(sizeof(ShapeSphere) == 7 * sizeof(float), "ShapeSphere is seven floats");
  for (int k = 0; k < 7; k++)
    if (!scan_float(scan, &f[k])) return false;
  return true;
}

static float bounding_radius(const Shape* s) {
  float r = 0;
  for (int i = 0; i < s->sphere_count; i++) {
    const ShapeSphere& b = s->spheres[i];
    float reach = std::sqrt(b.center[0] * b.center[0] + b.center[1] * b.center[1] + b.center[2] * b.center[2]) +
                  b.radius;
    if (reach > r) r = reach;
  }
  return r;
}

Shape* shape_parse(const char* data, size_t size, const char* name) {
  TextScan scan = text_scan(data, size);
  int count;
  if (!scan_int(&scan, &count) || count < 0) {
    console_printf("Warning: bad sphere count in shape '%.900s'", name);
    return nullptr;
  }
  // Seven numbers of at least two characters each per sphere: a count the
  // file can't hold is refused before any memory is asked for.
  if (14.0 * count - 1.0 > (double)scan_remaining(&scan)) {
    console_printf("Warning: shape '%.900s' is shorter than its %d spheres", name, count);
    return nullptr;
  }
  Shape* s = shape_new(count, name);
  if (!s) return nullptr;
  for (int i = 0; i < count; i++) {
    if (!read_sphere(&scan, &s->spheres[i])) {
      console_printf("Warning: sphere %d of shape '%.900s' is unreadable", i + 1, name);
      shape_free(s);
      return nullptr;
    }
  }
  s->bounding_radius = bounding_radius(s);
  return s;
}

static Shape* shape_load(const char* path) {
  size_t size;
  char* data = gfx_read_file(path, &size);
  if (!data) return nullptr;
  Shape* s = shape_parse(data, size, path);
  mem_free(data);
  return s;
}

Shape* get_shape(const char* path) {
  if (!g_shapes_ready) {
    array_init(&g_shapes, sizeof(Shape*));
    g_shapes_ready = true;
  }
  for (int i = 0; i < g_shapes.count; i++) {
    Shape* s = *(Shape**)array_at(&g_shapes, i);
    if (std::strcmp(s->path, path) == 0) return s;
  }
  Shape* s = shape_load(path);
  if (s && !array_append(&g_shapes, &s)) {
    shape_free(s);
    return nullptr;
  }
  return s;
}

Shape* copy_shape(const char* path) {
  Shape* cached = get_shape(path);
  if (!cached) return nullptr;
  Shape* s = shape_new(cached->sphere_count, cached->path);
  if (!s) return nullptr;
  std::memcpy(s->spheres, cached->spheres, sizeof(ShapeSphere) * cached->sphere_count);
  s->bounding_radius = cached->bounding_radius;
  return s;
}

void shape_free(Shape* shape) {
  if (!shape) return;
  mem_free(shape->spheres);
  mem_free(shape->path);
  mem_free(shape);
}

void delete_all_shapes() {
  for (int i = 0; i < g_shapes.count; i++) shape_free(*(Shape**)array_at(&g_shapes, i));
  if (g_shapes_ready) array_free(&g_shapes);
  g_shapes_ready = false;
}
