// The rider, built in the rider body's frame (the rider mass point's rest
// position is the origin) in the pose he takes on the default bike at rest.
//
// The body is skinned to nine bones, the skeleton "rider9":
//   0 torso (pelvis to neck)
//   1 left upper arm, 2 left forearm, 3 right upper arm, 4 right forearm
//   5 left thigh, 6 left shin, 7 right thigh, 8 right shin
// Left is negative x. The bind pose is the catalogue's rider pose points on
// the default bike: shoulders and hips from the pose, hands on the grips,
// feet on the pegs, elbows and knees where the renderer's two-bone solution
// puts them (elbows out and back, knees out and forward).
#include <algorithm>
#include <cmath>

#include "bikes_atlas.h"
#include "bikes_parts.h"

namespace {

namespace B = body_atlas;

enum { TORSO, LEFT_UPPER_ARM, LEFT_FOREARM, RIGHT_UPPER_ARM, RIGHT_FOREARM, LEFT_THIGH, LEFT_SHIN, RIGHT_THIGH,
       RIGHT_SHIN, BONES };

struct Skeleton {
  V3 neck, pelvis;
  V3 shoulder[2], elbow[2], hand[2];  // [0] left, [1] right
  V3 hip[2], knee[2], foot[2];
};

V3 pose_point(const BikeModel& b, int first) { return v3(b.rider_pose[first], b.rider_pose[first + 1], b.rider_pose[first + 2]); }

// The middle joint of a two-bone chain from root to target with bone
// lengths a and b, bent towards hint.
V3 solve_joint(V3 root, V3 target, double a, double b, V3 hint) {
  V3 to = target - root;
  double d = std::min(length(to), 0.95 * (a + b));
  V3 axis = normalise(to);
  double g = (a * a + d * d - b * b) / (2 * d);
  double h = std::sqrt(std::max(a * a - g * g, 0.0));
  V3 off = hint - root;
  V3 bend = normalise(off - axis * dot(off, axis));
  return root + axis * g + bend * h;
}

Skeleton rest_skeleton(const BikeModel& b) {
  Skeleton s;
  V3 rider = v3(b.rider_position[0], b.rider_position[1], b.rider_position[2]);
  V3 head = v3(b.steering_head[0], b.steering_head[1], b.steering_head[2]);
  V3 frame = v3(b.frame_position[0], b.frame_position[1], b.frame_position[2]);
  s.neck = pose_point(b, 0);
  double upper_arm = b.rider_pose[27], forearm = b.rider_pose[28], thigh = b.rider_pose[29], shin = b.rider_pose[30];
  for (int i = 0; i < 2; i++) {
    double out = i == 0 ? -0.5 : 0.5;
    s.shoulder[i] = pose_point(b, 3 + 3 * i);
    s.hip[i] = pose_point(b, 9 + 3 * i);
    s.hand[i] = head + pose_point(b, 15 + 3 * i) - rider;
    s.foot[i] = frame + pose_point(b, 21 + 3 * i) - rider;
    s.elbow[i] = solve_joint(s.shoulder[i], s.hand[i], upper_arm, forearm, s.shoulder[i] + v3(out, -1, 2));
    s.knee[i] = solve_joint(s.hip[i], s.foot[i], thigh, shin, s.hip[i] + v3(out, 0, -2));
  }
  s.pelvis = (s.hip[0] + s.hip[1]) * 0.5;
  return s;
}

// Weights of a limb bone from A to B: blended half and half with the parent
// at A and with the child at B, over the ends of the bone.
Weigher limb_weigher(V3 a, V3 b, int bone, int parent, int child) {
  return [=](V3 p, double* w) {
    double t = dot(p - a, b - a) / dot(b - a, b - a);
    w[bone] = 1;
    if (t < 0.15 && parent >= 0) {
      double k = 0.5 + std::max(t, 0.0) / 0.3;
      w[bone] = k, w[parent] = 1 - k;
    } else if (t > 0.85 && child >= 0) {
      double k = 0.5 * (std::min(t, 1.0) - 0.85) / 0.15;
      w[bone] = 1 - k, w[child] = k;
    }
  };
}

Weigher single(int bone) {
  return [=](V3, double* w) { w[bone] = 1; };
}

void torso(Mesh* m, const Skeleton& s, double upto) {
  m->weigh = single(TORSO);
  V3 d = normalise(s.neck - s.pelvis);
  V3 depth = cross(d, v3(1, 0, 0));
  // half-width and half-depth from the seat up: hips, waist, chest, shoulders, neck
  const double t[] = {-0.12, 0.1, 0.3, 0.55, 0.78, 0.92, 1.0};
  const double w[] = {0.34, 0.38, 0.34, 0.46, 0.56, 0.4, 0.16};
  const double h[] = {0.26, 0.3, 0.28, 0.32, 0.3, 0.24, 0.15};
  std::vector<Section> secs;
  for (int i = 0; i < 7 && t[i] <= upto; i++)
    secs.push_back(Section{lerp(s.pelvis, s.neck, t[i]), v3(w[i], 0, 0), depth * h[i], 2.4});
  m->begin_part(6, 0.15, 0.15, 0.15);
  add_loft(m, secs, 14, B::kJersey, true, true);
}

void arms(Mesh* m, const Skeleton& s) {
  m->begin_part(6, 0.15, 0.15, 0.15);
  for (int i = 0; i < 2; i++) {
    int upper = i == 0 ? LEFT_UPPER_ARM : RIGHT_UPPER_ARM, fore = upper + 1;
    m->weigh = limb_weigher(s.shoulder[i], s.elbow[i], upper, TORSO, fore);
    add_tube(m, {s.shoulder[i], s.elbow[i]}, {0.17, 0.13}, 8, B::kSleeve, true);
    m->weigh = limb_weigher(s.elbow[i], s.hand[i], fore, upper, -1);
    V3 wrist = lerp(s.elbow[i], s.hand[i], 0.9);
    add_tube(m, {s.elbow[i], lerp(s.elbow[i], s.hand[i], 0.5), wrist}, {0.13, 0.12, 0.09}, 8, B::kSleeve, true);
    add_ellipsoid(m, s.hand[i], v3(0.1, 0.09, 0.12), 8, 5, B::kGlove);
  }
}

void legs(Mesh* m, const Skeleton& s) {
  m->begin_part(6, 0.15, 0.15, 0.15);
  for (int i = 0; i < 2; i++) {
    int thigh = i == 0 ? LEFT_THIGH : RIGHT_THIGH, shin = thigh + 1;
    m->weigh = limb_weigher(s.hip[i], s.knee[i], thigh, TORSO, shin);
    add_tube(m, {s.hip[i], lerp(s.hip[i], s.knee[i], 0.5), s.knee[i]}, {0.26, 0.24, 0.19}, 10, B::kPants, true);
    m->weigh = limb_weigher(s.knee[i], s.foot[i], shin, thigh, -1);
    V3 ankle = s.foot[i] + v3(0, 0.2, 0.05);
    add_tube(m, {s.knee[i], lerp(s.knee[i], ankle, 0.35), ankle}, {0.19, 0.2, 0.17}, 10, B::kBoot, true);
    add_box(m, s.foot[i] + v3(0, 0.06, -0.12), v3(0.1, 0.1, 0.3), B::kBoot);   // boot foot on the peg
    add_box(m, lerp(s.knee[i], ankle, 0.1) + normalise(cross(ankle - s.knee[i], v3(1, 0, 0))) * -0.17,
            v3(0.13, 0.16, 0.05), B::kKnee);  // knee guard
  }
}

}  // namespace

