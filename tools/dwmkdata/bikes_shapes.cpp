// The seven stock collision shapes: spheres that fill out each body of the
// default bike and its rider, in the body's own frame. Bikes of other
// models share them (their bodies differ by fractions of an inch).
#include <cmath>

#include "bikes_parts.h"

namespace {

// Contact constants: metal and plastic slide, tyres and the rider grip.
Sphere hard(V3 c, double r) { return Sphere{c, r, 0.5, 5000, 250}; }
Sphere tyre(V3 c, double r) { return Sphere{c, r, 1.0, 10000, 250}; }
Sphere body(V3 c, double r) { return Sphere{c, r, 0.8, 2500, 250}; }

std::vector<Sphere> mirrored(std::vector<Sphere> right) {
  size_t n = right.size();
  for (size_t i = 0; i < n; i++) {
    Sphere s = right[i];
    s.c = mirror_x(s.c);
    right.push_back(s);
  }
  return right;
}

std::vector<Sphere> append(std::vector<Sphere> a, const std::vector<Sphere>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Sphere> wheel_ring(const WheelBlock& w) {
  std::vector<Sphere> s;
  for (int i = 0; i < 12; i++) {
    double a = 2 * M_PI * i / 12;
    s.push_back(tyre(v3(0, w.tire_ring_radius * std::cos(a), w.tire_ring_radius * std::sin(a)), w.tire_section_radius));
  }
  s.push_back(hard(v3(0, 0, 0), 0.2));
  return s;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> stock_shapes(const BikeModel& b) {
  BikeLayout l = bike_layout(b);
  V3 f = l.frame;
  const float* pose = b.rider_pose;
  V3 peg = v3(pose[24], pose[25], pose[26]);
  V3 grip = v3(pose[18], pose[19], pose[20]);
  std::vector<Sphere> frame = append(
      {hard(v3(0, 1.45, 3.35) - f, 0.42),      // engine
       hard(v3(0, 1.1, 3.5) - f, 0.22),        // frame rails under it
       hard(v3(0, 2.95, 2.95) - f, 0.38),      // tank
       hard(v3(0, 3.12, 4.3) - f, 0.3),        // seat
       hard(v3(0, 3.2, 5.3) - f, 0.27),        // seat end
       hard(v3(0, 3.2, 6.3) - f, 0.2)},        // rear fender
      mirrored({hard(v3(0.36, 2.7, 2.75) - f, 0.3),     // shrouds
                hard(peg, 0.1),                          // foot pegs
                hard(v3(0.34, 2.7, 5.0) - f, 0.18)}));   // silencer, airbox cover
  std::vector<Sphere> fork_upper = append(
      {hard(l.axis * 0.3 + l.leg_offset * 0.5, 0.25), hard(v3(0, grip.y - 0.4, grip.z - 0.3), 0.16)},
      mirrored({hard(grip + v3(0.1, 0, 0), 0.12), hard(v3(0.6, grip.y - 0.2, grip.z - 0.15), 0.1)}));
  V3 fender_top = l.front + v3(0, b.front_wheel.tire_ring_radius + b.front_wheel.tire_section_radius + 0.12, 0);
  std::vector<Sphere> fork_lower = append(
      {hard(fender_top - l.lower, 0.22)},
      mirrored({hard(l.front + v3(l.half_spacing, 0, 0) - l.lower, 0.12),
                hard(l.front + l.axis * 0.6 + v3(l.half_spacing, 0, 0) - l.lower, 0.1)}));
  V3 along = l.rear - l.pivot;
  std::vector<Sphere> swingarm = append(
      {hard(l.pivot - l.swing, 0.15)},
      mirrored({hard(l.pivot + along * 0.5 + v3(0.35, 0, 0) - l.swing, 0.12),
                hard(l.rear + v3(0.44, 0, 0) - l.swing, 0.1)}));
  std::vector<Sphere> rider = append(
      {body(v3(0, pose[10], pose[11]), 0.38),                            // pelvis
       body(lerp(v3(0, pose[10], pose[11]), v3(0, pose[1], pose[2]), 0.65), 0.45),  // chest
       body(v3(pose[0], pose[1], pose[2]) + v3(0, 0.36, -0.05), 0.45)},  // helmet
      mirrored({body(v3(pose[6] * 0.8, pose[7] - 0.5, pose[8] - 0.3), 0.16),    // elbows
                body(v3(pose[12] + 0.35, pose[13] - 0.9, pose[14] - 0.9), 0.22)}));  // knees
  return {{"generic_frame.shp", shp_text(frame)},
          {"generic_fork_upper.shp", shp_text(fork_upper)},
          {"generic_fork_lower.shp", shp_text(fork_lower)},
          {"generic_swingarm.shp", shp_text(swingarm)},
          {"front_wheel.shp", shp_text(wheel_ring(b.front_wheel))},
          {"rear_wheel.shp", shp_text(wheel_ring(b.rear_wheel))},
          {"generic_rider.shp", shp_text(rider)}};
}
