// The platform layer's own options, read once from WEFT_OPTIONS as
// "[name:value]" entries.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

bool g_options_read = false;
std::string g_options;

const std::string& options_text() {
  if (!g_options_read) {
    const char* env = std::getenv("WEFT_OPTIONS");
    g_options = env ? env : "";
    g_options_read = true;
  }
  return g_options;
}

// The text just after "[name:", or null when the option is absent.
const char* option_value(const char* name) {
  char key[80];
  std::snprintf(key, sizeof key, "[%.60s:", name);
  const std::string& text = options_text();
  size_t at = text.find(key);
  if (at == std::string::npos) return nullptr;
  return text.c_str() + at + std::strlen(key);
}

}  // namespace

void options_set_for_test(const char* text) {
  g_options = text ? text : "";
  g_options_read = true;
}

bool option_flag(const char* name, bool default_value) {
  const char* v = option_value(name);
  if (!v) return default_value;
  if (!std::strncmp(v, "yes]", 4) || !std::strncmp(v, "on]", 3)) return true;
  if (!std::strncmp(v, "no]", 3) || !std::strncmp(v, "off]", 4)) return false;
  log_printf("unrecognized setting for %s\n", name);
  return default_value;
}

int option_integer(const char* name, int default_value) {
  const char* v = option_value(name);
  if (!v) return default_value;
  int value;
  if (std::sscanf(v, "%d", &value) != 1) {
    log_printf("unrecognized setting for %s\n", name);
    return default_value;
  }
  return value;
}
