// Levels of detail: finding a model's "_lod" siblings in the file list,
// keeping them in a chain by distance, and choosing one for a distance.
#include <cstring>
#include <string>

#include "gfx/gfx.h"

static char lower(char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

static bool starts_with_ignoring_case(const char* s, const char* prefix, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (!s[i] || lower(s[i]) != lower(prefix[i])) return false;
  return true;
}

static bool equal_ignoring_case(const char* a, const char* b) {
  size_t n = std::strlen(b);
  return std::strlen(a) == n && starts_with_ignoring_case(a, b, n);
}

// A decimal number: digits, optionally a fraction. Returns the characters
// taken (0 when there is no number).
static size_t read_decimal(const char* s, double* value) {
  size_t n = 0;
  double v = 0;
  while (s[n] >= '0' && s[n] <= '9') v = v * 10 + (s[n++] - '0');
  if (n == 0) return 0;
  if (s[n] == '.' && s[n + 1] >= '0' && s[n + 1] <= '9') {
    double unit = 0.1;
    for (n++; s[n] >= '0' && s[n] <= '9'; n++, unit *= 0.1) v += (s[n] - '0') * unit;
  }
  *value = v;
  return n;
}

double model_lod_level(const char* model_path, const char* list_name, std::string* stripped) {
  if (model_path[0] != '@') return -1;
  const char* rest = model_path + 1;
  const char* dot = std::strrchr(rest, '.');
  size_t base_len = dot ? (size_t)(dot - rest) : std::strlen(rest);
  const char* ext = dot ? dot : "";
  if (!starts_with_ignoring_case(list_name, rest, base_len)) return -1;
  const char* p = list_name + base_len;
  if (!starts_with_ignoring_case(p, "_lod", 4)) return -1;
  double level;
  size_t digits = read_decimal(p + 4, &level);
  if (digits == 0) return -1;
  p += 4 + digits;
  // The file layer opens the compressed and scrambled variants of a name by
  // itself, so those endings are dropped from the name to open.
  static const char* const endings[] = {"", ".gz", ".scram", ".gz.scram"};
  size_t ext_len = std::strlen(ext);
  if (!starts_with_ignoring_case(p, ext, ext_len)) return -1;
  for (const char* ending : endings) {
    if (!equal_ignoring_case(p + ext_len, ending)) continue;
    size_t keep = (size_t)(p - list_name) + ext_len;
    *stripped = "@" + std::string(list_name, keep);
    return level;
  }
  return -1;
}

void model_insert_lod(Model* head, Model* lod) {
  Model* at = head;
  while (at->next_lod && at->next_lod->lod_distance <= lod->lod_distance) at = at->next_lod;
  lod->next_lod = at->next_lod;
  at->next_lod = lod;
}

const Model* model_pick_lod(const Model* head, double distance, double bias, double scale) {
  const Model* m = head;
  while (m->next_lod) {
    double d = m->next_lod->lod_distance - bias;
    if (!(d <= 0 || d <= scale * distance)) break;
    m = m->next_lod;
  }
  return m;
}
