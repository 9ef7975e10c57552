// Setup adjustments into the bike record, the stability preset, and the
// setup keys of the configuration block and "@setups/" files.
#include <cstring>
#include <fstream>
#include <string>

#include "core/core.h"
#include "files/settings.h"
#include "physics_fixture.h"

namespace bike_test {
namespace {

struct Setup : PhysicsTest {
  Bike* bike = nullptr;
  void SetUp() override {
    PhysicsTest::SetUp();
    settings_defaults();
    const char* names[BIKE_MODEL_COUNT];
    for (int i = 0; i < BIKE_MODEL_COUNT; i++) names[i] = bike_model(i)->name;
    choice_set_items(&settings.setup.bike, names, BIKE_MODEL_COUNT);
    choice_set_by_name(&settings.setup.bike, "yz250f(2017)");
    bike = bike_create("yz250f(2017)", 0, true, 1, nullptr, nullptr, nullptr, nullptr);
    console_clear();
  }
  std::string home_file(const std::string& name) {
    return std::string(vfs_home_folder()) + "/" + name;
  }
};

TEST_F(Setup, DampingSettingsScaleTheCatalogueCoefficients) {
  SetupSettings& u = settings.setup;
  const BikeModel* m = bike->info;
  struct Case {
    double setting;
    double high, low;  // multipliers of the high-speed and low-speed coefficients
  } cases[] = {{0, 0.25, -1}, {50, 1, 0}, {100, 4, 1}, {75, 2, 0.5}};
  for (const Case& c : cases) {
    real_set(&u.fork_compression, c.setting);
    real_set(&u.fork_slow_compression, c.setting);
    real_set(&u.shock_rebound, c.setting);
    real_set(&u.shock_slow_rebound, c.setting);
    ASSERT_TRUE(apply_bike_setup(bike));
    EXPECT_NEAR(bike->fork_damping.hsc, c.high * m->fork_damping[0], 1e-3) << c.setting;
    EXPECT_NEAR(bike->fork_damping.lsc, c.low * m->fork_damping[1], 1e-3) << c.setting;
    EXPECT_NEAR(bike->shock_damping.hsr, c.high * m->shock_damping[2], 1e-2) << c.setting;
    EXPECT_NEAR(bike->shock_damping.lsr, c.low * m->shock_damping[3], 1e-2) << c.setting;
  }
  real_set(&u.fork_spring_rate, 100);
  real_set(&u.shock_preload, 0);
  real_set(&u.fork_oil_level, 100);
  ASSERT_TRUE(apply_bike_setup(bike));
  EXPECT_FLOAT_EQ(bike->fork_spring, m->fork_spring_max);
  EXPECT_FLOAT_EQ(bike->shock_preload, m->shock_preload_min);
  EXPECT_FLOAT_EQ(bike->fork_air_gap, m->fork_air_gap_max);
}

TEST_F(Setup, AidsBrakesAndFlagsFromTheMenus) {
  ASSERT_TRUE(apply_bike_setup(bike));  // menu defaults
  EXPECT_FLOAT_EQ(bike->leveling, 20);
  EXPECT_FLOAT_EQ(bike->roll_damping, 60);
  EXPECT_NEAR(bike->roll_limit_angle, M_PI / 4, 1e-6);
  EXPECT_NEAR(bike->restricted_lock_angle, 7.5 * M_PI / 180, 1e-6);
  EXPECT_NEAR(bike->max_dab_speed, 88, 1e-4);  // 60 mph
  EXPECT_FLOAT_EQ(bike->front_brake_torque, 500);
  EXPECT_FLOAT_EQ(bike->rear_brake_torque, 250);
  EXPECT_EQ(bike->arcade, 1);
  EXPECT_EQ(bike->flags & 6, 6);  // "Stop Wheelies" Yes
  EXPECT_TRUE(bike->flags & BIKE_FLAG_FRONT_ANTILOCK);
  EXPECT_FALSE(bike->flags & BIKE_FLAG_REAR_ANTILOCK);
  EXPECT_TRUE(bike->flags & BIKE_FLAG_AUTO_SHIFT);
  EXPECT_TRUE(bike->flags & BIKE_FLAG_DAB_WHEN_STOPPED);
  EXPECT_TRUE(bike->flags & BIKE_FLAG_REALIGN);
  choice_set_by_name(&settings.setup.stop_wheelies, "Front Only");
  choice_set_by_name(&settings.setup.front_brake, "Normal");
  choice_set_by_name(&settings.setup.auto_dab, "No");
  bike_arcade_forbidden = true;
  ASSERT_TRUE(apply_bike_setup(bike));
  bike_arcade_forbidden = false;
  EXPECT_EQ(bike->flags & 6, 4);
  EXPECT_FALSE(bike->flags & BIKE_FLAG_FRONT_ANTILOCK);
  EXPECT_FALSE(bike->flags & BIKE_FLAG_DAB_WHEN_STOPPED);
  EXPECT_EQ(bike->arcade, 0);  // the server forbids it
}

TEST_F(Setup, SettersClampToTheirRanges) {
  struct Case {
    int which;
    double value, expected;
  } cases[] = {
      {BV_MAX_DAB_SPEED, 3 * 1.4666666666666666, 7}, {BV_MAX_DAB_SPEED, 200, 100},
      {BV_RESTRICTED_LOCK_ANGLE, 60 * M_PI / 180, M_PI / 4}, {BV_ROLL_LIMIT_ANGLE, 4, M_PI},
      {BV_SLOW_DAMPING_FACTOR, 0, 1}, {BV_AUTO_CLUTCH_RPM, 9000, 5000}, {BV_LEVELING, -5, 0},
      {BV_RIDER_FORWARD_SPRING, 2, 1},
  };
  for (const Case& c : cases) {
    bike_value_set(bike, c.which, c.value);
    EXPECT_NEAR(bike_value(bike, c.which), c.expected, 1e-5) << c.which;
  }
  bike_value_set(bike, BV_LEVELING, 12);
  bike_value_set(bike, BV_LEVELING, std::nan(""));
  EXPECT_FLOAT_EQ(bike->leveling, 12);
}

TEST_F(Setup, SprocketsAndMassDistribution) {
  bike_sprockets_set(bike, -2, 0);  // 13 teeth less two
  EXPECT_FLOAT_EQ(bike->final_drive, 50.0f / 11);
  bike_sprockets_set(bike, 9, -9);  // clamped to +-2
  EXPECT_FLOAT_EQ(bike->final_drive, 48.0f / 15);
  BikeModel tiny = *bike->info;
  tiny.front_sprocket = 4;
  const BikeModel* real = bike->info;
  bike->info = &tiny;
  bike_sprockets_set(bike, -2, 0);
  EXPECT_FLOAT_EQ(bike->final_drive, 50.0f / 3);  // never under 3 teeth
  bike->info = real;

  bike_mass_distribution_set(bike, 0.5);
  dMass frame, rider;
  dBodyGetMass(bike->bodies[BODY_FRAME], &frame);
  dBodyGetMass(bike->bodies[BODY_RIDER], &rider);
  EXPECT_NEAR(frame.mass - real->frame_mass, rider.mass, 1e-6);
  bike_mass_distribution_set(bike, 0.1);
  EXPECT_NEAR(bike->rider_mass_distribution, 0.33, 1e-6);
}

// A moving bike keeps its setup; a second refusal within 10 s tells the
// player why.
TEST_F(Setup, RefusedWhileMoving) {
  real_set(&settings.setup.leveling, 77);
  float before = bike->leveling;
  dBodySetLinearVel(bike->bodies[BODY_FRAME], 0.2, 0, 0);
  const char* last = console_line(0);
  std::string before_line = last ? last : "";
  EXPECT_FALSE(apply_bike_setup(bike));
  EXPECT_EQ(bike->leveling, before);
  EXPECT_FALSE(apply_bike_setup(bike));
  ASSERT_TRUE(console_line(0));
  EXPECT_STREQ(console_line(0), "Settings not applied.  Mechanic can't keep up error.");
  dBodySetLinearVel(bike->bodies[BODY_FRAME], 0.1, 0, 0);
  EXPECT_TRUE(apply_bike_setup(bike));
  EXPECT_FLOAT_EQ(bike->leveling, 77);
}

TEST_F(Setup, StabilityPresetEnds) {
  StabilityPreset full = stability_preset(100), none = stability_preset(0), half = stability_preset(50);
  EXPECT_EQ(full.leveling, 20);
  EXPECT_EQ(full.roll_damping, 60);
  EXPECT_EQ(full.roll_limit_angle, 45);
  EXPECT_EQ(full.steering_damping, 45);
  EXPECT_EQ(full.slow_damping_speed, 40);
  EXPECT_EQ(full.land_damping_factor, 2);
  EXPECT_EQ(full.restricted_lock, 7.5);
  EXPECT_EQ(none.leveling, 0);
  EXPECT_EQ(none.roll_damping, 0);
  EXPECT_EQ(none.roll_limit_factor, 0);
  EXPECT_EQ(none.slow_damping_factor, 1);
  EXPECT_EQ(none.land_damping_factor, 1);
  EXPECT_EQ(none.steering_strength, 75);  // steering itself is not an aid
  EXPECT_EQ(half.leveling, 10);
  EXPECT_EQ(stability_preset(-5).leveling, 0);
  EXPECT_EQ(stability_preset(std::nan("")).leveling, 20);
  // The records' defaults are the preset at 100.
  EXPECT_EQ(settings.setup.leveling.value, 20);
  EXPECT_EQ(settings.setup.restricted_lock.value, 7.5);
}

TEST_F(Setup, ReadingKeys) {
  SetupSettings& u = settings.setup;
  EXPECT_TRUE(setup_read_key("stability", "0", false));
  EXPECT_EQ(u.leveling.value, 0);
  EXPECT_EQ(u.roll_damping.value, 0);
  // stability then leveling keeps the file's leveling; the reverse order
  // ends with the preset's.
  setup_read_key("stability", "100", false);
  setup_read_key("leveling", "33", false);
  EXPECT_EQ(u.leveling.value, 33);
  setup_read_key("leveling", "33", false);
  setup_read_key("stability", "100", false);
  EXPECT_EQ(u.leveling.value, 20);

  struct Case {
    const char *key, *value;
  } cases[] = {{"bike", "yz250f"}, {"number", "12345"}, {"rider_mass_distribution", "0.1"},
               {"name", "Ann Berm"}, {"stop_wheelies", "Front Only"}, {"reverse_steering", "No"}};
  for (const Case& c : cases) EXPECT_TRUE(setup_read_key(c.key, c.value, false)) << c.key;
  EXPECT_STREQ(choice_name(&u.bike), "yz250f(2008)");
  EXPECT_STREQ(u.number.text, "123");
  EXPECT_NEAR(u.rider_mass_distribution.value, 0.33, 1e-6);
  EXPECT_STREQ(u.name.text, "Ann Berm");
  EXPECT_EQ(u.stop_wheelies.index, 2);
  EXPECT_EQ(settings.reverse_steering.index, 0);

  // Bad values leave the setting; unknown keys are not setup keys.
  struct Bad {
    const char *key, *value;
  } bad[] = {{"leveling", "nan"}, {"leveling", "12abc"}, {"leveling", ""}, {"leveling", "inf"},
             {"arcade", "Maybe"}, {"bike", "no such bike"}};
  real_set(&u.leveling, 5);
  for (const Bad& b : bad) EXPECT_TRUE(setup_read_key(b.key, b.value, true)) << b.key << "=" << b.value;
  EXPECT_EQ(u.leveling.value, 5);
  EXPECT_STREQ(choice_name(&u.arcade), "Yes");
  EXPECT_STREQ(choice_name(&u.bike), "yz250f(2008)");
  EXPECT_FALSE(setup_read_key("throttle_key", "x", true));
  setup_read_key("fork_spring_rate_adjustment", "-400", true);
  EXPECT_EQ(u.fork_spring_rate.value, 0);
}

TEST_F(Setup, FilesRoundTripAndBadFilesAreSkipped) {
  SetupSettings& u = settings.setup;
  real_set(&u.stability, 40);
  setup_apply_stability_preset();
  real_set(&u.leveling, 55);
  text_set(&u.name, "Round Trip");
  choice_set_by_name(&u.bike, "kx250f(2008)");
  std::snprintf(u.bike_texture, sizeof u.bike_texture, "%s", "@graphics/bikes/blue.png");
  ASSERT_TRUE(setup_file_save("  trip  "));
  EXPECT_STREQ(console_line(0), "Setup written");
  std::ifstream saved(home_file("setups/trip"));
  std::string first;
  std::getline(saved, first);
  EXPECT_EQ(first, "bike=kx250f(2008)");

  settings_defaults();
  const char* names[BIKE_MODEL_COUNT];
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) names[i] = bike_model(i)->name;
  choice_set_items(&u.bike, names, BIKE_MODEL_COUNT);
  ASSERT_TRUE(setup_file_load("trip"));
  EXPECT_STREQ(console_line(0), "Setup updated");
  EXPECT_EQ(u.stability.value, 40);
  EXPECT_EQ(u.leveling.value, 55);  // the file's own, not the preset's
  EXPECT_EQ(u.roll_damping.value, stability_preset(40).roll_damping);
  EXPECT_STREQ(u.name.text, "Round Trip");
  EXPECT_STREQ(choice_name(&u.bike), "kx250f(2008)");
  EXPECT_STREQ(u.bike_texture, "@graphics/bikes/blue.png");

