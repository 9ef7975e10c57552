// Frame, forks, swingarm and number plates of a bike: a twin-spar frame
// with tank, shrouds, seat and fenders around a single-cylinder engine, the
// exhaust of a two- or four-stroke, forks on the catalogue's steering axis
// and a swingarm from the pivot to the rear axle.
#include <cmath>
#include <cstdlib>
#include <functional>

#include "bikes_atlas.h"
#include "bikes_parts.h"

namespace {

namespace A = bike_atlas;

// The default model's anchors, around which the shapes below were drawn.
const V3 kHead = {0, 2.9, 2.16};
const V3 kFrame = {0, 1.98, 3.6};
const V3 kPivot = {0, 1.6, 4.08};
const V3 kRear = {0, 1.04, 6.0};

V3 from(const float* v) { return v3(v[0], v[1], v[2]); }

// Materials: specular exponent and colour.
void plastic(Mesh* m) { m->begin_part(24, 0.45, 0.45, 0.45); }
void paint(Mesh* m) { m->begin_part(40, 0.6, 0.6, 0.6); }
void metal(Mesh* m) { m->begin_part(64, 0.8, 0.8, 0.8); }
void rubber(Mesh* m) { m->begin_part(4, 0.08, 0.08, 0.08); }

// Points of the default bike moved with the anchor they belong to, then
// into the frame body's coordinates.
struct Place {
  const BikeLayout& l;
  V3 origin;  // the body's rest position
  V3 head(double x, double y, double z) const { return v3(x, y, z) + l.shift_head - origin; }
  V3 mid(double x, double y, double z) const { return v3(x, y, z) + l.shift_frame - origin; }
  V3 back(double x, double y, double z) const { return v3(x, y, z) + l.shift_pivot - origin; }
  V3 tail(double x, double y, double z) const { return v3(x, y, z) + (l.shift_pivot + l.shift_rear) * 0.5 - origin; }
};

// A pair of mirrored tubes.
void tube_pair(Mesh* m, const std::vector<V3>& right, const std::vector<double>& radii, int sides, UvRect rect) {
  add_tube(m, right, radii, sides, rect, true);
  std::vector<V3> left;
  for (V3 p : right) left.push_back(mirror_x(p));
  add_tube(m, left, radii, sides, rect, true);
}

// A flat panel on each side, its outline given for the right side as (y, z)
// points of the default bike, placed by place(); tilt leans the panel's top
// inwards.
void panel_pair(Mesh* m, double x, const std::vector<std::pair<double, double>>& yz,
                const std::function<V3(double, double, double)>& place, double tilt, UvRect right, UvRect left,
                UvRect edge = A::kFender) {
  for (int side = 0; side < 2; side++) {
    double sx = side == 0 ? 1 : -1;
    std::vector<V3> outline;
    for (auto [y, z] : yz) outline.push_back(place(sx * (x - tilt * (y - yz[0].first)), y, z));
    V3 normal = normalise(v3(sx, tilt, 0));
    // Counter-clockwise seen from outside: the mirror image runs the other way.
    if (side == 1) outline = std::vector<V3>(outline.rbegin(), outline.rend());
    add_plate(m, outline, normal, 0.02, side == 0 ? right : left, edge);
  }
}

void frame_spars(Mesh* m, const Place& at) {
  paint(m);
  // twin spars from the head tube round the tank to the pivot plates
  tube_pair(m, {at.head(0.08, 3.02, 2.28), at.mid(0.3, 2.78, 2.9), at.mid(0.32, 2.6, 3.65), at.back(0.3, 2.3, 3.95),
                at.back(0.28, 1.75, 4.05), at.back(0.26, 1.35, 4.0)},
            {0.08, 0.09, 0.09, 0.08, 0.08, 0.07}, 6, A::kFrame);
  // down tube splitting into the cradle under the engine
  add_tube(m, {at.head(0, 2.62, 2.07), at.mid(0, 2.1, 2.55), at.mid(0, 1.6, 2.8)}, {0.07, 0.07, 0.07}, 6, A::kFrame,
           true);
  tube_pair(m, {at.mid(0, 1.6, 2.8), at.mid(0.16, 1.15, 2.95), at.mid(0.16, 1.05, 3.5), at.back(0.22, 1.2, 4.0)},
            {0.055, 0.055, 0.055, 0.055}, 6, A::kFrame);
  // head tube along the steering axis
  add_tube(m, {at.head(0, 2.55, 1.98), at.head(0, 3.12, 2.27)}, {0.1, 0.1}, 8, A::kFrame, true);
  // subframe rails and struts
  tube_pair(m, {at.back(0.24, 2.6, 3.9), at.tail(0.2, 3.0, 5.0), at.tail(0.17, 3.08, 5.75)}, {0.04, 0.04, 0.035}, 5,
            A::kAlloy);
  tube_pair(m, {at.back(0.26, 1.95, 4.15), at.tail(0.19, 2.98, 5.35)}, {0.035, 0.035}, 5, A::kAlloy);
  // foot pegs at the rider's pose points
  metal(m);
  for (double sx : {-1.0, 1.0}) add_box(m, at.mid(sx * 0.46, 1.423, 4.184), v3(0.14, 0.03, 0.07), A::kAlloy);
}

void engine(Mesh* m, const Place& at, const BikeStyle& s) {
  metal(m);
  add_box(m, at.mid(0, 1.45, 3.35), v3(0.2, 0.3, 0.45), A::kEngine);  // crankcase
  // clutch (right) and ignition (left) covers
  add_lathe(m, at.mid(0.2, 1.45, 3.45), {{0, 0}, {0, 0.26}, {0.06, 0.24}, {0.07, 0}}, 12, A::kEngine);
  add_lathe(m, at.mid(-0.27, 1.5, 3.2), {{0, 0}, {0, 0.18}, {0.07, 0.2}, {0.07, 0}}, 12, A::kEngine);
  // cylinder and head, leaning forward
  V3 up = normalise(v3(0, 1, -0.25));
  V3 az = cross(v3(1, 0, 0), up);
  double height = s.two_stroke ? 0.3 : 0.38;
  add_box(m, at.mid(0, 1.9 + height * 0.5, 3.05), v3(1, 0, 0), up, az, v3(0.17, height * 0.5, 0.2), A::kEngine);
  add_box(m, at.mid(0, 2.05 + height, 2.99), v3(1, 0, 0), up, az, v3(0.2, 0.08, 0.22), A::kEngine);
  if (!s.two_stroke)  // cam cover and throttle body behind it
    add_tube(m, {at.mid(0, 2.2, 3.25), at.mid(0, 2.35, 3.7)}, {0.08, 0.09}, 8, A::kEngine, true);
  // radiators on both sides of the down tube
  for (double sx : {-1.0, 1.0})
    add_box(m, at.head(sx * 0.27, 2.28, 2.72), v3(1, 0, 0), normalise(v3(0, 1, 0.35)),
            normalise(cross(v3(1, 0, 0), v3(0, 1, 0.35))), v3(0.07, 0.33, 0.2), A::kRadiator);
}

void exhaust(Mesh* m, const Place& at, const BikeStyle& s) {
  metal(m);
  if (s.two_stroke) {  // expansion chamber: fat belly under the right radiator
    add_tube(m, {at.mid(0, 2.1, 2.82), at.head(0.05, 1.95, 2.45), at.mid(0.22, 1.65, 2.62), at.mid(0.34, 1.72, 3.1),
                 at.back(0.36, 1.95, 3.7), at.back(0.35, 2.3, 4.25)},
             {0.08, 0.13, 0.2, 0.2, 0.12, 0.07}, 10, A::kExhaust, false);
    add_tube(m, {at.back(0.34, 2.35, 4.25), at.tail(0.32, 2.82, 5.5)}, {0.12, 0.11}, 10, A::kSilencer, true);
  } else {  // header round the front, low pipe back to the silencer
    add_tube(m, {at.mid(0.06, 2.35, 2.88), at.head(0.12, 2.25, 2.55), at.mid(0.3, 1.9, 2.65), at.mid(0.36, 1.75, 3.1),
                 at.back(0.38, 1.85, 3.9), at.back(0.36, 2.4, 4.5)},
             {0.07, 0.07, 0.07, 0.07, 0.07, 0.07}, 8, A::kExhaust, false);
    add_tube(m, {at.back(0.35, 2.42, 4.45), at.tail(0.33, 2.9, 5.65)}, {0.15, 0.14}, 12, A::kSilencer, true);
  }
}

// Tank, shrouds, seat, airbox covers and rear fender.
void bodywork(Mesh* m, const Place& at, const BikeStyle& s) {
  plastic(m);
  double square = 3 + 0.5 * (s.generation >= 2013);  // newer plastics are boxier
  std::vector<Section> tank;
  for (int i = 0; i <= 4; i++) {
    double t = i / 4.0;
    double z = 2.42 + 1.05 * t;
    double half_w = 0.2 + 0.12 * std::sin(M_PI * (0.2 + 0.7 * t));
    double top = 3.12 + 0.1 * std::sin(M_PI * t) - 0.06 * t;
    tank.push_back(Section{at.mid(0, top - 0.22, z), v3(half_w, 0, 0), v3(0, 0.22, 0), square});
  }
  add_loft(m, tank, 14, A::kTank, true, true);

  // the shrouds flare more on the later models and differ by maker
  double flare = 0.05 * (s.maker % 3) + 0.03 * (s.generation >= 2013);
  auto front = [&](double x, double y, double z) { return at.head(x, y, z); };
  panel_pair(m, 0.36 + flare,
             {{2.25, 2.48}, {2.95, 2.3}, {3.22, 2.72 - flare}, {3.14, 3.25}, {2.62, 3.28}, {2.05, 2.95}}, front,
             0.25, A::kShroudRight, A::kShroudLeft);

  std::vector<Section> seat;
  double raised = 0.06 * (s.maker == MAKER_KTM || s.maker == MAKER_HUSQVARNA);
  for (int i = 0; i <= 5; i++) {
    double t = i / 5.0;
    double z = 3.3 + 2.35 * t;
    double y = 3.02 + 0.1 * t + raised;  // the bottom of the seat foam
    V3 c = t < 0.3 ? at.mid(0, y, z) : at.tail(0, y, z);
    seat.push_back(Section{c, v3(0.23 - 0.09 * t, 0, 0), v3(0, 0.1, 0), 4});
  }
  add_loft(m, seat, 12, A::kSeat, true, true);

  // airbox covers under the seat (the side number plates sit on them)
  auto rear = [&](double x, double y, double z) { return at.tail(x, y, z); };
  panel_pair(m, 0.3, {{2.45, 4.35}, {2.35, 5.2}, {2.9, 5.55}, {3.08, 5.2}, {3.05, 4.3}}, rear, 0.15, A::kSidePanel,
             A::kSidePanel);

  std::vector<Section> fender;
  for (int i = 0; i <= 6; i++) {
    double t = i / 6.0;
    double z = 5.2 + 1.75 * t;
    double y = 3.08 + 0.16 * t * t;
    fender.push_back(Section{at.tail(0, y, z), v3(0.3 - 0.14 * t, 0, 0), v3(0, 0.025, 0), 6});
  }
  add_loft(m, fender, 10, A::kFender, true, true);
}

}  // namespace

