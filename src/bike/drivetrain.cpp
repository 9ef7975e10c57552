// Engine, clutch, gearbox, chain and brakes. The engine is a lone flywheel
// coupled to the rear wheel through a torsional spring and damper (clutch
// and drive line); the brakes are the axle hinges' motors.
#include <cmath>

#include "bike/bike_local.h"

static const double RPM_PER_RAD_S = 9.549296585513721;
static const double CLUTCH_SLIP_ANGLE = M_PI / 4;  // wind-up at which a fully engaged clutch slips
static const double SLIDE_SPEED2 = 4;             // antilock releases above 2 ft/s of tyre slide

static bool touches(const Bike* bike, int wheel) { return bike->contacts[wheel].depth > 0; }

static double slide_speed2(const Bike* bike, int wheel) {
  const float* v = bike->contacts[wheel].point_velocity;
  return (double)v[0] * v[0] + (double)v[1] * v[1] + (double)v[2] * v[2];
}

static double torque_at(const float table[BIKE_TORQUE_POINTS], int i) {
  return table[i < 0 ? 0 : (i > BIKE_TORQUE_POINTS - 1 ? BIKE_TORQUE_POINTS - 1 : i)];
}

// The front wheel is up, the rear down and the nose not already falling:
// no power, so the wheelie can't grow.
static bool wheelie_cut(const Bike* bike) {
  if (!(bike->flags & BIKE_FLAG_WHEELIE_CUT)) return false;
  if (touches(bike, WHEEL_FRONT) || !touches(bike, WHEEL_REAR)) return false;
  dBodyID frame = bike->bodies[BODY_FRAME];
  dVector3 w;
  const dReal* aw = dBodyGetAngularVel(frame);
  dBodyVectorFromWorld(frame, aw[0], aw[1], aw[2], w);
  return w[0] > -1.0 / 32;
}

float engine_torque(const Bike* bike) {
  double x = clampd(engine_rpm(bike) * 0.002, 0, BIKE_TORQUE_POINTS - 1);
  int i = (int)std::floor(x);
  double f = x - i;
  const BikeModel* m = bike->info;
  double closed = torque_at(m->closed_torque, i) + (torque_at(m->closed_torque, i + 1) - torque_at(m->closed_torque, i)) * f;
  double open = torque_at(m->open_torque, i) + (torque_at(m->open_torque, i + 1) - torque_at(m->open_torque, i)) * f;
  double torque = closed + (open - closed) * bike->throttle;
  if (torque > 0 && wheelie_cut(bike)) torque = 0;
  return (float)torque;
}

void set_gear(Bike* bike, int gear) { bike->gear = gear_clamp(bike->info, gear); }

void shift(Bike* bike, int s) {
  if (rider_down(bike) || s == bike->last_shift || s < -1 || s > 1) return;
  bike->last_shift = s;
  set_gear(bike, bike->gear + s);
}

static double total_ratio(const Bike* bike) {
  return (double)bike->info->gear_ratios[bike->gear] * bike->info->primary_ratio * bike->final_drive;
}

// Every 32 tics, with the rear suspension loaded and the rear tyre gripping
// (or in the air), the gear follows the speed the rear wheel turns at.
static void auto_shift(Bike* bike, double wheel_rate) {
  if (!(bike->flags & BIKE_FLAG_AUTO_SHIFT) || physics.tic % 32 != 0) return;
  if (dJointGetHingeAngle(bike->joints[JOINT_SWINGARM]) >= -0.01) return;
  if (touches(bike, WHEEL_REAR) && slide_speed2(bike, WHEEL_REAR) > SLIDE_SPEED2) return;
  double rpm = total_ratio(bike) * wheel_rate * RPM_PER_RAD_S;
  if (rpm < bike->info->shift_down_rpm) set_gear(bike, bike->gear - 1);
  else if (rpm > bike->info->shift_up_rpm) set_gear(bike, bike->gear + 1);
}

