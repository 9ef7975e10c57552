// The error box: the platform's message box when a display can show one,
// standard error otherwise.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/core.h"

static bool (*g_show_box)(const char* title, const char* text) = nullptr;

void error_box_set_handler(bool (*show)(const char* title, const char* text)) { g_show_box = show; }

void error_box(const char* title, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (g_show_box && g_show_box(title, text)) return;
  size_t n = std::strlen(text);
  std::fprintf(stderr, "%s: %s%s", title, text, (n == 0 || text[n - 1] != '\n') ? "\n" : "");
}
