// The shared random generator: the reference 32-bit Mersenne Twister.
// std::mt19937 regenerates its state in blocks, which draws the same
// sequence as regenerating one word per draw.
#include <random>

#include "core/core.h"

static std::mt19937 g_random;
static bool g_seeded = false;  // an all-zero state draws zeros until seeded

void random_seed(uint32_t seed) {
  g_random.seed(seed);
  g_seeded = true;
}

uint32_t random_next() { return g_seeded ? (uint32_t)g_random() : 0u; }
