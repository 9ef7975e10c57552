// The bike catalogue: order, the default model, the values each class
// shares, lookups with their substitute rule, gears and torque tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "bike/bike.h"
#include "core/core.h"

namespace {

// The model index is written into demos and network messages: the order is
// part of the file and wire formats.
const char* const kOrder[BIKE_MODEL_COUNT] = {
    "cr125", "crf250(2007)", "crf250(2008)", "crf250(2009)", "crf250(2013)", "crf250(2016)", "crf250(2017)",
    "crf250(2018)", "cr250(2007)", "crf450(2011)", "crf450(2013)", "crf450(2016)", "crf450(2017)", "crf450(2018)",
    "kx125", "kx250f(2007)", "kx250f(2008)", "kx250f(2009)", "kx250f(2013)", "kx250f(2016)", "kx250f(2017)",
    "kx250f(2018)", "kx250(2006)", "kx450f(2011)", "kx450f(2013)", "kx450f(2016)", "kx450f(2017)", "kx450f(2018)",
    "rm125", "rmz250(2007)", "rmz250(2008)", "rmz250(2009)", "rmz250(2013)", "rmz250(2016)", "rmz250(2017)",
    "rmz250(2018)", "rm250(2008)", "rmz450(2011)", "rmz450(2013)", "rmz450(2016)", "rmz450(2017)", "rmz450(2018)",
    "yz125", "yz250f(2007)", "yz250f_se(2006)", "yz250f(2008)", "yz250f(2009)", "yz250f(2013)", "yz250f(2016)",
    "yz250f(2017)", "yz250f(2018)", "yz250(2012)", "yz450f(2011)", "yz450f(2013)", "yz450f(2016)", "yz450f(2017)",
    "yz450f(2018)", "125sx", "250sxf(2009)", "250sxf(2013)", "250sxf(2016)", "250sxf(2017)", "250sxf(2018)",
    "250sx(2012)", "350sxf(2011)", "350sxf(2013)", "350sxf(2017)", "450sxf(2011)", "450sxf(2013)", "450sxf(2016)",
    "450sxf(2017)", "450sxf(2018)", "fc250(2017)", "fc250(2018)", "fc450(2017)", "fc450(2018)", "rs50cr", "rs50kx",
    "rs50rm", "rs50yz",
};

struct ConsoleCount {
  int start = console.write_index;
  int count() const { return (console.write_index - start + CONSOLE_LINES) % CONSOLE_LINES; }
};

TEST(Catalogue, EightyModelsInTheFixedOrder) {
  EXPECT_EQ(bike_model(-1), nullptr);
  EXPECT_EQ(bike_model(BIKE_MODEL_COUNT), nullptr);
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    ASSERT_NE(bike_model(i), nullptr);
    EXPECT_STREQ(bike_model(i)->name, kOrder[i]) << "index " << i;
  }
}

void expect3(const float* v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v[0], x);
  EXPECT_FLOAT_EQ(v[1], y);
  EXPECT_FLOAT_EQ(v[2], z);
}

void expect_floats(const float* v, std::initializer_list<float> want) {
  int i = 0;
  for (float w : want) EXPECT_FLOAT_EQ(v[i++], w) << "entry " << i - 1;
}

