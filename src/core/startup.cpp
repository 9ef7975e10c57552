// Start-up and shutdown: brings the subsystems up in a fixed order, runs the
// main loop, and tears everything down in reverse, saving the settings.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/game.h"
#include "core/launch.h"
#include "core/startup.h"
#include "files/files.h"
#include "files/settings.h"
#include "platform/platform.h"

static const char kVersion[] = "2019-03-28-1481 snapshot";

static GameWindow* g_window;
static AxisHandle* g_cursor_x;  // the pointer position, read every frame
static AxisHandle* g_cursor_y;
static FILE* g_record_audio_file;

// Demo list: every "demos/*.dwdemo" of the file index, with a display name.
struct DemoEntry {
  const char* path;
  const char* name;
};
static GrowArray g_demos;

GameWindow* game_window() { return g_window; }

// ---------------------------------------------------------------------------
// Start-up steps
// ---------------------------------------------------------------------------

static void close_window_for_fatal() {
  if (g_window) window_destroy(g_window);
  g_window = nullptr;
}

static void startup_video_modes() {
  const char* const* names;
  const int *widths, *heights;
  int n = video_mode_items(&names, &widths, &heights);
  if (n > 0) choice_set_items(&settings.video_mode, names, n);
  if (!__builtin_cpu_supports("mmx")) log_printf("This CPU does not have MMX!\n");
  else if (launch.nommx) log_printf("Ignoring MMX\n");
}

static bool startup_window() {
  bool windowed = !std::strcmp(choice_name(&settings.video_mode), "Windowed");
  int w = settings.xres, h = settings.yres, bits = launch.colour_bits;
  if (!windowed) {
    const char* const* names;
    const int *widths, *heights;
    int n = video_mode_items(&names, &widths, &heights);
    int i = settings.video_mode.index;
    w = (i < n) ? widths[i] : 0;
    h = (i < n) ? heights[i] : 0;
    bits |= WINDOW_FULLSCREEN_FLAG;
  }
  g_window = window_create("Dirtwave", w, h, bits, 0, launch.depth_bits, 0, 0);
  if (!g_window) return false;
  mem_set_fatal_cleanup(audio_close, close_window_for_fatal);
  // A blank frame at once, so the window never shows garbage while loading.
  window_pump(g_window);
  int fw, fh;
  if (window_begin_frame(g_window, &fw, &fh)) {
    game_draw_blank(fw, fh);
    window_end_frame(g_window);
  }
  return true;
}

// "demos/<name>.dwdemo" -> "<name>": the text between the last "/" and the
// last "."; the whole path when that is empty.
static const char* demo_display_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* start = slash ? slash + 1 : path;
  const char* dot = std::strrchr(path, '.');
  if (!dot || dot <= start) return pool_string(path);
  std::string name(start, dot - start);
  return pool_string(name.empty() ? path : name.c_str());
}

static bool has_suffix(const char* s, const char* suffix) {
  size_t n = std::strlen(s), m = std::strlen(suffix);
  return n >= m && !strcasecmp(s + n - m, suffix);
}

static void startup_demo_list(const char* const* files) {
  array_init(&g_demos, sizeof(DemoEntry));
  for (int i = 0; files && files[i]; i++) {
    if (strncasecmp(files[i], "demos/", 6) || !has_suffix(files[i], ".dwdemo")) continue;
    DemoEntry d{pool_string(files[i]), demo_display_name(files[i])};
    if (!array_append(&g_demos, &d)) fatal_out_of_memory();
    if (launch.debug) log_printf("%s -> %s\n", d.path, d.name);
  }
}

static void startup_audio() {
  if (launch.record_audio) {
    g_record_audio_file = std::fopen(launch.record_audio_path, "wb");
    audio_open_readback(88320, 690);
  } else if (!launch.nosound) {
    audio_open(g_window);
  }
}

static void wait_for_drawable() {
  int w = 0, h = 0;
  while (!window_drawable_size(g_window, &w, &h)) {
    window_pump(g_window);
    clock_sleep_seconds(0.0625);
  }
}

static void resolve_menu_keys() {
  static const char* const kNames[MENU_KEY_COUNT] = {
      "up", "down", "left", "right", "enter", "keypad enter", "esc",
      "pause", "cursor-left", "cursor-right", "page up", "page down", "close"};
  for (int i = 0; i < MENU_KEY_COUNT; i++) game.menu_keys[i] = key_code(g_window, kNames[i]);
}

// Bindings resolve their key names to codes, or open their axes.
static void startup_bindings() {
  g_cursor_x = axis_open(g_window, "cursor-x");
  g_cursor_y = axis_open(g_window, "cursor-y");
  for (int i = 0; i < BIND_COUNT; i++) {
    ControlBinding* b = &settings.bindings[i];
    if (b->axis_name[0]) b->axis = axis_open(g_window, b->axis_name);
    else if (b->key_name[0]) b->key_code = key_code(g_window, b->key_name);
    if (b->key_code < 0) b->key_code = 0;
  }
  resolve_menu_keys();
}

static void close_bindings() {
  if (g_cursor_x) axis_close(g_cursor_x);
  if (g_cursor_y) axis_close(g_cursor_y);
  g_cursor_x = g_cursor_y = nullptr;
  for (int i = 0; i < BIND_COUNT; i++) {
    ControlBinding* b = &settings.bindings[i];
    if (b->axis) axis_close((AxisHandle*)b->axis);
    b->axis = nullptr;
  }
}

