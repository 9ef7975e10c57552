// Track folders through the file system: listing, loading, the track hash,
// bad files, saving, the reset's reload rule and the default tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/core.h"
#include "files/files.h"
#include "track/track.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << bytes;
}

std::string read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Inline heights of exponent 1 (5 x 5): q = 1000 * (c + 2 r).
std::string heights_file(int n = 1, const char* header_tail = ":") {
  int dim = (1 << (n + 1)) + 1;
  std::string s = std::to_string(n) + " 2.0 0.0 65.535 " + header_tail;
  for (int r = 0; r < dim; r++)
    for (int c = 0; c < dim; c++) {
      int q = 1000 * (c + 2 * r);
      s += (char)(q & 255);
      s += (char)(q >> 8);
    }
  return s;
}

std::string ppm(int w, int h, const char* magic = "P6", int channels = 3) {
  std::string s = std::string(magic) + "\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  s.append((size_t)w * h * channels, (char)100);
  return s;
}

// Isolated home folder and data folder for each test.
struct TrackFiles : ::testing::Test {
  fs::path root, data, home;

  void SetUp() override {
    root = fs::path(DW_BINARY_DIR) / "track_test_tmp" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root);
    data = root / "data";
    home = root / "xdg" / "Dirtwave";
    fs::create_directories(data);
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    setenv("DW_HOME", data.c_str(), 1);
    vfs_shutdown();
    console_clear();
  }
  void TearDown() override {
    if (track.loaded) track_unload();
    track_list_free();
    terrain_free();
    track.force_reload = false;
    vfs_shutdown();
  }

  // A complete small track: sloped heights, shading, two surfaces, tile map.
  fs::path make_track(const std::string& name) {
    fs::path t = data / "tracks" / name;
    write(t / "terrain.hf", heights_file());
    write(t / "shading.ppm", ppm(5, 5));
    write(t / "tileinfo", "name dirt\nfriction 1 0\naddtile\nname grass\naddtile\n");
    write(t / "tilemap", std::string("\0\1\1\0", 4));
    write(t / "timing_gates", "checkpoints:\n4 [1 0 1] [1 0 0]\n");
    write(t / "desc", name + " track\n");
    return t;
  }

  bool load(const std::string& name, bool multiplayer = false) {
    return track_select_and_load(("tracks/" + name).c_str(), multiplayer);
  }

  bool console_has(const std::string& text) {
    for (int age = 0; age < 50; age++)
      if (std::string(console_line(age)).find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(TrackFiles, ListIsSortedByLongNameIgnoringCase) {
  write(data / "tracks/a/terrain.hf", "x");
  write(data / "tracks/a/desc", "beta\r\nsecond line");
  write(data / "tracks/b/terrain.hf.gz", "x");
  write(data / "tracks/b/desc", "Alpha");
  write(data / "tracks/c/terrain.hf", "x");  // no desc: the folder is the name
  write(data / "tracks/d/terrain.hf", "x");
  write(data / "tracks/d/terrain.hf.gz", "x");  // listed once
  write(data / "tracks/d/desc", std::string("alphabet\0junk", 13));
  write(data / "tracks/e/terrain.hfx", "x");  // not a terrain file
  ASSERT_TRUE(track_list_scan());
  std::vector<std::string> names;
  for (int i = 0; i < track.count; i++) names.push_back(track.list[i].long_name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "alphabet", "beta", "tracks/c"}));
  EXPECT_STREQ(track.list[0].folder, "tracks/b");
}

TEST_F(TrackFiles, NoTerrainMeansNoTracks) {
  write(data / "readme.txt", "x");
  EXPECT_FALSE(track_list_scan());
  EXPECT_EQ(track.count, 0);
}

