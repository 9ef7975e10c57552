// Reading ".qm" models: versions, part kinds, bone weights, tangents,
// degenerate triangles, texel densities and broken files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gfx/gfx.h"
#include "gfx/model_geometry.h"
#include "gfx_test_util.h"

namespace {

struct VersionCase {
  const char* text;
  bool loads;
  int bone_count;
};

TEST(ModelRead, VersionsAndFormats) {
  const std::string tri = unit_triangle_part();
  const VersionCase cases[] = {
      {"QM1\n", true, 0},
      {"QM 1\n", true, 0},
      {"QM2 0 none\n", true, 0},  // version 2 without bones is unskinned
      {"QM3\n", false, 0},
      {"QM0\n", false, 0},
      {"QMx\n", false, 0},
      {"QM2 -4 skel\n", false, 0},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.text);
    Model* m = parse_model(std::string(c.text) + tri);
    EXPECT_EQ(m != nullptr, c.loads);
    if (m) {
      EXPECT_EQ(m->bone_count, c.bone_count);
      EXPECT_EQ(m->bone_weights, nullptr);
      EXPECT_EQ(m->vertex_count, 3);
    }
    model_free(m);
  }
}

TEST(ModelRead, VersionThreeIsReportedNotLoaded) {
  ConsoleWatch watch;
  EXPECT_EQ(parse_model("QM3\n" + unit_triangle_part()), nullptr);
  EXPECT_TRUE(watch.saw("version 3"));
}

TEST(ModelRead, PlainFormatIsOneWhiteShinyPart) {
  Model* m = parse_model("3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(part_count(m), 1);
  EXPECT_EQ(m->kind, PART_NORMAL);
  EXPECT_FLOAT_EQ(m->shininess, 32);
  for (int k = 0; k < 4; k++) EXPECT_FLOAT_EQ(m->colour[k], 1);
  EXPECT_EQ(m->triangle_count, 1);
  EXPECT_STREQ(m->path, "fixture.qm");
  model_free(m);
}

TEST(ModelRead, PartKindsAndColours) {
  std::string text = "QM1\n" + unit_triangle_part("-1 0.5 0.2 0.4 0.6") + unit_triangle_part("-2 0.7 1 0.5 0.25") +
                     unit_triangle_part("-0.5 3 0.1 0.2 0.3");
  Model* m = parse_model(text);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(part_count(m), 3);
  EXPECT_TRUE(m->reflective);
  EXPECT_EQ(m->kind, PART_REFLECTIVE);
  EXPECT_FLOAT_EQ(m->colour[3], 0.5f);  // the factor, applied by the reflection pass
  const Model* lit = m->next_part;
  EXPECT_EQ(lit->kind, PART_SELF_LIT);
  EXPECT_FLOAT_EQ(lit->colour[0], 1);
  EXPECT_FLOAT_EQ(lit->colour[3], 0.7f);
  const Model* normal = lit->next_part;
  EXPECT_EQ(normal->kind, PART_NORMAL);  // other negative values are ordinary parts
  EXPECT_FLOAT_EQ(normal->colour[3], 1);
  model_free(m);

  Model* plain = parse_model("QM1\n" + unit_triangle_part("8 1 1 1 1"));
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->reflective);
  model_free(plain);
}

TEST(ModelRead, TextureVIsFlipped) {
  Model* m = parse_model("QM1\n" + unit_triangle_part());
  ASSERT_NE(m, nullptr);
  EXPECT_FLOAT_EQ(m->uvs[1], 1.0f);  // file v 0
  EXPECT_FLOAT_EQ(m->uvs[5], 0.0f);  // file v 1
  model_free(m);
}

// One vertex per line with the given weights over five bones.
std::string skinned_part(const std::string& weights_a, const std::string& weights_b) {
  return "QM2 5 rider\n0 1 1 1 1 3 1\n"
         "0 0 0 0 0 1 0 0 " + weights_a + "\n"
         "1 0 0 0 0 1 1 0 " + weights_b + "\n"
         "0 1 0 0 0 1 0 1 0 0 0 0 0\n"
         "0 1 2\n";
}

TEST(ModelRead, FiveWeightsKeepTheLastFourAndWarnOncePerPart) {
  ConsoleWatch watch;
  Model* m = parse_model(skinned_part("1 1 1 1 1", "1 1 1 1 1"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->bone_count, 5);
  const int expected_bones[4] = {4, 1, 2, 3};  // bone 4 replaced the first smallest slot
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(m->bone_indices[k], expected_bones[k]);
    EXPECT_FLOAT_EQ(m->bone_weights[k], 0.25f);
  }
  EXPECT_EQ(watch.count(), 1);
  EXPECT_TRUE(watch.saw("Warning: vertex with more than 4 bone influences in 'fixture.qm'"));
  model_free(m);
}

