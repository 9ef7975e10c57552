// Surface table: tileinfo and texturelist statements, curves, transition
// codes, the position lookup and tile painting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/core.h"
#include "track/track.h"

namespace {

struct Table {
  std::vector<SurfaceTile> tiles = std::vector<SurfaceTile>(SURFACE_MAX);
  int count = 0;
};

// Feeds lines through a builder; returns the console lines printed.
std::vector<std::string> parse(Table* t, const std::vector<std::string>& lines, bool texturelist = false) {
  console_clear();
  TileinfoBuilder b;
  tileinfo_begin(&b, t->tiles.data());
  for (const std::string& l : lines)
    if (!(texturelist ? texturelist_line(&b, l.c_str()) : tileinfo_line(&b, l.c_str()))) break;
  t->count = b.count;
  std::vector<std::string> out;
  for (int age = CONSOLE_LINES - 1; age >= 0; age--)
    if (console_line(age)[0]) {
      std::string line = console_line(age);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      out.push_back(line);
    }
  return out;
}

TEST(Tileinfo, NoAddtileMeansNoSurfaces) {
  Table t;
  parse(&t, {"name dirt", "friction 1 0"});
  EXPECT_EQ(t.count, 0);
}

TEST(Tileinfo, CurvesAreSortedAndDefaultsKept) {
  Table t;
  auto msgs = parse(&t, {"name dirt", "friction 1.2 10", "friction 0.8 0", "roll_resist 4 9 20",
                         "roll_resist -1 8 0", "addtile", "", "texture @tex/sand.png", "addtile"});
  ASSERT_EQ(t.count, 2);
  EXPECT_TRUE(msgs.empty());
  const SurfaceTile& d = t.tiles[0];
  EXPECT_STREQ(d.name, "dirt");
  EXPECT_FLOAT_EQ(d.friction[0].speed, 0);
  EXPECT_FLOAT_EQ(d.friction[0].coefficient, 0.8f);
  EXPECT_FLOAT_EQ(d.friction[1].speed, 10);
  EXPECT_EQ(d.friction[2].speed, FRICTION_UNUSED);
  EXPECT_FLOAT_EQ(d.roll[0].speed, ROLL_SPEED_MIN);  // speed 0 is raised
  EXPECT_FLOAT_EQ(d.roll[0].shallow, 0);             // negative becomes 0
  EXPECT_FLOAT_EQ(d.roll[1].speed, 20);
  EXPECT_EQ(d.roll[2].speed, 0);
  // Second surface: named after its texture value, default curves.
  const SurfaceTile& s = t.tiles[1];
  EXPECT_STREQ(s.name, "@tex/sand.png");
  EXPECT_STREQ(s.texture_file, "sand.png");
  EXPECT_FLOAT_EQ(s.friction[0].speed, 1.0f);
  EXPECT_EQ(s.friction[1].speed, FRICTION_UNUSED);
  EXPECT_FLOAT_EQ(s.roll[0].deep, 15.0f);
  EXPECT_EQ(s.erode.limit_count, 2);
  EXPECT_FLOAT_EQ(s.erode.radius, 4.0f);
}

TEST(Tileinfo, WarningsAndTheirEffects) {
  struct Case {
    std::vector<std::string> lines;
    const char* warning;  // expected console line, or "" for none
  } cases[] = {
      {{"friction x"}, "tileinfo warning: bad friction parameters"},
      {{"roll_resist 1 2"}, "tileinfo warning: bad roll_resist parameters"},
      {{"slip_function 3"}, "tileinfo warning: bad slip_function"},
      {{"slip_function"}, "tileinfo warning: bad slip_function"},
      {{"erode_radius ?"}, "tileinfo warning: bad erode_radius"},
      {{"erode_limit 1 2"}, "tileinfo warning: bad erode_limit"},
      {{"bogus 1"}, "tileinfo warning: Unknown identifier 'bogus'"},
      {{"roost count=x"}, "tileinfo warning: bad count"},
      {{"roost wobble=1"}, "tileinfo warning: unknown roost parameter 'wobble=1'"},
      {{"roost splash=x texture=\"a b.png\""}, ""},
      {{"roost", "roost", "roost", "roost", "roost"}, "tileinfo warning: too many roost types"},
  };
  for (const Case& k : cases) {
    Table t;
    std::vector<std::string> lines = k.lines;
    lines.push_back("addtile");
    auto msgs = parse(&t, lines);
    if (k.warning[0]) {
      ASSERT_EQ(msgs.size(), 1u) << k.lines[0];
      EXPECT_EQ(msgs[0], std::string(k.warning));
    } else {
      EXPECT_TRUE(msgs.empty()) << k.lines[0];
    }
    EXPECT_EQ(t.count, 1);
  }
}

TEST(Tileinfo, PointLimits) {
  Table t;
  std::vector<std::string> lines;
  for (int i = 0; i < 9; i++) lines.push_back("friction 1 " + std::to_string(i));
  for (int i = 0; i < 9; i++) lines.push_back("roll_resist 1 1 " + std::to_string(i + 1));
  for (int i = 0; i < 9; i++) lines.push_back("erode_limit " + std::to_string(i) + " 1 1");
  lines.push_back("friction 2 5000000");
  lines.push_back("addtile");
  auto msgs = parse(&t, lines);
  ASSERT_EQ(msgs.size(), 4u);
  EXPECT_EQ(msgs[0], "tileinfo warning: too many friction points");
  EXPECT_EQ(msgs[1], "tileinfo warning: too many roll_resist points");
  EXPECT_EQ(msgs[2], "tileinfo warning: too many erode limits");
  EXPECT_EQ(t.tiles[0].erode.limit_count, 8);

  // A speed above the last usable one is cut so it never reads as unused.
  auto more = parse(&t, {"friction 2 5000000", "addtile"});
  EXPECT_TRUE(more.empty());
  EXPECT_EQ(t.tiles[0].friction[0].speed, FRICTION_SPEED_MAX);
}

TEST(Tileinfo, ErodeLimitsMustDeepen) {
  Table t;
  auto msgs = parse(&t, {"erode_limit 0 1 1", "erode_limit 0.5 0.5 0.5", "erode_limit 0.5 0 0", "addtile"});
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0], "tileinfo warning: erode_limit depth <= prev depth");
  EXPECT_EQ(t.tiles[0].erode.limit_count, 2);
  EXPECT_FLOAT_EQ(t.tiles[0].erode.limit_depth[1], 0.5f);
}

