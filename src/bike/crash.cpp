// The rider coming off and getting back on: the mount is released, the
// rider lies where he fell, and after the crash time he is put back on the
// bike as it stands.
#include "bike/bike_local.h"

bool rider_down(const Bike* bike) { return bike->crash_timer > 0; }

void rider_crash(Bike* bike) {
  if (!bike || !bike->in_use || rider_down(bike) || bike->collision_timer < 0) return;
  dJointAttach(bike->joints[JOINT_RIDER_MOUNT], nullptr, nullptr);
  int index = bike->crash_count < 0 ? 0 : (bike->crash_count > CRASH_DELAY_ENTRIES - 1 ? CRASH_DELAY_ENTRIES - 1
                                                                                          : bike->crash_count);
  bike->crash_timer = CRASH_TICS + physics.crash_delay[index];
  bike->crash_count++;
  bike->throttle = bike->sit_dab = bike->back_up = bike->lean = 0;
  rider_feet_release(bike);
}

void crash_tic(Bike* bike) {
  if (!rider_down(bike)) return;
  if (--bike->crash_timer > 0) return;
  rider_mount_attach(bike);
}
