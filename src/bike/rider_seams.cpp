// Steps of a bike's tic that belong to the rider model and the engine: the
// riding aids and crash detection, the steering controller, the engine,
// clutch, gearbox and brakes, lean and dab, and restoring the inputs the aids
// overrode. Until those are built the bike rides with neither engine nor
// rider control: the steering is free, the wheels roll freely and the rider
// is only a sprung mass.
#include "bike/bike_local.h"

void rider_aids_tic(Bike*) {}
void steering_tic(Bike*) {}
void drivetrain_tic(Bike*) {}
void rider_lean_dab_tic(Bike*) {}
void rider_restore_tic(Bike*) {}
// The feet's start positions and velocities when the rider comes off.
void rider_feet_release(Bike*) {}