BikeLayout bike_layout(const BikeModel& b) {
  BikeLayout l;
  l.frame = from(b.frame_position), l.head = from(b.steering_head), l.lower = from(b.fork_lower_position);
  l.pivot = from(b.swingarm_pivot), l.swing = from(b.swingarm_position), l.rider = from(b.rider_position);
  l.front = from(b.front_wheel.center), l.rear = from(b.rear_wheel.center);
  l.axis = normalise(l.head - l.lower);
  V3 to_axle = l.front - l.lower;
  l.leg_offset = to_axle - l.axis * dot(to_axle, l.axis);
  l.half_spacing = b.fork_tube_spacing * 0.5;
  l.shift_head = l.head - kHead, l.shift_frame = l.frame - kFrame, l.shift_pivot = l.pivot - kPivot;
  l.shift_rear = l.rear - kRear;
  return l;
}

BikeStyle bike_style(const BikeModel& b, const std::string& prefix) {
  BikeStyle s;
  std::string cls = b.class_name;
  s.two_stroke = cls == "125" || cls == "250" || cls == "50";
  struct Mark {
    const char* start;
    int maker;
  } marks[] = {{"cr", MAKER_HONDA},    {"rs50cr", MAKER_HONDA},   {"kx", MAKER_KAWASAKI}, {"rs50kx", MAKER_KAWASAKI},
               {"rm", MAKER_SUZUKI},   {"rs50rm", MAKER_SUZUKI},  {"yz", MAKER_YAMAHA},   {"rs50yz", MAKER_YAMAHA},
               {"fc", MAKER_HUSQVARNA}};
  s.maker = MAKER_KTM;
  for (const Mark& mk : marks)
    if (prefix.compare(0, std::string(mk.start).size(), mk.start) == 0) s.maker = mk.maker;
  size_t v = prefix.rfind('v');
  s.generation = v != std::string::npos && v + 5 == prefix.size() ? std::atoi(prefix.c_str() + v + 1) : 2007;
  return s;
}

