// Per-part work after reading: tangents for normal mapping, removal of
// triangles that can't be drawn, and the texel densities the texture code
// uses to choose a detail level.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "gfx/gfx.h"
#include "gfx/model_geometry.h"

namespace {

const float kTiny = 1.0f / 1048576.0f;                 // 2^-20
const double kDegenerateArea2 = std::ldexp(1.0, -80);  // squared cross product limit
const float kShortEdge = 1.0f / 16.0f;                 // ft

struct Vec {
  double x, y, z;
};

Vec vec_at(const float* a, int i) { return Vec{a[3 * i], a[3 * i + 1], a[3 * i + 2]}; }
Vec sub(Vec a, Vec b) { return Vec{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec scale(Vec a, double s) { return Vec{a.x * s, a.y * s, a.z * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return Vec{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

bool triangle_in_range(const Model* part, const int* t) {
  for (int k = 0; k < 3; k++)
    if (t[k] < 0 || t[k] >= part->vertex_count) return false;
  return true;
}

// The direction in which u grows across the triangle, signed by the
// handedness of the mapping; a tiny edge direction when the mapping is
// degenerate, so that such vertices still get some tangent.
Vec triangle_tangent(const Model* part, const int* t) {
  Vec p0 = vec_at(part->positions, t[0]);
  Vec e1 = sub(vec_at(part->positions, t[1]), p0);
  Vec e2 = sub(vec_at(part->positions, t[2]), p0);
  const float* uv = part->uvs;
  double du1 = uv[2 * t[1]] - uv[2 * t[0]], dv1 = uv[2 * t[1] + 1] - uv[2 * t[0] + 1];
  double du2 = uv[2 * t[2]] - uv[2 * t[0]], dv2 = uv[2 * t[2] + 1] - uv[2 * t[0] + 1];
  double det = du1 * dv2 - du2 * dv1;
  if (std::fabs(det) >= kTiny) {
    Vec dir = scale(sub(scale(e1, dv2), scale(e2, dv1)), det > 0 ? 1.0 : -1.0);
    double len = std::sqrt(dot(dir, dir));
    return len > 0 ? scale(dir, 1.0 / len) : dir;
  }
  double l1 = dot(e1, e1), l2 = dot(e2, e2);
  Vec longer = l1 >= l2 ? e1 : e2;
  double len = std::sqrt(l1 >= l2 ? l1 : l2);
  if (len == 0) return Vec{kTiny, 0, 0};
  return scale(longer, kTiny / len);
}

void normalise_or_x(float* v) {
  double len = std::sqrt((double)v[0] * v[0] + (double)v[1] * v[1] + (double)v[2] * v[2]);
  if (len > 0 && std::isfinite(len)) {
    for (int k = 0; k < 3; k++) v[k] = (float)(v[k] / len);
  } else {
    v[0] = 1, v[1] = 0, v[2] = 0;
  }
}

bool triangle_degenerate(const Model* part, const int* t) {
  if (!triangle_in_range(part, t)) return true;
  Vec p0 = vec_at(part->positions, t[0]);
  Vec c = cross(sub(vec_at(part->positions, t[1]), p0), sub(vec_at(part->positions, t[2]), p0));
  return !(dot(c, c) >= kDegenerateArea2);
}

size_t align8(size_t n) { return (n + 7) & ~(size_t)7; }

}  // namespace

Model* model_part_new(int vertex_count, int triangle_count, int bone_count) {
  size_t nv = (size_t)vertex_count, nt = (size_t)triangle_count;
  bool skinned = bone_count > 0;
  size_t floats = nv * (3 + 3 + 2 + 3) + (skinned ? nv * (9 + 4) : 0);
  size_t ints = (skinned ? nv * 4 : 0) + nt * 3;
  size_t bytes = align8(sizeof(Model)) + floats * sizeof(float) + ints * sizeof(int);
  char* block = (char*)mem_calloc(1, bytes);
  if (!block) return nullptr;
  Model* part = (Model*)block;
  float* f = (float*)(block + align8(sizeof(Model)));
  part->vertex_count = vertex_count;
  part->triangle_count = triangle_count;
  part->bone_count = bone_count;
  part->positions = f, f += 3 * nv;
  part->normals = f, f += 3 * nv;
  part->uvs = f, f += 2 * nv;
  part->tangents = f, f += 3 * nv;
  if (skinned) {
    part->skinned_positions = f, f += 3 * nv;
    part->skinned_normals = f, f += 3 * nv;
    part->skinned_tangents = f, f += 3 * nv;
    part->bone_weights = f, f += 4 * nv;
  }
  int* n = (int*)f;
  if (skinned) part->bone_indices = n, n += 4 * nv;
  part->triangles = n;
  return part;
}

void model_part_free(Model* part) {
  if (!part) return;
  mem_free(part->path);
  mem_free(part);
}

void part_compute_tangents(Model* part) {
  std::memset(part->tangents, 0, sizeof(float) * 3 * part->vertex_count);
  for (int i = 0; i < part->triangle_count; i++) {
    const int* t = part->triangles + 3 * i;
    if (!triangle_in_range(part, t)) continue;
    Vec d = triangle_tangent(part, t);
    for (int k = 0; k < 3; k++) {
      float* out = part->tangents + 3 * t[k];
      out[0] += (float)d.x, out[1] += (float)d.y, out[2] += (float)d.z;
    }
  }
  for (int v = 0; v < part->vertex_count; v++) normalise_or_x(part->tangents + 3 * v);
}

int part_remove_degenerate(Model* part) {
  int kept = 0;
  for (int i = 0; i < part->triangle_count; i++) {
    const int* t = part->triangles + 3 * i;
    if (triangle_degenerate(part, t)) continue;
    if (kept != i) std::memmove(part->triangles + 3 * kept, t, sizeof(int) * 3);
    kept++;
  }
  int removed = part->triangle_count - kept;
  part->triangle_count = kept;
  return removed;
}

void part_texel_densities(Model* part) {
  float du_max = 0, dv_max = 0;
  for (int i = 0; i < part->triangle_count; i++) {
    const int* t = part->triangles + 3 * i;
    for (int k = 0; k < 3; k++) {
      int a = t[k], b = t[(k + 1) % 3];
      Vec e = sub(vec_at(part->positions, a), vec_at(part->positions, b));
      double len = std::sqrt(dot(e, e));
      if (!(len >= kShortEdge)) continue;
      float du = (float)(std::fabs(part->uvs[2 * a] - part->uvs[2 * b]) / len);
      float dv = (float)(std::fabs(part->uvs[2 * a + 1] - part->uvs[2 * b + 1]) / len);
      if (du > du_max) du_max = du;
      if (dv > dv_max) dv_max = dv;
    }
  }
  part->texel_density_u = du_max;
  part->texel_density_v = dv_max;
}

void model_finish(Model* head, const char* path) {
  int removed = 0;
  float du = 0, dv = 0;
  for (Model* p = head; p; p = p->next_part) {
    part_compute_tangents(p);
    removed += part_remove_degenerate(p);
    part_texel_densities(p);
    if (p->bone_count > 0) {  // processor skinning starts from the bind pose
      size_t bytes = sizeof(float) * 3 * p->vertex_count;
      std::memcpy(p->skinned_positions, p->positions, bytes);
      std::memcpy(p->skinned_normals, p->normals, bytes);
      std::memcpy(p->skinned_tangents, p->tangents, bytes);
    }
    if (p->kind == PART_REFLECTIVE) head->reflective = true;
    if (p->texel_density_u > du) du = p->texel_density_u;
    if (p->texel_density_v > dv) dv = p->texel_density_v;
  }
  head->texel_density_u = du;
  head->texel_density_v = dv;
  if (removed > 0) console_printf("%d degenerate triangles deleted in %.100s", removed, path);
  size_t len = std::strlen(path);
  head->path = (char*)mem_alloc(len + 1);
  if (head->path) std::memcpy(head->path, path, len + 1);
}