TEST(Catalogue, DefaultModelValues) {
  const BikeModel* m = bike_model(BIKE_DEFAULT_MODEL);
  EXPECT_STREQ(m->name, "yz250f(2017)");
  EXPECT_STREQ(m->class_name, "250f");
  expect3(m->front_wheel.center, 0, 1.09f, 1.11f);
  expect_floats(&m->front_wheel.tire_ring_radius, {10.0f / 12, 0.3333f, 0.40625f, 0.5f, 0.15625f});
  expect3(m->rear_wheel.center, 0, 1.04f, 6.0f);
  expect_floats(&m->rear_wheel.tire_ring_radius, {0.75f, 0.3333f, 0.46875f, 0.5f, 0.3125f});
  expect3(m->frame_position, 0, 1.98f, 3.6f);
  EXPECT_FLOAT_EQ(m->frame_mass, 4.24f);
  expect3(m->frame_box, 10.0f / 12, 20.0f / 12, 20.0f / 12);
  expect3(m->steering_head, 0, 2.9f, 2.16f);
  expect3(m->swingarm_position, 0, 1.34f, 4.99f);
  expect3(m->swingarm_pivot, 0, 1.6f, 4.08f);
  expect3(m->fork_lower_position, 0, 1.77f, 1.59f);
  expect_floats(&m->fork_tube_spacing, {10.0f / 12, 3.0f, 0.703125f, 335.98f, 873.56f, 0, 0.08333f, 5.0f / 12, 0.25f});
  expect_floats(m->fork_damping, {60, 60, 30, 30});
  EXPECT_FLOAT_EQ(m->fork_travel, 1.0f);
  expect_floats(&m->swingarm_mass, {0.504375f, 2217.5f, 4905.37f, 0, 0.33333f});
  expect_floats(m->shock_damping, {800, 200, 600, 150});
  expect_floats(m->linkage, {0.283652f, 0.413386f, 0.530304f, 0.75f, 0.315039f, 0.460479f, 0.607049f});
  expect_floats(&m->primary_ratio, {3.352941f, 13, 50});
  expect_floats(m->gear_ratios, {2.142857f, 1.75f, 1.444445f, 1.222222f, 1.041667f, -1});
  expect_floats(&m->engine_inertia, {0.0048828125f, 7500, 0.75f});
  EXPECT_FLOAT_EQ(m->shift_down_rpm, 8000);
  EXPECT_FLOAT_EQ(m->shift_up_rpm, 12500);
  expect3(m->rider_lean_axis, 0, 0.08333f, 0.08333f);
  expect3(m->rider_position, 0, 4.5f, 4.12f);
  expect_floats(&m->rider_lean_min, {-0.66667f, 0.5f, 4.6875f});
  expect_floats(m->rider_pose, {0, 0.808383f, -0.943369f, -0.556f, 0.580375f, -0.654514f, 0.556f});
  expect_floats(m->rider_pose + 27, {0.9f, 1.15f, 1.328f, 1.701f, -1.456f});
  expect_floats(m->rider_pose + 55, {0, -0.88f, 0.01f});
}

TEST(Catalogue, DefaultTorqueCurves) {
  const BikeModel* m = bike_model(BIKE_DEFAULT_MODEL);
  for (int i = 0; i < 4; i++) EXPECT_FLOAT_EQ(m->open_torque[i], 5) << i;  // below 2000 rpm
  for (int i = 4; i <= 18; i++) EXPECT_GT(m->open_torque[i], m->open_torque[i - 1]) << i;
  EXPECT_FLOAT_EQ(m->open_torque[18], 19.345f);  // 9000 rpm, the peak
  for (int i = 0; i < BIKE_TORQUE_POINTS; i++) EXPECT_LE(m->open_torque[i], 19.345f);
  EXPECT_FLOAT_EQ(m->open_torque[26], 15.025f);
  EXPECT_FLOAT_EQ(m->open_torque[27], 7.513f);
  EXPECT_FLOAT_EQ(m->open_torque[28], 0);
  for (int i = 29; i < BIKE_TORQUE_POINTS; i++) EXPECT_LT(m->open_torque[i], 0) << i;
  expect_floats(m->closed_torque, {2, 2, 1, 0, -0.5f, -1});
  EXPECT_FLOAT_EQ(m->closed_torque[49], -23);
}