// ---------------------------------------------------------------------------
// The loop's platform
// ---------------------------------------------------------------------------

static bool platform_next_event(ClockValue deadline, bool take_all, InputEvent* out) {
  return take_all ? event_next(g_window, out) : event_next_until(g_window, deadline, out);
}

static bool platform_draw_frame() {
  int w, h;
  if (!window_begin_frame(g_window, &w, &h)) return true;  // nothing to draw now
  if (!std::strcmp(choice_name(&settings.video_mode), "Windowed")) {
    settings.xres = w;
    settings.yres = h;
  }
  game_draw(w, h);
  return window_end_frame(g_window);
}

static bool platform_cursor(int* x, int* y) {
  if (!g_cursor_x || !g_cursor_y) return false;
  *x = axis_read(g_cursor_x);
  *y = axis_read(g_cursor_y);
  return true;
}

static void audio_frame(double master_volume) {
  (void)master_volume;  // the sound subsystem applies it to its sounds
  if (audio_is_open()) audio_update();
}

static void loop_hooks_install() {
  loop_hooks.audio_frame = audio_frame;
  if (launch.record_audio) loop_hooks.record_audio_block = record_audio_block;
}

static void loop_platform_install() {
  loop_platform.now = clock_now;
  loop_platform.sleep = clock_sleep_seconds;
  loop_platform.next_event = platform_next_event;
  loop_platform.draw_frame = platform_draw_frame;
  loop_platform.pot_watch_active = pot_watch_active;
  loop_platform.pot_watch_key = pot_watch_key;
  loop_platform.pot_watch_tic = pot_watch_tic;
  loop_platform.axis_read = [](void* a) { return axis_read((AxisHandle*)a); };
  loop_platform.cursor = platform_cursor;
}

// ---------------------------------------------------------------------------
// Start-up, loop, shutdown
// ---------------------------------------------------------------------------

// Steps before the window: data, log, settings, command line. Returns -1 to
// go on, or the exit status.
static int startup_settings(int argc, char** argv) {
  console_clear();
  if (!vfs_find_game_data()) {
    error_box("Problem starting Dirtwave", "Can't find game data\n");
    return 0;
  }
  log_printf("Dirtwave version %s\n", kVersion);
  settings_defaults();
  launch_defaults();
  game_reset();
  server_history_clear();
  startup_video_modes();
  startup_default_bike();
  settings_apply_preset(PRESET_COMPATIBILITY);
  config_read();
  render_params_derive();
  int status = cmdline_parse(argc - 1, argv + 1);
  if (status >= 0) return status;
  if (launch.connect) launch.have_track = false;
  input_set_debug(launch.debug);
  return -1;
}

// Steps from the window to the first race. Returns -1 to go on, or the exit
// status.
static int startup_game() {
  if (!startup_window()) return 1;
  const char* const* files = vfs_build_file_index();
  startup_stock_shapes();
  startup_texture_lists();
  if (!startup_track_list()) {
    std::fputs("No tracks found\n", stderr);
    return 1;
  }
  startup_demo_list(files);
  startup_series();
  startup_select_track(launch.have_track ? launch.track : settings.track.text);
  startup_audio();
  wait_for_drawable();
  startup_gl();
  startup_fonts();
  startup_bindings();
  startup_race_tables();
  startup_first_race();
  game.open_menu = launch.connect ? MENU_NONE : MENU_MAIN;
  game.remembered_menu = game.open_menu;
  loop_platform_install();
  loop_hooks_install();
  game.frame_time = clock_to_seconds(clock_now());
  return -1;
}

static void shutdown_step(const char* text) {
  loading_screen(text);
  log_printf("%s\n", text);
}

static int shutdown_game() {
  shutdown_network();
  shutdown_race();
  shutdown_step("Freeing memory (1)");
  shutdown_step("Closing input devices");
  close_bindings();
  shutdown_step("Closing audio");
  if (audio_is_open()) audio_close();
  if (g_record_audio_file) std::fclose(g_record_audio_file);
  g_record_audio_file = nullptr;
  shutdown_step("Writing config files");
  config_write();
  shutdown_step("Freeing memory (2)");
  shutdown_step("Freeing memory (3)");
  array_free(&g_demos);
  shutdown_step("Freeing file list");
  vfs_free_file_index();
  shutdown_step("Freeing memory (4)");
  shutdown_step("Deleting textures");
  shutdown_step("Deleting models");
  if (g_window) window_destroy(g_window);
  g_window = nullptr;
  log_close();
  mem_report();
  clock_sleep(1, 0);
  return 0;
}

void record_audio_block() {
  int n = 0;
  const int16_t* block = audio_read_back(&n);
  if (block && g_record_audio_file) std::fwrite(block, sizeof(int16_t), (size_t)n, g_record_audio_file);
}

int game_main(int argc, char** argv) {
  if (argc == 2 && !std::strcmp(argv[1], "--open-home")) return open_home();
  error_box_set_handler(message_box);
  int status = startup_settings(argc, argv);
  if (status >= 0) return status;
  status = startup_game();
  if (status >= 0) return status;
  loop_run();
  return shutdown_game();
}
