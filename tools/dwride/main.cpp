// dwride --track NAME --bikes N --seconds S --script NAME [--model NAME]
//        [--arcade yes|no]
//
// Loads a track from the game data (DW_HOME, else the data folder beside
// the build's tools), puts N bikes side by side on its start with the menus'
// default setup (arcade physics unless --arcade no), rides them with a
// built-in control script for S simulated seconds and prints bike 0 once
// per simulated second, then the simulation speed. Exit status 0 when every
// number stayed finite, 1 otherwise.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "bike/bike.h"
#include "files/files.h"
#include "files/settings.h"
#include "ride.h"
#include "track/track.h"

struct RideArgs {
  const char* track = nullptr;
  int bikes = 1;
  double seconds = 0;
  int script = -1;
  const char* model = "yz250f(2017)";
  bool arcade = true;
};

static void usage() {
  std::fprintf(stderr,
               "usage: dwride --track NAME --bikes N --seconds S --script NAME [--model NAME] [--arcade yes|no]\n"
               "  N: 1..160 bikes, S: simulated seconds (0..86400], scripts: %s\n",
               ride_script_names());
}

static bool parse_number(const char* text, double lo, double hi, double* out) {
  char* end;
  double v = std::strtod(text, &end);
  if (end == text || *end || !(v >= lo && v <= hi)) return false;
  *out = v;
  return true;
}

// One option and its value; false (with a message) when either is wrong.
static bool parse_option(RideArgs* a, const char* name, const char* value) {
  double v;
  if (!std::strcmp(name, "--track")) {
    a->track = value;
  } else if (!std::strcmp(name, "--model")) {
    a->model = value;
  } else if (!std::strcmp(name, "--arcade")) {
    if (std::strcmp(value, "yes") && std::strcmp(value, "no")) {
      std::fprintf(stderr, "dwride: --arcade takes yes or no, not '%s'\n", value);
      return false;
    }
    a->arcade = !std::strcmp(value, "yes");
  } else if (!std::strcmp(name, "--bikes")) {
    if (!parse_number(value, 1, BIKE_SLOTS, &v) || v != std::floor(v)) {
      std::fprintf(stderr, "dwride: --bikes takes a whole number from 1 to %d, not '%s'\n", BIKE_SLOTS, value);
      return false;
    }
    a->bikes = (int)v;
  } else if (!std::strcmp(name, "--seconds")) {
    if (!parse_number(value, 0, 86400, &v) || v == 0) {
      std::fprintf(stderr, "dwride: --seconds takes a number above 0 and at most 86400, not '%s'\n", value);
      return false;
    }
    a->seconds = v;
  } else if (!std::strcmp(name, "--script")) {
    a->script = ride_script_find(value);
    if (a->script < 0) {
      std::fprintf(stderr, "dwride: unknown script '%s' (scripts: %s)\n", value, ride_script_names());
      return false;
    }
  } else {
    std::fprintf(stderr, "dwride: unknown option '%s'\n", name);
    return false;
  }
  return true;
}

static bool parse_args(int argc, char** argv, RideArgs* a) {
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) {
      std::fprintf(stderr, "dwride: '%s' needs a value\n", argv[i]);
      return false;
    }
    if (!parse_option(a, argv[i], argv[i + 1])) return false;
  }
  if (!a->track || a->seconds <= 0 || a->script < 0) {
    std::fprintf(stderr, "dwride: --track, --seconds and --script are required\n");
    return false;
  }
  return true;
}

// Without DW_HOME the data set the build wrote beside the tools is used.
static void find_data(const char* argv0) {
  if (std::getenv("DW_HOME")) return;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  for (std::filesystem::path dir = exe.parent_path(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    if (std::filesystem::exists(dir / "data" / "tracks", ec)) {
      setenv("DW_HOME", (dir / "data").c_str(), 1);
      return;
    }
  }
}

static RideCourse g_course;

static bool place_bikes(const RideArgs& a, const char* folder) {
  settings_defaults();
  choice_set_by_name(&settings.setup.arcade, a.arcade ? "Yes" : "No");
  g_course = ride_course_read(folder);
  for (int i = 0; i < a.bikes; i++) {
    Bike* bike = bike_create(a.model, i, true, i + 1, nullptr, nullptr, nullptr, nullptr);
    if (!bike) return false;
    StartSpot s = ride_start_spot(folder, i);
    bike_rotate(bike, 0, 1, 0, s.heading);
    bike_translate(bike, s.x, terrain_height(s.x, s.z), s.z);
    bike_raise_until_clear(bike);
    apply_bike_setup(bike);
    ride_script_start(a.script, bike, &g_course);
  }
  return true;
}

static bool bike_finite(const Bike* bike) {
  for (int i = 0; i < BIKE_BODIES; i++) {
    const dReal* p = dBodyGetPosition(bike->bodies[i]);
    const dReal* v = dBodyGetLinearVel(bike->bodies[i]);
    const dReal* w = dBodyGetAngularVel(bike->bodies[i]);
    for (int k = 0; k < 3; k++)
      if (!std::isfinite(p[k]) || !std::isfinite(v[k]) || !std::isfinite(w[k])) return false;
  }
  return true;
}

static void report(const Bike* b, double t, int script) {
  float p[3];
  bike_frame_position(b, p);
  std::printf(
      "t=%.0f x=%.3f y=%.3f z=%.3f speed=%.3f heading=%.4f gear=%d rpm=%.0f fork=%.4f shock=%.4f front_depth=%.4f "
      "rear_depth=%.4f crashed=%d%s\n",
      t, p[0], p[1], p[2], bike_speed(b), bike_heading(b), bike_gear(b) + 1, engine_rpm(b), bike_fork_position(b),
      bike_swingarm_position(b), b->contacts[WHEEL_FRONT].depth, b->contacts[WHEEL_REAR].depth, rider_down(b) ? 1 : 0,
      ride_script_report(script, b).c_str());
  std::fflush(stdout);
}

static bool ride(const RideArgs& a) {
  std::mt19937 random(12345);
  long long tics = (long long)std::llround(a.seconds * 128);
  bool finite = true;
  double busy = 0;
  for (long long t = 0; t < tics; t++) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < a.bikes; i++) ride_script_tic(a.script, &bikes[i], (int)t, &random);
    bikes_world_tic(a.bikes);
    busy += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if ((t + 1) % 128 != 0 && t + 1 != tics) continue;
    for (int i = 0; i < a.bikes; i++) finite = finite && bike_finite(&bikes[i]);
    report(&bikes[0], (double)(t + 1) / 128, a.script);
  }
  std::printf("tics_per_second=%.1f bikes=%d\n", busy > 0 ? (double)tics / busy : 0.0, a.bikes);
  return finite;
}

int main(int argc, char** argv) {
  RideArgs args;
  if (!parse_args(argc, argv, &args)) {
    usage();
    return 1;
  }
  find_data(argv[0]);
  std::string folder = std::string("tracks/") + args.track;
  if (!track_select_and_load(folder.c_str(), false)) {
    std::fprintf(stderr, "dwride: can't load the track '%s' (looked for @%s/terrain.hf)\n", args.track,
                 folder.c_str());
    return 1;
  }
  if (!physics_world_create() || !place_bikes(args, folder.c_str())) {
    std::fprintf(stderr, "dwride: can't make the bikes\n");
    return 1;
  }
  bool ok = ride(args);
  physics_world_destroy();
  track_unload();
  vfs_shutdown();
  if (!ok) std::fprintf(stderr, "dwride: the simulation produced a number that is not finite\n");
  return ok ? 0 : 1;
}
