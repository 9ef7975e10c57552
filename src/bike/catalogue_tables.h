// Private to the catalogue: shared pieces of the entries.
#pragma once

#include "bike/bike.h"

extern const float kRiderPose[BIKE_POSE_VALUES];

// The default model, complete.
void catalogue_default_model(BikeModel* m);
// The 23 file names of a model whose own graphics files start with prefix
// (frame, forks, swingarm, plates and texture); the shapes, wheels and rider
// files are shared by every model.
void catalogue_set_files(BikeModel* m, const char* prefix);
