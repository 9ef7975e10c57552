// The setup a new bike starts with, before any menu values are applied.
#include <cmath>

#include "bike/bike_local.h"

static float mix(float a, float b, float t) { return a + (b - a) * t; }

static int teeth(float catalogue_teeth) {
  int t = (int)std::floor(catalogue_teeth);
  return t < 3 ? 3 : t;
}

static void default_suspension(Bike* bike) {
  const BikeModel* m = bike->info;
  bike->fork_damping = {m->fork_damping[0], 0, m->fork_damping[2], 0};
  bike->fork_spring = mix(m->fork_spring_min, m->fork_spring_max, 0.5f);
  bike->fork_preload = mix(m->fork_preload_min, m->fork_preload_max, 0.5f);
  bike->fork_air_gap = m->fork_air_gap_min;
  bike->shock_damping = {2 * m->shock_damping[0], 0, 2 * m->shock_damping[2], m->shock_damping[3]};
  bike->shock_spring = mix(m->shock_spring_min, m->shock_spring_max, 0.5f);
  bike->shock_preload = mix(m->shock_preload_min, m->shock_preload_max, 0.5f);
}

static void default_aids(Bike* bike) {
  bike->leveling = 20;
  bike->roll_damping = 60;
  bike->roll_limit_angle = (float)(M_PI / 4);
  bike->roll_limit_factor = 10;
  bike->steering_damping = 45;
  bike->steering_strength = 75;
  bike->max_steering_force = 400;
  bike->auto_clutch_rpm = 5000;
  bike->front_brake_torque = 250;
  bike->rear_brake_torque = 250;
  bike->max_dab_speed = 30;
  bike->direct_steering = 1;
  bike->slow_damping_speed = 0;
  bike->slow_damping_factor = 1;
  bike->landing_damping_falloff = 0.25f;
  bike->landing_damping_factor = 2;
  bike->arcade = 0;
  bike->full_lock_speed = 10;
  bike->restricted_lock_speed = 50;
  bike->restricted_lock_angle = 0.0872665f;  // 5 degrees
}

void set_default_setup(Bike* bike) {
  const BikeModel* m = bike->info;
  bike->final_drive = (float)teeth(m->rear_sprocket) / (float)teeth(m->front_sprocket);
  default_suspension(bike);
  bike->rider_vertical_spring = bike->rider_forward_spring = 0.5f;
  bike->rider_vertical_damping = bike->rider_forward_damping = 0.75f;
  default_aids(bike);
  // "Stop Wheelies" front-only (code 2 in bits 1-2), front antilock and
  // realign after a fall on; rear antilock, automatic shifting and dabbing
  // when stopped off.
  bike->flags = BIKE_FLAG_ALWAYS | (2 << 1) | BIKE_FLAG_FRONT_ANTILOCK | BIKE_FLAG_REALIGN;
}
