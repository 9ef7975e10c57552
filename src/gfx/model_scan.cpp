// Free-form number scanning over a byte buffer for the ".qm" and ".shp"
// readers. Works on (pointer, end) so a buffer needs no terminator and a
// truncated file can never be read past its end.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "gfx/model_scan.h"

static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

static void skip_space(TextScan* s) {
  while (s->at < s->end && is_space(*s->at)) s->at++;
}

// Copies the run of bytes that may belong to a number into a terminated
// buffer, so that the C library's converters can be used on it safely.
static size_t copy_candidate(const TextScan* s, const char* allowed, char* buf, size_t size) {
  size_t n = 0;
  const char* p = s->at;
  while (p < s->end && n + 1 < size && *p && std::strchr(allowed, *p)) buf[n++] = *p++;
  buf[n] = 0;
  return n;
}

bool scan_int(TextScan* s, int* out) {
  skip_space(s);
  char buf[64];
  if (copy_candidate(s, "+-0123456789", buf, sizeof buf) == 0) return false;
  char* stop;
  errno = 0;
  long long v = std::strtoll(buf, &stop, 10);
  if (stop == buf) return false;
  // scanf leaves an out-of-range "%d" undefined; treat it as unreadable.
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *out = (int)v;
  s->at += stop - buf;
  return true;
}

bool scan_float(TextScan* s, float* out) {
  skip_space(s);
  char buf[128];
  if (copy_candidate(s, "+-.0123456789eEpPxXabcdfABCDFiInNtTyY", buf, sizeof buf) == 0) return false;
  char* stop;
  float v = std::strtof(buf, &stop);
  if (stop == buf) return false;
  *out = v;
  s->at += stop - buf;
  return true;
}

bool scan_word(TextScan* s, char* out, size_t size) {
  skip_space(s);
  if (s->at >= s->end) return false;
  size_t n = 0;
  while (s->at < s->end && !is_space(*s->at)) {
    if (n + 1 < size) out[n++] = *s->at;
    s->at++;
  }
  if (size) out[n] = 0;
  return true;
}

bool scan_at_end(TextScan* s) {
  skip_space(s);
  return s->at >= s->end;
}

size_t scan_remaining(const TextScan* s) { return (size_t)(s->end - s->at); }

int scan_line(const char* data, const TextScan* s) {
  int line = 1;
  for (const char* p = data; p < s->at; p++)
    if (*p == '\n') line++;
  return line;
}
