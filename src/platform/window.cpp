// The game window: one SDL window with an OpenGL compatibility context,
// windowed or full screen, and the frame bracket that keeps drawing out of
// size and mode changes.
#include <cstdio>
#include <cstring>
#include <new>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

bool g_options_read;   // the window options are read at the first creation
bool g_threaded;       // option "threaded"

void read_window_options() {
  if (g_options_read) return;
  g_options_read = true;
  g_threaded = option_flag("threaded", false);
  log_printf("Options:\n");
  log_printf("%10s [%s]\n", "threaded:", g_threaded ? "on" : "off");
}

}  // namespace

void window_options_forget() { g_options_read = false; }

namespace {

GameWindow* window_alloc() {
  void* block = mem_calloc(1, sizeof(GameWindow));
  if (!block) return nullptr;
  return new (block) GameWindow();
}

void window_free(GameWindow* w) {
  w->~GameWindow();
  mem_free(w);
}

// The pixel format: RGBA, double-buffered, the colour bits as asked (32 is
// served as 24: the alpha bits are asked for apart).
void set_pixel_format(const GameWindow* w) {
  log_printf("Choosing pixel format\n");
  int r = 8, g = 8, b = 8;
  if (w->colour_bits <= 15) r = g = b = 5;
  else if (w->colour_bits <= 16) r = 5, g = 6, b = 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, r);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, g);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, b);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, w->alpha_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, w->depth_bits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, w->stencil_bits);
  int accum = w->accum_bits / 4;  // the total is shared by the four channels
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, w->accum_bits ? accum : 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The renderer is GL 1.x with extensions: a compatibility context.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

void read_drawable_size(GameWindow* w) {
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(w->sdl, &dw, &dh);
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  w->width = dw;
  w->height = dh;
}

bool create_gl_context(GameWindow* w) {
  log_printf("Creating OpenGL context\n");
  w->gl = SDL_GL_CreateContext(w->sdl);
  if (!w->gl) {
    log_printf("Couldn't create OpenGL context\n");
    log_printf("%s\n", SDL_GetError());
    return false;
  }
  SDL_GL_MakeCurrent(w->sdl, w->gl);
  int r = 0, g = 0, b = 0, a = 0, z = 0, s = 0;
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
  SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &z);
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &s);
  log_printf("Pixel format: %d%d%d colour, %d alpha, %d depth, %d stencil bits\n", r, g, b, a, z, s);
  return true;
}

