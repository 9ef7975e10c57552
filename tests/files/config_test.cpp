// The configuration file: the written form, reading it back, and what
// damaged lines and out-of-range values do.
#include <cstring>
#include <sstream>

#include "files/settings.h"
#include "vfs_fixture.h"

namespace {

class ConfigTest : public VfsTest {
 protected:
  void SetUp() override {
    VfsTest::SetUp();
    settings_defaults();
  }
  void TearDown() override {
    settings_defaults();
    VfsTest::TearDown();
  }
  void read_text(const std::string& text) {
    home_file("config", text);
    config_read();
  }
  std::string written() {
    EXPECT_TRUE(config_write());
    return read_whole(home / "config");
  }
};

std::vector<std::string> keys_of(const std::string& text) {
  std::vector<std::string> keys;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) keys.push_back(line.substr(0, line.find('=')));
  return keys;
}

}  // namespace

TEST_F(ConfigTest, WrittenInTheFixedOrder) {
  std::vector<std::string> want = {"xres", "yres", "draw_fps", "draw_time", "draw_ping", "draw_speed", "spy",
                                   "track", "record", "skill", "minutes", "laps"};
  for (int i = 0; i < 40; i++) want.push_back((i < 10 ? "slot0" : "slot") + std::to_string(i));
  for (const char* k : {"ghost_fade_distance", "time_trial_abort"}) want.push_back(k);
  // The bike setup block sits here, in its own fixed order.
  for (const char* k :
       {"bike", "name", "number", "rider_texture", "head_texture", "bike_texture", "wheel_texture", "stability",
        "leveling", "roll_damping", "roll_limit_angle", "roll_limit_factor", "steering_damping",
        "steering_strength", "max_steering_force", "direct_steering", "slow_damping_speed", "slow_damping_factor",
        "land_damping_falloff", "land_damping_factor", "full_lock_speed", "restricted_lock_speed",
        "restricted_lock", "arcade", "front_brake", "rear_brake", "stop_wheelies", "auto_shift", "auto_dab",
        "auto_align", "sticky_dab", "reverse_steering", "lean_indicator", "auto_clutch_rpms", "brake_torque",
        "rear_brake_torque", "max_dab_speed", "front_sprocket_adjustment", "rear_sprocket_adjustment",
        "fork_compression_adjustment", "fork_slow_compression_adjustment", "fork_rebound_adjustment",
        "fork_slow_rebound_adjustment", "fork_spring_rate_adjustment", "fork_preload_adjustment",
        "fork_oil_level_adjustment", "shock_compression_adjustment", "shock_slow_compression_adjustment",
        "shock_rebound_adjustment", "shock_slow_rebound_adjustment", "shock_spring_rate_adjustment",
        "shock_preload_adjustment", "rider_yspring", "rider_ydamping", "rider_zspring", "rider_zdamping",
        "rider_mass_distribution"})
    want.push_back(k);
  for (const char* k : {"video_mode", "server_name"}) want.push_back(k);
  for (int i = 0; i < 16; i++) want.push_back((i < 10 ? "server_name_hist0" : "server_name_hist") + std::to_string(i));
  for (const char* k : {"ground_detail", "ground_texture_detail", "ground_texture_dim", "ground_mipmaps",
                        "texture_compress", "render_texture", "use_shader", "roost_density", "reshade_delay",
                        "lens_flare", "reflections", "hide_rider", "rigid_camera", "model_detail",
                        "model_texture_detail", "fov", "first_person_height", "first_person_angle",
                        "third_person_height", "third_person_distance", "volume", "comp_volume", "playback_mode",
                        "billboard_optimize_lookahead", "message_lines", "demo_backups", "map_scale",
                        "throttle_key", "front_brake_key", "rear_brake_key", "left_key", "right_key", "clutch_key",
                        "upshift_key", "downshift_key", "dab_key", "back_up_key", "lean_forward_key",
                        "lean_backward_key", "pause_key", "step_key", "rewind_key", "skip_key", "prev_key",
                        "next_key", "console_key", "screenshot_key"})
    want.push_back(k);
  std::string text = written();
  EXPECT_EQ(keys_of(text), want);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("\nfov=110.000000\n"), std::string::npos);
  EXPECT_NE(text.find("\nslot19=Human\n"), std::string::npos);
  EXPECT_NE(text.find("\nthrottle_key=(k)x\n"), std::string::npos);
  EXPECT_NE(text.find("\nrewind_key=(k)\\\n"), std::string::npos);
}