TEST(Catalogue, DefaultFiles) {
  const char* const want[BIKE_FILE_COUNT] = {
      "@yz250fv2014_frame.qm", "@generic_frame.shp", "@yz250fv2014.png", "@yz250fv2014_fork_upper.qm",
      "@generic_fork_upper.shp", "@yz250fv2014_fork_lower.qm", "@generic_fork_lower.shp",
      "@yz250fv2014_swingarm.qm", "@generic_swingarm.shp", "@front_wheel.qm", "@front_wheel.shp",
      "@rear_wheel.qm", "@rear_wheel.shp", "@wheels.png", "@rider_head.qm", "@rider_head.png", "@rider_body.qm",
      "@rider_body_fp.qm", "@generic_rider.shp", "@rider_body.png", "@yz250fv2014_side_plates.qm",
      "@yz250fv2014_front_plate.qm", "@rider_plate.qm"};
  for (int f = 0; f < BIKE_FILE_COUNT; f++) EXPECT_STREQ(bike_model(BIKE_DEFAULT_MODEL)->files[f], want[f]);
}

// Values a whole class shares; the 350sxf models share theirs whatever their
// class.
struct ClassRule {
  const char* key;   // class, or "350" for the 350sxf models
  float frame_mass, rider_mass, engine_inertia, shift_down, shift_up;
  float peak_low, peak_high;  // open-throttle peak torque range
};

const ClassRule kRules[] = {
    {"125", 3.65375f, 4.6875f, 0.0048828125f, 9400, 12000, 16.0f, 17.4f},
    {"250f", 4.24f, 4.6875f, 0.0048828125f, 8000, 12500, 18.0f, 21.0f},
    {"250", 4.365625f, 5.46875f, 0.0068359375f, 6000, 9000, 30.0f, 33.0f},
    {"450f", 4.735f, 5.46875f, 0.00885009765625f, 6000, 10500, 29.7f, 36.2f},
    {"350", 4.735f, 5.46875f, 0.0068359375f, 6000, 10500, 27.0f, 29.0f},
    {"50", 3.34125f, 4.6875f, 0.0011935764f, 9400, 12000, 4.3f, 4.3f},
};

const ClassRule& rule_for(const BikeModel* m) {
  const char* key = std::strncmp(m->name, "350sxf", 6) == 0 ? "350" : m->class_name;
  for (const ClassRule& r : kRules)
    if (std::strcmp(r.key, key) == 0) return r;
  ADD_FAILURE() << "no class rule for " << m->name;
  return kRules[0];
}

float peak_torque(const BikeModel* m) {
  float peak = m->open_torque[0];
  for (float t : m->open_torque) peak = t > peak ? t : peak;
  return peak;
}

TEST(Catalogue, ClassValuesAreSharedByEveryModel) {
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel* m = bike_model(i);
    SCOPED_TRACE(m->name);
    const ClassRule& r = rule_for(m);
    EXPECT_FLOAT_EQ(m->frame_mass, r.frame_mass);
    EXPECT_FLOAT_EQ(m->rider_mass, r.rider_mass);
    EXPECT_FLOAT_EQ(m->engine_inertia, r.engine_inertia);
    EXPECT_FLOAT_EQ(m->shift_down_rpm, r.shift_down);
    EXPECT_FLOAT_EQ(m->shift_up_rpm, r.shift_up);
    EXPECT_GE(peak_torque(m), r.peak_low - 1e-4f);
    EXPECT_LE(peak_torque(m), r.peak_high + 1e-4f);
    EXPECT_LT(m->open_torque[BIKE_TORQUE_POINTS - 1], 0) << "engine braking past the useful range";
    EXPECT_LT(m->closed_torque[BIKE_TORQUE_POINTS - 1], 0);
  }
  EXPECT_STREQ(lookup_bike_model("350sxf(2011)")->class_name, "450f");
  EXPECT_STREQ(lookup_bike_model("350sxf(2013)")->class_name, "250f");
  EXPECT_STREQ(lookup_bike_model("350sxf(2017)")->class_name, "250f");
}

int gear_count(const BikeModel* m) {
  int n = 0;
  while (n < BIKE_GEARS && m->gear_ratios[n] > 0) n++;
  return n;
}

