// What the wheels do to the ground and throw up from it. The rut digger and
// the particle system are not built yet; these are where they join.

#include "bike/bike_local.h"

// Hands the front contact record, then the rear one, to the rut digger.
void wheel_ruts(Bike*) {}

// Roost particles from each touching wheel, by the surface's roost types.
void bike_roost(Bike*) {}
