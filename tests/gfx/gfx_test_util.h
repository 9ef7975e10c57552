// Helpers shared by the graphics tests: parsing text fixtures and watching
// the console for messages.
#pragma once

#include <cstring>
#include <string>

#include "core/core.h"
#include "gfx/gfx.h"

// Counts the console lines written since it was made.
struct ConsoleWatch {
  int start = console.write_index;
  int count() const { return (console.write_index - start + CONSOLE_LINES) % CONSOLE_LINES; }
  // The newest line, or "" when nothing was written.
  std::string last() const { return count() ? console_line(0) : ""; }
  bool saw(const char* text) const {
    for (int age = 0; age < count(); age++)
      if (std::strstr(console_line(age), text)) return true;
    return false;
  }
};

inline Model* parse_model(const std::string& text, const char* name = "fixture.qm") {
  return model_parse(text.data(), text.size(), name);
}

inline int part_count(const Model* m) {
  int n = 0;
  for (; m; m = m->next_part) n++;
  return n;
}

// A unit right triangle in the x-y plane with u along x and v along y.
inline std::string unit_triangle_part(const char* header = "0 1 1 1 1") {
  return std::string(header) +
         " 3 1\n"
         "0 0 0  0 0 1  0 0\n"
         "1 0 0  0 0 1  1 0\n"
         "0 1 0  0 0 1  0 1\n"
         "0 1 2\n";
}