TEST(Catalogue, GearCounts) {
  const std::set<std::string> six = {"kx125", "rm125", "yz125", "125sx", "250sxf(2009)", "250sxf(2013)",
                                     "rs50cr", "rs50kx", "rs50rm", "rs50yz"};
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel* m = bike_model(i);
    EXPECT_EQ(gear_count(m), six.count(m->name) ? 6 : 5) << m->name;
    for (int g = 1; g < gear_count(m); g++) EXPECT_LT(m->gear_ratios[g], m->gear_ratios[g - 1]) << m->name;
  }
}

// The numbers of our own must still make a bike that can be assembled: the
// steering axis leans back, the wheels are in front of and behind the frame,
// the swingarm body sits between its pivot and the rear axle.
TEST(Catalogue, EveryModelHasASensibleLayout) {
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel* m = bike_model(i);
    SCOPED_TRACE(m->name);
    EXPECT_LT(m->front_wheel.center[2], m->fork_lower_position[2]);
    EXPECT_LT(m->fork_lower_position[2], m->steering_head[2]);
    EXPECT_LT(m->fork_lower_position[1], m->steering_head[1]);
    EXPECT_LT(m->steering_head[2], m->frame_position[2]);
    EXPECT_LT(m->frame_position[2], m->swingarm_pivot[2]);
    EXPECT_LT(m->swingarm_pivot[2], m->swingarm_position[2]);
    EXPECT_LT(m->swingarm_position[2], m->rear_wheel.center[2]);
    EXPECT_GT(m->rider_position[1], m->frame_position[1]);
    float wheelbase = m->rear_wheel.center[2] - m->front_wheel.center[2];
    EXPECT_GT(wheelbase, 4.6f);
    EXPECT_LT(wheelbase, 5.1f);
    EXPECT_GT(m->fork_spring_max, m->fork_spring_min);
    EXPECT_GT(m->shock_spring_max, m->shock_spring_min);
    EXPECT_GT(m->linkage[1], m->linkage[0]);
    EXPECT_EQ(std::memcmp(m->rider_pose, bike_model(BIKE_DEFAULT_MODEL)->rider_pose, sizeof m->rider_pose), 0);
  }
}

TEST(Catalogue, FileNamesFollowTheDefaultsPattern) {
  const BikeModel* d = bike_model(BIKE_DEFAULT_MODEL);
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel* m = bike_model(i);
    SCOPED_TRACE(m->name);
    std::string frame = m->files[BIKE_FILE_FRAME_MODEL];
    ASSERT_GT(frame.size(), 10u);
    std::string prefix = frame.substr(0, frame.size() - std::strlen("_frame.qm"));
    EXPECT_EQ(std::string(m->files[BIKE_FILE_BIKE_TEXTURE]), prefix + ".png");
    EXPECT_EQ(std::string(m->files[BIKE_FILE_SWINGARM_MODEL]), prefix + "_swingarm.qm");
    EXPECT_EQ(std::string(m->files[BIKE_FILE_FRONT_PLATE_MODEL]), prefix + "_front_plate.qm");
    for (int f : {BIKE_FILE_FRAME_SHAPE, BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_WHEEL_TEXTURE,
                  BIKE_FILE_BODY_MODEL, BIKE_FILE_RIDER_SHAPE, BIKE_FILE_RIDER_PLATE_MODEL})
      EXPECT_STREQ(m->files[f], d->files[f]);
  }
}

