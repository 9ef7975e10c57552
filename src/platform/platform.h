// Platform layer: the only door to the operating system.
//
// Log file, options string, clock and sleep, the input event queue, and (in
// the window, input and audio sections) the window with its GL context, the
// input devices and the audio output. Every other subsystem reaches the
// machine through this header.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <mutex>

// ---------------------------------------------------------------------------
// Log file
// ---------------------------------------------------------------------------

// printf-style line into the log file. The first call sets the log up (from
// WEFT_LOGFILE, or from a leading "WEFT_LOGFILE=<path>" directive); a null
// format closes the log, after which messages are dropped.
void log_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_vprintf(const char* format, va_list args);
void log_close();
// Forget everything so that the next log_printf sets the log up again (tests).
void log_reset_for_test();

// Logs "Error: <text>" and remembers the text for platform_last_error().
void platform_error(const char* text);
const char* platform_last_error();

// ---------------------------------------------------------------------------
// Options string (WEFT_OPTIONS = "[name:value][name:value]...")
// ---------------------------------------------------------------------------

bool option_flag(const char* name, bool default_value);
int option_integer(const char* name, int default_value);
// Replace the options string (tests; normally read once from WEFT_OPTIONS).
void options_set_for_test(const char* text);

// ---------------------------------------------------------------------------
// Clock and sleep (millisecond resolution, monotonic, origin unspecified)
// ---------------------------------------------------------------------------

struct ClockValue {
  int64_t seconds;
  int64_t microseconds;  // 0..999999
};

ClockValue clock_now();
double clock_seconds();  // clock_now() as seconds
// Waits at least s seconds + u microseconds: a coarse sleep, then yields the
// processor until the deadline so the wake-up lands within about 1 ms.
void clock_sleep(int64_t seconds, int64_t microseconds);
void clock_sleep_seconds(double seconds);

// ---------------------------------------------------------------------------
// Input events
// ---------------------------------------------------------------------------

// Event codes (see the key name tables for keyboard codes).
enum : int {
  EV_KEY_BASE = 4096,       // + scan code 0..511 (extended keys + 256)
  EV_MOUSE_LEFT = 8192,
  EV_MOUSE_MIDDLE = 8193,
  EV_MOUSE_RIGHT = 8194,
  EV_CLOSE = 57005,         // the window's close request
  EV_CHAR_TAB = 9,
};

struct InputEvent {
  int code;            // 31-bit event code
  bool pressed;        // press (true) or release (false)
  ClockValue stamp;    // platform clock at the time of the event
};

// Time-ordered queue of input events, shared between the window's message
// thread (which adds) and the main thread (which takes).
enum { EVENT_QUEUE_CAPACITY = 256 };
struct EventQueue {
  std::mutex lock;
  InputEvent events[EVENT_QUEUE_CAPACITY];
  int count = 0;
};

// Adds an event in timestamp order; returns false (event dropped) when full.
bool event_queue_push(EventQueue* q, const InputEvent& ev);
// Takes the oldest event; false when empty.
bool event_queue_take(EventQueue* q, InputEvent* out);
// Takes the oldest event when it is stamped no later than the deadline.
bool event_queue_take_until(EventQueue* q, ClockValue deadline, InputEvent* out);
void event_queue_clear(EventQueue* q);

inline double clock_to_seconds(ClockValue v) { return (double)v.seconds + (double)v.microseconds * 1e-6; }
ClockValue clock_from_seconds(double s);
inline bool clock_before(ClockValue a, ClockValue b) {
  return a.seconds < b.seconds || (a.seconds == b.seconds && a.microseconds < b.microseconds);
}

// ---------------------------------------------------------------------------
// Window, display modes and GL context (SDL2 back end)
// ---------------------------------------------------------------------------

struct GameWindow;  // opaque; one per run

struct DisplayMode {
  int width, height;   // pixels
  int bits;            // bits per pixel: 8, 15, 16, 24 or 32
};

