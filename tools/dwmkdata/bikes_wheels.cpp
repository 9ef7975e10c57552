// Wheels: knobby tyre, rim, spokes laced to a hub, brake disc, and on the
// rear the sprocket. Built about the axle (x) in the wheel body's frame.
#include <cmath>

#include "bikes_atlas.h"
#include "bikes_parts.h"

namespace {

namespace W = wheel_atlas;

struct WheelSpec {
  double ring, section;   // tyre ring and section radius (ft)
  double width;           // tyre half-width (ft)
  double disc_x, disc_r;  // brake disc side offset and radius (ft)
  double sprocket_r;      // 0: none
  int spokes;
  int segments;           // around the tyre
};

// Alternate segments stand out: the tread's knobs.
double knobs(double angle, int k) {
  if (k < 2 || k > 6) return 1;
  long seg = std::lround(angle * 64 / (2 * M_PI));
  return seg % 2 ? 1.0 : 1.03;  // (with fewer segments the knobs merge into a plain tread)
}

void tyre(Mesh* m, const WheelSpec& w) {
  m->begin_part(6, 0.12, 0.12, 0.12);
  double R = w.ring, r = w.section, x = w.width;
  add_lathe(m, v3(0, 0, 0),
            {{-0.55 * x, R - 0.55 * r}, {-x, R}, {-0.9 * x, R + 0.6 * r}, {-0.55 * x, R + 0.93 * r}, {0, R + r},
             {0.55 * x, R + 0.93 * r}, {0.9 * x, R + 0.6 * r}, {x, R}, {0.55 * x, R - 0.55 * r}},
            w.segments, W::kTread, w.segments == 64 ? knobs : nullptr);
}

void rim_and_hub(Mesh* m, const WheelSpec& w) {
  m->begin_part(64, 0.8, 0.8, 0.8);
  double rr = w.ring - 0.5 * w.section, rw = 0.5 * w.width;
  add_lathe(m, v3(0, 0, 0),
            {{-rw, rr - 0.05}, {-rw, rr + 0.02}, {rw, rr + 0.02}, {rw, rr - 0.05}, {0.8 * rw, rr - 0.08},
             {-0.8 * rw, rr - 0.08}, {-rw, rr - 0.05}},
            w.segments / 2, W::kRim);
  const double hw = 0.3;
  add_lathe(m, v3(0, 0, 0), {{-hw, 0}, {-hw, 0.17}, {-0.6 * hw, 0.11}, {0.6 * hw, 0.11}, {hw, 0.17}, {hw, 0}}, 16,
            W::kHub);
  // Spokes alternate between the flanges and lean round the hub, as laced.
  for (int i = 0; i < w.spokes; i++) {
    double a = 2 * M_PI * i / w.spokes;
    double side = i % 2 ? 1 : -1;
    double lead = (i / 2) % 2 ? 0.35 : -0.35;
    V3 hub = v3(side * hw * 0.85, 0.16 * std::cos(a + lead), 0.16 * std::sin(a + lead));
    V3 rim = v3(side * rw * 0.3, (rr - 0.08) * std::cos(a), (rr - 0.08) * std::sin(a));
    add_tube(m, {hub, rim}, {0.012, 0.012}, 3, W::kSpoke, false);
  }
}

void disc(Mesh* m, const WheelSpec& w) {
  m->begin_part(48, 0.6, 0.6, 0.6);
  double x = w.disc_x, t = 0.015, ro = w.disc_r, ri = 0.6 * w.disc_r;
  auto wave = [](double angle, int k) { return k == 1 || k == 2 ? 1 + 0.04 * std::sin(12 * angle) : 1.0; };
  add_lathe(m, v3(x, 0, 0), {{-t, ri}, {-t, ro}, {t, ro}, {t, ri}, {-t, ri}}, w.segments * 3 / 4, W::kDisc, wave);
}

void sprocket(Mesh* m, const WheelSpec& w, int teeth) {
  if (w.sprocket_r <= 0) return;
  double x = -w.disc_x, t = 0.02, ro = w.sprocket_r, ri = 0.55 * w.sprocket_r;
  auto tooth = [teeth](double angle, int k) {
    if (k != 1 && k != 2) return 1.0;
    long seg = std::lround(angle * 2 * teeth / (2 * M_PI));
    return seg % 2 ? 0.94 : 1.0;
  };
  add_lathe(m, v3(x, 0, 0), {{-t, ri}, {-t, ro}, {t, ro}, {t, ri}, {-t, ri}}, 2 * teeth, W::kSprocket, tooth);
}

std::string wheel(const WheelSpec& w, int teeth) {
  Mesh m;
  tyre(&m, w);
  rim_and_hub(&m, w);
  disc(&m, w);
  sprocket(&m, w, teeth);
  return qm_text(m);
}

}  // namespace

std::string front_wheel_qm(const BikeModel& b, bool distant) {
  const WheelBlock& f = b.front_wheel;
  WheelSpec w{f.tire_ring_radius, f.tire_section_radius, f.tire_section_radius * 0.85, -0.33, 0.44, 0,
              distant ? 0 : 36, distant ? 24 : 64};
  return wheel(w, 0);
}

std::string rear_wheel_qm(const BikeModel& b, bool distant) {
  const WheelBlock& r = b.rear_wheel;
  WheelSpec w{r.tire_ring_radius, r.tire_section_radius, r.tire_section_radius * 1.05, 0.33, 0.36, 0.36,
              distant ? 0 : 36, distant ? 24 : 64};
  return wheel(w, distant ? 12 : (int)b.rear_sprocket);
}
