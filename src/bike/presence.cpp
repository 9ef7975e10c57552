// Presence of bikes driven from outside: solid near the player, fading to a
// ghost that nothing touches one second after contact ends.
#include "bike/bike_local.h"

static const float SOLID_ABOVE = 0.25f;

bool bike_solid(const Bike* bike) { return bike && bike->in_use && bike->presence > SOLID_ABOVE; }

// Forces gathered while the bike was a ghost must not all land at once when
// it turns solid; the solver only moves bodies that are enabled.
static void presence_change(Bike* bike, float presence) {
  if (!bike || !bike->in_use) return;
  if (bike->presence <= SOLID_ABOVE) {
    for (int i = 0; i < BIKE_BODIES; i++) {
      dBodySetForce(bike->bodies[i], 0, 0, 0);
      dBodySetTorque(bike->bodies[i], 0, 0, 0);
    }
  }
  bike->presence = clampf(presence, 0, 1);
  for (int i = 0; i < BIKE_BODIES; i++) {
    if (bike->presence > SOLID_ABOVE)
      dBodyEnable(bike->bodies[i]);
    else
      dBodyDisable(bike->bodies[i]);
  }
}

void bike_set_present(Bike* bike) { presence_change(bike, 1); }
void bike_set_absent(Bike* bike) { presence_change(bike, 0); }

void bike_touch(Bike* bike) {
  if (!bike) return;
  float p = bike->presence;
  presence_change(bike, p <= 0 ? SOLID_ABOVE : (p <= SOLID_ABOVE ? 1 : p));
}

void bike_fade(Bike* bike) {
  if (!bike) return;
  float p = bike->presence;
  presence_change(bike, p > 0 ? p - (float)TIC_SECONDS : p);
}
