// Reading ".qm" models: the versioned "QM" format (parts with material
// headers, optional bone weights) and the older plain format (one part).
#include <cstring>

#include "core/core.h"
#include "gfx/gfx.h"
#include "gfx/model_geometry.h"
#include "gfx/model_scan.h"

namespace {

struct PartHeader {
  float shininess, factor, red, green, blue;
  int vertex_count, triangle_count;
};

enum PartResult { PART_OK, PART_NO_HEADER, PART_BROKEN };

struct Reader {
  const char* data;   // the whole file, for line numbers in messages
  const char* name;   // for messages
  TextScan scan;
  int bone_count;     // weights per vertex in the file
};

int part_kind(float shininess) {
  if (shininess == -1.0f) return PART_REFLECTIVE;
  if (shininess == -2.0f) return PART_SELF_LIT;
  return PART_NORMAL;
}

// A header's counts can claim far more data than the file holds; every number
// needs at least one character and one separator, so anything beyond that is
// refused before memory is asked for.
bool counts_fit(const Reader* r, int vertex_count, int triangle_count) {
  double numbers = (8.0 + r->bone_count) * vertex_count + 3.0 * triangle_count;
  return 2.0 * numbers - 1.0 <= (double)scan_remaining(&r->scan);
}

// Keeps the four strongest influences as they come: each positive weight
// takes the slot that holds the smallest weight so far.
void add_weight(float* weights, int* bones, float weight, int bone, bool* overflow) {
  int slot = 0;
  for (int k = 1; k < MODEL_BONE_SLOTS; k++)
    if (weights[k] < weights[slot]) slot = k;
  if (weights[slot] != 0.0f) *overflow = true;
  weights[slot] = weight;
  bones[slot] = bone;
}

bool read_weights(Reader* r, float* weights, int* bones, bool* overflow) {
  for (int k = 0; k < MODEL_BONE_SLOTS; k++) weights[k] = 0, bones[k] = 0;
  for (int b = 0; b < r->bone_count; b++) {
    float w;
    if (!scan_float(&r->scan, &w)) return false;
    if (w > 0) add_weight(weights, bones, w, b, overflow);
  }
  float sum = weights[0] + weights[1] + weights[2] + weights[3];
  for (int k = 0; k < MODEL_BONE_SLOTS; k++) weights[k] = sum > 0 ? weights[k] / sum : 0.25f;
  return true;
}

bool read_vertices(Reader* r, Model* part) {
  bool overflow = false;
  for (int i = 0; i < part->vertex_count; i++) {
    float* p = part->positions + 3 * i;
    float* n = part->normals + 3 * i;
    float* t = part->uvs + 2 * i;
    if (!scan_float(&r->scan, &p[0]) || !scan_float(&r->scan, &p[1]) || !scan_float(&r->scan, &p[2])) return false;
    if (!scan_float(&r->scan, &n[0]) || !scan_float(&r->scan, &n[1]) || !scan_float(&r->scan, &n[2])) return false;
    if (!scan_float(&r->scan, &t[0]) || !scan_float(&r->scan, &t[1])) return false;
    t[1] = 1.0f - t[1];
    if (r->bone_count > 0 && !read_weights(r, part->bone_weights + 4 * i, part->bone_indices + 4 * i, &overflow))
      return false;
  }
  if (overflow) console_printf("Warning: vertex with more than 4 bone influences in '%.900s'", r->name);
  return true;
}

bool read_triangles(Reader* r, Model* part) {
  for (int i = 0; i < 3 * part->triangle_count; i++)
    if (!scan_int(&r->scan, &part->triangles[i])) return false;
  return true;
}

bool read_part_header(Reader* r, PartHeader* h) {
  TextScan* s = &r->scan;
  return scan_float(s, &h->shininess) && scan_float(s, &h->factor) && scan_float(s, &h->red) &&
         scan_float(s, &h->green) && scan_float(s, &h->blue) && scan_int(s, &h->vertex_count) &&
         scan_int(s, &h->triangle_count);
}

void set_material(Model* part, const PartHeader& h) {
  part->shininess = h.shininess;
  part->kind = part_kind(h.shininess);
  part->colour[0] = h.red;
  part->colour[1] = h.green;
  part->colour[2] = h.blue;
  part->colour[3] = part->kind == PART_NORMAL ? 1.0f : h.factor;
}

// Reads one part's vertices and triangles after its header; null when the
// part breaks off (reported) or cannot be held.
Model* read_part_body(Reader* r, const PartHeader& h, int index) {
  const char* start = r->scan.at;
  if (h.vertex_count < 0 || h.triangle_count < 0) {
    console_printf("Warning: part %d of '%.900s' has negative counts", index + 1, r->name);
    return nullptr;
  }
  if (!counts_fit(r, h.vertex_count, h.triangle_count)) {
    console_printf("Warning: part %d of '%.900s' claims %d vertices and %d triangles, more than the file holds",
                   index + 1, r->name, h.vertex_count, h.triangle_count);
    return nullptr;
  }
  Model* part = model_part_new(h.vertex_count, h.triangle_count, r->bone_count);
  if (!part) {
    console_printf("Warning: no memory for part %d of '%.900s'", index + 1, r->name);
    return nullptr;
  }
  set_material(part, h);
  if (!read_vertices(r, part) || !read_triangles(r, part)) {
    console_printf("Warning: part %d of '%.900s' breaks off at line %d", index + 1, r->name,
                   scan_line(r->data, &r->scan));
    r->scan.at = start;
    model_part_free(part);
    return nullptr;
  }
  return part;
}

// Reads parts until a header can't be read or a part breaks off; the parts
// read so far make the model.
Model* read_parts(Reader* r) {
  Model* head = nullptr;
  Model** link = &head;
  for (int index = 0;; index++) {
    PartHeader h;
    const char* before = r->scan.at;
    if (!read_part_header(r, &h)) {
      r->scan.at = before;
      if (!scan_at_end(&r->scan))
        console_printf("Warning: unreadable data at line %d of '%.900s' ignored", scan_line(r->data, &r->scan),
                       r->name);
      break;
    }
    Model* part = read_part_body(r, h, index);
    if (!part) break;
    *link = part;
    link = &part->next_part;
  }
  return head;
}

// "QM%d" header: version 1 has no bones; version 2 names the bone count and a
// skeleton (read, not used). False (reported) for anything else.
bool read_version(Reader* r) {
  int version;
  r->scan.at += 2;
  if (!scan_int(&r->scan, &version)) {
    console_printf("Warning: bad model header in '%.900s'", r->name);
    return false;
  }
  if (version == 1) return true;
  if (version != 2) {
    console_printf("Warning: unsupported model version %d in '%.900s'", version, r->name);
    return false;
  }
  char skeleton[1024];
  if (!scan_int(&r->scan, &r->bone_count) || !scan_word(&r->scan, skeleton, sizeof skeleton) ||
      r->bone_count < 0) {
    console_printf("Warning: bad bone header in '%.900s'", r->name);
    return false;
  }
  return true;
}

// The plain format: vertex and triangle counts, then one white, shiny part.
Model* read_plain(Reader* r) {
  PartHeader h = {32.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0, 0};
  if (!scan_int(&r->scan, &h.vertex_count) || !scan_int(&r->scan, &h.triangle_count)) {
    console_printf("Warning: '%.900s' is not a model", r->name);
    return nullptr;
  }
  return read_part_body(r, h, 0);
}

}  // namespace

Model* model_parse(const char* data, size_t size, const char* name) {
  Reader r = {data, name, text_scan(data, size), 0};
  Model* head;
  if (size >= 2 && data[0] == 'Q' && data[1] == 'M') {
    if (!read_version(&r)) return nullptr;
    head = read_parts(&r);
    if (!head) console_printf("Warning: no readable part in '%.900s'", name);
  } else {
    head = read_plain(&r);
  }
  if (!head) return nullptr;
  model_finish(head, name);
  return head;
}

Model* model_load(const char* path) {
  size_t size;
  char* data = gfx_read_file(path, &size);
  if (!data) return nullptr;
  Model* m = model_parse(data, size, path);
  mem_free(data);
  return m;
}
