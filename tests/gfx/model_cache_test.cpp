// The model cache, track generations, levels of detail and the POV-Ray
// export.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/files.h"
#include "gfx/gfx.h"
#include "gfx_test_util.h"

namespace {

std::string fixture_dir() {
  std::string dir = std::string(DW_BINARY_DIR) + "/test_tmp/gfx_cache";
  std::filesystem::create_directories(dir);
  return dir;
}

std::string write_fixture(const std::string& name, const std::string& text) {
  std::string path = fixture_dir() + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

class ModelCache : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_all_models();
    cache_generation = 0;
  }
  void TearDown() override {
    delete_all_models();
    cache_generation = 0;
  }
};

TEST_F(ModelCache, SecondLookupIsTheSameModel) {
  std::string path = write_fixture("tri.qm", "QM1\n" + unit_triangle_part());
  Model* a = get_model(path.c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(get_model(path.c_str()), a);
  EXPECT_EQ(model_cache_count(), 1);
  EXPECT_STREQ(a->path, path.c_str());
}

TEST_F(ModelCache, CaseMismatchWarnsAndReturnsTheCachedModel) {
  std::string path = write_fixture("Case.qm", "QM1\n" + unit_triangle_part());
  Model* a = get_model(path.c_str());
  ASSERT_NE(a, nullptr);
  std::string other = path.substr(0, path.size() - 7) + "CASE.qm";
  ConsoleWatch watch;
  EXPECT_EQ(get_model(other.c_str()), a);
  EXPECT_EQ(watch.last(), "Warning: case mismatch on '" + other + "'");
  EXPECT_EQ(model_cache_count(), 1);
}

TEST_F(ModelCache, MissingAndBrokenFilesGiveNoModelAndAreNotCached) {
  EXPECT_EQ(get_model((fixture_dir() + "/absent.qm").c_str()), nullptr);
  std::string broken = write_fixture("broken.qm", "QM7\n");
  EXPECT_EQ(get_model(broken.c_str()), nullptr);
  EXPECT_EQ(model_cache_count(), 0);
}

TEST_F(ModelCache, StaleModelsGoAtATrackChange) {
  std::string permanent = write_fixture("permanent.qm", "QM1\n" + unit_triangle_part());
  std::string old_track = write_fixture("old.qm", "QM1\n" + unit_triangle_part());
  std::string both = write_fixture("both.qm", "QM1\n" + unit_triangle_part());
  ASSERT_NE(get_model(permanent.c_str()), nullptr);  // before the first track
  cache_generation = 1;
  ASSERT_NE(get_model(old_track.c_str()), nullptr);
  Model* kept = get_model(both.c_str());
  ASSERT_NE(kept, nullptr);
  cache_generation = 2;
  EXPECT_EQ(get_model(both.c_str()), kept);       // used again: now of track 2
  Model* still = get_model(permanent.c_str());    // a permanent model stays permanent
  EXPECT_EQ(still->generation, 0);
  delete_stale_models();
  EXPECT_EQ(model_cache_count(), 2);
  EXPECT_EQ(get_model(both.c_str()), kept);
  EXPECT_EQ(get_model(permanent.c_str()), still);
  EXPECT_EQ(model_cache_count(), 2);
  // old.qm is loaded afresh
  Model* again = get_model(old_track.c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->generation, 2);
}

struct LodNameCase {
  const char* model;
  const char* listed;
  double level;         // -1: not a level of detail of the model
  const char* opened;   // the name to open
};

TEST(ModelLod, SiblingNames) {
  const LodNameCase cases[] = {
      {"@bikes/frame.qm", "bikes/frame_lod5.qm", 5, "@bikes/frame_lod5.qm"},
      {"@bikes/frame.qm", "bikes/frame_lod2.5.qm", 2.5, "@bikes/frame_lod2.5.qm"},
      {"@bikes/frame.qm", "BIKES/Frame_LOD3.QM.gz", 3, "@BIKES/Frame_LOD3.QM"},
      {"@bikes/frame.qm", "bikes/frame_lod1.qm.scram", 1, "@bikes/frame_lod1.qm"},
      {"@bikes/frame.qm", "bikes/frame_lod1.qm.gz.scram", 1, "@bikes/frame_lod1.qm"},
      {"@bikes/frame.qm", "bikes/frame_lod.qm", -1, ""},      // nothing numeric after "_lod"
      {"@bikes/frame.qm", "bikes/frame_lodx.qm", -1, ""},
      {"@bikes/frame.qm", "bikes/frame_lod5.png", -1, ""},    // another kind of file
      {"@bikes/frame.qm", "bikes/frame_lod5.qm.bak", -1, ""},
      {"@bikes/frame.qm", "bikes/frame2_lod5.qm", -1, ""},
      {"@bikes/frame.qm", "bikes/frame.qm", -1, ""},
      {"@bikes/frame.qm", "bikes/fra", -1, ""},
      {"bikes/frame.qm", "bikes/frame_lod5.qm", -1, ""},      // only "@" names have levels
      {"@statue", "statue_lod4", 4, "@statue_lod4"},
  };
  for (const LodNameCase& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " / " + c.listed);
    std::string opened;
    EXPECT_EQ(model_lod_level(c.model, c.listed, &opened), c.level);
    if (c.level >= 0) {
      EXPECT_EQ(opened, c.opened);
    }
  }
}

Model* lod_model(float distance) {
  Model* m = parse_model("QM1\n" + unit_triangle_part());
  m->lod_distance = distance;
  return m;
}