TEST(Tileinfo, RoostTokens) {
  Table t;
  parse(&t, {"roost count=12.5 fade_a=-256 r=300 g=-5 \"b=7\" splash=1", "roost dig=2", "addtile"});
  const RoostType& r = t.tiles[0].roost[0];
  EXPECT_EQ(r.type, ROOST_SPLASH);
  EXPECT_FLOAT_EQ(r.count, 12.5f);
  EXPECT_EQ(r.fade[3], -2);
  EXPECT_EQ(r.colour[0], 255);
  EXPECT_EQ(r.colour[1], 0);
  EXPECT_EQ(r.colour[2], 7);
  EXPECT_EQ(t.tiles[0].roost[1].type, ROOST_ROOST);
  EXPECT_FLOAT_EQ(t.tiles[0].roost[1].dig, 2.0f);
  EXPECT_EQ(t.tiles[0].roost[2].type, ROOST_UNUSED);
}

TEST(Tileinfo, TableStopsAt256) {
  Table t;
  std::vector<std::string> lines(300, "addtile");
  parse(&t, lines);
  EXPECT_EQ(t.count, SURFACE_MAX);
}

TEST(Texturelist, NumbersOrNameAlone) {
  Table t;
  parse(&t, {"0.7 3 9 dirt.png", "", "  grass.png  ", "1 2 rock.png"}, true);
  ASSERT_EQ(t.count, 3);
  EXPECT_FLOAT_EQ(t.tiles[0].friction[0].coefficient, 0.7f);
  EXPECT_FLOAT_EQ(t.tiles[0].friction[5].coefficient, 0.7f);
  EXPECT_FLOAT_EQ(t.tiles[0].roll[0].deep, 9.0f);
  EXPECT_STREQ(t.tiles[0].texture_file, "dirt.png");
  EXPECT_EQ(t.tiles[0].roost[0].type, ROOST_ROOST);
  EXPECT_EQ(t.tiles[0].roost[1].type, ROOST_UNUSED);
  EXPECT_STREQ(t.tiles[1].texture_file, "grass.png");
  EXPECT_FLOAT_EQ(t.tiles[1].roll[0].shallow, 5.0f);
  EXPECT_STREQ(t.tiles[2].texture_file, "1 2 rock.png");  // two numbers are part of the name
}

