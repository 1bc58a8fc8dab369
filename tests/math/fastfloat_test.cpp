#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

constexpr double kTurn = 6.2831854820251465;  // 2 pi in single precision
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// 30 KB: built once, kept off the stack.
const std::unique_ptr<cFastFloat> gFast = [] {
  auto fast = std::make_unique<cFastFloat>();
  fast->InitLUT();
  return fast;
}();
const cFastFloat& fast = *gFast;

// Bit-identical, or both NaN.
void ExpectSameFloat(float actual, double expected) {
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(actual));
  else
    EXPECT_EQ(Bits(actual), Bits(static_cast<float>(expected))) << actual << " vs " << expected;
}

// A positive normal float with a random exponent and fraction.
float RandomNormal(std::mt19937& random) {
  return FromBits(std::uniform_int_distribution<uint32_t>(1, 254)(random) << 23 |
                  (random() & 0x7FFFFF));
}

}  // namespace

TEST(FastFloat, AngleTablesMatchTheirConstructionForEveryEntry) {
  for (int i = 0; i < 1024; ++i) {
    ExpectSameFloat(fast.Sin(i), std::sin(i * kTurn / 1024.0));
    ExpectSameFloat(fast.Tan(i), std::tan(i * kTurn / 1024.0));
    float s, c;
    fast.SinCos(i - 3072, s, c);  // any integer wraps by its low 10 bits
    EXPECT_EQ(std::tuple(Bits(s), Bits(c), Bits(fast.Cos(i + 4096))),
              std::tuple(Bits(fast.Sin(i)), Bits(fast.Sin(i + 256)), Bits(c)));
  }
  EXPECT_EQ(std::tuple(fast.Cos(0), fast.Sin(-256)), std::tuple(1.0f, -1.0f));
  EXPECT_EQ(Bits(fast.Cos(INT_MAX)), Bits(fast.Cos(1023)));  // no overflow on the way
  EXPECT_EQ(Bits(fast.OneOverSmall(256 + 4)), Bits(fast.OneOverSmall(4)));
  // The table's turn is slightly more than 2 pi: large but finite at the quarter turns.
  EXPECT_EQ(std::tuple(fast.Tan(256), fast.Tan(768)), std::tuple(-22877332.0f, -7625777.5f));
}

TEST(FastFloat, TableOperationsStayWithinTheirErrorBound) {
  std::mt19937 random(2024);
  const double bound = 0x1p-10;
  for (int i = 0; i < 200000; ++i) {
    const float x = RandomNormal(random);
    const double root = std::sqrt(static_cast<double>(x));
    ASSERT_LT(std::fabs(fast.Sqrt(x) / root - 1.0), bound) << x;
    // The reciprocals err towards larger magnitudes, up to the tables' own rounding.
    const double reciprocal = fast.OneOver(x) * static_cast<double>(x);
    const double reciprocalRoot = fast.OneOverSqrt(x) * root;
    ASSERT_TRUE(reciprocal < 1.0 + bound && reciprocal > 1.0 - 0x1p-20) << x;
    ASSERT_TRUE(reciprocalRoot < 1.0 + bound && reciprocalRoot > 1.0 - 0x1p-20) << x;
    ASSERT_EQ(fast.OneOver(-x), -fast.OneOver(x)) << x;
    ASSERT_TRUE(std::isnan(fast.OneOverSqrt(-x))) << x;
  }
  // Zero, and the small-integer table whose entry 0 is 1.
  EXPECT_EQ(
      std::tuple(fast.OneOver(0.0f), fast.OneOverSmall(0), fast.OneOverSmall(3), fast.OneOver(-1)),
      std::tuple(kInfinity, 1.0f, static_cast<float>(1.0 / 3), -1.0f));
}