TEST_F(ConfigTest, WrittenValuesReadBackTheSame) {
  Settings& s = settings;
  s.xres = 1024;
  s.draw_fps = 1;
  text_set(&s.track, "hillside");
  choice_set_by_name(&s.skill, "Expert");
  real_set(&s.laps, 12);
  real_set(&s.fov, 87.125);
  real_set(&s.first_person_height, 0.35);
  choice_set_by_name(&s.lineup[3], "Robot (2 stroke)");
  choice_set_by_name(&s.lineup[19], "Empty");
  text_set(&s.server_name, "example.org:1234");
  server_history_push("one.example");
  server_history_push("two.example");
  choice_set_by_name(&s.render_texture, "Shaders/Copy");
  s.map_scale = 2.5;
  s.demo_backups = 7;
  binding_set_key(&s.bindings[BIND_THROTTLE], "right shift");
  binding_clear(&s.bindings[BIND_CLUTCH]);
  std::snprintf(s.bindings[BIND_LEFT].axis_name, sizeof s.bindings[BIND_LEFT].axis_name, "joy0 x axis");
  s.bindings[BIND_LEFT].key_name[0] = 0;
  s.bindings[BIND_LEFT].low = -0.25;
  s.bindings[BIND_LEFT].high = 0.75;
  std::string first = written();
  EXPECT_EQ(first.find("clutch_key"), std::string::npos);  // neither key nor axis: not written

  settings_defaults();
  config_read();
  EXPECT_EQ(s.xres, 1024);
  EXPECT_EQ(s.draw_fps, 1);
  EXPECT_STREQ(s.track.text, "hillside");
  EXPECT_STREQ(choice_name(&s.skill), "Expert");
  EXPECT_EQ(s.laps.value, 12);
  EXPECT_NEAR(s.fov.value, 87.125, 1e-6);
  EXPECT_NEAR(s.first_person_height.value, 0.35, 1e-6);
  EXPECT_STREQ(choice_name(&s.lineup[3]), "Robot (2 stroke)");
  EXPECT_STREQ(choice_name(&s.lineup[19]), "Empty");
  EXPECT_STREQ(s.server_name.text, "example.org:1234");
  EXPECT_STREQ(s.server_history[0], "two.example");
  EXPECT_STREQ(s.server_history[1], "one.example");
  EXPECT_STREQ(choice_name(&s.render_texture), "Shaders/Copy");
  EXPECT_EQ(s.map_scale, 2.5);
  EXPECT_EQ(s.demo_backups, 7);
  EXPECT_STREQ(s.bindings[BIND_THROTTLE].key_name, "right shift");
  EXPECT_STREQ(s.bindings[BIND_LEFT].axis_name, "joy0 x axis");
  EXPECT_STREQ(s.bindings[BIND_LEFT].key_name, "");
  EXPECT_EQ(s.bindings[BIND_LEFT].low, -0.25);
  EXPECT_EQ(s.bindings[BIND_LEFT].high, 0.75);
  // The clutch had no binding in the file, so it keeps its default key.
  EXPECT_STREQ(s.bindings[BIND_CLUTCH].key_name, "z");
  // And the same file again, byte for byte (reals to six decimals).
  binding_clear(&s.bindings[BIND_CLUTCH]);
  EXPECT_EQ(written(), first);
}

TEST_F(ConfigTest, BadValuesAreClampedOrIgnored) {
  struct Case {
    std::string line;
    const char* key;      // setting to look at
    std::string want;     // its value afterwards, as the file would write it
  } cases[] = {
      {"fov=500", "fov", "170.000000"},
      {"fov=nan", "fov", "110.000000"},
      {"fov=-5", "fov", "10.000000"},
      {"fov=abc", "fov", "110.000000"},
      {"fov =50", "fov", "110.000000"},  // the key is "fov ", which is unknown
      {"laps=99", "laps", "50.000000"},
      {"map_scale=0", "map_scale", "0.125000"},
      {"map_scale=1e9", "map_scale", "8.000000"},
      {"map_scale=x", "map_scale", "1.000000"},
      {"map_scale=nan", "map_scale", "1.000000"},
      {"skill=expert", "skill", "Novice"},
      {"skill=Expert", "skill", "Expert"},
      {"xres=abc", "xres", "640"},
      {"xres=1024\r", "xres", "1024"},
      {"xres=800 wide", "xres", "800"},
      {"video_mode=1920x1080", "video_mode", "Default Fullscreen"},
      {"slot40=Human", "slot39", "Empty"},
      {"slot05=Robot", "slot05", "Robot"},
      {"track=" + std::string(200, 't'), "track", std::string(127, 't')},
  };
  for (const Case& c : cases) {
    settings_defaults();
    read_text(c.line + "\n");
    std::string text = written();
    std::string want = std::string("\n") + c.key + "=" + c.want + "\n";
    EXPECT_NE(("\n" + text).find(want), std::string::npos) << c.line;
  }
}