TEST_F(TrackFiles, LoadReadsEveryPart) {
  make_track("slope");
  ASSERT_TRUE(load("slope"));
  EXPECT_TRUE(track.loaded);
  EXPECT_EQ(terrain.dim, 5);
  EXPECT_FLOAT_EQ(terrain.spacing, 2.0f);
  // q = 1000 (c + 2 r) with a range of 65.535 over 65535: 1 ft per 1000.
  EXPECT_NEAR(terrain_height(4.0f, 2.0f), 2.0f + 2.0f, 1e-4f);
  EXPECT_NEAR(terrain_height(3.0f, 1.0f), 1.5f + 1.0f, 1e-4f);
  EXPECT_EQ(terrain.surface_count, 2);
  EXPECT_STREQ(terrain.surfaces[1].name, "grass");
  EXPECT_EQ(surface_at(0.5f, 0.5f), 0);
  EXPECT_EQ(surface_at(5.0f, 0.5f), 1);
  EXPECT_EQ(terrain.shading[0], 50);  // shading.ppm is halved
  EXPECT_EQ(terrain.shadow[0], 0);    // no shadows.pgm: all lit
  EXPECT_STREQ(track.long_name, "tracks/slope");  // not in the (unscanned) list
  EXPECT_NE(read(data / "tracks/slope/terrain.hf").size(), 0u);
}

TEST_F(TrackFiles, HashFollowsExactlyTheDefiningFiles) {
  fs::path t = make_track("h");
  write(t / "statues", "statue list\n");
  write(t / "lighting", "sun 1 1 1\n");
  auto hash = [&]() {
    track.force_reload = true;
    EXPECT_TRUE(load("h"));
    return std::string((const char*)track.hash, 20);
  };
  std::string base = hash();
  struct Case {
    const char* file;
    std::string bytes;
    bool changes;
  } cases[] = {
      {"tileinfo", "name dirt\nfriction 1 0\naddtile\nname grass \naddtile\n", true},
      {"tilemap", std::string("\0\1\1\1", 4), true},
      {"timing_gates", "checkpoints:\n5 [1 0 1] [1 0 0]\n", true},
      {"statues", "statue list!\n", true},
      {"texturelist", "dirt.png\n", true},
      {"terrain.png", "not really a png", true},
      {"lighting", "sun 1 2 1\n", false},
      {"billboards", "tree\n", false},
      {"cameras", "camera\n", false},
      {"desc", "renamed\n", false},
  };
  for (const Case& k : cases) {
    std::string before = fs::exists(t / k.file) ? read(t / k.file) : std::string();
    bool existed = fs::exists(t / k.file);
    write(t / k.file, k.bytes);
    EXPECT_EQ(hash() != base, k.changes) << k.file;
    if (existed)
      write(t / k.file, before);
    else
      fs::remove(t / k.file);
    EXPECT_EQ(hash(), base) << k.file;
  }
}

TEST_F(TrackFiles, BadFilesFailCleanly) {
  struct Case {
    const char* file;
    std::string bytes;  // "" removes the file
    const char* message;
  } cases[] = {
      {"terrain.hf", "", "Can't open '@tracks/bad/terrain.hf'"},
      {"terrain.hf", "1 2.0\n", "Bad height field parameters"},
      {"terrain.hf", "1 2.0 0 1 :\x01\x02", "Error reading heights"},
      {"terrain.hf", "40 2.0 0 1 :", "Bad height field parameters"},
      {"terrain.hf", "1 -2.0 0 1 :", "Bad height field parameters"},
      {"shading.ppm", "", "Error reading shading"},
      {"shading.ppm", ppm(3, 3), "Bad shading dimensions (3x3)"},
      {"shading.ppm", "P6\n5 5\n255\nshort", "Error reading shading"},
      {"shadows.pgm", ppm(4, 5, "P5", 1), ""},
      {"shadows.pgm", "P5\n5 5\n255\n", "Error reading shadows"},
      {"tilemap", "", "Can't open '@tracks/bad/tilemap'"},
      {"tilemap", std::string("\0\1\1", 3), "Bad tilemap size"},
      {"tilemap", std::string("\0\1\1\0\0", 5), "Bad tilemap size"},
      {"tileinfo", "", "Can't open '@tracks/bad/texturelist'"},
  };
  for (const Case& k : cases) {
    fs::path t = make_track("bad");
    if (k.bytes.empty())
      fs::remove(t / k.file);
    else
      write(t / k.file, k.bytes);
    console_clear();
    EXPECT_FALSE(load("bad")) << k.file << " " << k.message;
    EXPECT_FALSE(track.loaded);
    EXPECT_EQ(track.folder, nullptr);
    EXPECT_FALSE(terrain_loaded());
    if (k.message[0]) {
      EXPECT_TRUE(console_has(k.message)) << k.message;
    }
    fs::remove_all(t);
  }
}