TEST(FastFloat, SpecialValuesAndLibraryFunctions) {
  EXPECT_TRUE(fast.SignBit(-0.0f) == 1 && fast.IsNegative(-kNaN) && fast.IsPositive(0.0f));
  // Within the dead zone, its edges included, the sign is 0.
  EXPECT_EQ(std::tuple(fast.Sign(-0.0f), fast.Sign(kNaN), fast.Sign(kNaN, 0.5f),
                       fast.Sign(0.5f, 0.5f), fast.Sign(-0.5f, 0.5f), fast.Sign(0.51f, 0.5f),
                       fast.Sign(-0.51f, 0.5f), Bits(fast.Abs(-0.0f))),
            std::tuple(0, -1, 0, 0, 0, 1, -1, 0u));
  EXPECT_TRUE(fast.IsInfinite(-kInfinity) && !fast.IsInfinite(kNaN));
  EXPECT_TRUE(fast.IsFinite(kNaN) && !fast.IsFinite(kInfinity));
  EXPECT_TRUE(!fast.IsANumber(kInfinity) && !fast.IsANumber(kNaN) && fast.IsANumber(FromBits(1)));
  EXPECT_TRUE(!fast.IsRational(kNaN) && fast.IsRational(FromBits(1)) && fast.IsRational(-0.0f));
  // IsNearZero(x, -10) holds exactly below 2^-9.
  EXPECT_TRUE(fast.IsNearZero(-std::nextafter(0x1p-9f, 0.0f), -10));
  EXPECT_FALSE(fast.IsNearZero(0x1p-9f, -10));
  EXPECT_TRUE(fast.IsNear(1.0f, 1.001f, -10) && !fast.IsNear(1.0f, 1.003f, -10));
  const float nan = kNaN, copy = nan;  // compared by their bits
  EXPECT_TRUE(fast.IsEqual(nan, copy) && fast.IsNotEqual(0.0f, -0.0f));

  float s, c;
  fast.SinCos(0.5f, s, c);
  // ArcTan2's first argument is the numerator.
  EXPECT_EQ(std::tuple(fast.Pow(2.0f, 10.0f), fast.Mod(-7.5f, 2.0f), fast.ArcTan2(1.0f, 0.0f),
                       fast.ArcCos(-1.0f), s, c),
            std::tuple(1024.0f, -1.5f, 1.5707964f, 3.1415927f, static_cast<float>(std::sin(0.5)),
                       static_cast<float>(std::cos(0.5))));
  EXPECT_EQ(std::tuple(fast.SmoothStep(kNaN), fast.SmoothStep(-0.1f), fast.SmoothStep(1.5f),
                       fast.SmoothStep(0.5f), fast.SmoothStep(0.25f)),
            std::tuple(0.0f, 0.0f, 1.0f, 0.5f, 0.15625f));
}

TEST(FastFloat, FixedPointRoundsWithSevenSixteenthsOfTheLastUnit) {
  EXPECT_EQ(fast.DWordRound(0.5625f), 1u);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 100000; ++i) {
    const float u = unit(random), x20 = u * 1048575.0f, x12 = u * 4095.0f, x4 = u * 15.0f;
    ASSERT_EQ(fast.Fixed20_0(x20), static_cast<uint32_t>(std::floor(x20 + 0.4375))) << x20;
    ASSERT_EQ(fast.DWord(x20), static_cast<uint32_t>(x20)) << x20;
    ASSERT_EQ(fast.Fixed12_8(x12), static_cast<uint32_t>(std::floor(256.0 * x12 + 0.4375)));
    ASSERT_EQ(fast.Fixed4_16(x4), static_cast<uint32_t>(std::floor(65536.0 * x4 + 0.4375)));
    ASSERT_LT(fast.Fixed4_16(x20), 0x100000u);  // out of range, still 20 bits
  }
}

TEST(FastFloatAtLoad, EngineTablesAreBuiltBeforeFirstUse) {
  // The quaternion's length takes the engine's own fast square root, whose
  // entry 0 would be 0 in unbuilt tables.
  EXPECT_EQ(std::tuple(Bits(cQuaternion(0, 0, 0, 0).Length()), cQuaternion(0, 0, 3, 0).Length()),
            std::tuple(0x1FB504F3u, 2.9999998f));
  EXPECT_EQ(cQuaternion::sIdentity.ToString(), "(x=   0.000, y=   0.000, z=   0.000, w=   1.000)");
}