enum { WINDOW_FULLSCREEN_FLAG = 0x10000 };  // or'ed into the colour bits

// Creates the window and its GL context and makes the context current.
// width/height 0 mean the desktop size. None (null) on failure, logged.
GameWindow* window_create(const char* title, int width, int height, int colour_bits_and_flags,
                          int alpha_bits, int depth_bits, int stencil_bits, int accum_bits);
void window_destroy(GameWindow* w);
// Processes pending window messages (no-op with a message thread).
void window_pump(GameWindow* w);
// The drawable size and the window lock, or false when it can't be drawn to
// now (minimised, in a size/move, closing). end_frame swaps and unlocks.
bool window_begin_frame(GameWindow* w, int* width, int* height);
bool window_end_frame(GameWindow* w);
// The drawable size without locking; false when there is none.
bool window_drawable_size(GameWindow* w, int* width, int* height);
void window_switch_mode(GameWindow* w, int width, int height, bool fullscreen);
// The display-mode list (desktop mode first), built once.
const DisplayMode* display_modes(int* count);
void desktop_size(int* width, int* height);
// Video-mode items: "Default Fullscreen", "Windowed", then "%dx%d" per mode
// of the first mode's depth; sizes 0 x 0 for the first two.
int video_mode_items(const char* const** names, const int** widths, const int** heights);
// Modal box with one OK button; false when no display can show it.
bool message_box(const char* title, const char* text);

// ---------------------------------------------------------------------------
// Input: events, key and axis names, pot watching
// ---------------------------------------------------------------------------

// Next queued event (any time), or one stamped no later than the deadline.
bool event_next(GameWindow* w, InputEvent* out);
bool event_next_until(GameWindow* w, ClockValue deadline, InputEvent* out);
// Key code for a name (aliases, exact then loose matching, "0x%x", device
// buttons); -1 when the name is unknown.
int key_code(GameWindow* w, const char* name);
// Pooled name for a code, or null.
const char* key_name(GameWindow* w, int code);

struct AxisHandle;
AxisHandle* axis_open(GameWindow* w, const char* name);
int axis_read(AxisHandle* a);   // raw value (-32767..32767 for sticks)
void axis_close(AxisHandle* a);
void alias_add(const char* alias, const char* name);
// Names of the absolute axes found at start-up.
int axis_names(GameWindow* w, const char* const** names);

// Debug level (--debug 1, --super-debug 2): pot watching logs its steps.
void input_set_debug(int level);

struct ControlBinding;
// Pot watching: capture a key or axis for a binding (game clock in seconds).
void pot_watch_start(GameWindow* w, ControlBinding* b, double game_clock);
bool pot_watch_active();
void pot_watch_cancel();
// A key press during watching (the main loop offers every press).
void pot_watch_key(int code, double game_clock);
// Once per tic: follow the axes and take an axis or the candidate key.
void pot_watch_tic(double game_clock);

// ---------------------------------------------------------------------------
// Audio output: mixing drivers behind one set of operations
// ---------------------------------------------------------------------------

struct Sound;

bool audio_open(GameWindow* w);                       // device; false = silent
bool audio_open_readback(int rate, int samples_per_block);
void audio_close();
bool audio_is_open();
void audio_update();
// Readback driver: mixes and returns the next block (16-bit mono), or null.
const int16_t* audio_read_back(int* samples);

Sound* sound_new(int length, const uint8_t* samples, int sample_rate);
Sound* sound_copy(Sound* s);
void sound_free(Sound* s);
void sound_play(Sound* s);
void sound_stop(Sound* s);
void sound_set_rate(Sound* s, int rate);
void sound_set_volume(Sound* s, int volume);          // 0..32767
void sound_set_pan(Sound* s, int pan);                // -32768..32767, negative left
void sound_set_loop(Sound* s, bool loop);
int sound_play_position(Sound* s);
void sound_write(Sound* s, int count, const uint8_t* bytes, int offset);