TEST_F(TrackFiles, TexturelistStandsInForTileinfo) {
  fs::path t = make_track("old");
  fs::remove(t / "tileinfo");
  write(t / "texturelist", "0.5 1 2 dirt.png\ngrass.png\n");
  ASSERT_TRUE(load("old"));
  EXPECT_EQ(terrain.surface_count, 2);
  EXPECT_FLOAT_EQ(surface_friction(surface_get(0), 0, 100.0f), 0.5f);
}

TEST_F(TrackFiles, OutOfRangeTilesUseTheLastSurface) {
  fs::path t = make_track("tiles");
  write(t / "tilemap", std::string("\0\7\1\xff", 4));
  ASSERT_TRUE(load("tiles"));
  EXPECT_EQ(terrain.tilemap[1], 1);
  EXPECT_EQ(terrain.tilemap[3], 1);
}

TEST_F(TrackFiles, SaveAndReloadKeepsHeights) {
  make_track("edit");
  ASSERT_TRUE(load("edit"));
  terrain_set_height(2, 2, 9.25f);
  terrain_set_height(0, 4, -3.5f);
  std::vector<float> before(terrain.heights, terrain.heights + 25);
  float tolerance = (terrain.max_height - terrain.min_height) / 65535.0f + 1e-5f;
  ASSERT_TRUE(terrain_save(track.folder));
  // The save lands in the home folder, which takes priority over the data.
  EXPECT_TRUE(fs::exists(home / "tracks/edit/terrain.png"));
  EXPECT_TRUE(fs::exists(home / "tracks/edit/shadingx2.ppm"));
  EXPECT_EQ(read(home / "tracks/edit/tilemap"), std::string("\0\1\1\0", 4));
  track_force_reload();
  ASSERT_TRUE(load("edit"));
  for (int i = 0; i < 25; i++) EXPECT_NEAR(terrain.heights[i], before[i], tolerance) << i;
  EXPECT_EQ(terrain.modified, 0u);
}

TEST_F(TrackFiles, ResetReloadsOnlyWhenItMust) {
  make_track("one");
  make_track("two");
  ASSERT_TRUE(load("one"));
  terrain_set_height(1, 1, 5.0f);  // marks the loaded terrain
  ASSERT_TRUE(load("one"));
  EXPECT_NE(terrain.modified, 0u) << "same track reloaded";
  ASSERT_TRUE(load("two"));
  EXPECT_EQ(terrain.modified, 0u);
  terrain_set_height(1, 1, 5.0f);
  track_force_reload();
  EXPECT_TRUE(console_has("Track will be reloaded on next restart"));
  ASSERT_TRUE(load("two"));
  EXPECT_EQ(terrain.modified, 0u);
  EXPECT_FALSE(track.force_reload);
  terrain_set_height(1, 1, 5.0f);
  ASSERT_TRUE(load("two", true));  // a multiplayer race always reloads, locked
  EXPECT_EQ(terrain.modified, 0u);
  EXPECT_TRUE(terrain.edit_lock);
  ASSERT_TRUE(load("two"));
  EXPECT_FALSE(terrain.edit_lock);
}

