// The track editor's POV-Ray export of a model: one "mesh2" per part.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "files/files.h"
#include "gfx/gfx.h"

static void add(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

static void add(std::string* out, const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

static void add_vectors(std::string* out, const char* title, const float* v, int count) {
  add(out, "\t%s {\n", title);
  add(out, "\t\t%d\n", count);
  for (int i = 0; i < count; i++)
    add(out, "\t\t<%f,%f,%f>%s\n", v[3 * i], v[3 * i + 1], v[3 * i + 2], i + 1 < count ? "," : "");
  add(out, "\t}\n");
}

static void add_part(std::string* out, const Model* part) {
  int n = part->vertex_count;
  add(out, "mesh2 {\n");
  add_vectors(out, "vertex_vectors", part->positions, n);
  add_vectors(out, "normal_vectors", part->normals, n);
  add(out, "\tuv_vectors {\n");
  add(out, "\t\t%d\n", n);
  for (int i = 0; i < n; i++) add(out, "\t\t<%f,%f>%s\n", part->uvs[2 * i], part->uvs[2 * i + 1], i + 1 < n ? "," : "");
  add(out, "\t}\n");
  add(out, "\tface_indices {\n");
  add(out, "\t\t%d\n", part->triangle_count);
  for (int i = 0; i < part->triangle_count; i++) {
    const int* t = part->triangles + 3 * i;
    add(out, "\t\t<%d,%d,%d>%s\n", t[0], t[1], t[2], i + 1 < part->triangle_count ? "," : "");
  }
  add(out, "\t}\n");
  add(out, "}\n");
}

std::string povray_mesh_text(const Model* model) {
  std::string out;
  bool several = model->next_part != nullptr;
  if (several) out += "union {\n";
  for (const Model* part = model; part; part = part->next_part) add_part(&out, part);
  if (several) out += "}\n";
  return out;
}

bool write_povray_mesh(const Model* model, Stream* out) {
  return stream_write_string(out, povray_mesh_text(model).c_str());
}
