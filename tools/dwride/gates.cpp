// The timing gates and first-lap order of a track's timing_gates file, for
// the lap script: just enough of the file to ride a lap.
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/files.h"
#include "ride.h"

// Reads whitespace-separated tokens; "[" and "]" are tokens of their own.
static bool next_token(Stream* s, std::string* out) {
  out->clear();
  int c;
  while ((c = stream_read_char(s)) != STREAM_EOF && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {}
  if (c == STREAM_EOF) return false;
  if (c == '[' || c == ']') {
    *out = (char)c;
    return true;
  }
  do {
    *out += (char)c;
    c = stream_peek_char(s);
    if (c == STREAM_EOF || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '[' || c == ']') break;
    c = stream_read_char(s);
  } while (true);
  return true;
}

static bool number(const std::string& t, double* v) {
  char* end;
  *v = std::strtod(t.c_str(), &end);
  return !t.empty() && *end == 0;
}

// "radius [ x y z ] [ dx dy dz ]" from a token list starting at i.
static bool gate_at(const std::vector<std::string>& t, size_t i, RideGate* g) {
  if (i + 10 >= t.size() || t[i + 1] != "[" || t[i + 5] != "]" || t[i + 6] != "[" || t[i + 10] != "]") return false;
  double v[7];
  const size_t at[7] = {i, i + 2, i + 3, i + 4, i + 7, i + 8, i + 9};
  for (int k = 0; k < 7; k++)
    if (!number(t[at[k]], &v[k])) return false;
  *g = {(float)v[0], (float)v[1], (float)v[3], (float)v[4], (float)v[6]};
  return true;
}

RideCourse ride_course_read(const char* folder) {
  RideCourse course;
  std::string name = std::string("@") + folder + "/timing_gates";
  Stream* s = stream_open(name.c_str(), "r");
  if (!s) return course;
  std::vector<std::string> tokens;
  std::string token;
  while (next_token(s, &token)) tokens.push_back(token);
  stream_close(s);
  size_t i = 0;
  while (i < tokens.size() && tokens[i] != "checkpoints:") i++;
  RideGate g;
  for (i++; i < tokens.size() && course.gates.size() < 256 && gate_at(tokens, i, &g); i += 11) course.gates.push_back(g);
  while (i < tokens.size() && tokens[i] != "firstlap:") i++;
  double v;
  for (i++; i < tokens.size() && number(tokens[i], &v) && course.first_lap.size() < 256; i++) {
    int gate = v < 0 ? 0 : (int)v % 100000;
    if (!course.gates.empty() && gate < (int)course.gates.size()) course.first_lap.push_back(gate);
  }
  if (course.gates.empty()) course.first_lap.clear();
  return course;
}

bool ride_gate_passed(const RideGate& g, float x, float z) {
  float dx = x - g.x, dz = z - g.z;
  return dx * dx + dz * dz <= g.radius * g.radius && dx * g.dx + dz * g.dz >= 0;
}