TEST(ModelRead, WeightsAreNormalisedAndZeroSumsSpreadOverBoneZero) {
  ConsoleWatch watch;
  Model* m = parse_model(skinned_part("0 2 0 6 0", "0 -1 0 0 0"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(watch.count(), 0);
  // vertex 0: bones 1 and 3 in the first two slots, 1:3
  EXPECT_EQ(m->bone_indices[0], 1);
  EXPECT_EQ(m->bone_indices[1], 3);
  EXPECT_FLOAT_EQ(m->bone_weights[0], 0.25f);
  EXPECT_FLOAT_EQ(m->bone_weights[1], 0.75f);
  EXPECT_FLOAT_EQ(m->bone_weights[2], 0.0f);
  // vertex 1: only a negative weight, so no influence at all
  for (int k = 4; k < 8; k++) {
    EXPECT_FLOAT_EQ(m->bone_weights[k], 0.25f);
    EXPECT_EQ(m->bone_indices[k], 0);
  }
  // the processor-skinning copy starts as the bind pose
  EXPECT_FLOAT_EQ(m->skinned_positions[3], 1.0f);
  EXPECT_FLOAT_EQ(m->skinned_tangents[0], m->tangents[0]);
  model_free(m);
}

TEST(ModelRead, DegenerateAndOutOfRangeTrianglesAreRemovedAndCounted) {
  std::string text =
      "QM1\n0 1 1 1 1 4 5\n"
      "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n"
      "0.0000000000001 0 0 0 0 1 0 0\n"
      "0 1 2\n"
      "0 0 1\n"   // two equal indices
      "0 1 7\n"   // index past the vertices
      "0 -1 2\n"  // negative index
      "0 3 2\n"   // a sliver whose squared cross product is below 2^-80
      + unit_triangle_part();
  ConsoleWatch watch;
  Model* m = parse_model(text, "bike.qm");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->triangle_count, 1);
  EXPECT_EQ(m->triangles[0], 0);
  EXPECT_EQ(m->triangles[2], 2);
  EXPECT_EQ(m->next_part->triangle_count, 1);
  EXPECT_EQ(watch.last(), "4 degenerate triangles deleted in bike.qm");
  model_free(m);
}

TEST(ModelRead, SmallButRealTrianglesStay) {
  // cross product 1e-12 squared is 1e-24, well above 2^-80 (about 8e-25)
  Model* m = parse_model("QM1\n0 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n0.000001 0 0 0 0 1 1 0\n0 0.000001 0 0 0 1 0 1\n0 1 2\n");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->triangle_count, 1);
  model_free(m);
}

struct TangentCase {
  const char* uvs;  // u v for the three vertices of the unit triangle
  float x, y, z;    // expected unit tangent at every vertex
};

TEST(ModelRead, TangentsFollowGrowingU) {
  const TangentCase cases[] = {
      {"0 0  1 0  0 1", 1, 0, 0},    // u along +x
      {"1 0  0 0  1 1", -1, 0, 0},   // mirrored: u grows towards -x
      {"0 0  0 1  1 0", 0, 1, 0},    // u along +y, mapping flipped over
      {"0.5 0.5  0.5 0.5  0.5 0.5", 1, 0, 0},  // no mapping: the longer edge (ties: the first)
  };
  for (const TangentCase& c : cases) {
    SCOPED_TRACE(c.uvs);
    float u[6];
    std::sscanf(c.uvs, "%f %f %f %f %f %f", &u[0], &u[1], &u[2], &u[3], &u[4], &u[5]);
    char text[256];
    std::snprintf(text, sizeof text,
                  "QM1\n0 1 1 1 1 3 1\n0 0 0 0 0 1 %g %g\n1 0 0 0 0 1 %g %g\n0 1 0 0 0 1 %g %g\n0 1 2\n", u[0], u[1],
                  u[2], u[3], u[4], u[5]);
    Model* m = parse_model(text);
    ASSERT_NE(m, nullptr);
    for (int v = 0; v < 3; v++) {
      EXPECT_NEAR(m->tangents[3 * v], c.x, 1e-6);
      EXPECT_NEAR(m->tangents[3 * v + 1], c.y, 1e-6);
      EXPECT_NEAR(m->tangents[3 * v + 2], c.z, 1e-6);
    }
    model_free(m);
  }
}

