// The log file: every line stamped with the platform clock and flushed, so a
// crash never loses the lines before it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/platform.h"

namespace {

const char kDirective[] = "WEFT_LOGFILE=";

struct LogState {
  std::recursive_mutex lock;  // the window and audio threads log too
  FILE* file = nullptr;
  bool set_up = false;        // the first call decided where the log goes
  bool closed = false;        // log(null) was called: drop everything
  char last_error[1024] = "Unknown";
};

LogState g_log;

void log_write(const char* format, va_list args) {
  if (!g_log.file) return;
  ClockValue t = clock_now();
  long long hours = t.seconds / 3600;
  long long minutes = t.seconds / 60 - hours * 60;
  std::fprintf(g_log.file, "[%lld:%02lld:%02lld.%02lld] ", hours, minutes, (long long)(t.seconds % 60),
               (long long)(t.microseconds / 10000));
  std::vfprintf(g_log.file, format, args);
  std::fflush(g_log.file);
}

void log_write_line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  log_write(format, args);
  va_end(args);
}

// Opens the file named by WEFT_LOGFILE, or by the directive when that is the
// first message. Returns true when the first message was the directive (and
// so must not be written itself).
bool log_set_up(const char* first_message) {
  g_log.set_up = true;
  bool is_directive = first_message && std::strncmp(first_message, kDirective, sizeof kDirective - 1) == 0;
  const char* path = std::getenv("WEFT_LOGFILE");
  if (!path && is_directive) path = first_message + sizeof kDirective - 1;
  if (!path) return is_directive;
  const char* mode = "w";
  if (path[0] == '>' && path[1] == '>') {
    path += 2;
    mode = "a";
  } else if (path[0] == '>') {
    path += 1;
  }
  if (const char* flags = std::getenv("WEFT_LOGFILE_FLAGS")) mode = flags;
  g_log.file = std::fopen(path, mode);
  if (g_log.file) {
    log_write_line("Logfile \"%s\" opened\n", path);
    log_write_line("WEFT 0.31\n");
  }
  return is_directive;
}

}  // namespace

void log_vprintf(const char* format, va_list args) {
  std::lock_guard<std::recursive_mutex> hold(g_log.lock);
  if (g_log.closed) return;
  if (!format) {
    log_close();
    return;
  }
  if (!g_log.set_up) {
    // The directive is recognised in the formatted first message.
    char first[2048];
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(first, sizeof first, format, copy);
    va_end(copy);
    if (log_set_up(first)) return;
  }
  log_write(format, args);
}

void log_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  log_vprintf(format, args);
  va_end(args);
}

void log_close() {
  std::lock_guard<std::recursive_mutex> hold(g_log.lock);
  if (g_log.file) std::fclose(g_log.file);
  g_log.file = nullptr;
  g_log.closed = true;
}

void log_reset_for_test() {
  std::lock_guard<std::recursive_mutex> hold(g_log.lock);
  if (g_log.file) std::fclose(g_log.file);
  g_log.file = nullptr;
  g_log.set_up = false;
  g_log.closed = false;
}

void platform_error(const char* text) {
  log_printf("Error: %s\n", text);
  std::lock_guard<std::recursive_mutex> hold(g_log.lock);
  std::snprintf(g_log.last_error, sizeof g_log.last_error, "%s", text);
}

const char* platform_last_error() { return g_log.last_error; }