TEST(ModelLod, ChainIsSortedAndTheFifthLevelIsUsedFromDistance32) {
  Model* base = lod_model(0);
  Model* lod5 = lod_model(32);
  Model* lod2 = lod_model(4);
  model_insert_lod(base, lod5);
  model_insert_lod(base, lod2);
  ASSERT_EQ(base->next_lod, lod2);
  ASSERT_EQ(lod2->next_lod, lod5);

  struct PickCase {
    double distance, bias, scale;
    const Model* expected;
  } cases[] = {
      {0, 0, 1, base},       {3.9, 0, 1, base},    {4, 0, 1, lod2},     {31.9, 0, 1, lod2},
      {32, 0, 1, lod5},      {1000, 0, 1, lod5},   {16, 0, 2, lod5},    {0, 32, 1, lod5},  // bias past every level
      {10, 4, 1, lod2},      {28, 4, 1, lod5},     {1000, 0, 0, base},
  };
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.distance);
    EXPECT_EQ(model_pick_lod(base, c.distance, c.bias, c.scale), c.expected);
  }
  model_free(base);  // frees the chain
}

TEST(PovRay, SinglePartMesh) {
  Model* m = parse_model("QM1\n" + unit_triangle_part());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(povray_mesh_text(m),
            "mesh2 {\n"
            "\tvertex_vectors {\n\t\t3\n\t\t<0.000000,0.000000,0.000000>,\n\t\t<1.000000,0.000000,0.000000>,\n"
            "\t\t<0.000000,1.000000,0.000000>\n\t}\n"
            "\tnormal_vectors {\n\t\t3\n\t\t<0.000000,0.000000,1.000000>,\n\t\t<0.000000,0.000000,1.000000>,\n"
            "\t\t<0.000000,0.000000,1.000000>\n\t}\n"
            "\tuv_vectors {\n\t\t3\n\t\t<0.000000,1.000000>,\n\t\t<1.000000,1.000000>,\n\t\t<0.000000,0.000000>\n\t}\n"
            "\tface_indices {\n\t\t1\n\t\t<0,1,2>\n\t}\n"
            "}\n");
  model_free(m);
}

TEST(PovRay, WrittenThroughAStream) {
  Model* m = parse_model("QM1\n" + unit_triangle_part() + unit_triangle_part());
  ASSERT_NE(m, nullptr);
  std::string path = fixture_dir() + "/export.pov";
  Stream* s = stream_open(path.c_str(), "wb");
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(write_povray_mesh(m, s));
  EXPECT_TRUE(stream_close(s));
  std::ifstream in(path, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, povray_mesh_text(m));
  model_free(m);
}

TEST(PovRay, SeveralPartsAreAUnion) {
  Model* m = parse_model("QM1\n" + unit_triangle_part() + unit_triangle_part());
  ASSERT_NE(m, nullptr);
  std::string text = povray_mesh_text(m);
  EXPECT_EQ(text.rfind("union {\nmesh2 {\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 6), "}\n}\n}\n");
  size_t meshes = 0;
  for (size_t at = text.find("mesh2"); at != std::string::npos; at = text.find("mesh2", at + 1)) meshes++;
  EXPECT_EQ(meshes, 2u);
  model_free(m);
}

}  // namespace

namespace {

// "@" models through the file layer: a fixture folder becomes the second
// search folder, with the "_lod" siblings of a model beside it.
class ModelFromData : public ::testing::Test {
 protected:
  std::string data_;
  void SetUp() override {
    std::string root = std::string(DW_BINARY_DIR) + "/test_tmp/gfx_lod";
    std::filesystem::remove_all(root);
    data_ = root + "/data";
    std::filesystem::create_directories(data_ + "/statues");
    std::filesystem::create_directories(root + "/home");
    setenv("XDG_DATA_HOME", (root + "/home").c_str(), 1);
    setenv("DW_HOME", data_.c_str(), 1);
    vfs_shutdown();
    delete_all_models();
  }
  void TearDown() override {
    delete_all_models();
    vfs_shutdown();
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(data_ + "/" + name, std::ios::binary) << text;
  }
};

TEST_F(ModelFromData, LevelsOfDetailComeFromTheFileList) {
  std::string tri = "QM1\n" + unit_triangle_part();
  write("statues/cow.qm", tri);
  write("statues/cow_lod5.qm", tri);
  write("statues/cow_lod2.qm", tri);
  write("statues/cow_lod.qm", tri);       // no number: ignored
  write("statues/cow_lodx.qm", tri);      // no number: ignored
  write("statues/cow_lod3.png", "PNG");   // not a model
  write("statues/cowbell_lod1.qm", tri);  // another model's level
  Model* m = get_model("@statues/cow.qm");
  ASSERT_NE(m, nullptr);
  ASSERT_NE(m->next_lod, nullptr);
  EXPECT_STREQ(m->next_lod->path, "@statues/cow_lod2.qm");
  EXPECT_FLOAT_EQ(m->next_lod->lod_distance, 4);
  ASSERT_NE(m->next_lod->next_lod, nullptr);
  EXPECT_STREQ(m->next_lod->next_lod->path, "@statues/cow_lod5.qm");
  EXPECT_EQ(m->next_lod->next_lod->next_lod, nullptr);
  EXPECT_STREQ(model_pick_lod(m, 32, 0, 1)->path, "@statues/cow_lod5.qm");
  EXPECT_STREQ(model_pick_lod(m, 31, 0, 1)->path, "@statues/cow_lod2.qm");
  EXPECT_EQ(model_cache_count(), 1);  // the levels belong to their model

  Shape* s = get_shape("@statues/missing.shp");
  EXPECT_EQ(s, nullptr);
}

}  // namespace