std::string frame_qm(const BikeModel& b, const BikeStyle& s) {
  BikeLayout l = bike_layout(b);
  Place at{l, l.frame};
  Mesh m;
  frame_spars(&m, at);
  engine(&m, at, s);
  exhaust(&m, at, s);
  // the shock absorber behind the engine, pivot to frame top
  metal(&m);
  add_tube(&m, {at.back(0, 1.5, 4.2), at.back(0, 2.35, 3.82)}, {0.07, 0.07}, 8, A::kAlloy, true);
  add_tube(&m, {at.back(0, 1.7, 4.11), at.back(0, 2.15, 3.91)}, {0.13, 0.13}, 10, A::kShock, true);
  bodywork(&m, at, s);
  return qm_text(m);
}

namespace {

// Points on the fork legs' line, t feet up the axis from the axle.
V3 leg_point(const BikeLayout& l, double t, double side) {
  return l.front + l.axis * t + v3(side * l.half_spacing, 0, 0);
}

double axis_t(const BikeLayout& l, V3 p) { return dot(p - l.front, l.axis); }

void clamp(Mesh* m, const BikeLayout& l, V3 on_axis, double thickness) {
  V3 x = v3(1, 0, 0), az = cross(x, l.axis);
  add_box(m, on_axis + l.leg_offset * 0.5 - l.head, x, l.axis, az,
          v3(l.half_spacing + 0.13, thickness, length(l.leg_offset) * 0.5 + 0.13), A::kAlloy);
}

}  // namespace