// ---------------------------------------------------------------------------
// Curves
// ---------------------------------------------------------------------------

TEST(SurfaceCurves, FrictionEdgeCases) {
  SurfaceTile s;
  surface_defaults(&s);
  s.friction[0] = {0.8f, 0.0f};
  s.friction[1] = {1.2f, 10.0f};
  struct Case {
    int slip;
    float query, expected;
  } cases[] = {
      {1, 5, 1.0f},   {1, 20, 1.2f},  {1, -3, 0.8f}, {1, 10, 1.2f},
      {0, 25, 0.9f},  {0, 100, 1.2f}, {7, 25, 0.9f},  // unknown slip function acts as 0
      {2, 2.5f, 0.9f},
  };
  for (const Case& k : cases) EXPECT_NEAR(surface_friction(&s, k.slip, k.query), k.expected, 1e-6f) << k.query;
  // All eight points used: beyond the last gives the last coefficient.
  for (int i = 0; i < FRICTION_POINTS; i++) s.friction[i] = {(float)i, (float)i};
  EXPECT_FLOAT_EQ(surface_friction(&s, 1, 100.0f), 7.0f);
  EXPECT_FLOAT_EQ(surface_friction(&s, 1, 3.5f), 3.5f);
  // Default curve: constant 1.
  surface_defaults(&s);
  EXPECT_FLOAT_EQ(surface_friction(&s, 0, 1e6f), 1.0f);
}

TEST(SurfaceCurves, RollResistance) {
  SurfaceTile s;
  surface_defaults(&s);
  float sh, dp;
  surface_roll_resistance(&s, 50.0f, &sh, &dp);
  EXPECT_FLOAT_EQ(sh, 5.0f);
  EXPECT_FLOAT_EQ(dp, 15.0f);
  s.roll[0] = {2, 4, 10};
  s.roll[1] = {6, 12, 20};
  s.roll[2].speed = 0;
  surface_roll_resistance(&s, 15.0f, &sh, &dp);
  EXPECT_FLOAT_EQ(sh, 4.0f);
  EXPECT_FLOAT_EQ(dp, 8.0f);
  surface_roll_resistance(&s, 1.0f, &sh, &dp);
  EXPECT_FLOAT_EQ(sh, 2.0f);
  surface_roll_resistance(&s, 99.0f, &sh, &dp);
  EXPECT_FLOAT_EQ(dp, 12.0f);
}

// ---------------------------------------------------------------------------
// Transition codes, lookup and painting
// ---------------------------------------------------------------------------

std::vector<std::string> texture_lines(const std::vector<std::string>& files) {
  std::vector<std::string> lines;
  for (const std::string& f : files) {
    lines.push_back("texture " + f);
    lines.push_back("addtile");
  }
  return lines;
}

