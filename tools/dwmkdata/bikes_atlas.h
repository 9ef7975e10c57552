// Where each piece of a bike, wheel or rider model takes its colours from in
// its texture. The texture generator paints the same rectangles. Rectangles
// are in image coordinates: 0..1 from the top-left corner, v downwards.
#pragma once

#include "bikes_mesh.h"

// The bike graphics ("@<prefix>.png"): plastics carry the maker's colours.
namespace bike_atlas {
const UvRect kShroudLeft = {0, 0, 0.5, 0.25};      // radiator shroud, big graphics
const UvRect kShroudRight = {0, 0.25, 0.5, 0.5};
const UvRect kTank = {0.5, 0, 0.75, 0.25};
const UvRect kSeat = {0.75, 0, 1, 0.25};
const UvRect kSidePanel = {0.5, 0.25, 1, 0.5};     // airbox covers
const UvRect kFender = {0, 0.5, 0.25, 0.75};       // front and rear fenders
const UvRect kFrame = {0.25, 0.5, 0.375, 0.75};    // frame paint
const UvRect kEngine = {0.375, 0.5, 0.5, 0.75};    // cases and cylinder
const UvRect kExhaust = {0.5, 0.5, 0.625, 0.75};   // header pipe or expansion chamber
const UvRect kSilencer = {0.625, 0.5, 0.75, 0.75};
const UvRect kForkTube = {0.75, 0.5, 0.875, 0.75}; // outer fork tubes (anodised)
const UvRect kForkSlider = {0.875, 0.5, 1, 0.75};  // inner tubes (chrome)
const UvRect kBlack = {0, 0.75, 0.125, 0.875};     // rubber, bars, grips
const UvRect kAlloy = {0.125, 0.75, 0.25, 0.875};  // swingarm, clamps, levers
const UvRect kRadiator = {0.25, 0.75, 0.375, 0.875};
const UvRect kShock = {0.375, 0.75, 0.5, 0.875};   // shock spring
}  // namespace bike_atlas

// "@wheels.png".
namespace wheel_atlas {
const UvRect kTread = {0, 0, 1, 0.25};        // around the tyre, knobs
const UvRect kSidewall = {0, 0.25, 1, 0.5};
const UvRect kRim = {0, 0.5, 0.5, 0.75};
const UvRect kHub = {0.5, 0.5, 0.75, 0.75};
const UvRect kSpoke = {0.75, 0.5, 1, 0.75};
const UvRect kDisc = {0, 0.75, 0.5, 1};
const UvRect kSprocket = {0.5, 0.75, 1, 1};
}  // namespace wheel_atlas

// "@rider_body.png".
namespace body_atlas {
const UvRect kJersey = {0, 0, 0.5, 0.5};
const UvRect kSleeve = {0.5, 0, 1, 0.25};
const UvRect kGlove = {0.5, 0.25, 0.75, 0.5};
const UvRect kPants = {0, 0.5, 0.5, 0.75};
const UvRect kKnee = {0.5, 0.5, 0.75, 0.75};
const UvRect kBoot = {0, 0.75, 0.5, 1};
const UvRect kNeck = {0.5, 0.75, 0.75, 1};
}  // namespace body_atlas

// "@rider_head.png".
namespace head_atlas {
const UvRect kShell = {0, 0, 1, 0.5};
const UvRect kPeak = {0, 0.5, 0.5, 0.75};
const UvRect kLens = {0.5, 0.5, 1, 0.625};
const UvRect kStrap = {0.5, 0.625, 1, 0.75};
const UvRect kChin = {0, 0.75, 0.5, 1};
}  // namespace head_atlas

// The number plate texture made for each rider: the whole square is the
// plate face; its outer ring of texels is transparent.
const UvRect kPlateFace = {0.02, 0.02, 0.98, 0.98};
const UvRect kPlateEdge = {0.45, 0.1, 0.55, 0.12};
