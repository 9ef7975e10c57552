// Mutated model and shape files fed to the readers: whatever the bytes, a
// reader returns nothing or something whose indices can be trusted, and
// never reads or writes out of bounds (the sanitizer build checks that).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "gfx/gfx.h"
#include "gfx_test_util.h"

namespace {

const char* const kModelFixtures[] = {
    "QM1\n"
    "0 1 0.5 0.5 0.5 4 2\n"
    "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n1 1 0 0 0 1 1 1\n0 1 0 0 0 1 0 1\n"
    "0 1 2\n0 2 3\n"
    "-1 0.5 1 1 1 3 1\n"
    "0 0 1 0 1 0 0 0\n1 0 1 0 1 0 1 0\n0 0 2 0 1 0 0 1\n"
    "0 1 2\n",

    "QM2 6 rider9\n"
    "4 1 0.9 0.8 0.7 3 1\n"
    "0 0 0 0 0 1 0 0 1 0 0 0 0 0\n"
    "1 0 0 0 0 1 1 0 0.5 0.5 0 0 0 0\n"
    "0 1 0 0 0 1 0 1 0.2 0.2 0.2 0.2 0.1 0.1\n"
    "0 1 2\n",

    "3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n",
};

const char* const kShapeFixtures[] = {
    "3\n0 1 0 0.5 0.8 2500 250\n3 0 -4 1 0.6 10000 100\n0 0 0 0.25 1 5000 250\n",
};

const char* const kInserts[] = {"2147483647", "-1", "-2147483648", "1e38", "nan", "inf", "QM2", " ", "\n", "9"};

std::string mutate(std::string text, std::mt19937* rng) {
  auto pick = [&](size_t n) { return n ? (size_t)((*rng)() % n) : 0; };
  int steps = 1 + (int)pick(4);
  for (int s = 0; s < steps; s++) {
    size_t at = pick(text.size() + 1);
    switch (pick(6)) {
      case 0:  // any byte
        if (at < text.size()) text[at] = (char)pick(256);
        break;
      case 1:  // a byte the scanner cares about
        if (at < text.size()) text[at] = "0123456789-. \ne"[pick(15)];
        break;
      case 2:  // cut a range out
        text.erase(at, pick(16));
        break;
      case 3:  // repeat a range
        text.insert(at, text.substr(pick(text.size() + 1), pick(24)));
        break;
      case 4:  // cut the end off
        text.resize(at);
        break;
      default:  // a number a careless reader would trust
        text.insert(at, kInserts[pick(sizeof kInserts / sizeof kInserts[0])]);
        break;
    }
  }
  return text;
}

// What a successfully read model promises to the renderer.
void check_model(const Model* m) {
  for (const Model* p = m; p; p = p->next_part) {
    ASSERT_GE(p->vertex_count, 0);
    ASSERT_GE(p->triangle_count, 0);
    for (int i = 0; i < 3 * p->triangle_count; i++) {
      ASSERT_GE(p->triangles[i], 0);
      ASSERT_LT(p->triangles[i], p->vertex_count);
    }
    for (int v = 0; v < p->vertex_count; v++) {
      const float* t = p->tangents + 3 * v;
      ASSERT_NEAR(std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]), 1.0, 1e-3);
    }
    if (p->bone_count > 0)
      for (int i = 0; i < 4 * p->vertex_count; i++) {
        ASSERT_GE(p->bone_indices[i], 0);
        ASSERT_LT(p->bone_indices[i], p->bone_count);
      }
  }
}

TEST(ReaderFuzz, MutatedModels) {
  std::mt19937 rng(20240611);
  int loaded = 0;
  for (const char* fixture : kModelFixtures) {
    for (int i = 0; i < 40000; i++) {
      std::string text = mutate(fixture, &rng);
      Model* m = model_parse(text.data(), text.size(), "fuzz.qm");
      if (m) loaded++;
      check_model(m);
      model_free(m);
      if (HasFatalFailure()) {
        ADD_FAILURE() << "input:\n" << text;
        return;
      }
    }
  }
  // The mutations must leave many files readable, or the checks above test
  // nothing.
  EXPECT_GT(loaded, 10000) << "of 120000";
}

TEST(ReaderFuzz, MutatedShapes) {
  std::mt19937 rng(7);
  int loaded = 0;
  for (const char* fixture : kShapeFixtures) {
    for (int i = 0; i < 40000; i++) {
      std::string text = mutate(fixture, &rng);
      Shape* s = shape_parse(text.data(), text.size(), "fuzz.shp");
      if (s) {
        loaded++;
        ASSERT_GE(s->sphere_count, 0);
        ASSERT_LE((size_t)s->sphere_count * 14, text.size() + 1) << text;
      }
      shape_free(s);
    }
  }
  EXPECT_GT(loaded, 4000) << "of 40000";
}

}  // namespace
