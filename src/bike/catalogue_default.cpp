// The default model, "yz250f(2017)", given value by value. It is also the
// base of the "250f" class.
#include <cstring>

#include "bike/catalogue_internal.h"
#include "bike/catalogue_tables.h"

// 50 points, 500 rpm apart: 5 ft lbf up to 1500 rpm, a peak of 19.345 at
// 9000, a steep fall after 13000 and engine braking past 14000.
static const float kDefaultOpenTorque[BIKE_TORQUE_POINTS] = {
    5,      5,      5,      5,      6.849,  8.57,   10.164, 11.631, 12.969, 14.181,
    15.265, 16.221, 17.05,  17.751, 18.325, 18.771, 19.09,  19.281, 19.345, 19.277,
    19.075, 18.738, 18.265, 17.657, 16.915, 16.038, 15.025, 7.513,  0,      -1,
    -2,     -3,     -4,     -5,     -6,     -7,     -8,     -9,     -10,    -11,
    -12,    -13,    -14,    -15,    -16,    -17,    -18,    -19,    -20,    -21,
};

// Shoulders, hips, grips, foot pegs, limb lengths and outline of the rider;
// the first of each pair is the one at negative x.
const float kRiderPose[BIKE_POSE_VALUES] = {
    0, 0.808383f, -0.943369f,
    -0.556f, 0.580375f, -0.654514f, 0.556f, 0.580375f, -0.654514f,  // shoulders (rider body)
    -0.269f, -0.570887f, 0.670607f, 0.269f, -0.570887f, 0.670607f,  // hips (rider body)
    -1.097f, 1.145f, 0.753f, 1.097f, 1.145f, 0.753f,                // grips (upper fork)
    -0.6f, -0.557f, 0.584f, 0.6f, -0.557f, 0.584f,                  // foot pegs (frame)
    0.9f, 1.15f, 1.328f, 1.701f,                                    // upper arm, forearm, thigh, shin
    -1.456f, 0.875f, 0.01f, 1.456f, 0.875f, 0.01f,                  // outline
    -0.556f, 0.875f, 0.01f, 0.556f, 0.875f, 0.01f,
    -0.269f, -2.208f, 0.01f, 0.269f, -2.208f, 0.01f,
    -0.269f, -0.88f, 0.01f, 0.269f, -0.88f, 0.01f,
    0, -0.88f, 0.01f,
};

static void set3(float* v, float x, float y, float z) { v[0] = x, v[1] = y, v[2] = z; }

static void default_wheels(BikeModel* m) {
  m->front_wheel = WheelBlock{{0, 1.09f, 1.11f}, 10.0f / 12, 0.3333f, 0.40625f, 0.5f, 0.15625f};
  m->rear_wheel = WheelBlock{{0, 1.04f, 6.0f}, 0.75f, 0.3333f, 0.46875f, 0.5f, 0.3125f};
}

static void default_chassis(BikeModel* m) {
  set3(m->frame_position, 0, 1.98f, 3.6f);
  m->frame_mass = 4.24f;
  set3(m->frame_box, 10.0f / 12, 20.0f / 12, 20.0f / 12);
  set3(m->steering_head, 0, 2.9f, 2.16f);
  set3(m->swingarm_position, 0, 1.34f, 4.99f);
  set3(m->swingarm_pivot, 0, 1.6f, 4.08f);
  set3(m->fork_lower_position, 0, 1.77f, 1.59f);
  m->fork_tube_spacing = 10.0f / 12;
  m->fork_tube_length = 3.0f;
  m->fork_mass = 0.703125f;
}

static void default_suspension(BikeModel* m) {
  m->fork_spring_min = 335.98f, m->fork_spring_max = 873.56f;
  m->fork_preload_min = 0, m->fork_preload_max = 0.08333f;
  m->fork_air_gap_min = 5.0f / 12, m->fork_air_gap_max = 0.25f;
  const float fork_damping[4] = {60, 60, 30, 30};
  std::memcpy(m->fork_damping, fork_damping, sizeof fork_damping);
  m->fork_travel = 1.0f;
  m->swingarm_mass = 0.504375f;
  m->shock_spring_min = 2217.5f, m->shock_spring_max = 4905.37f;
  m->shock_preload_min = 0, m->shock_preload_max = 0.33333f;
  const float shock_damping[4] = {800, 200, 600, 150};
  std::memcpy(m->shock_damping, shock_damping, sizeof shock_damping);
  const float linkage[7] = {0.283652f, 0.413386f, 0.530304f, 0.75f, 0.315039f, 0.460479f, 0.607049f};
  std::memcpy(m->linkage, linkage, sizeof linkage);
}

static void default_drivetrain(BikeModel* m) {
  m->primary_ratio = 3.352941f;
  m->front_sprocket = 13, m->rear_sprocket = 50;
  const float gears[BIKE_GEARS] = {2.142857f, 1.75f, 1.444445f, 1.222222f, 1.041667f, -1};
  std::memcpy(m->gear_ratios, gears, sizeof gears);
  m->engine_inertia = 0.0048828125f;
  m->clutch_stiffness = 7500, m->clutch_damping = 0.75f;
  std::memcpy(m->open_torque, kDefaultOpenTorque, sizeof kDefaultOpenTorque);
  // 2, 2 and 1 ft lbf at the lowest points, then 1 ft lbf less every 1000 rpm.
  for (int i = 0; i < BIKE_TORQUE_POINTS; i++) m->closed_torque[i] = i < 3 ? (i < 2 ? 2.0f : 1.0f) : 0.5f * (3 - i);
  m->shift_down_rpm = 8000, m->shift_up_rpm = 12500;
}

static void default_rider(BikeModel* m) {
  set3(m->rider_lean_axis, 0, 0.08333f, 0.08333f);
  set3(m->rider_position, 0, 4.5f, 4.12f);
  m->rider_lean_min = -0.66667f, m->rider_lean_max = 0.5f;
  m->rider_mass = 4.6875f;
  std::memcpy(m->rider_pose, kRiderPose, sizeof kRiderPose);
}

void catalogue_default_model(BikeModel* m) {
  std::memset(m, 0, sizeof *m);
  std::strcpy(m->name, "yz250f(2017)");
  std::strcpy(m->class_name, "250f");
  default_wheels(m);
  default_chassis(m);
  default_suspension(m);
  default_drivetrain(m);
  default_rider(m);
  catalogue_set_files(m, "yz250fv2014");
}
