// Keyboard scan codes: SDL reports USB usage codes; the game names keys by
// the PC keyboard's scan codes (extended keys + 256), as stored in the
// configuration file. This table translates, and gives each scan code the
// platform's own name for its key.
#include "platform/platform_local.h"

namespace {

struct ScanPair {
  SDL_Scancode sdl;
  int scan;  // 0..511, + 256 for extended (E0-prefixed) keys
};

const ScanPair kScanPairs[] = {
    {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_1, 2}, {SDL_SCANCODE_2, 3}, {SDL_SCANCODE_3, 4}, {SDL_SCANCODE_4, 5},
    {SDL_SCANCODE_5, 6}, {SDL_SCANCODE_6, 7}, {SDL_SCANCODE_7, 8}, {SDL_SCANCODE_8, 9},
    {SDL_SCANCODE_9, 10}, {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_MINUS, 12}, {SDL_SCANCODE_EQUALS, 13}, {SDL_SCANCODE_BACKSPACE, 14},
    {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16}, {SDL_SCANCODE_W, 17}, {SDL_SCANCODE_E, 18}, {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20}, {SDL_SCANCODE_Y, 21}, {SDL_SCANCODE_U, 22}, {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24}, {SDL_SCANCODE_P, 25}, {SDL_SCANCODE_LEFTBRACKET, 26},
    {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30}, {SDL_SCANCODE_S, 31}, {SDL_SCANCODE_D, 32}, {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34}, {SDL_SCANCODE_H, 35}, {SDL_SCANCODE_J, 36}, {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38}, {SDL_SCANCODE_SEMICOLON, 39}, {SDL_SCANCODE_APOSTROPHE, 40},
    {SDL_SCANCODE_GRAVE, 41}, {SDL_SCANCODE_LSHIFT, 42}, {SDL_SCANCODE_BACKSLASH, 43},
    {SDL_SCANCODE_NONUSHASH, 43},  // the same key position on ISO keyboards
    {SDL_SCANCODE_Z, 44}, {SDL_SCANCODE_X, 45}, {SDL_SCANCODE_C, 46}, {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48}, {SDL_SCANCODE_N, 49}, {SDL_SCANCODE_M, 50}, {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52}, {SDL_SCANCODE_SLASH, 53}, {SDL_SCANCODE_RSHIFT, 54},
    {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_LALT, 56}, {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58},
    {SDL_SCANCODE_F1, 59}, {SDL_SCANCODE_F2, 60}, {SDL_SCANCODE_F3, 61}, {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63}, {SDL_SCANCODE_F6, 64}, {SDL_SCANCODE_F7, 65}, {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67}, {SDL_SCANCODE_F10, 68},
    {SDL_SCANCODE_PAUSE, 69},  // Pause is 69 and Num Lock the extended 69
    {SDL_SCANCODE_SCROLLLOCK, 70},
    {SDL_SCANCODE_KP_7, 71}, {SDL_SCANCODE_KP_8, 72}, {SDL_SCANCODE_KP_9, 73},
    {SDL_SCANCODE_KP_MINUS, 74}, {SDL_SCANCODE_KP_4, 75}, {SDL_SCANCODE_KP_5, 76},
    {SDL_SCANCODE_KP_6, 77}, {SDL_SCANCODE_KP_PLUS, 78}, {SDL_SCANCODE_KP_1, 79},
    {SDL_SCANCODE_KP_2, 80}, {SDL_SCANCODE_KP_3, 81}, {SDL_SCANCODE_KP_0, 82},
    {SDL_SCANCODE_KP_PERIOD, 83}, {SDL_SCANCODE_NONUSBACKSLASH, 86},
    {SDL_SCANCODE_F11, 87}, {SDL_SCANCODE_F12, 88}, {SDL_SCANCODE_KP_EQUALS, 89},
    {SDL_SCANCODE_F13, 100}, {SDL_SCANCODE_F14, 101}, {SDL_SCANCODE_F15, 102},
    {SDL_SCANCODE_F16, 103}, {SDL_SCANCODE_F17, 104}, {SDL_SCANCODE_F18, 105},
    {SDL_SCANCODE_F19, 106}, {SDL_SCANCODE_F20, 107}, {SDL_SCANCODE_F21, 108},
    {SDL_SCANCODE_F22, 109}, {SDL_SCANCODE_F23, 110}, {SDL_SCANCODE_INTERNATIONAL1, 115},
    {SDL_SCANCODE_F24, 118}, {SDL_SCANCODE_INTERNATIONAL3, 125},
    // extended keys
    {SDL_SCANCODE_AUDIOPREV, 256 + 16}, {SDL_SCANCODE_AUDIONEXT, 256 + 25},
    {SDL_SCANCODE_KP_ENTER, 256 + 28}, {SDL_SCANCODE_RCTRL, 256 + 29},
    {SDL_SCANCODE_MUTE, 256 + 32}, {SDL_SCANCODE_AUDIOPLAY, 256 + 34},
    {SDL_SCANCODE_AUDIOSTOP, 256 + 36}, {SDL_SCANCODE_VOLUMEDOWN, 256 + 46},
    {SDL_SCANCODE_VOLUMEUP, 256 + 48}, {SDL_SCANCODE_KP_DIVIDE, 256 + 53},
    {SDL_SCANCODE_PRINTSCREEN, 256 + 55}, {SDL_SCANCODE_RALT, 256 + 56},
    {SDL_SCANCODE_NUMLOCKCLEAR, 256 + 69}, {SDL_SCANCODE_HOME, 256 + 71},
    {SDL_SCANCODE_UP, 256 + 72}, {SDL_SCANCODE_PAGEUP, 256 + 73}, {SDL_SCANCODE_LEFT, 256 + 75},
    {SDL_SCANCODE_RIGHT, 256 + 77}, {SDL_SCANCODE_END, 256 + 79}, {SDL_SCANCODE_DOWN, 256 + 80},
    {SDL_SCANCODE_PAGEDOWN, 256 + 81}, {SDL_SCANCODE_INSERT, 256 + 82},
    {SDL_SCANCODE_DELETE, 256 + 83}, {SDL_SCANCODE_LGUI, 256 + 91}, {SDL_SCANCODE_RGUI, 256 + 92},
    {SDL_SCANCODE_APPLICATION, 256 + 93},
};

struct ScanTables {
  int from_sdl[SDL_NUM_SCANCODES];  // SDL scan code -> game scan code, -1 none
  const char* names[512];           // game scan code -> SDL's key name, "" none
};

ScanTables build_tables() {
  ScanTables t;
  for (int& s : t.from_sdl) s = -1;
  for (const char*& n : t.names) n = "";
  for (const ScanPair& p : kScanPairs) {
    t.from_sdl[p.sdl] = p.scan;
    // The first SDL key of a scan code names it (Backslash before the ISO "#").
    if (!t.names[p.scan][0]) t.names[p.scan] = SDL_GetScancodeName(p.sdl);
  }
  return t;
}

// Built on first use; the window's message thread and the main thread may
// both be first.
const ScanTables& tables() {
  static const ScanTables t = build_tables();
  return t;
}

}  // namespace

int scancode_from_sdl(SDL_Scancode sc) {
  if (sc < 0 || sc >= SDL_NUM_SCANCODES) return -1;
  return tables().from_sdl[sc];
}

const char* scancode_platform_name(int scan) {
  if (scan < 0 || scan >= 512) return "";
  return tables().names[scan];
}