std::string fork_upper_qm(const BikeModel& b, const BikeStyle& s) {
  (void)s;
  BikeLayout l = bike_layout(b);
  V3 top = l.head + l.axis * 0.3, bottom = l.head - l.axis * 0.32;
  double t_top = axis_t(l, top) + 0.05, t_end = axis_t(l, bottom) - 0.85;
  Mesh m;
  metal(&m);
  clamp(&m, l, top, 0.05);
  clamp(&m, l, bottom, 0.07);
  add_tube(&m, {bottom - l.head, top - l.head}, {0.06, 0.06}, 8, A::kAlloy, true);  // steering stem
  paint(&m);
  for (double side : {-1.0, 1.0})
    add_tube(&m, {leg_point(l, t_end, side) - l.head, leg_point(l, t_top, side) - l.head}, {0.1, 0.095}, 10,
             A::kForkTube, true);
  // handlebar: risers, a bend up and back to the rider's grips
  const float* grip = b.rider_pose + 15;  // right grip, upper fork frame
  V3 g = v3(grip[3], grip[4], grip[5]);
  V3 base = top - l.head + l.axis * 0.05;
  rubber(&m);
  std::vector<V3> bar = {mirror_x(g) + v3(-0.12, 0.005, 0.005), mirror_x(g) + v3(0.2, -0.005, -0.01),
                         v3(-0.72, g.y - 0.15, g.z - 0.1), v3(-0.4, base.y + 0.4, base.z + 0.2),
                         v3(0.4, base.y + 0.4, base.z + 0.2), v3(0.72, g.y - 0.15, g.z - 0.1),
                         g + v3(-0.2, -0.005, -0.01), g + v3(0.12, 0.005, 0.005)};
  add_tube(&m, bar, std::vector<double>(bar.size(), 0.04), 6, A::kBlack, true);
  for (double sx : {-1.0, 1.0}) {
    add_tube(&m, {v3(sx * 0.15, base.y, base.z), v3(sx * 0.15, base.y + 0.4, base.z + 0.2)}, {0.045, 0.045}, 6,
             A::kAlloy, true);
    V3 gp = sx > 0 ? g : mirror_x(g);
    add_tube(&m, {gp - v3(sx * 0.2, 0, 0), gp + v3(sx * 0.15, 0, 0)}, {0.06, 0.06}, 8, A::kBlack, true);  // grip
    add_box(&m, gp + v3(-sx * 0.38, 0.02, -0.16), v3(0.2, 0.015, 0.03), A::kAlloy);  // lever
  }
  add_box(&m, v3(0, base.y + 0.42, base.z + 0.21), v3(0.2, 0.06, 0.06), A::kBlack);  // bar pad
  return qm_text(m);
}

