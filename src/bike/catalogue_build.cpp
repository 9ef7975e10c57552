// The other 79 catalogue entries: each starts from the default model, takes
// the values its engine group shares, then small differences of its maker
// and model year. Only the table rows below are per model.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "bike/catalogue_internal.h"
#include "bike/catalogue_tables.h"

namespace {

enum Engine { ENG_125, ENG_250, ENG_250F, ENG_350, ENG_450F, ENG_50 };
enum Make { HONDA, KAWASAKI, SUZUKI, YAMAHA, KTM, HUSQVARNA };

// What an engine group shares. The 350s form a group of their own although
// one of them is in class "450f" and the others in "250f".
struct EngineGroup {
  float frame_mass, rider_mass;        // slugs
  float engine_inertia;                // slug ft^2
  float shift_down_rpm, shift_up_rpm;
  float primary_ratio, front_sprocket, rear_sprocket;
  float gears5[5], gears6[6];
  int peak_point, fall_point;          // torque table indices (500 rpm each)
  float fall_fraction;                 // torque at fall_point / peak
  float low_torque;                    // ft lbf up to 1500 rpm
  float closed_slope;                  // engine braking growth per point (ft lbf)
  float over_rev_slope;                // full-throttle braking past the limiter, per point
  float fork_spring_scale, shock_spring_scale, damping_scale, fork_travel;
  float fork_mass, swingarm_mass;      // slugs
  float front_ring_mass, rear_ring_mass, front_hub_mass, rear_hub_mass;
  float wheelbase, rake, height;       // geometry offsets from the default model (ft)
};

const EngineGroup kGroups[] = {
    // ENG_125: light two-stroke, revs high, little engine braking
    {3.65375f, 4.6875f, 0.0048828125f, 9400, 12000, 3.823529f, 13, 51,
     {2.0f, 1.6f, 1.333333f, 1.15f, 1.0f}, {2.142857f, 1.75f, 1.5f, 1.315789f, 1.176471f, 1.052632f},
     22, 25, 0.78f, 3.0f, 0.35f, 1.0f, 0.9f, 0.88f, 0.9f, 1.0f, 0.671875f, 0.484375f,
     0.390625f, 0.453125f, 0.15625f, 0.296875f, -0.03f, 0, -0.01f},
    // ENG_250: big two-stroke, strong mid-range, short rev range
    {4.365625f, 5.46875f, 0.0068359375f, 6000, 9000, 3.166667f, 13, 49,
     {1.857143f, 1.5f, 1.25f, 1.045455f, 0.913043f}, {2.0f, 1.6f, 1.333333f, 1.130435f, 0.96f, 0.869565f},
     15, 18, 0.8f, 8.0f, 0.45f, 1.25f, 1.05f, 1.06f, 1.05f, 1.0f, 0.71875f, 0.515625f,
     0.40625f, 0.46875f, 0.15625f, 0.3125f, 0.02f, 0, 0},
    // ENG_250F: the default model's own values
    {4.24f, 4.6875f, 0.0048828125f, 8000, 12500, 3.352941f, 13, 50,
     {2.142857f, 1.75f, 1.444445f, 1.222222f, 1.041667f}, {2.142857f, 1.8f, 1.5f, 1.285714f, 1.125f, 1.0f},
     18, 26, 0.7767f, 5.0f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.703125f, 0.504375f,
     0.40625f, 0.46875f, 0.15625f, 0.3125f, 0, 0, 0},
    // ENG_350: four-stroke between the 250s and the 450s
    {4.735f, 5.46875f, 0.0068359375f, 6000, 10500, 2.75f, 13, 49,
     {1.857143f, 1.5625f, 1.333333f, 1.157895f, 1.0f}, {2.0f, 1.6875f, 1.444444f, 1.25f, 1.095238f, 0.958333f},
     19, 25, 0.8f, 6.0f, 0.55f, 1.0f, 1.04f, 1.04f, 1.05f, 1.0f, 0.71875f, 0.515625f,
     0.40625f, 0.484375f, 0.15625f, 0.3125f, 0.02f, 0, 0.01f},
    // ENG_450F: big four-stroke, heavy flywheel, strong engine braking
    {4.735f, 5.46875f, 0.00885009765625f, 6000, 10500, 2.380952f, 13, 49,
     {1.928571f, 1.533333f, 1.277778f, 1.090909f, 0.952381f}, {2.0f, 1.6f, 1.333333f, 1.142857f, 1.0f, 0.882353f},
     15, 21, 0.8f, 12.0f, 0.6f, 1.5f, 1.1f, 1.12f, 1.1f, 1.0f, 0.734375f, 0.53125f,
     0.421875f, 0.5f, 0.171875f, 0.328125f, 0.04f, 0.01f, 0.01f},
    // ENG_50: tiny engine in a light chassis
    {3.34125f, 4.6875f, 0.0011935764f, 9400, 12000, 4.0f, 11, 44,
     {2.5f, 1.9f, 1.5f, 1.25f, 1.08f}, {2.5f, 1.9f, 1.5f, 1.25f, 1.08f, 0.96f},
     20, 24, 0.8f, 1.0f, 0.1f, 0.25f, 0.7f, 0.7f, 0.7f, 0.92f, 0.5f, 0.375f,
     0.3125f, 0.359375f, 0.125f, 0.234375f, -0.06f, 0, -0.03f},
};

// Small differences of each maker: chassis geometry, linkage stroke, where
// the torque peak sits, and the damping balance.
struct MakerTrait {
  float wheelbase, rake, height;   // ft
  float linkage_scale;             // shock stroke per swingarm travel
  int peak_shift;                  // torque points
  float compression, rebound;      // damping factors
};

const MakerTrait kMakers[] = {
    {0.02f, 0.01f, 0.01f, 1.0f, 0, 1.02f, 0.98f},      // HONDA
    {0.04f, -0.01f, 0, 1.02f, 1, 1.05f, 1.0f},         // KAWASAKI
    {0, 0.02f, -0.01f, 0.99f, -1, 0.97f, 1.03f},       // SUZUKI
    {0, 0, 0, 1.0f, 0, 1.0f, 1.0f},                    // YAMAHA
    {-0.02f, -0.02f, 0.02f, 1.03f, 1, 0.95f, 1.04f},   // KTM
    {-0.01f, -0.02f, 0.02f, 1.03f, 1, 0.96f, 1.05f},   // HUSQVARNA
};

struct ModelRow {
  const char* name;
  const char* class_name;
  Engine engine;
  Make make;
  int year;             // model year (a typical one where the name has none)
  const char* prefix;   // start of the model's own graphics file names
  int gears;            // 5 or 6
  float peak_torque;    // ft lbf
};

// Catalogue order; the index is the model index of demos and the network.
const ModelRow kRows[BIKE_MODEL_COUNT] = {
    {"cr125", "125", ENG_125, HONDA, 2007, "cr125v2005", 5, 16.1f},
    {"crf250(2007)", "250f", ENG_250F, HONDA, 2007, "crf250v2006", 5, 18.0f},
    {"crf250(2008)", "250f", ENG_250F, HONDA, 2008, "crf250v2008", 5, 18.3f},
    {"crf250(2009)", "250f", ENG_250F, HONDA, 2009, "crf250v2008", 5, 18.6f},
    {"crf250(2013)", "250f", ENG_250F, HONDA, 2013, "crf250v2011", 5, 19.2f},
    {"crf250(2016)", "250f", ENG_250F, HONDA, 2016, "crf250v2014", 5, 19.8f},
    {"crf250(2017)", "250f", ENG_250F, HONDA, 2017, "crf250v2014", 5, 20.1f},
    {"crf250(2018)", "250f", ENG_250F, HONDA, 2018, "crf250v2018", 5, 20.6f},
    {"cr250(2007)", "250", ENG_250, HONDA, 2007, "cr250v2005", 5, 31.5f},
    {"crf450(2011)", "450f", ENG_450F, HONDA, 2011, "crf450v2009", 5, 33.0f},
    {"crf450(2013)", "450f", ENG_450F, HONDA, 2013, "crf450v2013", 5, 33.6f},
    {"crf450(2016)", "450f", ENG_450F, HONDA, 2016, "crf450v2013", 5, 34.2f},
    {"crf450(2017)", "450f", ENG_450F, HONDA, 2017, "crf450v2017", 5, 35.4f},
    {"crf450(2018)", "450f", ENG_450F, HONDA, 2018, "crf450v2017", 5, 36.0f},
    {"kx125", "125", ENG_125, KAWASAKI, 2007, "kx125v2003", 6, 16.8f},
    {"kx250f(2007)", "250f", ENG_250F, KAWASAKI, 2007, "kx250fv2006", 5, 18.2f},
    {"kx250f(2008)", "250f", ENG_250F, KAWASAKI, 2008, "kx250fv2006", 5, 18.5f},
    {"kx250f(2009)", "250f", ENG_250F, KAWASAKI, 2009, "kx250fv2009", 5, 18.9f},
    {"kx250f(2013)", "250f", ENG_250F, KAWASAKI, 2013, "kx250fv2011", 5, 19.4f},
    {"kx250f(2016)", "250f", ENG_250F, KAWASAKI, 2016, "kx250fv2016", 5, 19.9f},
    {"kx250f(2017)", "250f", ENG_250F, KAWASAKI, 2017, "kx250fv2017", 5, 20.3f},
    {"kx250f(2018)", "250f", ENG_250F, KAWASAKI, 2018, "kx250fv2017", 5, 20.8f},
    {"kx250(2006)", "250", ENG_250, KAWASAKI, 2006, "kx250v2005", 5, 30.0f},
    {"kx450f(2011)", "450f", ENG_450F, KAWASAKI, 2011, "kx450fv2009", 5, 33.4f},
    {"kx450f(2013)", "450f", ENG_450F, KAWASAKI, 2013, "kx450fv2012", 5, 34.0f},
    {"kx450f(2016)", "450f", ENG_450F, KAWASAKI, 2016, "kx450fv2012", 5, 34.6f},
    {"kx450f(2017)", "450f", ENG_450F, KAWASAKI, 2017, "kx450fv2016", 5, 35.0f},
    {"kx450f(2018)", "450f", ENG_450F, KAWASAKI, 2018, "kx450fv2016", 5, 35.8f},
    {"rm125", "125", ENG_125, SUZUKI, 2007, "rm125v2001", 6, 16.5f},
    {"rmz250(2007)", "250f", ENG_250F, SUZUKI, 2007, "rmz250v2007", 5, 18.1f},
    {"rmz250(2008)", "250f", ENG_250F, SUZUKI, 2008, "rmz250v2007", 5, 18.4f},
    {"rmz250(2009)", "250f", ENG_250F, SUZUKI, 2009, "rmz250v2007", 5, 18.7f},
    {"rmz250(2013)", "250f", ENG_250F, SUZUKI, 2013, "rmz250v2010", 5, 19.1f},
    {"rmz250(2016)", "250f", ENG_250F, SUZUKI, 2016, "rmz250v2016", 5, 19.5f},
    {"rmz250(2017)", "250f", ENG_250F, SUZUKI, 2017, "rmz250v2016", 5, 19.7f},
    {"rmz250(2018)", "250f", ENG_250F, SUZUKI, 2018, "rmz250v2016", 5, 19.9f},
    {"rm250(2008)", "250", ENG_250, SUZUKI, 2008, "rm250v2003", 5, 30.8f},
    {"rmz450(2011)", "450f", ENG_450F, SUZUKI, 2011, "rmz450v2008", 5, 32.6f},
    {"rmz450(2013)", "450f", ENG_450F, SUZUKI, 2013, "rmz450v2013", 5, 33.0f},
    {"rmz450(2016)", "450f", ENG_450F, SUZUKI, 2016, "rmz450v2013", 5, 33.3f},
    {"rmz450(2017)", "450f", ENG_450F, SUZUKI, 2017, "rmz450v2013", 5, 33.5f},
    {"rmz450(2018)", "450f", ENG_450F, SUZUKI, 2018, "rmz450v2018", 5, 34.4f},
    {"yz125", "125", ENG_125, YAMAHA, 2007, "yz125v2005", 6, 17.0f},
    {"yz250f(2007)", "250f", ENG_250F, YAMAHA, 2007, "yz250fv2006", 5, 18.3f},
    {"yz250f_se(2006)", "250f", ENG_250F, YAMAHA, 2006, "yz250fsev2006", 5, 18.4f},
    {"yz250f(2008)", "250f", ENG_250F, YAMAHA, 2008, "yz250fv2008", 5, 18.5f},
    {"yz250f(2009)", "250f", ENG_250F, YAMAHA, 2009, "yz250fv2008", 5, 18.7f},
    {"yz250f(2013)", "250f", ENG_250F, YAMAHA, 2013, "yz250fv2010", 5, 19.0f},
    {"yz250f(2016)", "250f", ENG_250F, YAMAHA, 2016, "yz250fv2014", 5, 19.2f},
    {"yz250f(2017)", "250f", ENG_250F, YAMAHA, 2017, "yz250fv2014", 5, 19.345f},  // the default model
    {"yz250f(2018)", "250f", ENG_250F, YAMAHA, 2018, "yz250fv2018", 5, 20.4f},
    {"yz250(2012)", "250", ENG_250, YAMAHA, 2012, "yz250v2006", 5, 32.2f},
    {"yz450f(2011)", "450f", ENG_450F, YAMAHA, 2011, "yz450fv2010", 5, 33.8f},
    {"yz450f(2013)", "450f", ENG_450F, YAMAHA, 2013, "yz450fv2010", 5, 34.4f},
    {"yz450f(2016)", "450f", ENG_450F, YAMAHA, 2016, "yz450fv2014", 5, 35.0f},
    {"yz450f(2017)", "450f", ENG_450F, YAMAHA, 2017, "yz450fv2014", 5, 35.6f},
    {"yz450f(2018)", "450f", ENG_450F, YAMAHA, 2018, "yz450fv2018", 5, 36.2f},
    {"125sx", "125", ENG_125, KTM, 2007, "125sxv2007", 6, 17.4f},
    {"250sxf(2009)", "250f", ENG_250F, KTM, 2009, "250sxfv2007", 6, 18.8f},
    {"250sxf(2013)", "250f", ENG_250F, KTM, 2013, "250sxfv2011", 6, 19.6f},
    {"250sxf(2016)", "250f", ENG_250F, KTM, 2016, "250sxfv2016", 5, 20.2f},
    {"250sxf(2017)", "250f", ENG_250F, KTM, 2017, "250sxfv2016", 5, 20.5f},
    {"250sxf(2018)", "250f", ENG_250F, KTM, 2018, "250sxfv2016", 5, 21.0f},
    {"250sx(2012)", "250", ENG_250, KTM, 2012, "250sxv2011", 5, 33.0f},
    {"350sxf(2011)", "450f", ENG_350, KTM, 2011, "350sxfv2011", 5, 27.0f},
    {"350sxf(2013)", "250f", ENG_350, KTM, 2013, "350sxfv2013", 5, 28.0f},
    {"350sxf(2017)", "250f", ENG_350, KTM, 2017, "350sxfv2016", 5, 29.0f},
    {"450sxf(2011)", "450f", ENG_450F, KTM, 2011, "450sxfv2011", 5, 29.7f},
    {"450sxf(2013)", "450f", ENG_450F, KTM, 2013, "450sxfv2013", 5, 31.5f},
    {"450sxf(2016)", "450f", ENG_450F, KTM, 2016, "450sxfv2013", 5, 33.8f},
    {"450sxf(2017)", "450f", ENG_450F, KTM, 2017, "450sxfv2016", 5, 34.8f},
    {"450sxf(2018)", "450f", ENG_450F, KTM, 2018, "450sxfv2016", 5, 35.5f},
    {"fc250(2017)", "250f", ENG_250F, HUSQVARNA, 2017, "fc250v2016", 5, 20.6f},
    {"fc250(2018)", "250f", ENG_250F, HUSQVARNA, 2018, "fc250v2016", 5, 21.0f},
    {"fc450(2017)", "450f", ENG_450F, HUSQVARNA, 2017, "fc450v2016", 5, 35.2f},
    {"fc450(2018)", "450f", ENG_450F, HUSQVARNA, 2018, "fc450v2016", 5, 35.9f},
    {"rs50cr", "50", ENG_50, HONDA, 2007, "rs50cr", 6, 4.3f},
    {"rs50kx", "50", ENG_50, KAWASAKI, 2007, "rs50kx", 6, 4.3f},
    {"rs50rm", "50", ENG_50, SUZUKI, 2007, "rs50rm", 6, 4.3f},
    {"rs50yz", "50", ENG_50, YAMAHA, 2007, "rs50yz", 6, 4.3f},
};

void scale_all(float* v, int n, float s) {
  for (int i = 0; i < n; i++) v[i] *= s;
}

// Open-throttle torque rises from the low-speed value to the peak, eases off
// to fall_fraction of it, halves and reaches zero at the limiter in the next
// two points and brakes beyond; closed-throttle torque is engine braking
// growing with speed.
void torque_curves(BikeModel* m, const EngineGroup& g, float peak, int shift) {
  int ip = g.peak_point + shift, fall = g.fall_point + shift;
  float low = g.low_torque, fall_torque = peak * g.fall_fraction;
  for (int i = 0; i < BIKE_TORQUE_POINTS; i++) {
    float t;
    if (i <= 3) {
      t = low;
    } else if (i <= ip) {
      float s = (float)(i - 3) / (float)(ip - 3);
      t = low + (peak - low) * (1 - (1 - s) * (1 - s));
    } else if (i <= fall) {
      float s = (float)(i - ip) / (float)(fall - ip);
      t = peak - (peak - fall_torque) * s * s;
    } else if (i == fall + 1) {
      t = fall_torque * 0.5f;
    } else {
      t = -g.over_rev_slope * (float)(i - fall - 2);
    }
    m->open_torque[i] = t;
    m->closed_torque[i] = i < 3 ? (i < 2 ? 2.0f : 1.0f) : g.closed_slope * (float)(3 - i);
  }
}

// Moves the rear axle back by the wheelbase offset, the front end forward by
// the rake offset and the chassis up by the height offset; the wheel centres
// keep their heights so the tyres stay where they are.
void offset_geometry(BikeModel* m, float wheelbase, float rake, float height) {
  m->rear_wheel.center[2] += wheelbase;
  m->swingarm_position[2] += wheelbase * 0.5f;
  m->front_wheel.center[2] -= rake;
  m->fork_lower_position[2] -= rake;
  m->frame_position[1] += height;
  m->steering_head[1] += height;
  m->fork_lower_position[1] += height;
  m->swingarm_pivot[1] += height;
  m->swingarm_position[1] += height * 0.5f;
  m->rider_position[1] += height;
}

void apply_group(BikeModel* m, const EngineGroup& g, const ModelRow& row) {
  m->frame_mass = g.frame_mass;
  m->rider_mass = g.rider_mass;
  m->engine_inertia = g.engine_inertia;
  m->shift_down_rpm = g.shift_down_rpm, m->shift_up_rpm = g.shift_up_rpm;
  m->primary_ratio = g.primary_ratio;
  m->front_sprocket = g.front_sprocket, m->rear_sprocket = g.rear_sprocket;
  for (int k = 0; k < BIKE_GEARS; k++) m->gear_ratios[k] = row.gears == 6 ? g.gears6[k] : (k < 5 ? g.gears5[k] : -1);
  m->fork_spring_min *= g.fork_spring_scale, m->fork_spring_max *= g.fork_spring_scale;
  m->shock_spring_min *= g.shock_spring_scale, m->shock_spring_max *= g.shock_spring_scale;
  scale_all(m->fork_damping, 4, g.damping_scale);
  scale_all(m->shock_damping, 4, g.damping_scale);
  m->fork_travel = g.fork_travel;
  m->fork_mass = g.fork_mass, m->swingarm_mass = g.swingarm_mass;
  m->front_wheel.ring_mass = g.front_ring_mass, m->rear_wheel.ring_mass = g.rear_ring_mass;
  m->front_wheel.hub_mass = g.front_hub_mass, m->rear_wheel.hub_mass = g.rear_hub_mass;
  offset_geometry(m, g.wheelbase, g.rake, g.height);
}

void apply_maker(BikeModel* m, const MakerTrait& t) {
  offset_geometry(m, t.wheelbase, t.rake, t.height);
  // The linkage curve scales as a whole: values and slopes alike, not the
  // travel angle or the split point.
  for (int k : {0, 1, 4, 5, 6}) m->linkage[k] *= t.linkage_scale;
  m->fork_damping[0] *= t.compression, m->fork_damping[1] *= t.compression;
  m->fork_damping[2] *= t.rebound, m->fork_damping[3] *= t.rebound;
  m->shock_damping[0] *= t.compression, m->shock_damping[1] *= t.compression;
  m->shock_damping[2] *= t.rebound, m->shock_damping[3] *= t.rebound;
}

// Newer models: stiffer springs, lighter swingarms.
void apply_year(BikeModel* m, int year) {
  float y = (float)(year - 2012);
  m->fork_spring_min *= 1 + 0.005f * y, m->fork_spring_max *= 1 + 0.005f * y;
  m->shock_spring_min *= 1 + 0.004f * y, m->shock_spring_max *= 1 + 0.004f * y;
  m->swingarm_mass *= 1 - 0.004f * y;
}

void build_model(BikeModel* m, const ModelRow& row) {
  catalogue_default_model(m);
  std::snprintf(m->name, sizeof m->name, "%s", row.name);
  std::snprintf(m->class_name, sizeof m->class_name, "%s", row.class_name);
  catalogue_set_files(m, row.prefix);
  const EngineGroup& g = kGroups[row.engine];
  const MakerTrait& t = kMakers[row.make];
  apply_group(m, g, row);
  apply_maker(m, t);
  apply_year(m, row.year);
  torque_curves(m, g, row.peak_torque, t.peak_shift);
}

}  // namespace

