// Display modes: the list read once from the display, the video-mode items
// the Graphics menu offers, and the full-screen mode chosen for a size.
#include <cstdio>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

struct ModeState {
  bool built;                        // the display has been asked once
  DisplayMode modes[DISPLAY_MODES_MAX];
  int count;
  int desktop_width, desktop_height; // pixels; 640 x 480 when unreadable
  // Video-mode items: two fixed entries, then one per mode of the first depth.
  const char* item_names[DISPLAY_MODES_MAX + 2];
  int item_widths[DISPLAY_MODES_MAX + 2];
  int item_heights[DISPLAY_MODES_MAX + 2];
  int item_count;
};

ModeState g_modes = {false, {}, 0, 640, 480, {}, {}, {}, 0};

// The video subsystem stays up from the mode read to the window, so the
// window opens on the same display connection: an X server with no other
// client resets when the last one leaves, refusing connections meanwhile.
bool g_video_held;

bool usable_depth(int bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool mode_listed(const DisplayMode* out, int n, const RawDisplayMode& m) {
  for (int i = 0; i < n; i++)
    if (out[i].width == m.width && out[i].height == m.height && out[i].bits == m.bits) return true;
  return false;
}

void build_video_mode_items() {
  ModeState& s = g_modes;
  s.item_names[0] = "Default Fullscreen";
  s.item_names[1] = "Windowed";
  s.item_widths[0] = s.item_widths[1] = 0;
  s.item_heights[0] = s.item_heights[1] = 0;
  s.item_count = 2;
  for (int i = 0; i < s.count; i++) {
    if (s.modes[i].bits != s.modes[0].bits) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%dx%d", s.modes[i].width, s.modes[i].height);
    s.item_names[s.item_count] = pool_string(text);
    s.item_widths[s.item_count] = s.modes[i].width;
    s.item_heights[s.item_count] = s.modes[i].height;
    s.item_count++;
  }
}

}  // namespace

int display_modes_build(const RawDisplayMode& desktop, const RawDisplayMode* modes, int count,
                        DisplayMode* out, int max) {
  int n = 0;
  if (usable_depth(desktop.bits)) {
    log_printf("Registry mode is %dx%dx%d@%dhz\n", desktop.width, desktop.height, desktop.bits,
               desktop.refresh);
    if (n < max) out[n++] = DisplayMode{desktop.width, desktop.height, desktop.bits};
  } else {
    log_printf("Registry mode is %dx%dx%d@%dhz (ignored)\n", desktop.width, desktop.height,
               desktop.bits, desktop.refresh);
  }
  for (int i = 0; i < count; i++) {
    const RawDisplayMode& m = modes[i];
    if (!usable_depth(m.bits)) {
      log_printf("Found mode %dx%dx%d@%dhz (ignored)\n", m.width, m.height, m.bits, m.refresh);
      continue;
    }
    if (mode_listed(out, n, m)) continue;
    log_printf("Found mode %dx%dx%d@%dhz\n", m.width, m.height, m.bits, m.refresh);
    if (n < max) out[n++] = DisplayMode{m.width, m.height, m.bits};
  }
  return n;
}

void display_modes_set(const RawDisplayMode& desktop, const RawDisplayMode* modes, int count) {
  ModeState& s = g_modes;
  s.count = display_modes_build(desktop, modes, count, s.modes, DISPLAY_MODES_MAX);
  s.desktop_width = desktop.width > 0 ? desktop.width : 640;
  s.desktop_height = desktop.height > 0 ? desktop.height : 480;
  s.built = true;
  build_video_mode_items();
}

// Asks SDL for the first display's modes. With a message thread the video
// subsystem is let go again: the thread brings it up for the window itself.
void display_modes_read_sdl() {
  if (g_modes.built) return;
  RawDisplayMode desktop{0, 0, 0, 0};
  static RawDisplayMode raw[DISPLAY_MODES_MAX];
  int count = 0;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    log_printf("Can't read display modes: %s\n", SDL_GetError());
  } else {
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) == 0)
      desktop = RawDisplayMode{m.w, m.h, (int)SDL_BITSPERPIXEL(m.format), m.refresh_rate};
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n && count < DISPLAY_MODES_MAX; i++)
      if (SDL_GetDisplayMode(0, i, &m) == 0)
        raw[count++] = RawDisplayMode{m.w, m.h, (int)SDL_BITSPERPIXEL(m.format), m.refresh_rate};
    if (option_flag("threaded", false)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    else g_video_held = true;
  }
  display_modes_set(desktop, raw, count);
}

void display_modes_release_video() {
  if (g_video_held) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  g_video_held = false;
}

void display_modes_forget() {
  display_modes_release_video();
  g_modes.built = false;
}

const DisplayMode* display_modes(int* count) {
  display_modes_read_sdl();
  *count = g_modes.count;
  return g_modes.modes;
}

void desktop_size(int* width, int* height) {
  display_modes_read_sdl();
  *width = g_modes.desktop_width;
  *height = g_modes.desktop_height;
}

int video_mode_items(const char* const** names, const int** widths, const int** heights) {
  display_modes_read_sdl();
  *names = g_modes.item_names;
  *widths = g_modes.item_widths;
  *heights = g_modes.item_heights;
  return g_modes.item_count;
}

void fullscreen_mode_choose(const DisplayMode* modes, int count, int w, int h, int desktop_w,
                            int desktop_h, int* out_w, int* out_h) {
  *out_w = desktop_w;
  *out_h = desktop_h;
  if (w <= 0 || h <= 0) return;
  int best = -1;
  for (int i = 0; i < count; i++) {
    if (modes[i].width < w || modes[i].height < h) continue;
    if (best < 0 || modes[i].width + modes[i].height < modes[best].width + modes[best].height) best = i;
  }
  if (best < 0) return;
  *out_w = modes[best].width;
  *out_h = modes[best].height;
}
