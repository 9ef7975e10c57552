// The bike and rider model makers of the default data set. Every model is
// built in its body's own frame (the body's rest position is the origin,
// axes as at rest: x across, y up, z backwards), from the catalogue entry's
// geometry, so that what is drawn matches what is simulated.
#pragma once

#include <string>
#include <vector>

#include "bike/bike.h"
#include "bikes_mesh.h"

// Where a model's key points are at rest, in world coordinates.
struct BikeLayout {
  V3 frame, head, lower, pivot, swing, front, rear, rider;
  V3 axis;           // unit vector up the steering axis (lower -> head)
  V3 leg_offset;     // from the steering axis to the fork legs, across the axis
  double half_spacing;  // fork leg x (ft)
  // How far this bike's anchors are from the default model's, so that parts
  // drawn around the default's points follow each bike's own layout.
  V3 shift_head, shift_frame, shift_pivot, shift_rear;
};

enum BikeMaker { MAKER_HONDA, MAKER_KAWASAKI, MAKER_SUZUKI, MAKER_YAMAHA, MAKER_KTM, MAKER_HUSQVARNA };

struct BikeStyle {
  bool two_stroke;
  int maker;            // BikeMaker
  int generation;       // model year of the graphics prefix (look of the plastics)
};

BikeLayout bike_layout(const BikeModel& b);
BikeStyle bike_style(const BikeModel& b, const std::string& prefix);

std::string frame_qm(const BikeModel& b, const BikeStyle& s);
std::string fork_upper_qm(const BikeModel& b, const BikeStyle& s);
std::string fork_lower_qm(const BikeModel& b, const BikeStyle& s);
std::string swingarm_qm(const BikeModel& b, const BikeStyle& s);
std::string side_plates_qm(const BikeModel& b, const BikeStyle& s);
std::string front_plate_qm(const BikeModel& b, const BikeStyle& s);

// distant: the coarse version for a "_lod" file (no spokes, fewer segments).
std::string front_wheel_qm(const BikeModel& b, bool distant);
std::string rear_wheel_qm(const BikeModel& b, bool distant);

// The rider: a skinned body of nine bones (see bikes_rider.cpp), the body
// for the first-person view, the helmeted head and the number plate on the
// rider's back.
std::string rider_body_qm(const BikeModel& b, bool first_person);
std::string rider_head_qm();
std::string rider_plate_qm(const BikeModel& b);

// The seven stock collision shapes, by file name ("generic_frame.shp", ...).
std::vector<std::pair<std::string, std::string>> stock_shapes(const BikeModel& b);
