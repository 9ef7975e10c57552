// Render parameters derived from the graphics settings.
#include <cmath>

#include "core/launch.h"
#include "files/settings.h"

RenderParams render_params;

static double clamp(double v, double lo, double hi) { return v < lo ? lo : v > hi ? hi : v; }

void render_params_derive() {
  const Settings& s = settings;
  RenderParams& r = render_params;
  // A ground detail of 0 would make the terrain detail infinite; treat it as 1.
  r.terrain_detail = 0.125 / (s.ground_detail.value > 0 ? s.ground_detail.value : 1.0);
  r.ground_texture_level = (int)clamp(10 - s.ground_texture_detail.value, 0, 10);
  r.ground_texture_size = 32 << s.ground_texture_dim.index;
  double scale = clamp(100 - s.model_detail.value, 0, 100) * 0.02;
  r.model_lod_scale = scale > 1 ? scale * scale * scale : scale;
  r.model_lod_bias = 50 - 50 * clamp((s.model_detail.value - 10) * 0.05, 0, 1);
  r.model_texture_level = (int)clamp(10 - s.model_texture_detail.value, 0, 10);
  r.texture_compression = s.texture_compress.index;
  r.roost_frequency = (int)s.roost_density.value;
  r.reflections = s.reflections.index;
}
