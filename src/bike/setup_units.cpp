// The units the "Suspension and Gearing" menu shows beside a setting, from
// the chosen bike's catalogue entry.
#include <cstdio>
#include <cstring>

#include "bike/bike_local.h"
#include "files/settings.h"

static double lerp(float lo, float hi, double s) { return lo + (hi - lo) * (s / 100); }

// Pounds-force per foot of both fork legs in kilograms-force per millimetre
// of one leg; of the shock, of the one spring.
static const double FORK_KG_PER_MM = 0.0007440819724087572;
static const double SHOCK_KG_PER_MM = 0.0014881639448175144;
static const double MM_PER_FT = 304.8;

bool setup_unit_text(const RealSetting* setting, char* out, int size) {
  if (size > 0) out[0] = 0;
  const SetupSettings& u = settings.setup;
  const BikeModel* m = u.bike.count > 0 ? lookup_bike_model(choice_name(&u.bike)) : nullptr;
  if (!m || !setting || size <= 0) return false;
  double s = setting->value;
  if (setting == &u.fork_spring_rate)
    std::snprintf(out, size, "%.3f kg/mm", lerp(m->fork_spring_min, m->fork_spring_max, s) * FORK_KG_PER_MM);
  else if (setting == &u.fork_preload)
    std::snprintf(out, size, "%.2f mm", lerp(m->fork_preload_min, m->fork_preload_max, s) * MM_PER_FT);
  else if (setting == &u.fork_oil_level)
    std::snprintf(out, size, "%.2f mm", lerp(m->fork_air_gap_min, m->fork_air_gap_max, s) * MM_PER_FT);
  else if (setting == &u.shock_spring_rate)
    std::snprintf(out, size, "%.2f kg/mm", lerp(m->shock_spring_min, m->shock_spring_max, s) * SHOCK_KG_PER_MM);
  else if (setting == &u.shock_preload)
    std::snprintf(out, size, "%.2f mm", lerp(m->shock_preload_min, m->shock_preload_max, s) * MM_PER_FT);
  else if (setting == &u.front_sprocket_adjustment)
    std::snprintf(out, size, "%.2f teeth", m->front_sprocket + s);
  else if (setting == &u.rear_sprocket_adjustment)
    std::snprintf(out, size, "%.2f teeth", m->rear_sprocket + s);
  else
    return false;
  return true;
}
