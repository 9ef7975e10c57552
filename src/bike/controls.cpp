// Control values, written the same way by players and robots. A rider on
// the ground can't open the throttle, sit, back up or lean.
#include "bike/bike_local.h"
#include "core/game.h"

static void store(Bike* bike, float* field, float v, float lo, float hi, bool zero_when_down) {
  if (!(v == v)) v = 0;  // not a number: no input
  *field = zero_when_down && rider_down(bike) ? 0 : clampf(v, lo, hi);
  bike->control_set = 1;
}

void set_throttle(Bike* bike, float v) { store(bike, &bike->throttle, v, 0, 1, true); }
void set_clutch(Bike* bike, float v) { store(bike, &bike->clutch, v, 0, 1, false); }
void set_front_brake(Bike* bike, float v) { store(bike, &bike->front_brake, v, 0, 1, false); }
void set_rear_brake(Bike* bike, float v) { store(bike, &bike->rear_brake, v, 0, 1, false); }
void set_steering(Bike* bike, float v) { store(bike, &bike->steering, v, -1, 1, false); }
void set_sit_dab(Bike* bike, float v) { store(bike, &bike->sit_dab, v, 0, 1, true); }
void set_back_up(Bike* bike, float v) { store(bike, &bike->back_up, v, 0, 1, true); }
void set_lean(Bike* bike, float v) { store(bike, &bike->lean, v, -1, 1, true); }

// The watched bike takes the main loop's riding controls as they are; the
// loop has already applied reversed steering, the sit/dab latch and the
// clutch's letting-out rate.
void bike_apply_riding_input(int slot, const RidingInput& in) {
  if (slot < 0 || slot >= BIKE_SLOTS || !bikes[slot].in_use) return;
  Bike* bike = &bikes[slot];
  set_steering(bike, (float)in.steer);
  set_throttle(bike, (float)in.throttle);
  set_front_brake(bike, (float)in.front_brake);
  set_rear_brake(bike, (float)in.rear_brake);
  set_sit_dab(bike, (float)in.sit_dab);
  set_back_up(bike, (float)in.back_up);
  set_lean(bike, (float)in.lean);
  set_clutch(bike, (float)in.clutch);
  shift(bike, in.gear);
}

double bike_clutch_value(int slot) {
  if (slot < 0 || slot >= BIKE_SLOTS || !bikes[slot].in_use) return 1;
  return bikes[slot].clutch;
}