TEST_F(ConfigTest, LegacyUseFboGivesWayToALaterRenderTexture) {
  read_text("use_fbo=No\n");
  EXPECT_STREQ(choice_name(&settings.render_texture), "Hardware/Copy");
  read_text("use_fbo=Yes\n");
  EXPECT_STREQ(choice_name(&settings.render_texture), "Hardware/Direct");
  read_text("use_fbo=No\nrender_texture=Software\nground_texture_distance=3\n");
  EXPECT_STREQ(choice_name(&settings.render_texture), "Software");
  EXPECT_EQ(written().find("use_fbo"), std::string::npos);  // read, never written
}

TEST_F(ConfigTest, BindingValues) {
  struct Case {
    const char* value;
    const char* key;
    const char* axis;
    double low, high;
  } cases[] = {
      {"(0.1,0.9)joy0 throttle", "", "joy0 throttle", 0.1, 0.9},
      {"  (-1,1)stick", "", "stick", -1, 1},
      {"(k)right shift", "right shift", "", 0, 1},
      {"right shift", "right shift", "", 0, 1},
      {"(k)(", "(", "", 0, 1},
      {"(1)x", "(1)x", "", 0, 1},  // one real is not a calibration
      {"", "", "", 0, 1},
  };
  for (const Case& c : cases) {
    read_text(std::string("throttle_key=") + c.value + "\n");
    const ControlBinding& b = settings.bindings[BIND_THROTTLE];
    EXPECT_STREQ(b.key_name, c.key) << c.value;
    EXPECT_STREQ(b.axis_name, c.axis) << c.value;
    EXPECT_NEAR(b.low, c.low, 1e-6) << c.value;
    EXPECT_NEAR(b.high, c.high, 1e-6) << c.value;
  }
}

TEST_F(ConfigTest, HistoryEntriesLongerThan126AreNotReadBack) {
  std::string e126(126, 'a'), e127(127, 'b');
  std::snprintf(settings.server_history[0], sizeof settings.server_history[0], "%s", e126.c_str());
  std::snprintf(settings.server_history[1], sizeof settings.server_history[1], "%s", e127.c_str());
  std::string text = written();
  EXPECT_NE(text.find("server_name_hist01=" + e127 + "\n"), std::string::npos);
  server_history_clear();
  config_read();
  EXPECT_EQ(std::string(settings.server_history[0]), e126);
  EXPECT_STREQ(settings.server_history[1], "");
}

TEST_F(ConfigTest, GarbageLinesCostOnlyThemselves) {
  std::string junk("\x01\x02=\xff\xfe\n", 6);
  std::string long_line = "server_name=" + std::string(1500, 'x') + "=fov=20\n";
  read_text("just words\n" + junk + "=\n" + long_line + "fov=100\n\n=novalue\nlaps=7");
  EXPECT_EQ(settings.fov.value, 100);  // the long line's tail is not a line of its own
  EXPECT_EQ(settings.laps.value, 7);   // the last line needs no newline
  EXPECT_EQ(std::string(settings.server_name.text), std::string(127, 'x'));
}

TEST_F(ConfigTest, MissingFileKeepsDefaults) {
  real_set(&settings.fov, 42);
  config_read();
  EXPECT_EQ(settings.fov.value, 42);
}

TEST_F(ConfigTest, FailedWriteKeepsThePreviousFile) {
  home_file("config", "fov=33\n");
  // The temporary file lands on a full disk: opening works, writing fails.
  fs::create_symlink("/dev/full", home / "config.tmp");
  EXPECT_FALSE(config_write());
  EXPECT_EQ(read_whole(home / "config"), "fov=33\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status(home / "config.tmp")));
  EXPECT_TRUE(config_write());
  EXPECT_NE(read_whole(home / "config"), "fov=33\n");
}

TEST_F(ConfigTest, HomeThatTakesNoFileSendsItToTheSecondFolder) {
  fs::create_directories(home / "config.tmp");  // nothing can be written there
  EXPECT_TRUE(config_write());
  EXPECT_FALSE(fs::exists(home / "config"));
  EXPECT_NE(read_whole(second / "config").find("fov=110.000000\n"), std::string::npos);
}
