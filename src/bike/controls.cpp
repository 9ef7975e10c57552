// Control values, written the same way by players and robots. A rider on
// the ground can't open the throttle, sit, back up or lean.
#include "bike/bike_local.h"

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
