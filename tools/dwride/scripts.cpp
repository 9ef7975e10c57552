// The built-in control scripts of dwride.
#include <cstring>

#include "bike/bike.h"
#include "ride.h"

static const char* const kNames[SCRIPT_COUNT] = {"rest", "roll", "random"};

int ride_script_find(const char* name) {
  for (int i = 0; i < SCRIPT_COUNT; i++)
    if (std::strcmp(name, kNames[i]) == 0) return i;
  return -1;
}

const char* ride_script_names() { return "rest, roll, random"; }

static const float ROLL_SPEED = 30;  // ft/s

void ride_script_start(int script, Bike* bike) {
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
  }
  if ((*random)() % 64 != 0) return;
  dBodyID body = bike->bodies[(*random)() % BIKE_BODIES];
  dBodyAddForce(body, uniform(random, -3000, 3000), uniform(random, -1000, 3000), uniform(random, -3000, 3000));
  dBodyAddTorque(body, uniform(random, -1500, 1500), uniform(random, -1500, 1500), uniform(random, -1500, 1500));
}

void ride_script_tic(int script, Bike* bike, int tic, std::mt19937* random) {
  if (script == SCRIPT_RANDOM) random_tic(bike, tic, random);
}
