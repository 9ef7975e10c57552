// Drawing a frame: the fixed GL state, the view, captions and the frame
// capture of --record-video.
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "core/core.h"
#include "core/game.h"
#include "core/launch.h"
#include "core/startup.h"
#include "platform/platform.h"

static const float kClearColour[4] = {0.196078f, 0.6f, 0.8f, 0.0f};

void startup_gl() {
  log_printf("GL_VENDOR: %s\n", (const char*)glGetString(GL_VENDOR));
  log_printf("GL_RENDERER: %s\n", (const char*)glGetString(GL_RENDERER));
  log_printf("GL_VERSION: %s\n", (const char*)glGetString(GL_VERSION));
  log_printf("GL_EXTENSIONS: %s\n", (const char*)glGetString(GL_EXTENSIONS));
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(kClearColour[0], kClearColour[1], kClearColour[2], kClearColour[3]);
  glEnable(GL_CULL_FACE);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (launch.fugly) glShadeModel(GL_FLAT);
}

// Writes the colour buffer to standard output as a binary PPM, top row first.
static void record_video_frame(int width, int height) {
  std::vector<unsigned char> rgb((size_t)width * height * 3);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  if (glGetError() != GL_NO_ERROR) return;  // skip this frame's image
  std::printf("P6\n%d %d\n255\n", width, height);
  for (int row = height - 1; row >= 0; row--) std::fwrite(&rgb[(size_t)row * width * 3], 1, (size_t)width * 3, stdout);
  std::fflush(stdout);
}

void game_draw_blank(int width, int height) {
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT);
}

void game_draw(int width, int height) {
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  bool track = loop_hooks.track_loaded && loop_hooks.track_loaded();
  if (launch.record_video && !game.paused && track) record_video_frame(width, height);
  if (launch.glfinish) glFinish();
}
