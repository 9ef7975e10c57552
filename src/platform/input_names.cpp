// Names of keys, buttons and aliases: what the configuration file stores for
// a control, turned into event codes and back.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

struct NamedCode {
  const char* name;
  int code;
};

const NamedCode kSpecialNames[] = {
    {"Close", EV_CLOSE},
    {"Mouse Left", EV_MOUSE_LEFT},
    {"Mouse Middle", EV_MOUSE_MIDDLE},
    {"Mouse Right", EV_MOUSE_RIGHT},
};

// The game's own key names (scan codes; the event code is 4096 + scan).
const NamedCode kBuiltinKeys[] = {
    {"Esc", 1}, {"1", 2}, {"2", 3}, {"3", 4}, {"4", 5}, {"5", 6}, {"6", 7}, {"7", 8}, {"8", 9},
    {"9", 10}, {"0", 11}, {"-", 12}, {"=", 13}, {"Backspace", 14}, {"Tab", 15},
    {"Q", 16}, {"W", 17}, {"E", 18}, {"R", 19}, {"T", 20}, {"Y", 21}, {"U", 22}, {"I", 23},
    {"O", 24}, {"P", 25}, {"[", 26}, {"]", 27}, {"Enter", 28}, {"Left Ctrl", 29},
    {"A", 30}, {"S", 31}, {"D", 32}, {"F", 33}, {"G", 34}, {"H", 35}, {"J", 36}, {"K", 37},
    {"L", 38}, {";", 39}, {"'", 40}, {"`", 41}, {"Left Shift", 42}, {"\\", 43},
    {"Z", 44}, {"X", 45}, {"C", 46}, {"V", 47}, {"B", 48}, {"N", 49}, {"M", 50}, {",", 51},
    {".", 52}, {"/", 53}, {"Right Shift", 54}, {"Keypad *", 55}, {"Space", 57}, {" ", 57},
    {"Caps Lock", 58}, {"F1", 59}, {"F2", 60}, {"F3", 61}, {"F4", 62}, {"F5", 63}, {"F6", 64},
    {"F7", 65}, {"F8", 66}, {"F9", 67}, {"F10", 68}, {"Pause", 69},
    {"Keypad 7", 71}, {"Keypad 8", 72}, {"Keypad 9", 73}, {"Keypad -", 74}, {"Keypad 4", 75},
    {"Keypad 5", 76}, {"Keypad 6", 77}, {"Keypad +", 78}, {"Keypad 1", 79}, {"Keypad 2", 80},
    {"Keypad 3", 81}, {"Keypad 0", 82}, {"Keypad .", 83}, {"F11", 87}, {"F12", 88},
    {"Keypad Enter", 284}, {"Right Ctrl", 285}, {"Keypad /", 309}, {"Num Lock", 325},
    {"Home", 327}, {"Up", 328}, {"Page Up", 329}, {"Left", 331}, {"Right", 333}, {"End", 335},
    {"Down", 336}, {"Page Down", 337}, {"Insert", 338}, {"Delete", 339},
};

struct Alias {
  const char* alias;  // pooled
  const char* name;   // pooled target
};

GrowArray g_aliases;  // of Alias

// Case ignored, "_" and white space both a single space, ends trimmed.
std::string loose_form(const char* s) {
  std::string out;
  bool space = false;
  for (; *s; s++) {
    unsigned char c = (unsigned char)*s;
    if (c == '_' || std::isspace(c)) {
      space = true;
      continue;
    }
    if (space && !out.empty()) out += ' ';
    space = false;
    out += (char)std::tolower(c);
  }
  return out;
}

