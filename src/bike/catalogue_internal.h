// Private to the catalogue: building the 80 entries.
#pragma once

#include "bike/bike.h"

// Fills all entries: the default model from its own values, every other model
// from its class's base values with per-maker and per-year variations.
void catalogue_build(BikeModel* out);
