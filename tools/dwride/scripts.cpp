// The built-in control scripts of dwride.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bike/bike.h"
#include "ride.h"

static const char* const kNames[SCRIPT_COUNT] = {"rest",     "roll",       "random",      "throttle",
                                                 "brake",    "turn-left",  "turn-right",  "lap"};

int ride_script_find(const char* name) {
  for (int i = 0; i < SCRIPT_COUNT; i++)
    if (std::strcmp(name, kNames[i]) == 0) return i;
  return -1;
}

const char* ride_script_names() { return "rest, roll, random, throttle, brake, turn-left, turn-right, lap"; }

static const float ROLL_SPEED = 30;   // ft/s
static const float BRAKE_FROM = 60;   // ft/s
static const float TURN_INPUT = 0.5f; // steering held by the turn scripts

// Per-bike state of the stateful scripts.
struct ScriptState {
  bool braking;        // brake script: past the top speed
  size_t passed;       // lap script: gates of the first lap passed
};
static ScriptState g_state[BIKE_SLOTS];
static const RideCourse* g_course;

void ride_script_start(int script, Bike* bike, const RideCourse* course) {
  g_state[bike->slot] = {};
  g_course = course;
  if (script == SCRIPT_ROLL) bike_set_speed(bike, ROLL_SPEED);
}

static float uniform(std::mt19937* random, float lo, float hi) {
  return std::uniform_real_distribution<float>(lo, hi)(*random);
}

// Random controls every quarter second, and now and then a shove of up to
// 3000 lbf and 1500 ft lbf on a random body, a hard knock for a bike of
// about 15 slugs.
static void random_tic(Bike* bike, int tic, std::mt19937* random) {
  if (tic % 32 == 0) {
    set_throttle(bike, uniform(random, 0, 1));
    set_front_brake(bike, uniform(random, 0, 1));
    set_rear_brake(bike, uniform(random, 0, 1));
    set_steering(bike, uniform(random, -1, 1));
    set_lean(bike, uniform(random, -1, 1));
    set_sit_dab(bike, uniform(random, 0, 1));
    set_clutch(bike, uniform(random, 0, 1));
    set_back_up(bike, uniform(random, 0, 1) < 0.1f ? 1.0f : 0.0f);
    shift(bike, (int)((*random)() % 3) - 1);
  }
  if ((*random)() % 64 != 0) return;
  dBodyID body = bike->bodies[(*random)() % BIKE_BODIES];
  dBodyAddForce(body, uniform(random, -3000, 3000), uniform(random, -1000, 3000), uniform(random, -3000, 3000));
  dBodyAddTorque(body, uniform(random, -1500, 1500), uniform(random, -1500, 1500), uniform(random, -1500, 1500));
}

static void controls(Bike* bike, float throttle, float steering, float brake) {
  set_clutch(bike, 1);
  set_throttle(bike, throttle);
  set_steering(bike, steering);
  set_front_brake(bike, brake);
  set_rear_brake(bike, brake);
}

// Throttle that holds a speed (ft/s).
static float hold_speed(const Bike* bike, float speed) {
  float t = (speed - bike_speed(bike)) * 0.5f;
  return t < 0 ? 0 : (t > 1 ? 1 : t);
}

// Full throttle to 60 ft/s, then full brakes to a stop.
static void brake_tic(Bike* bike) {
  ScriptState* s = &g_state[bike->slot];
  if (bike_speed(bike) >= BRAKE_FROM) s->braking = true;
  controls(bike, s->braking ? 0 : 1, 0, s->braking ? 1 : 0);
}

// The horizontal angle from the bike's heading to a point, positive to the
// left.
static float angle_to(const Bike* bike, float x, float z) {
  float p[3], r[9];
  bike_frame_position(bike, p);
  bike_frame_rotation(bike, r);
  float fx = -r[2], fz = -r[8];  // forward = -(body z)
  float dx = x - p[0], dz = z - p[2];
  return std::atan2(dx * fz - dz * fx, dx * fx + dz * fz);
}

// Our simple rider: aims a little beyond the next gate of the first lap,
// leans toward it (a positive steering input turns right) and picks a
// speed from how far off its nose the gate is and how far away.
static void lap_tic(Bike* bike) {
  ScriptState* s = &g_state[bike->slot];
  if (!g_course || s->passed >= g_course->first_lap.size()) {
    controls(bike, 0, 0, 1);
    return;
  }
  const RideGate& g = g_course->gates[g_course->first_lap[s->passed]];
  float front[3];
  const dReal* w = dBodyGetPosition(bike->bodies[BODY_FRONT_WHEEL]);
  front[0] = (float)w[0], front[2] = (float)w[2];
  if (ride_gate_passed(g, front[0], front[2])) {
    s->passed++;
    return;
  }
  float len = std::hypot(g.dx, g.dz);
  float ax = g.x + (len > 0 ? 8 * g.dx / len : 0), az = g.z + (len > 0 ? 8 * g.dz / len : 0);
  float err = angle_to(bike, ax, az);
  float dist = std::hypot(ax - front[0], az - front[2]);
  float steer = -2.0f * err;
  steer = steer < -1 ? -1 : (steer > 1 ? 1 : steer);
  float off = std::fabs(err) > 1.2f ? 1 : std::fabs(err) / 1.2f;
  float target = 12 + 38 * (1 - off) * (dist > 60 ? 1 : 0.5f + dist / 120);
  float u = bike_speed(bike);
  float brake = u > target + 6 ? (u - target - 6) / 10 : 0;
  controls(bike, hold_speed(bike, target), steer, brake > 1 ? 1 : brake);
}

void ride_script_tic(int script, Bike* bike, int tic, std::mt19937* random) {
  switch (script) {
    case SCRIPT_RANDOM: random_tic(bike, tic, random); break;
    case SCRIPT_THROTTLE: controls(bike, 1, 0, 0); break;
    case SCRIPT_BRAKE: brake_tic(bike); break;
    case SCRIPT_TURN_LEFT: controls(bike, hold_speed(bike, ROLL_SPEED), -TURN_INPUT, 0); break;
    case SCRIPT_TURN_RIGHT: controls(bike, hold_speed(bike, ROLL_SPEED), TURN_INPUT, 0); break;
    case SCRIPT_LAP: lap_tic(bike); break;
    default: break;
  }
}

std::string ride_script_report(int script, const Bike* bike) {
  if (script != SCRIPT_LAP) return "";
  char text[64];
  std::snprintf(text, sizeof text, " gates=%zu/%zu", g_state[bike->slot].passed,
                g_course ? g_course->first_lap.size() : (size_t)0);
  return text;
}
