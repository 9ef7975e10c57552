// Command-line parsing: option matching, values, messages and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/launch.h"
#include "files/settings.h"

namespace {

struct Parsed {
  int status;          // -1 = go on
  std::string stderr_text;
};

Parsed parse(std::vector<std::string> args) {
  settings_defaults();
  settings_apply_preset(PRESET_COMPATIBILITY);
  launch_defaults();
  render_params_derive();
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  testing::internal::CaptureStderr();
  int status = cmdline_parse((int)argv.size(), argv.data());
  return Parsed{status, testing::internal::GetCapturedStderr()};
}

struct ErrorCase {
  std::vector<std::string> args;
  const char* message;
};

TEST(CommandLine, MalformedArgumentsFailWithTheirMessageAndStatus1) {
  const ErrorCase cases[] = {
      {{"--nonsense"}, "bad option '--nonsense'\n"},
      {{"--fugly=1"}, "bad option '--fugly=1'\n"},
      {{"-"}, "bad option '-'\n"},
      {{"a.dwdemo", "b.dwdemo"}, "Too many files!\n"},
      {{"--texture-detail", "high"}, "Bad arg for --texture-detail\n"},
      {{"--ground-texture-detail=x"}, "Bad arg for --ground-texture-detail\n"},
      {{"--roostfrequency", ""}, "Bad arg for --roostfrequency\n"},
      {{"--erode", "lots"}, "Bad arg for --erode\n"},
      {{"--detail", "?"}, "Bad arg for --detail\n"},
      {{"--max-detail-distance", "far"}, "Bad arg for --max-detail-distance\n"},
      {{"--lod-scale", "big"}, "Bad arg for --lod-scale\n"},
      {{"--lod-bias=-"}, "Bad arg for --lod-bias\n"},
      {{"--lock-fps", "fast"}, "Bad arg for --lock-fps\n"},
      {{"--fake-lag", "ms"}, "Bad arg for --fake-lag\n"},
      {{"--fake-loss", "%"}, "Bad arg for --fake-loss\n"},
      {{"--chase-center", "1,2"}, "Bad arg for --chase-center\n"},
      {{"--lock-fps"}, "Bad arg for --lock-fps\n"},  // value missing at the end
      {{"--\xc3\xa9t\xc3\xa9"}, "bad option '--\xc3\xa9t\xc3\xa9'\n"},
  };
  for (const ErrorCase& c : cases) {
    Parsed p = parse(c.args);
    EXPECT_EQ(p.status, 1) << c.args[0];
    EXPECT_EQ(p.stderr_text, c.message) << c.args[0];
  }
}

TEST(CommandLine, ValuesAreClampedAsDocumented) {
  EXPECT_EQ(parse({"--texture-detail", "9"}).status, -1);
  EXPECT_EQ(render_params.model_texture_level, 4);
  EXPECT_EQ(render_params.ground_texture_level, 4);
  parse({"--texture-detail=-3"});
  EXPECT_EQ(render_params.model_texture_level, 0);
  EXPECT_EQ(render_params.ground_texture_level, 0);
  parse({"--erode", "0.5"});
  EXPECT_EQ(launch.erode_scale, 512);
  parse({"--erode", "250"});
  EXPECT_EQ(launch.erode_scale, 100 * 1024);
  parse({"--fake-lag", "2500", "--fake-loss", "150"});
  EXPECT_DOUBLE_EQ(launch.fake_lag, 1.0);
  EXPECT_EQ(launch.fake_loss, 100);
  parse({"--lod-scale", "0"});
  EXPECT_DOUBLE_EQ(render_params.model_lod_scale, 0.000001);
  parse({"--roostfrequency", "5000", "--ground-texture-detail", "2"});
  EXPECT_EQ(render_params.roost_frequency, 1000);
  EXPECT_EQ(render_params.ground_texture_level, 2);
  parse({"--chase-center=1.5,2,-3"});
  EXPECT_FLOAT_EQ(launch.chase_center[0], 1.5f);
  EXPECT_FLOAT_EQ(launch.chase_center[2], -3.0f);
}

TEST(CommandLine, NextArgumentAndEqualsValuesAreTheSame) {
  parse({"--track", "rabbithill"});
  std::string separate = launch.track;
  parse({"--track=rabbithill"});
  EXPECT_EQ(separate, launch.track);
  EXPECT_EQ(separate, "rabbithill");
  EXPECT_TRUE(launch.have_track);
}

TEST(CommandLine, DoubleDashEndsOptions) {
  Parsed p = parse({"--", "-weird.dwdemo"});
  EXPECT_EQ(p.status, -1);
  EXPECT_TRUE(launch.have_demo);
  EXPECT_STREQ(launch.demo_file, "-weird.dwdemo");
  p = parse({"--warp", "--"});
  EXPECT_EQ(p.status, -1);
  EXPECT_FALSE(launch.have_demo);
  EXPECT_TRUE(launch.warp);
}

TEST(CommandLine, PlainScansLeaveValuesOnNonNumbers) {
  parse({"--width", "800", "--height=abc", "--depth", "x", "--draw-fps", "1"});
  EXPECT_EQ(settings.xres, 800);
  EXPECT_EQ(settings.yres, 480);   // unchanged
  EXPECT_EQ(launch.colour_bits, 0);  // decimal conversion of a non-number
  EXPECT_EQ(settings.draw_fps, 1);
}

TEST(CommandLine, BikesIsAcceptedWithANote) {
  Parsed p = parse({"--bikes", "8"});
  EXPECT_EQ(p.status, -1);
  EXPECT_EQ(p.stderr_text, "--bikes doesn't do anything anymore\n");
  EXPECT_FALSE(launch.have_demo);  // the value was taken by the option
}

TEST(CommandLine, ConnectStripsTheSchemeAndKeepsHistoryDistinct) {
  parse({"--connect", "dirtwave:race.example.org"});
  EXPECT_STREQ(settings.server_name.text, "race.example.org");
  EXPECT_STREQ(settings.server_history[0], "race.example.org");
  // The same name again does not duplicate; a new name pushes it down.
  std::vector<std::string> again = {"--connect", "race.example.org", "--connect", "other.example.org"};
  std::vector<char*> argv;
  for (auto& a : again) argv.push_back(a.data());
  EXPECT_EQ(cmdline_parse((int)argv.size(), argv.data()), -1);
  EXPECT_STREQ(settings.server_history[0], "other.example.org");
  EXPECT_STREQ(settings.server_history[1], "race.example.org");
  EXPECT_STREQ(settings.server_history[2], "");
}

TEST(CommandLine, HugeArgumentsAreCutNotOverflowed) {
  std::string huge(100000, 'a');
  Parsed p = parse({"--track", huge});
  EXPECT_EQ(p.status, -1);
  EXPECT_EQ(std::string(launch.track).size(), (size_t)LAUNCH_PATH_MAX - 1);
  p = parse({"--connect", huge});
  EXPECT_EQ(std::string(settings.server_name.text).size(), (size_t)SERVER_HISTORY_CHARS);
  p = parse({""});  // an empty argument is a (bad) demo name, not a crash
  EXPECT_EQ(p.status, -1);
}

struct DeriveCase {
  double model_detail;
  double lod_scale, lod_bias;
};

TEST(RenderParams, ModelDetailGivesLodScaleAndBias) {
  const DeriveCase cases[] = {{50, 1.0, 0.0}, {0, 8.0, 50.0}, {100, 0.0, 0.0}, {20, 4.096, 25.0}};
  for (const DeriveCase& c : cases) {
    settings_defaults();
    settings.model_detail.value = c.model_detail;
    render_params_derive();
    EXPECT_NEAR(render_params.model_lod_scale, c.lod_scale, 1e-9) << c.model_detail;
    EXPECT_NEAR(render_params.model_lod_bias, c.lod_bias, 1e-9) << c.model_detail;
  }
  settings_defaults();
  settings_apply_preset(PRESET_COMPATIBILITY);
  render_params_derive();
  EXPECT_DOUBLE_EQ(render_params.terrain_detail, 0.125 / 70);
  EXPECT_EQ(render_params.ground_texture_level, 1);
  EXPECT_EQ(render_params.ground_texture_size, 64);
  EXPECT_EQ(render_params.roost_frequency, 1000);
}

}  // namespace
