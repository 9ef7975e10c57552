// Private records of the platform layer's window, input devices and audio
// mixer, shared by the files behind platform.h. Nothing outside
// src/platform/ (and its tests) includes this.
#pragma once

#include <SDL2/SDL.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/platform.h"

// ---------------------------------------------------------------------------
// Display modes
// ---------------------------------------------------------------------------

// A mode as the display reports it, before filtering.
struct RawDisplayMode {
  int width, height;  // pixels
  int bits;           // bits per pixel
  int refresh;        // Hz, 0 when unknown
};

enum { DISPLAY_MODES_MAX = 256 };

// Filters the reported modes into the display-mode list (desktop mode first
// when its depth is usable, no duplicates), logging each. Returns the count.
int display_modes_build(const RawDisplayMode& desktop, const RawDisplayMode* modes, int count,
                        DisplayMode* out, int max);
// Replaces the display-mode list and desktop size (tests, and the SDL read).
void display_modes_set(const RawDisplayMode& desktop, const RawDisplayMode* modes, int count);
// The full-screen mode for a requested size: the smallest width + height
// among the modes that hold w x h; the desktop size when none does or when
// w or h is 0.
void fullscreen_mode_choose(const DisplayMode* modes, int count, int w, int h, int desktop_w,
                            int desktop_h, int* out_w, int* out_h);

// ---------------------------------------------------------------------------
// Input devices
// ---------------------------------------------------------------------------

enum { DEVICE_AXES_MAX = 100, DEVICE_BUTTONS_MAX = 500, DEVICE_NAME_MAX = 64 };

struct InputDevice;

// What a kind of device does; the cursor, SDL joysticks and the SDL mouse
// each fill one in.
struct DeviceOps {
  bool (*open)(InputDevice* d);
  void (*close)(InputDevice* d);
  // Reads the device's state, queueing an event for every button change.
  void (*poll)(GameWindow* w, InputDevice* d);
  int (*read_axis)(InputDevice* d, int axis);
};

struct InputDevice {
  char name[DEVICE_NAME_MAX];  // unique within the window, no spaces or dots
  int id;                      // codes of its buttons are id + index (bits 16..30)
  int axis_count, button_count;
  int open_axes;               // use count of open axis handles
  bool polled;                 // a binding names one of its buttons
  bool relative;               // axes report motion since the last read
  bool detached;               // unplugged: axes read 0, no more events
  const DeviceOps* ops;
  GameWindow* window;
  // Joystick state (SDL)
  int joystick_index;          // SDL device index at the roll call
  SDL_Joystick* joystick;      // open SDL handle, or null
  int sdl_axes, sdl_buttons, sdl_hats;  // counts SDL reports; hats add 4 buttons each
  // Last polled state
  int axes[DEVICE_AXES_MAX];           // raw values; relative: accumulated motion
  uint8_t buttons[DEVICE_BUTTONS_MAX]; // 0 up, 1 down
  InputDevice* next;
};

struct AxisHandle {
  InputDevice* device;
  int axis;  // index into the device's axes
};

// Device id for a name among the ids already used by the window's devices.
int device_id_for_name(const char* name, const int* used, int used_count);
// The device's name: the instance name without spaces and dots, with "#2",
// "#3"... appended when the window already has a device of that name.
void device_name_make(GameWindow* w, const char* instance, char* out, int out_size);
// Adds a device to the window's list (id assigned); null when out of memory.
InputDevice* device_add(GameWindow* w, const char* instance_name, const DeviceOps* ops,
                        int axis_count, int button_count, bool relative);
InputDevice* device_find(GameWindow* w, const char* name);
// The roll call: the cursor device, then SDL joysticks (and with
// dinputsticksonly off, the mouse); defines the device aliases.
void input_devices_create(GameWindow* w);
void input_devices_close(GameWindow* w);
// Polls every device whose polled flag is set.
void input_devices_poll(GameWindow* w);
// Queues a device button change stamped now.
void device_button_event(GameWindow* w, InputDevice* d, int button, bool down);
// Adds an absolute axis to the window's axis name list.
void axis_name_add(GameWindow* w, const char* name);