void catalogue_set_files(BikeModel* m, const char* prefix) {
  static const char* const own[BIKE_FILE_COUNT] = {
      "_frame.qm", nullptr, ".png", "_fork_upper.qm", nullptr, "_fork_lower.qm", nullptr, "_swingarm.qm",
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, "_side_plates.qm", "_front_plate.qm", nullptr};
  static const char* const shared[BIKE_FILE_COUNT] = {
      nullptr, "@generic_frame.shp", nullptr, nullptr, "@generic_fork_upper.shp", nullptr,
      "@generic_fork_lower.shp", nullptr, "@generic_swingarm.shp", "@front_wheel.qm", "@front_wheel.shp",
      "@rear_wheel.qm", "@rear_wheel.shp", "@wheels.png", "@rider_head.qm", "@rider_head.png", "@rider_body.qm",
      "@rider_body_fp.qm", "@generic_rider.shp", "@rider_body.png", nullptr, nullptr, "@rider_plate.qm"};
  for (int f = 0; f < BIKE_FILE_COUNT; f++) {
    if (own[f])
      std::snprintf(m->files[f], BIKE_FILE_CHARS, "@%s%s", prefix, own[f]);
    else
      std::snprintf(m->files[f], BIKE_FILE_CHARS, "%s", shared[f]);
  }
}

void catalogue_build(BikeModel* out) {
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    if (i == BIKE_DEFAULT_MODEL)
      catalogue_default_model(&out[i]);
    else
      build_model(&out[i], kRows[i]);
  }
}