std::string rider_body_qm(const BikeModel& b, bool first_person) {
  Skeleton s = rest_skeleton(b);
  Mesh m;
  m.bones = BONES;
  m.skeleton = "rider9";
  // The first-person body stops below the chest so that it doesn't fill
  // the view from the rider's eyes.
  torso(&m, s, first_person ? 0.55 : 1.0);
  arms(&m, s);
  legs(&m, s);
  if (!first_person) {  // neck brace for the helmet to sit on
    m.weigh = single(TORSO);
    m.begin_part(16, 0.3, 0.3, 0.3);
    V3 d = normalise(s.neck - s.pelvis);
    add_tube(&m, {s.neck - d * 0.08, s.neck + d * 0.08}, {0.24, 0.2}, 12, B::kNeck, true);
  }
  return qm_text(m);
}

std::string rider_plate_qm(const BikeModel& b) {
  Skeleton s = rest_skeleton(b);
  Mesh m;
  m.bones = BONES;
  m.skeleton = "rider9";
  m.weigh = single(TORSO);
  m.begin_part(8, 0.3, 0.3, 0.3);
  V3 d = normalise(s.neck - s.pelvis);
  V3 back = normalise(cross(v3(1, 0, 0), d));  // across the spine, towards the rider's back
  V3 c = lerp(s.pelvis, s.neck, 0.6) + back * 0.33;
  const double pts[][2] = {{-0.32, -0.26}, {0.32, -0.26}, {0.34, 0.22}, {-0.34, 0.22}};
  std::vector<V3> outline;
  for (auto& p : pts) outline.push_back(c + v3(p[0], 0, 0) + d * p[1]);
  add_plate(&m, outline, back, 0.015, kPlateFace, kPlateEdge);
  return qm_text(m);
}

std::string rider_head_qm() {
  namespace H = head_atlas;
  // Origin at the neck (the rider pose's first point); the rider faces -z.
  Mesh m;
  m.begin_part(48, 0.7, 0.7, 0.7);
  add_ellipsoid(&m, v3(0, 0.36, -0.05), v3(0.4, 0.42, 0.48), 16, 10, H::kShell);
  add_box(&m, v3(0, 0.1, -0.42), v3(1, 0, 0), normalise(v3(0, 1, 0.5)), normalise(cross(v3(1, 0, 0), v3(0, 1, 0.5))),
          v3(0.2, 0.12, 0.13), H::kChin);
  // the peak over the goggles
  add_plate(&m, {v3(-0.32, 0.66, -0.32), v3(0.32, 0.66, -0.32), v3(0.26, 0.6, -0.78), v3(-0.26, 0.6, -0.78)},
            v3(0, 1, -0.1), 0.02, H::kPeak, H::kPeak);
  m.begin_part(24, 0.2, 0.2, 0.2);
  std::vector<Section> strap;
  for (double y : {0.31, 0.45}) strap.push_back(Section{v3(0, y, -0.05), v3(0.415, 0, 0), v3(0, 0, -0.495), 2});
  add_loft(&m, strap, 18, H::kStrap, false, false);
  // goggle lenses reflect: the reflective part comes last
  m.begin_part(64, 0.9, 0.9, 0.9);
  add_box(&m, v3(0, 0.38, -0.52), v3(0.27, 0.08, 0.03), H::kLens);
  m.begin_part(-1, 1, 1, 1, 0.5);
  add_box(&m, v3(0, 0.38, -0.535), v3(0.26, 0.075, 0.02), H::kLens);
  return qm_text(m);
}