TEST(SurfaceTransitions, CodesFromFileNames) {
  Table t;
  parse(&t, texture_lines({"@sand.png", "grass.jpg", "tex/sand-grass-0011.png", "grass-alt2.png", "sand-rock.png",
                           "sand-grass-01x1.png", "lonely-.png"}));
  surface_transitions(t.tiles.data(), t.count);
  EXPECT_EQ(t.tiles[0].transition, (0 << 16) | (0 << 8));
  EXPECT_EQ(t.tiles[1].transition, (1 << 16) | (1 << 8));
  EXPECT_EQ(t.tiles[2].transition, (0 << 16) | (1 << 8) | 3);
  EXPECT_EQ(t.tiles[3].transition, (1 << 16) | (1 << 8));
  EXPECT_EQ(t.tiles[4].transition, -256);
  EXPECT_EQ(t.tiles[5].transition, (0 << 16) | (1 << 8));
  EXPECT_EQ(t.tiles[6].transition, (6 << 16) | (6 << 8));
  // sand-grass-0011: high-z corners grass, low-z corners sand.
  EXPECT_EQ(transition_corner(t.tiles[2].transition, 8), 0);
  EXPECT_EQ(transition_corner(t.tiles[2].transition, 2), 1);
}

struct TileMapTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(terrain_alloc(2, 1.0f));  // 4 x 4 tile cells of 2 ft
    std::vector<std::string> files = {"sand.png", "grass.png"};
    static const char* bits[] = {"0001", "0010", "0011", "0100", "0101", "0110", "0111", "1000",
                                 "1001", "1010", "1011", "1100", "1101", "1110"};
    for (const char* b : bits) files.push_back(std::string("sand-grass-") + b + ".png");
    Table t;
    parse(&t, texture_lines(files));
    for (int i = 0; i < t.count; i++) terrain.surfaces[i] = t.tiles[i];
    terrain.surface_count = t.count;
    surface_transitions(terrain.surfaces, terrain.surface_count);
    for (int i = 0; i < 16; i++) terrain.tilemap[i] = (uint8_t)i % 2;
  }
  void TearDown() override { terrain_free(); }
};

TEST_F(TileMapTest, LookupClampsToBorderCells) {
  terrain.tilemap[0] = 0;
  terrain.tilemap[3] = 1;
  terrain.tilemap[12] = 0;
  terrain.tilemap[15] = 1;
  EXPECT_EQ(surface_at(-100.0f, -5.0f), 0);
  EXPECT_EQ(surface_at(7.9f, 0.0f), 1);
  EXPECT_EQ(surface_at(1e9f, 1e9f), 1);
  EXPECT_EQ(surface_at(NAN, 1e9f), 0);
  EXPECT_EQ(surface_at(2.0f, 0.0f), terrain.tilemap[1]);
  EXPECT_STREQ(surface_get(99)->name, "default");
}

TEST_F(TileMapTest, PaintingRetilesNeighbours) {
  for (int i = 0; i < 16; i++) terrain.tilemap[i] = 0;
  surface_paint(1, 1, 1);
  EXPECT_EQ(terrain.tilemap[1 + 4 * 1], 1);
  // The cell at (+1, 0) shares its two low-x corners (bits 8 and 2): 1010.
  int right = terrain.tilemap[2 + 4 * 1];
  EXPECT_STREQ(terrain.surfaces[right].texture_file, "sand-grass-1010.png");
  int below_left = terrain.tilemap[0 + 4 * 0];
  EXPECT_STREQ(terrain.surfaces[below_left].texture_file, "sand-grass-0001.png");
  // Painting the same surface again changes nothing.
  uint8_t before[16];
  std::memcpy(before, terrain.tilemap, 16);
  surface_paint(1, 1, 1);
  EXPECT_EQ(std::memcmp(before, terrain.tilemap, 16), 0);
  // Painting at the map's corner leaves cells outside alone.
  surface_paint(3, 3, 1);
  EXPECT_EQ(terrain.tilemap[15], 1);
}

}  // namespace
