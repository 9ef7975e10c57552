// Setup adjustments: the menu's settings become the bike's constants, each
// through a setter that clamps it. A moving bike is not touched: the
// mechanic can only work on a bike that stands still.
#include <cmath>
#include <cstddef>

#include "bike/bike_local.h"
#include "core/core.h"
#include "files/settings.h"
#include "platform/platform.h"

bool bike_arcade_forbidden;

static const double DEG = M_PI / 180;
static const double MPH = 1.4666666666666666;  // ft/s per mph

struct ValueRange {
  size_t offset;  // of the float field in Bike
  double lo, hi;
};

#define FIELD(f) offsetof(Bike, f)
static const ValueRange kValues[BV_COUNT] = {
    {FIELD(leveling), 0, 100},
    {FIELD(roll_damping), 0, 100},
    {FIELD(roll_limit_angle), 0, M_PI},
    {FIELD(roll_limit_factor), 0, 64},
    {FIELD(steering_damping), 0, 100},
    {FIELD(steering_strength), 0, 100},
    {FIELD(max_steering_force), 0, 1000},
    {FIELD(direct_steering), 0, 1},
    {FIELD(slow_damping_speed), 0, 100},
    {FIELD(slow_damping_factor), 1, 10},
    {FIELD(landing_damping_falloff), 0, 0.5},
    {FIELD(landing_damping_factor), 1, 3},
    {FIELD(full_lock_speed), 1, 100},
    {FIELD(restricted_lock_speed), 1, 100},
    {FIELD(restricted_lock_angle), 0, M_PI / 4},
    {FIELD(auto_clutch_rpm), 0, 5000},
    {FIELD(front_brake_torque), 0, 500},
    {FIELD(rear_brake_torque), 0, 500},
    {FIELD(max_dab_speed), 7, 100},
    {FIELD(rider_vertical_spring), 0, 1},
    {FIELD(rider_vertical_damping), 0, 1},
    {FIELD(rider_forward_spring), 0, 1},
    {FIELD(rider_forward_damping), 0, 1},
};
#undef FIELD

static float* value_field(Bike* bike, int which) { return (float*)((char*)bike + kValues[which].offset); }

void bike_value_set(Bike* bike, int which, double value) {
  if (!bike || which < 0 || which >= BV_COUNT || std::isnan(value)) return;
  *value_field(bike, which) = (float)clampd(value, kValues[which].lo, kValues[which].hi);
}

double bike_value(const Bike* bike, int which) {
  if (!bike || which < 0 || which >= BV_COUNT) return 0;
  return *value_field(const_cast<Bike*>(bike), which);
}

void bike_flag_set(Bike* bike, int flag, bool on) {
  if (on) bike->flags |= (uint8_t)flag;
  else bike->flags &= (uint8_t)~flag;
}

void bike_stop_wheelies_set(Bike* bike, int code) {
  bike->flags = (uint8_t)((bike->flags & ~6) | ((code & 3) << 1));
}

static int sprocket_teeth(float catalogue, double adjustment) {
  if (std::isnan(adjustment)) adjustment = 0;
  int t = (int)std::floor(catalogue + clampd(adjustment, -2, 2));
  return t < 3 ? 3 : t;
}

void bike_sprockets_set(Bike* bike, double countershaft, double rear) {
  const BikeModel* m = bike->info;
  bike->final_drive = (float)sprocket_teeth(m->rear_sprocket, rear) / (float)sprocket_teeth(m->front_sprocket, countershaft);
}

void bike_mass_distribution_set(Bike* bike, double share) {
  bike->rider_mass_distribution = (float)clampd(std::isnan(share) ? 0.33 : share, 0.33, 0.5);
  bike_masses_set(bike);
}

// 50 is the catalogue's high-speed coefficient and no low-speed offset; 0 a
// quarter and minus the full offset; 100 four times and plus it.
static float high_speed(double s, float base) { return (float)(clampd(std::exp2(0.04 * s - 2), 0.25, 4) * base); }
static float low_speed(double s, float base) { return (float)(clampd(0.02 * s - 1, -1, 1) * base); }
static float range(float lo, float hi, double s) { return (float)(lo + (hi - lo) * clampd(0.01 * s, 0, 1)); }

// The four damping settings (high- and low-speed compression, high- and
// low-speed rebound) scaling the catalogue's four coefficients.
static SuspensionDamping damping_from(const RealSetting& hsc, const RealSetting& lsc, const RealSetting& hsr,
                                      const RealSetting& lsr, const float base[4]) {
  return {high_speed(hsc.value, base[0]), low_speed(lsc.value, base[1]), high_speed(hsr.value, base[2]),
          low_speed(lsr.value, base[3])};
}