std::string fork_lower_qm(const BikeModel& b, const BikeStyle& s) {
  (void)s;
  BikeLayout l = bike_layout(b);
  double t_end = axis_t(l, l.head - l.axis * 0.32) - 0.85 + 0.3;
  Mesh m;
  std::vector<std::vector<V3>> sliders;
  for (double side : {-1.0, 1.0})
    sliders.push_back({leg_point(l, -0.12, side) - l.lower, leg_point(l, t_end, side) - l.lower});
  metal(&m);
  for (const auto& leg : sliders) add_tube(&m, leg, {0.075, 0.075}, 10, A::kForkSlider, true);
  for (double side : {-1.0, 1.0})
    add_box(&m, leg_point(l, 0, side) - l.lower, v3(0.06, 0.13, 0.09), A::kAlloy);  // axle lugs
  add_box(&m, leg_point(l, 0.25, -1) - l.lower + v3(0.02, 0, 0.15), v3(0.05, 0.12, 0.1), A::kAlloy);  // caliper
  // front fender over the tyre, riding with the wheel
  plastic(&m);
  double r = b.front_wheel.tire_ring_radius + b.front_wheel.tire_section_radius + 0.12;
  std::vector<Section> fender;
  for (int i = 0; i <= 8; i++) {
    double a = 1.25 - 2.0 * i / 8;  // from ahead and low to behind the top, radians from up
    V3 radial = v3(0, std::cos(a), -std::sin(a));
    fender.push_back(Section{l.front + radial * r - l.lower, v3(0.24, 0, 0), radial * 0.02, 6});
  }
  add_loft(&m, fender, 10, A::kFender, true, true);
  // the chrome shows the sky: reflective parts come last
  m.begin_part(-1, 1, 1, 1, 0.35);
  for (const auto& leg : sliders) add_tube(&m, leg, {0.076, 0.076}, 10, A::kForkSlider, false);
  return qm_text(m);
}

std::string swingarm_qm(const BikeModel& b, const BikeStyle& s) {
  (void)s;
  BikeLayout l = bike_layout(b);
  V3 d = normalise(l.rear - l.pivot);
  V3 up = normalise(cross(d, v3(1, 0, 0)));
  Mesh m;
  paint(&m);
  for (double sx : {-1.0, 1.0}) {
    std::vector<Section> arm;
    for (int i = 0; i <= 4; i++) {
      double t = i / 4.0;
      V3 c = lerp(l.pivot, l.rear, -0.02 + 1.06 * t) + v3(sx * (0.27 + 0.15 * t), 0, 0) - l.swing;
      arm.push_back(Section{c, v3(0.05, 0, 0), up * (0.12 - 0.05 * t), 6});
    }
    add_loft(&m, arm, 8, A::kAlloy, true, true);
    add_box(&m, l.rear + v3(sx * 0.44, 0, 0) - l.swing, v3(1, 0, 0), up, d, v3(0.04, 0.07, 0.12), A::kAlloy);
  }
  add_lathe(&m, l.pivot - l.swing, {{-0.33, 0}, {-0.33, 0.09}, {0.33, 0.09}, {0.33, 0}}, 10, A::kAlloy);
  add_box(&m, lerp(l.pivot, l.rear, 0.3) - l.swing, v3(1, 0, 0), up, d, v3(0.3, 0.05, 0.08), A::kAlloy);
  rubber(&m);
  add_box(&m, lerp(l.pivot, l.rear, 0.25) + v3(-0.3, 0, 0) + up * 0.13 - l.swing, v3(1, 0, 0), up, d,
          v3(0.03, 0.02, 0.35), A::kBlack);  // chain slider
  return qm_text(m);
}

std::string side_plates_qm(const BikeModel& b, const BikeStyle& s) {
  (void)s;
  BikeLayout l = bike_layout(b);
  Place at{l, l.frame};
  Mesh m;
  m.begin_part(8, 0.3, 0.3, 0.3);
  auto rear = [&](double x, double y, double z) { return at.tail(x, y, z); };
  panel_pair(&m, 0.33, {{2.5, 4.5}, {2.42, 5.12}, {2.82, 5.38}, {3.0, 5.12}, {3.0, 4.5}}, rear, 0.15, kPlateFace,
             kPlateFace, kPlateEdge);
  return qm_text(m);
}

std::string front_plate_qm(const BikeModel& b, const BikeStyle& s) {
  (void)s;
  BikeLayout l = bike_layout(b);
  V3 x = v3(1, 0, 0);
  V3 ahead = normalise(cross(l.axis, x));
  V3 c = l.head + l.axis * 0.3 + l.leg_offset + ahead * 0.2 - l.head;
  const double pts[][2] = {{-0.38, -0.32}, {0.38, -0.32}, {0.43, 0.1}, {0.3, 0.36}, {-0.3, 0.36}, {-0.43, 0.1}};
  std::vector<V3> outline;
  for (auto& p : pts) outline.push_back(c + x * p[0] + l.axis * p[1]);
  Mesh m;
  m.begin_part(8, 0.3, 0.3, 0.3);
  add_plate(&m, outline, ahead, 0.02, kPlateFace, kPlateEdge);
  return qm_text(m);
}