// The automatic clutch is open at the auto clutch rpm and below, closed
// 2000 rpm above it; the lever can only open it further.
double clutch_engagement(const Bike* bike) {
  double rpm = engine_rpm(bike), a = bike->auto_clutch_rpm;
  if (rpm > a + 2000) return bike->clutch;
  return std::fmin(clampd((rpm - a) / 2000, 0, 1), (double)bike->clutch);
}

static double wrap_angle(double a) {
  if (a > M_PI) a -= 2 * M_PI;
  else if (a <= -M_PI) a += 2 * M_PI;
  return a;
}

// Drive line torque at the rear wheel (positive drives forwards); moves the
// engine's angle when the clutch slips.
static double drive_line(Bike* bike, double ratio, double wheel_angle, double wheel_rate) {
  const BikeModel* m = bike->info;
  double e = clutch_engagement(bike);
  double w = wrap_angle(bike->engine_angle - wheel_angle);
  double c = clampd(m->clutch_damping * (bike->engine_speed - ratio * wheel_rate), -500, 500) +
             m->clutch_stiffness * w;
  if (c < 0) e = bike->clutch;  // engine braking keeps the automatic clutch shut
  c = clampd(c, -1e6, 1e6);
  double slip = e * CLUTCH_SLIP_ANGLE;
  if (w > slip) bike->engine_angle = (float)(wheel_angle + slip);
  else if (w < -slip) bike->engine_angle = (float)(wheel_angle - slip);
  return e * e * c;
}

static void engine_tic(Bike* bike) {
  dJointID axle = bike->joints[JOINT_REAR_AXLE];
  double wheel_angle = dJointGetHingeAngle(axle), wheel_rate = dJointGetHingeAngleRate(axle);
  auto_shift(bike, wheel_rate);
  double ratio = total_ratio(bike);
  double load = engine_torque(bike);
  double g = drive_line(bike, ratio, wheel_angle, wheel_rate);
  dBodyAddRelTorque(bike->bodies[BODY_REAR_WHEEL], -g, 0, 0);
  dBodyAddRelTorque(bike->bodies[BODY_FRAME], g, 0, 0);
  bike->engine_speed += (float)(TIC_SECONDS * (load - g / ratio) / bike->info->engine_inertia);
  double angle = bike->engine_angle + TIC_SECONDS * bike->engine_speed / ratio;
  if (std::isfinite(angle)) angle = std::remainder(angle, 2 * M_PI);
  else angle = 0;
  bike->engine_angle = (float)angle;
}

// A brake that would lock a sliding tyre lets go for this tic; with the
// rear wheel in the air the front brake can't flip the bike over the bars.
static void brakes_tic(Bike* bike) {
  double front = bike->front_brake_torque * bike->front_brake;
  bool front_touches = touches(bike, WHEEL_FRONT), rear_touches = touches(bike, WHEEL_REAR);
  if ((bike->flags & BIKE_FLAG_FRONT_ANTILOCK) && front_touches && slide_speed2(bike, WHEEL_FRONT) > SLIDE_SPEED2)
    front = 0;
  if ((bike->flags & BIKE_FLAG_WHEELIE_BRAKE) && front_touches && !rear_touches) front = 0;
  double rear = bike->rear_brake_torque * bike->rear_brake;
  if ((bike->flags & BIKE_FLAG_REAR_ANTILOCK) && rear_touches && slide_speed2(bike, WHEEL_REAR) > SLIDE_SPEED2) rear = 0;
  dJointSetHingeParam(bike->joints[JOINT_FRONT_AXLE], dParamVel, 0);
  dJointSetHingeParam(bike->joints[JOINT_FRONT_AXLE], dParamFMax, front);
  dJointSetHingeParam(bike->joints[JOINT_REAR_AXLE], dParamVel, 0);
  dJointSetHingeParam(bike->joints[JOINT_REAR_AXLE], dParamFMax, rear);
}

void drivetrain_tic(Bike* bike) {
  if (rider_down(bike)) bike->throttle = 0;
  engine_tic(bike);
  brakes_tic(bike);
}