static void apply_suspension(Bike* bike, const SetupSettings& u) {
  const BikeModel* m = bike->info;
  bike->fork_damping = damping_from(u.fork_compression, u.fork_slow_compression, u.fork_rebound,
                                    u.fork_slow_rebound, m->fork_damping);
  bike->fork_spring = range(m->fork_spring_min, m->fork_spring_max, u.fork_spring_rate.value);
  bike->fork_preload = range(m->fork_preload_min, m->fork_preload_max, u.fork_preload.value);
  bike->fork_air_gap = range(m->fork_air_gap_min, m->fork_air_gap_max, u.fork_oil_level.value);
  bike->shock_damping = damping_from(u.shock_compression, u.shock_slow_compression, u.shock_rebound,
                                     u.shock_slow_rebound, m->shock_damping);
  bike->shock_spring = range(m->shock_spring_min, m->shock_spring_max, u.shock_spring_rate.value);
  bike->shock_preload = range(m->shock_preload_min, m->shock_preload_max, u.shock_preload.value);
}

static void apply_aids(Bike* bike, const SetupSettings& u) {
  bike_value_set(bike, BV_LEVELING, u.leveling.value);
  bike_value_set(bike, BV_ROLL_DAMPING, u.roll_damping.value);
  bike_value_set(bike, BV_ROLL_LIMIT_ANGLE, u.roll_limit_angle.value * DEG);
  bike_value_set(bike, BV_ROLL_LIMIT_FACTOR, u.roll_limit_factor.value);
  bike_value_set(bike, BV_STEERING_DAMPING, u.steering_damping.value);
  bike_value_set(bike, BV_STEERING_STRENGTH, u.steering_strength.value);
  bike_value_set(bike, BV_MAX_STEERING_FORCE, u.max_steering_force.value);
  bike_value_set(bike, BV_DIRECT_STEERING, u.direct_steering.value);
  bike_value_set(bike, BV_SLOW_DAMPING_SPEED, u.slow_damping_speed.value);
  bike_value_set(bike, BV_SLOW_DAMPING_FACTOR, u.slow_damping_factor.value);
  bike_value_set(bike, BV_LANDING_DAMPING_FALLOFF, u.land_damping_falloff.value);
  bike_value_set(bike, BV_LANDING_DAMPING_FACTOR, u.land_damping_factor.value);
  bike_value_set(bike, BV_FULL_LOCK_SPEED, u.full_lock_speed.value);
  bike_value_set(bike, BV_RESTRICTED_LOCK_SPEED, u.restricted_lock_speed.value);
  bike_value_set(bike, BV_RESTRICTED_LOCK_ANGLE, u.restricted_lock.value * DEG);
  bike_value_set(bike, BV_AUTO_CLUTCH_RPM, u.auto_clutch_rpms.value);
  bike_value_set(bike, BV_FRONT_BRAKE_TORQUE, u.brake_torque.value);
  bike_value_set(bike, BV_REAR_BRAKE_TORQUE, u.rear_brake_torque.value);
  bike_value_set(bike, BV_MAX_DAB_SPEED, u.max_dab_speed.value * MPH);
  bike->arcade = bike_arcade_forbidden ? 0 : u.arcade.index;
  bike_flag_set(bike, BIKE_FLAG_FRONT_ANTILOCK, u.front_brake.index == 1);
  bike_flag_set(bike, BIKE_FLAG_REAR_ANTILOCK, u.rear_brake.index == 1);
  static const int kStopWheeliesCode[3] = {0, 3, 2};
  bike_stop_wheelies_set(bike, kStopWheeliesCode[u.stop_wheelies.index % 3]);
  bike_flag_set(bike, BIKE_FLAG_AUTO_SHIFT, u.auto_shift.index == 1);
  bike_flag_set(bike, BIKE_FLAG_DAB_WHEN_STOPPED, u.auto_dab.index == 1);
  bike_flag_set(bike, BIKE_FLAG_REALIGN, u.auto_align.index == 1);
}

static void apply_rider(Bike* bike, const SetupSettings& u) {
  bike_value_set(bike, BV_RIDER_VERTICAL_SPRING, 0.01 * u.rider_yspring.value);
  bike_value_set(bike, BV_RIDER_VERTICAL_DAMPING, 0.01 * u.rider_ydamping.value);
  bike_value_set(bike, BV_RIDER_FORWARD_SPRING, 0.01 * u.rider_zspring.value);
  bike_value_set(bike, BV_RIDER_FORWARD_DAMPING, 0.01 * u.rider_zdamping.value);
  bike_mass_distribution_set(bike, u.rider_mass_distribution.value);
}

static double g_last_refusal = -20;  // program clock (s)

bool apply_bike_setup(Bike* bike) {
  if (!bike || !bike->in_use) return false;
  if (bike_speed(bike) > 0.125f) {
    double now = clock_seconds();
    if (now - g_last_refusal < 10) console_message("Settings not applied.  Mechanic can't keep up error.");
    g_last_refusal = now;
    return false;
  }
  const SetupSettings& u = settings.setup;
  apply_aids(bike, u);
  bike_sprockets_set(bike, u.front_sprocket_adjustment.value, u.rear_sprocket_adjustment.value);
  apply_suspension(bike, u);
  apply_rider(bike, u);
  return true;
}