// Ends pot watching when it watches the axes of this window.
void pot_watch_window_closing(GameWindow* w);
// A name with its alias replaced (the name itself when it has none).
const char* alias_resolve(const char* name);
// Parses "<device>.<dotted>[<n>]" or "<device> <spaced> <n>" ("key" and
// "button", or "axis" twice); true with the device name (64 characters) and
// the index when the whole text matches.
bool parse_device_item(const char* name, const char* dotted_word, const char* spaced_word, char* device,
                       int* index);

// SDL scan code -> keyboard scan code 0..511 (extended + 256), -1 if none.
int scancode_from_sdl(SDL_Scancode sc);
// The platform's name for a scan code 0..511, "" when it has none.
const char* scancode_platform_name(int scan);

// ---------------------------------------------------------------------------
// Window record
// ---------------------------------------------------------------------------

enum { WINDOW_TITLE_MAX = 256, AXIS_NAMES_MAX = 256 };

// Private requests posted to the thread that owns the window's messages.
enum WindowRequest { REQUEST_WAKE = 1, REQUEST_FULLSCREEN, REQUEST_WINDOWED };

struct GameWindow {
  char title[WINDOW_TITLE_MAX] = "";
  int requested_width = 0, requested_height = 0;    // client size asked for (pixels)
  int width = 0, height = 0;                        // current drawable size (pixels), under lock
  int fullscreen_width = 0, fullscreen_height = 0;  // display mode in full screen (pixels)
  int colour_bits = 0, alpha_bits = 0, depth_bits = 0, stencil_bits = 0, accum_bits = 0;
  bool decorated = true;      // a normal top-level window, not full screen
  bool threaded = false;      // messages handled on the message thread
  bool fullscreen = false;
  std::atomic<bool> closing{false};
  bool in_size_move = false;  // an interactive size or move is going on
  bool minimised = false;
  bool hidden = false;        // not shown, or covered entirely

  std::recursive_mutex lock;  // window lock: a frame in progress vs size and mode changes
  EventQueue events;

  InputDevice* devices = nullptr;  // roll call, in order found
  bool joysticks_up = false;       // the SDL joystick subsystem was started for us
  const char* axis_name_list[AXIS_NAMES_MAX] = {};  // pooled "%s axis %d" names
  int axis_name_count = 0;

  SDL_Window* sdl = nullptr;
  SDL_GLContext gl = nullptr;
  Uint32 sdl_id = 0;          // SDL window id (filters window events)

  // Message thread start-up handshake.
  std::thread thread;
  std::mutex ready_lock;
  std::condition_variable ready_signal;
  int ready = 0;              // 0 waiting, 1 window created, -1 failed
};

// Handles one SDL event on the thread that owns the window's messages.
void window_handle_event(GameWindow* w, const SDL_Event& ev);
// Creates the SDL window (video subsystem, GL attributes); false on failure.
bool window_create_sdl(GameWindow* w);
// Starts the message thread, which creates the window; false on failure.
bool window_thread_start(GameWindow* w);
void window_thread_stop(GameWindow* w);
// Applies a full-screen or windowed request (window-owning thread).
void window_go_fullscreen(GameWindow* w, int width, int height);
void window_go_windowed(GameWindow* w, int width, int height);
// Reads the display modes from SDL into the list (once); without a message
// thread the video subsystem is kept up for the window.
void display_modes_read_sdl();
// Lets go of the video subsystem kept up by the mode read.
void display_modes_release_video();
// Posts a private request to the thread that owns the window's messages.
void window_post_request(GameWindow* w, int request, int width, int height);
// Reads the window options again at the next creation (tests).
void window_options_forget();
// Forgets the display-mode list so the next use reads it again (tests).
void display_modes_forget();
// Queues an input event; false when the queue is full.
bool window_queue_event(GameWindow* w, int code, bool pressed, ClockValue stamp);

// ---------------------------------------------------------------------------
// Audio mixer (device and readback drivers)
// ---------------------------------------------------------------------------

enum { MIXER_LEVELS = 32, LEVEL_MAX = 31 };