void destroy_sdl_window(GameWindow* w) {
  if (!w->sdl) return;
  log_printf("Destroying window\n");
  SDL_DestroyWindow(w->sdl);  // SDL puts the desktop's mode back when it was full screen
  w->sdl = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

// Runs on the thread that will own the window's messages.
bool window_create_sdl(GameWindow* w) {
  // Losing the focus in full screen gives the desktop back, minimised.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    log_printf("Can't start the video system: %s\n", SDL_GetError());
    return false;
  }
  set_pixel_format(w);
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
  if (!w->fullscreen) flags |= SDL_WINDOW_RESIZABLE;
  log_printf("Creating window\n");
  w->sdl = SDL_CreateWindow(w->title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                            w->requested_width, w->requested_height, flags);
  if (!w->sdl) {
    log_printf("Can't create window!\n");
    log_printf("%s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  w->sdl_id = SDL_GetWindowID(w->sdl);
  log_printf("Video driver: %s\n", SDL_GetCurrentVideoDriver());
  SDL_DisableScreenSaver();
  if (w->fullscreen) window_go_fullscreen(w, w->requested_width, w->requested_height);
  SDL_RaiseWindow(w->sdl);
  log_printf("Foregrounded\n");
  read_drawable_size(w);
  return true;
}

GameWindow* window_create(const char* title, int width, int height, int colour_bits_and_flags,
                          int alpha_bits, int depth_bits, int stencil_bits, int accum_bits) {
  display_modes_read_sdl();
  read_window_options();
  GameWindow* w = window_alloc();
  if (!w) {
    log_printf("Can't create window!\n");
    return nullptr;
  }
  std::snprintf(w->title, sizeof w->title, "%s", title ? title : "");
  w->fullscreen = (colour_bits_and_flags & WINDOW_FULLSCREEN_FLAG) != 0;
  w->decorated = !w->fullscreen;
  w->colour_bits = colour_bits_and_flags & 0xffff;
  w->alpha_bits = alpha_bits;
  w->depth_bits = depth_bits;
  w->stencil_bits = stencil_bits;
  w->accum_bits = accum_bits;
  if (width <= 0 || height <= 0) desktop_size(&width, &height);
  w->requested_width = width;
  w->requested_height = height;
  w->threaded = g_threaded;

  bool made;
  if (w->threaded) {
    log_printf("Starting message processing thread\n");
    made = window_thread_start(w);
  } else {
    made = window_create_sdl(w);
  }
  if (!made) {
    window_free(w);
    display_modes_release_video();
    return nullptr;
  }
  input_devices_create(w);
  if (!create_gl_context(w)) {
    window_destroy(w);
    return nullptr;
  }
  return w;
}

void window_destroy(GameWindow* w) {
  if (!w) return;
  if (w->gl) {
    log_printf("Deleting OpenGL context\n");
    SDL_GL_MakeCurrent(w->sdl, nullptr);
    SDL_GL_DeleteContext(w->gl);
    w->gl = nullptr;
  }
  w->closing = true;
  if (w->threaded) window_thread_stop(w);
  log_printf("Closing input devices\n");
  pot_watch_window_closing(w);
  input_devices_close(w);
  destroy_sdl_window(w);
  display_modes_release_video();
  log_printf("Window shutdown complete\n");
  window_free(w);
}

static bool drawable_now(const GameWindow* w) {
  return !w->closing && !w->minimised && !w->hidden && !w->in_size_move && w->width > 0 && w->height > 0;
}

bool window_begin_frame(GameWindow* w, int* width, int* height) {
  w->lock.lock();
  if (!drawable_now(w)) {
    w->lock.unlock();
    return false;
  }
  *width = w->width;
  *height = w->height;
  return true;
}

bool window_end_frame(GameWindow* w) {
  // SDL 2 does not report a failed swap; a lost window shows up as a close
  // event instead.
  SDL_GL_SwapWindow(w->sdl);
  w->lock.unlock();
  return true;
}

bool window_drawable_size(GameWindow* w, int* width, int* height) {
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  if (!drawable_now(w)) return false;
  *width = w->width;
  *height = w->height;
  return true;
}

void window_go_fullscreen(GameWindow* w, int width, int height) {
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  int count, dw, dh, fw, fh;
  const DisplayMode* modes = display_modes(&count);
  desktop_size(&dw, &dh);
  fullscreen_mode_choose(modes, count, width, height, dw, dh, &fw, &fh);
  if (fw == dw && fh == dh) {
    // The desktop's own mode: cover it without a mode change.
    SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(w->sdl), &mode) != 0) mode = SDL_DisplayMode{};
    mode.w = fw;
    mode.h = fh;  // keeps the desktop's depth and refresh
    SDL_SetWindowDisplayMode(w->sdl, &mode);
    SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN);
  }
  log_printf("Full screen %dx%d\n", fw, fh);
  w->fullscreen = true;
  w->decorated = false;
  w->fullscreen_width = fw;
  w->fullscreen_height = fh;
  read_drawable_size(w);
}

void window_go_windowed(GameWindow* w, int width, int height) {
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  if (width <= 0 || height <= 0) desktop_size(&width, &height);
  SDL_SetWindowFullscreen(w->sdl, 0);
  SDL_SetWindowBordered(w->sdl, SDL_TRUE);
  SDL_SetWindowResizable(w->sdl, SDL_TRUE);
  SDL_SetWindowAlwaysOnTop(w->sdl, SDL_FALSE);
  SDL_SetWindowSize(w->sdl, width, height);
  SDL_ShowWindow(w->sdl);
  log_printf("Windowed %dx%d\n", width, height);
  w->fullscreen = false;
  w->decorated = true;
  w->requested_width = width;
  w->requested_height = height;
  read_drawable_size(w);
}

bool message_box(const char* title, const char* text) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr) == 0;
}