// Steps 1-3 of the lookup, exact or loose.
int lookup_tables(const char* name, bool loose) {
  std::string want = loose ? loose_form(name) : std::string();
  if (loose && want.empty()) return -1;
  auto same = [&](const char* candidate) {
    return loose ? loose_form(candidate) == want : !std::strcmp(candidate, name);
  };
  for (const NamedCode& n : kSpecialNames)
    if (same(n.name)) return n.code;
  for (int scan = 0; scan < 512; scan++) {
    const char* platform = scancode_platform_name(scan);
    if (platform[0] && same(platform)) return EV_KEY_BASE + scan;
  }
  for (const NamedCode& n : kBuiltinKeys)
    if (same(n.name)) return EV_KEY_BASE + n.code;
  return -1;
}

// "0x1d": a scan code in hexadecimal, at most 511.
int lookup_hex(const char* name) {
  if (std::strncmp(name, "0x", 2) || !std::isxdigit((unsigned char)name[2])) return -1;
  unsigned value = 0;
  int used = -1;
  if (std::sscanf(name, "0x%x%n", &value, &used) != 1 || used < 0 || name[used]) return -1;
  return value <= 511 ? EV_KEY_BASE + (int)value : -1;
}

}  // namespace

bool parse_device_item(const char* name, const char* dotted_word, const char* spaced_word, char* device,
                       int* index) {
  char dotted[32], spaced[32];
  std::snprintf(dotted, sizeof dotted, "%%63[^.].%s[%%d]%%n", dotted_word);
  std::snprintf(spaced, sizeof spaced, "%%63s %s %%d%%n", spaced_word);
  int used = -1;
  if (std::sscanf(name, dotted, device, index, &used) == 2 && used > 0 && !name[used]) return true;
  used = -1;
  return std::sscanf(name, spaced, device, index, &used) == 2 && used > 0 && !name[used];
}

const char* alias_resolve(const char* name) {
  const Alias* a = (const Alias*)g_aliases.items;
  for (int i = 0; i < g_aliases.count; i++)
    if (!std::strcmp(a[i].alias, name)) return a[i].name;
  return name;
}

void alias_add(const char* alias, const char* name) {
  if (!g_aliases.item_size) array_init(&g_aliases, sizeof(Alias));
  const char* existing = alias_resolve(alias);
  if (existing != alias) {
    // Defining the same pair again (a second window) changes nothing.
    if (std::strcmp(existing, name)) log_printf("Second alias for '%s' ('%s') ignored\n", alias, name);
    return;
  }
  Alias entry{pool_string(alias), pool_string(name)};
  if (!array_append(&g_aliases, &entry)) log_printf("Can't alias %s to %s -- out of memory\n", alias, name);
}

int key_code(GameWindow* w, const char* name) {
  if (!name) return -1;
  name = alias_resolve(name);
  int code = lookup_tables(name, false);
  if (code < 0) code = lookup_tables(name, true);
  if (code < 0) code = lookup_hex(name);
  if (code >= 0) return code;
  char device[64];
  int index = -1;
  if (!w) return -1;
  if (!parse_device_item(name, "key", "button", device, &index)) return -1;
  InputDevice* d = device_find(w, device);
  if (!d || index < 0 || index > 255 || index >= d->button_count) return -1;
  d->polled = true;  // its buttons now matter: poll it when the queue runs dry
  return d->id + index;
}

const char* key_name(GameWindow* w, int code) {
  for (const NamedCode& n : kSpecialNames)
    if (n.code == code) return n.name;
  if (code >= EV_KEY_BASE && code < EV_KEY_BASE + 512) {
    int scan = code - EV_KEY_BASE;
    const char* platform = scancode_platform_name(scan);
    if (platform[0]) return pool_string(platform);
    for (const NamedCode& n : kBuiltinKeys)
      if (n.code == scan) return n.name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", scan);
    return pool_string(hex);
  }
  if (!w || code < 65536) return nullptr;
  int index = code & 0xffff;
  for (InputDevice* d = w->devices; d; d = d->next) {
    if (d->id != code - index || index > 255 || index >= d->button_count) continue;
    char text[1100];
    std::snprintf(text, sizeof text, "%.1000s button %d", d->name, index);
    return pool_string(text);
  }
  return nullptr;
}