struct SampleBlock {
  int refs;         // sounds sharing it
  int length;       // samples (bytes)
  uint8_t* data;    // 8-bit, signed values with the sign bit flipped
};

struct Sound;

struct Voice {
  Sound* sound;
  int side;         // 0 left (or mono), 1 right
  int level;        // 0..31
  bool listed;      // in the voice list of its level
  Voice* prev;
  Voice* next;
};

struct Sound {
  SampleBlock* block;
  int64_t pos;           // read position: sample index << 31 | 31-bit fraction
  int mixer_rate;        // samples per second of the output
  int rate;              // playback rate, samples per second
  int64_t step;          // rate / mixer_rate in the same fixed point
  int64_t end_pos;       // position after the block being mixed
  int volume;            // 0..32767
  int pan;               // -32768..32767, negative is left
  bool loop, playing, stereo, restart, finished;
  Voice voice[2];        // left (mono) and right
};

struct Mixer {
  bool open;
  int rate;              // output samples per second
  int channels;          // mixing-channel budget (voices heard at once)
  bool stereo;
  int sample_bytes;      // 1: 8-bit unsigned; 2: 16-bit signed
  int block_samples;     // samples per mixed block (per side)
  int32_t* accum[2];     // accumulation buffers, block_samples each
  uint8_t* out;          // converted output, block_samples x sides x sample_bytes
  Voice* lists[2][MIXER_LEVELS];  // playing voices by side and level, oldest first
  Voice* tails[2][MIXER_LEVELS];  // last voice of each list
  std::mutex lock;       // audio lock: every sound operation and every mix
};

extern Mixer mixer;

// 31 tables of 256 entries, indexed by level 1..31 and the stored sample byte.
const int8_t* level_table(int level);
// Sets the mixer up (buffers allocated); false when out of memory.
bool mixer_init(int rate, int channels, bool stereo, int sample_bytes, int block_samples);
void mixer_shutdown();
// Mixes block_samples samples into mixer.out (caller holds the lock).
void mixer_mix_block();
// Levels of a sound's voices from its volume and pan; relists playing voices.
void mixer_set_levels(Sound* s);
void mixer_start(Sound* s);
void mixer_stop(Sound* s);

// The sixteen operations of an audio driver; an operation it lacks returns
// failure or 0.
struct AudioDriver {
  const char* name;
  bool (*open)(GameWindow* w);
  bool (*open_readback)(int rate, int samples_per_block);
  void (*close)();
  bool (*update)();
  const int16_t* (*read_back)(int* samples);
  Sound* (*new_sound)(int length, const uint8_t* samples, int sample_rate);
  Sound* (*copy_sound)(Sound* s);
  void (*free_sound)(Sound* s);
  void (*play)(Sound* s);
  void (*stop)(Sound* s);
  void (*set_rate)(Sound* s, int rate);
  void (*set_volume)(Sound* s, int volume);
  void (*set_pan)(Sound* s, int pan);
  void (*set_loop)(Sound* s, bool loop);
  int (*play_position)(Sound* s);
  void (*write)(Sound* s, int count, const uint8_t* bytes, int offset);
};

extern const AudioDriver audio_device_driver;    // SDL device fed by the audio thread
extern const AudioDriver audio_readback_driver;  // mixes on request

// Sound operations shared by the mixing drivers (they take the audio lock).
Sound* mixer_new_sound(int length, const uint8_t* samples, int sample_rate);
Sound* mixer_copy_sound(Sound* s);
void mixer_free_sound(Sound* s);
void mixer_play(Sound* s);
void mixer_stop_sound(Sound* s);
void mixer_set_rate(Sound* s, int rate);
void mixer_set_volume(Sound* s, int volume);
void mixer_set_pan(Sound* s, int pan);
void mixer_set_loop(Sound* s, bool loop);
int mixer_play_position(Sound* s);
void mixer_write(Sound* s, int count, const uint8_t* bytes, int offset);

// Fragment arithmetic of the device driver.
int audio_fragment_samples(int rate);          // rate / 64
int audio_fragments_ahead(int mixahead_ms);    // ms x 64 / 1000, 1..32