  // Garbage, unknown keys and out-of-range values: skipped or clamped, and
  // the bike that takes the setup gets no NaN or negative spring.
  {
    std::ofstream bad(home_file("setups/bad"), std::ios::binary);
    bad << "garbage line without equals\nfork_spring_rate_adjustment=-1e300\nshock_spring_rate_adjustment=nan\n"
           "rider_yspring=1e999\nwho=knows\n=\nleveling=\xff\xfe\nmax_dab_speed=-3\r\n";
  }
  ASSERT_TRUE(setup_file_load("bad"));
  EXPECT_EQ(u.fork_spring_rate.value, 0);
  EXPECT_EQ(u.shock_spring_rate.value, 50);
  EXPECT_EQ(u.max_dab_speed.value, 5);
  ASSERT_TRUE(apply_bike_setup(bike));
  EXPECT_GT(bike->fork_spring, 0);
  EXPECT_GT(bike->shock_spring, 0);
  EXPECT_TRUE(std::isfinite(bike->rider_vertical_spring));
  EXPECT_GE(bike->max_dab_speed, 7);

  EXPECT_FALSE(setup_file_load("no such setup"));
  EXPECT_STREQ(console_line(0), "Error reading setup");
}

TEST_F(Setup, MenuUnitsFromTheChosenBike) {
  SetupSettings& u = settings.setup;
  char text[64];
  const BikeModel* m = lookup_bike_model("yz250f(2017)");
  struct Case {
    RealSetting* setting;
    double value;
    std::string expected;
  } cases[] = {
      {&u.front_sprocket_adjustment, -2, "11.00 teeth"},
      {&u.rear_sprocket_adjustment, 1, "51.00 teeth"},
      {&u.fork_preload, 100, "25.40 mm"},
      {&u.shock_preload, 0, "0.00 mm"},
  };
  for (const Case& c : cases) {
    real_set(c.setting, c.value);
    ASSERT_TRUE(setup_unit_text(c.setting, text, sizeof text));
    EXPECT_EQ(text, c.expected);
  }
  real_set(&u.fork_spring_rate, 0);
  ASSERT_TRUE(setup_unit_text(&u.fork_spring_rate, text, sizeof text));
  char expected[64];
  std::snprintf(expected, sizeof expected, "%.3f kg/mm", m->fork_spring_min * 0.0007440819724087572);
  EXPECT_STREQ(text, expected);
  EXPECT_FALSE(setup_unit_text(&u.leveling, text, sizeof text));
  EXPECT_STREQ(text, "");
  u.bike.count = 0;  // no catalogue names yet: no units
  EXPECT_FALSE(setup_unit_text(&u.fork_preload, text, sizeof text));
}

// The configuration block: every setup key once, in order, parsed back by
// the reader.
TEST_F(Setup, ConfigBlockCarriesEveryKey) {
  std::string path = "@setup_block_test";
  Stream* s = stream_open(path.c_str(), "wb");
  ASSERT_TRUE(s);
  setup_config_write(s);
  stream_close(s);
  std::ifstream in(home_file("setup_block_test"));
  std::string line;
  std::vector<std::string> keys;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    ASSERT_NE(eq, std::string::npos) << line;
    keys.push_back(line.substr(0, eq));
    EXPECT_TRUE(setup_config_read_pair(keys.back().c_str(), line.c_str() + eq + 1)) << line;
  }
  ASSERT_EQ(keys.size(), 57u);
  EXPECT_EQ(keys.front(), "bike");
  EXPECT_EQ(keys[7], "stability");
  EXPECT_EQ(keys.back(), "rider_mass_distribution");
  EXPECT_FALSE(setup_config_read_pair("ground_detail", "5"));
}

}  // namespace
}  // namespace bike_test
