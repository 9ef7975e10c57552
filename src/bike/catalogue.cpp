// Looking models up in the catalogue, gears and the torque tables.
#include <cmath>
#include <cstring>

#include "bike/bike.h"
#include "bike/catalogue_internal.h"
#include "core/core.h"

// Built once, on first use, then never changed.
static const BikeModel* catalogue() {
  static BikeModel* table = [] {
    static BikeModel models[BIKE_MODEL_COUNT];
    catalogue_build(models);
    return models;
  }();
  return table;
}

const BikeModel* bike_model(int index) {
  if (index < 0 || index >= BIKE_MODEL_COUNT) return nullptr;
  return &catalogue()[index];
}

static int find_exact(const char* name) {
  for (int i = 0; i < BIKE_MODEL_COUNT; i++)
    if (std::strncmp(catalogue()[i].name, name, sizeof catalogue()[i].name) == 0 &&
        std::strlen(name) < sizeof catalogue()[i].name)
      return i;
  return -1;
}

static int find_containing(const char* part) {
  for (int i = 0; i < BIKE_MODEL_COUNT; i++)
    if (std::strstr(catalogue()[i].name, part)) return i;
  return -1;
}

int find_bike_model(const char* name) {
  int i = find_exact(name);
  if (i >= 0) return i;
  // Demos and servers may name a model this program doesn't have: they still
  // get a bike of about the same kind.
  i = find_containing(std::strstr(name, "125") ? "125" : "250f");
  console_printf("bike info for '%.20s' not found using '%.20s' instead", name, catalogue()[i].name);
  return i;
}

const BikeModel* lookup_bike_model(const char* name) {
  int i = find_exact(name);
  return i >= 0 ? &catalogue()[i] : nullptr;
}

const char* bike_legacy_name(const char* name) {
  static const char* const legacy[][2] = {
      {"crf250", "crf250(2008)"}, {"kx250f", "kx250f(2008)"}, {"rmz250", "rmz250(2008)"}, {"yz250f", "yz250f(2008)"}};
  for (const auto& pair : legacy)
    if (std::strcmp(name, pair[0]) == 0) return pair[1];
  return name;
}

bool gear_count_valid(const BikeModel* model, int gear) {
  return gear >= 0 && gear < BIKE_GEARS && model->gear_ratios[gear] > 0;
}

int gear_clamp(const BikeModel* model, int gear) {
  if (gear < 0) gear = 0;
  if (gear > BIKE_GEARS - 1) gear = BIKE_GEARS - 1;
  while (gear > 0 && !(model->gear_ratios[gear] > 0)) gear--;
  return gear;
}

float torque_lookup(const float table[BIKE_TORQUE_POINTS], float rpm) {
  float x = rpm * 0.002f;
  // A speed that is not a number (a broken simulation) reads the first point
  // rather than an index made from garbage.
  if (!(x > 0)) x = 0;
  if (x > BIKE_TORQUE_POINTS - 1) x = BIKE_TORQUE_POINTS - 1;
  int lo = (int)x;
  int hi = lo + 1 < BIKE_TORQUE_POINTS ? lo + 1 : BIKE_TORQUE_POINTS - 1;
  float f = x - (float)lo;
  return table[lo] + (table[hi] - table[lo]) * f;
}