TEST(CatalogueLookup, ExactNamesAndSubstitutes) {
  struct Case {
    const char* name;
    int index;
    int messages;
  } cases[] = {
      {"yz250f(2017)", 49, 0},
      {"cr125", 0, 0},
      {"rs50yz", 79, 0},
      {"cr125x", 0, 1},        // contains 125: the first model containing it
      {"xr125(1999)", 0, 1},
      {"yz250f(2030)", 15, 1},  // anything else: the first "250f", kx250f(2007)
      {"", 15, 1},
      {"YZ250F(2017)", 15, 1},  // the comparison is exact
      {"yz250f", 15, 1},        // legacy names are mapped before, not here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConsoleCount watch;
    EXPECT_EQ(find_bike_model(c.name), c.index);
    EXPECT_EQ(watch.count(), c.messages);
  }
  ConsoleCount watch;
  find_bike_model("superbike9000");
  EXPECT_STREQ(console_line(0), "bike info for 'superbike9000' not found using 'kx250f(2007)' instead");
  find_bike_model("an extremely long model name 125");
  EXPECT_STREQ(console_line(0), "bike info for 'an extremely long mo' not found using 'cr125' instead");
}

TEST(CatalogueLookup, LookupIsExactAndSilent) {
  ConsoleCount watch;
  EXPECT_EQ(lookup_bike_model("kx450f(2016)"), bike_model(25));
  EXPECT_EQ(lookup_bike_model("kx450f(2016) "), nullptr);
  EXPECT_EQ(lookup_bike_model("Kx450f(2016)"), nullptr);
  EXPECT_EQ(lookup_bike_model("cr125x"), nullptr);
  EXPECT_EQ(watch.count(), 0);
}

TEST(CatalogueLookup, LegacyNames) {
  const char* const pairs[][2] = {{"crf250", "crf250(2008)"}, {"kx250f", "kx250f(2008)"},
                                  {"rmz250", "rmz250(2008)"}, {"yz250f", "yz250f(2008)"},
                                  {"yz250f(2017)", "yz250f(2017)"}, {"YZ250F", "YZ250F"},
                                  {"crf450", "crf450"}};
  for (const auto& p : pairs) EXPECT_STREQ(bike_legacy_name(p[0]), p[1]);
  EXPECT_EQ(find_bike_model(bike_legacy_name("yz250f")), 45);
}

TEST(CatalogueGears, ClampingStepsDownToAGearTheBikeHas) {
  const BikeModel* six = lookup_bike_model("yz125");
  const BikeModel* five = lookup_bike_model("cr125");
  struct Case {
    const BikeModel* model;
    int requested, granted;
  } cases[] = {
      {six, 5, 5}, {five, 5, 4}, {five, 4, 4}, {five, 99, 4}, {six, 99, 5}, {six, -3, 0}, {five, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(gear_clamp(c.model, c.requested), c.granted) << c.requested;
  EXPECT_TRUE(gear_count_valid(six, 5));
  EXPECT_FALSE(gear_count_valid(five, 5));
  EXPECT_TRUE(gear_count_valid(five, 0));
  EXPECT_FALSE(gear_count_valid(five, -1));
  EXPECT_FALSE(gear_count_valid(six, 6));
}

TEST(CatalogueTorque, LookupInterpolatesAndStaysInsideTheTable) {
  float table[BIKE_TORQUE_POINTS];
  for (int i = 0; i < BIKE_TORQUE_POINTS; i++) table[i] = (float)(i * i);
  struct Case {
    float rpm, torque;
  } cases[] = {
      {0, 0}, {250, 0.5f}, {500, 1}, {1250, 6.5f}, {-1000, 0}, {24000, 48 * 48},
      {24250, (48 * 48 + 49 * 49) / 2.0f}, {24500, 49 * 49}, {24750, 49 * 49}, {1e9f, 49 * 49},
      {INFINITY, 49 * 49}, {-INFINITY, 0}, {NAN, 0},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(torque_lookup(table, c.rpm), c.torque) << c.rpm;
  const BikeModel* d = bike_model(BIKE_DEFAULT_MODEL);
  EXPECT_FLOAT_EQ(torque_lookup(d->open_torque, 9000), 19.345f);
  EXPECT_FLOAT_EQ(torque_lookup(d->closed_torque, 0), 2);
}

}  // namespace