TEST_F(TrackFiles, TrackinfoFile) {
  EXPECT_FALSE(trackinfo_save());  // no track loaded: nothing written
  EXPECT_FALSE(fs::exists(home / "tracks"));
  make_track("info");
  write(data / "tracks/info/desc", "Info Track\n");
  ASSERT_TRUE(track_list_scan());
  ASSERT_TRUE(load("info"));
  ASSERT_TRUE(trackinfo_save());
  std::string text = read(home / "tracks/info.trackinfo");
  std::string hex;
  for (int i = 0; i < 20; i++) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", track.hash[i]);
    hex += two;
  }
  EXPECT_EQ(text, "dir=tracks/info\nlongname=Info Track\nfirstlap=0\nnormallap=0\ngatecount=0\nhash=" + hex + "\n");
  EXPECT_TRUE(console_has("Track info saved to tracks/info.trackinfo"));
}

// ---------------------------------------------------------------------------
// The generated default tracks
// ---------------------------------------------------------------------------

struct DefaultTracks : ::testing::Test {
  void SetUp() override {
    const char* dir = std::getenv("DW_DATA_DIR");
    std::string data = dir ? dir : std::string(DW_BINARY_DIR) + "/data";
    ASSERT_TRUE(fs::exists(fs::path(data) / "tracks/rabbithill/terrain.hf")) << "run dwmkdata into " << data;
    fs::path xdg = fs::path(DW_BINARY_DIR) / "track_test_tmp" / "default_home";
    fs::remove_all(xdg);
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    setenv("DW_HOME", data.c_str(), 1);
    vfs_shutdown();
  }
  void TearDown() override {
    if (track.loaded) track_unload();
    track_list_free();
    vfs_shutdown();
  }
};

TEST_F(DefaultTracks, RabbitHillIsARideableCircuit) {
  ASSERT_TRUE(track_list_scan());
  bool listed = false;
  for (int i = 0; i < track.count; i++) listed = listed || std::string(track.list[i].long_name) == "Rabbit Hill";
  EXPECT_TRUE(listed);
  ASSERT_TRUE(track_select_and_load("tracks/rabbithill", false));
  EXPECT_EQ(terrain.dim, 1025);
  EXPECT_EQ(terrain.surface_count, 5);
  int used[256] = {};
  for (int i = 0; i < terrain.tiles * terrain.tiles; i++) used[terrain.tilemap[i]]++;
  for (int s = 0; s < 5; s++) EXPECT_GT(used[s], 0) << terrain.surfaces[s].name;
  // Track tiles (not grass): no step between neighbouring points steeper
  // than a berm's face.
  int steep = 0;
  for (int r = 0; r + 1 < terrain.dim; r++)
    for (int c = 0; c + 1 < terrain.dim; c++) {
      if (surface_at(c * terrain.spacing, r * terrain.spacing) == 3) continue;
      float h = terrain.heights[c + terrain.dim * r];
      if (std::fabs(terrain.heights[c + 1 + terrain.dim * r] - h) > 1.2f ||
          std::fabs(terrain.heights[c + terrain.dim * (r + 1)] - h) > 1.2f)
        steep++;
    }
  EXPECT_EQ(steep, 0);
  // Distinct grip: sand gives less than hard-pack at the same slip.
  EXPECT_LT(surface_friction(surface_get(2), 2, 10.0f), surface_friction(surface_get(0), 2, 10.0f));
}

TEST_F(DefaultTracks, FlatTestTrackUsesInlineHeights) {
  ASSERT_TRUE(track_select_and_load("tracks/flattest", false));
  EXPECT_EQ(terrain.dim, 33);
  EXPECT_EQ(terrain_height(10.0f, 10.0f), 0.0f);
  EXPECT_EQ(surface_at(10.0f, 10.0f), 0);
  EXPECT_EQ(surface_at(50.0f, 10.0f), 3);
}

}  // namespace
