#include <cstdlib>
#include <utility>

#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

// The generator read as a lagged XOR sequence on a ring of 64 words, the
// words at byte offsets 0, 4, ..., 252 of the seeded table: step n outputs
// word n - 11 and XORs it into word n + 1.
class ReferenceRandom {
 public:
  explicit ReferenceRandom(uint32_t seed) {
    std::srand(seed);
    unsigned char bytes[260];
    for (int k = 0; k < 260; ++k) bytes[k] = static_cast<unsigned char>(k);
    for (int i = 0; i < 1000; ++i) {
      const int a = std::rand() % 260;
      int b = std::rand() % 260;
      while (b == a) b = std::rand() % 260;
      std::swap(bytes[a], bytes[b]);
    }
    for (int i = 0; i < 64; ++i)
      for (int k = 3; k >= 0; --k) m_Ring[i] = m_Ring[i] << 8 | bytes[4 * i + k];
  }

  uint32_t Next() {
    const uint32_t out = m_Ring[(m_N + 53) % 64];
    m_Ring[(m_N + 1) % 64] ^= out;
    ++m_N;
    return out;
  }

 private:
  uint32_t m_Ring[64] = {};
  uint32_t m_N = 0;
};

}  // namespace

TEST(Random, SequenceIsTheLaggedXorOfTheSeededTable) {
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    ReferenceRandom reference(seed);
    cRandom random(seed);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(random.Rand(0), reference.Next()) << seed << " " << i;
  }
}

TEST(Random, CopiesCloneTheFutureAndReseedingKeepsThePosition) {
  cRandom a(42), copy(1);
  a.Rand(0);
  copy = a;
  cRandom constructed(a);
  for (int i = 0; i < 500; ++i) {
    const uint32_t next = a.Rand(0);
    ASSERT_TRUE(copy.Rand(0) == next && constructed.Rand(32) == next);
  }
  // Reseeding keeps the position, so a reseeded generator is not a fresh one.
  cRandom reseeded(42), fresh(42);
  reseeded.Rand(0);
  reseeded.Init(42);
  bool differs = false;
  for (int i = 0; i < 64; ++i) differs |= reseeded.Rand(0) != fresh.Rand(0);
  EXPECT_TRUE(differs);
}

TEST(Random, DrawsAreViewsOfOneStepWord) {
  cRandom random(3);
  for (int i = 0; i < 2000; ++i) {
    cRandom bits = random, floats = random, bools = random;
    const uint32_t word = random.Rand(32);
    const int n = 1 + i % 32;
    ASSERT_EQ(bits.Rand(n), word >> (32 - n));
    const float f = floats.RandF();
    ASSERT_EQ(f, FromBits(word >> 9 | 0x3F800000) - 1.0f);
    ASSERT_TRUE(f >= 0.0f && f < 1.0f);
    ASSERT_EQ(bools.RandBool(), (word >> 31) == 0);
  }
}