TEST(ModelRead, UnusedVertexGetsDefaultTangent) {
  Model* m = parse_model("QM1\n0 1 1 1 1 4 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n"
                         "5 5 5 0 0 1 0 1\n0 1 2\n");
  ASSERT_NE(m, nullptr);
  EXPECT_FLOAT_EQ(m->tangents[9], 1);
  EXPECT_FLOAT_EQ(m->tangents[10], 0);
  model_free(m);
}

TEST(ModelRead, TexelDensityIsTheSteepestEdgeAndTheHeadKeepsTheMaximum) {
  // first part: edges of length 2 spanning u 1 (0.5 per ft) and a 0.01 ft edge
  // spanning v 1 that is too short to count; second part: the unit triangle
  std::string text =
      "QM1\n0 1 1 1 1 4 2\n"
      "0 0 0 0 0 1 0 0\n2 0 0 0 0 1 1 0\n0 2 0 0 0 1 0 0.25\n"
      "2 0.01 0 0 0 1 1 1\n"
      "0 1 2\n1 3 2\n" +
      unit_triangle_part();
  Model* m = parse_model(text);
  ASSERT_NE(m, nullptr);
  const Model* second = m->next_part;
  EXPECT_NEAR(second->texel_density_u, 1.0, 1e-6);
  EXPECT_NEAR(second->texel_density_v, 1.0, 1e-6);
  // the head holds the maxima over both parts
  EXPECT_NEAR(m->texel_density_u, 1.0, 1e-6);
  EXPECT_NEAR(m->texel_density_v, 1.0, 1e-6);
  model_free(m);

  Model* one = parse_model(text.substr(0, text.size() - unit_triangle_part().size()));
  ASSERT_NE(one, nullptr);
  EXPECT_NEAR(one->texel_density_u, 0.5, 1e-6);
  // v: 0.25 over the 2 ft edge and 0.75 over the 2.0 ft diagonal to vertex 3
  EXPECT_NEAR(one->texel_density_v, 0.75 / std::sqrt(2.0 * 2.0 + 1.99 * 1.99), 1e-6);
  model_free(one);
}

struct BrokenCase {
  const char* what;
  std::string text;
  int parts;  // parts kept; 0 = no model
};

TEST(ModelRead, BrokenFilesKeepTheWholePartsBeforeTheBreak) {
  const std::string tri = unit_triangle_part();
  const BrokenCase cases[] = {
      {"empty file", "", 0},
      {"only a header", "QM1\n", 0},
      {"first part cut", "QM1\n" + tri.substr(0, 40), 0},
      {"second part cut", "QM1\n" + tri + tri.substr(0, 30), 1},
      {"second part without triangles", "QM1\n" + tri + "0 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n", 1},
      {"trailing words", "QM1\n" + tri + "the end\n", 1},
      {"negative vertex count", "QM1\n0 1 1 1 1 -3 1\n", 0},
      {"negative triangle count", "QM1\n0 1 1 1 1 3 -1\n0 0 0 0 0 1 0 0\n", 0},
      {"absurd vertex count", "QM1\n0 1 1 1 1 2147483647 1\n0 0 0 0 0 1 0 0\n", 0},
      {"absurd triangle count", "QM1\n0 1 1 1 1 3 2147483647\n", 0},
      {"absurd bone count", "QM2 2147483647 x\n" + tri, 0},
      {"plain absurd counts", "2147483647 2147483647\n1 2 3", 0},
      {"count past int", "QM1\n0 1 1 1 1 99999999999 1\n", 0},
      {"letters for numbers", "QM1\n0 1 1 1 1 3 1\n0 0 zero 0 0 1 0 0\n", 0},
      {"garbage", "\x01\x02\x7f\xff garbage", 0},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleWatch watch;
    Model* m = parse_model(c.text);
    EXPECT_EQ(part_count(m), c.parts);
    EXPECT_GE(watch.count(), 1) << "a broken file is reported";
    model_free(m);
  }
}

TEST(ModelRead, BufferNeedNotBeTerminated) {
  // The number at the very end must not run on into the bytes after it.
  std::string text = "QM1\n" + unit_triangle_part();
  text.pop_back();                   // no final newline: "0 1 2"
  std::string padded = text + "7";   // a digit just past the end of the buffer
  Model* m = model_parse(padded.data(), text.size(), "cut.qm");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->triangles[2], 2);
  model_free(m);
}

}  // namespace
