// Launch options from the command line and the render parameters derived
// from the settings (which the options may override for this run).
#pragma once

enum { LAUNCH_PATH_MAX = 1024 };

struct Launch {
  bool fugly;              // flat shading, reduced scene
  bool nosound;            // no audio device
  bool novertexarrays;     // draw geometry without vertex arrays
  bool learn;              // save learnt racing lines
  bool nommx;
  int debug;               // 0, 1 (--debug) or 2 (--super-debug)
  bool practice;           // robots take the "tester" personality
  bool warp;               // 100 tics per frame, restart finished races
  int erode_scale;         // deformation strength x 1024 (1024 = normal)
  double max_detail_distance;
  double lock_fps;         // frames per second; <= 0 means no lock
  double fake_lag;         // simulated network delay (s), 0..1
  int fake_loss;           // simulated packet loss (percent), 0..100
  bool record_audio;       // readback audio written to record_audio_path
  char record_audio_path[LAUNCH_PATH_MAX];
  bool record_video;       // PPM frames on standard output
  int rotate_lineup;       // line-up rotation for "Start" in New Race
  bool editor;             // the editor joins the view cycle
  bool hidden_pause, hidden_hud;
  int colour_bits;         // pixel format colour bits
  int depth_bits;          // depth-buffer bits
  int draw_render_stats;
  bool accurate_skip;      // Skip replays every tic
  bool have_track;         // --track given
  char track[LAUNCH_PATH_MAX];
  bool connect;            // --connect given
  char password[128];
  bool have_password;
  double chase_center[3];  // orbit-view centre offset in the bike's frame (ft)
  bool glfinish;
  bool print_orientation;
  bool have_demo;          // a demo file argument was given
  char demo_file[LAUNCH_PATH_MAX];
};

extern Launch launch;

// Numbers the renderer reads, derived from the settings before the command
// line is parsed; an option overrides the derived value.
struct RenderParams {
  double terrain_detail;       // 0.125 / ground_detail
  int ground_texture_level;    // 0..10
  int ground_texture_size;     // texels, 32..1024
  double model_lod_scale;
  double model_lod_bias;
  int model_texture_level;     // 0..10
  int texture_compression;     // index of texture_compress
  int roost_frequency;
  int reflections;             // index of reflections
};

extern RenderParams render_params;

void launch_defaults();
void render_params_derive();

// Parses the arguments after the program name. Returns -1 to go on, or the
// exit status to end the process with (messages already printed).
int cmdline_parse(int argc, char** argv);

// Creates the home folder and hands it to the desktop's file browser.
// Returns the exit status (0).
int open_home();
