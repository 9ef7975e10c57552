// Console messages: logged, and kept in a ring of lines that the HUD shows
// for a while and then fades out oldest first.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "files/settings.h"
#include "platform/platform.h"

Console console;

static double g_console_clock;  // game clock (s), set by the main loop

void console_set_clock(double game_clock) { g_console_clock = game_clock; }

void console_clear() { std::memset(&console, 0, sizeof console); }

int console_message(const char* text) {
  size_t len = std::strlen(text);
  const char* reset = std::strchr(text, 27) ? "\033[0m" : "";
  if (len > 0 && text[len - 1] == '\n')
    log_printf("%s%s", text, reset);
  else
    log_printf("%s%s\n", text, reset);
  std::snprintf(console.lines[console.write_index], CONSOLE_LINE_CHARS + 1, "%s", text);
  console.write_index = (console.write_index + 1) % CONSOLE_LINES;
  if (console.visible < settings.message_lines) console.visible++;
  console.fade_deadline = g_console_clock + 2.0;
  return console.visible;
}

int console_printf(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return console_message(text);
}

const char* console_line(int age) {
  int i = ((console.write_index - 1 - age) % CONSOLE_LINES + CONSOLE_LINES) % CONSOLE_LINES;
  return console.lines[i];
}

void console_fade(double game_clock) {
  if (game_clock > console.fade_deadline && console.visible > 0) {
    console.visible--;
    console.fade_deadline = game_clock + 5.0;
  }
}
