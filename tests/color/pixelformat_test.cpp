#include <gtest/gtest.h>
#include <tolmak.h>

#include <array>
#include <cstdint>
#include <random>

#include "color_fixtures.h"

using F = cPixelFormat;
using tolmak::test::k16BitFormats;

namespace {

constexpr F::EFormat kColourFormats[] = {F::Alpha,    F::ARGB8888, F::ABGR8888, F::ARGB5551,
                                         F::ABGR5551, F::ARGB4444, F::ABGR4444, F::RGB888X,
                                         F::BGR888X,  F::RGB888,   F::BGR888,   F::RGB565,
                                         F::BGR565,   F::RGB555,   F::BGR555};

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

// The per-format formulas written out by hand, independent of the tables.
// clang-format off
uint32_t ModelFromARGB(F::EFormat f, uint32_t v) {
  const uint32_t A = v >> 24, R = (v >> 16) & 0xFF, G = (v >> 8) & 0xFF, B = v & 0xFF;
  switch (f) {
    case F::Alpha: return A;
    case F::ARGB8888: return v;
    case F::ABGR8888: return Pack(A, B, G, R);
    case F::ARGB5551: return (A >> 7) << 15 | (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case F::ABGR5551: return (A >> 7) << 15 | (B >> 3) << 10 | (G >> 3) << 5 | R >> 3;
    case F::ARGB4444: return (A >> 4) << 12 | (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case F::ABGR4444: return (A >> 4) << 12 | (B >> 4) << 8 | (G >> 4) << 4 | R >> 4;
    case F::RGB888X: return v | 0xFF000000;
    case F::BGR888X: case F::BGR888: return Pack(0, B, G, R);
    case F::RGB888: return v & 0x00FFFFFF;
    case F::RGB565: return (R >> 3) << 11 | (G >> 2) << 5 | B >> 3;
    case F::BGR565: return (B >> 3) << 11 | (G >> 2) << 5 | R >> 3;
    case F::RGB555: return (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case F::BGR555: return (B >> 3) << 10 | (G >> 3) << 5 | R >> 3;
    default: return 0;
  }
}

uint32_t ModelToARGB(F::EFormat f, uint32_t p) {
  auto bits = [p](int low, int n) { return (p >> low) & ((1u << n) - 1); };
  switch (f) {
    case F::Alpha: return p << 24;
    case F::ARGB8888: return p;
    case F::ABGR8888: return Pack(p >> 24, bits(0, 8), bits(8, 8), bits(16, 8));
    case F::ARGB5551: return Pack(bits(15, 1) ? 0x80 : 0, bits(10, 5) << 3, bits(5, 5) << 3, bits(0, 5) << 3);
    case F::ABGR5551: return Pack(bits(15, 1) ? 0x80 : 0, bits(0, 5) << 3, bits(5, 5) << 3, bits(10, 5) << 3);
    case F::ARGB4444: return Pack(bits(12, 4) << 4, bits(8, 4) << 4, bits(4, 4) << 4, bits(0, 4) << 4);
    case F::ABGR4444: return Pack(bits(12, 4) << 4, bits(0, 4) << 4, bits(4, 4) << 4, bits(8, 4) << 4);
    case F::RGB888X: case F::RGB888: return Pack(0xFF, bits(16, 8), bits(8, 8), bits(0, 8));
    case F::BGR888X: case F::BGR888: return Pack(0xFF, bits(0, 8), bits(8, 8), bits(16, 8));
    case F::RGB565: return Pack(0xFF, bits(11, 5) << 3, bits(5, 6) << 2, bits(0, 5) << 3);
    case F::BGR565: return Pack(0xFF, bits(0, 5) << 3, bits(5, 6) << 2, bits(11, 5) << 3);
    case F::RGB555: return Pack(0xFF, bits(10, 5) << 3, bits(5, 5) << 3, bits(0, 5) << 3);
    case F::BGR555: return Pack(0xFF, bits(0, 5) << 3, bits(5, 5) << 3, bits(10, 5) << 3);
    default: return 0;
  }
}
// clang-format on

// The documented ranking, highest first; the 24/32-bit group shares one rank.
int Rank(F::EFormat f) {
  constexpr int kRanks[] = {3, 4, 5, 16, 15, 14, 13, 12, 11, 10, 10, 10, 10, 9, 8, 7, 6, 0};
  return kRanks[f];
}

// -1, 0 or 1 as a ranks below, level with or above b.
int ExpectedOrder(F::EFormat a, F::EFormat b) {
  if (Rank(a) != Rank(b)) return Rank(a) < Rank(b) ? -1 : 1;
  const F fa(a), fb(b);
  if (a == b || fa.GetTotalBits() != fb.GetTotalBits()) return 0;  // 24 vs 32 bits: level
  return fa.GetOrder() == F::RGB ? 1 : -1;
}

// <, >, <=, >=, == and != of a against b.
template <class Right>
std::array<bool, 6> Relations(const F& a, const Right& b) {
  return {a<b, a> b, a <= b, a >= b, a == b, a != b};
}

}  // namespace

TEST(PixelFormat, TablesDescribeDisjointChannelsWithinTheTotalMask) {
  for (F::EFormat f : kColourFormats) {
    const F x(f);
    const uint32_t masks = x.GetRedMask() | x.GetGreenMask() | x.GetBlueMask() | x.GetAlphaMask();
    const uint32_t sum = x.GetRedMask() + x.GetGreenMask() + x.GetBlueMask() + x.GetAlphaMask();
    EXPECT_EQ(masks, sum) << x.GetName().c_str();  // no bit in two channels
    EXPECT_EQ(masks & ~x.GetTotalMask(), 0u) << x.GetName().c_str();
    EXPECT_EQ(x.GetTotalMask(), 0xFFFFFFFFu >> (32 - x.GetTotalBits())) << x.GetName().c_str();
  }
  EXPECT_STREQ(F::m_Names[F::RGB888X], "RGB 888 (32-bit)");
  EXPECT_STREQ(F::m_ShortNames[F::RGB888X], "RGB 888X");
  EXPECT_EQ(F(F::ABGR4444).GetName(), "ABGR 4444 (16-bit)");
  EXPECT_EQ(F(F::IndexAlpha).GetShortName(), "IndexAlpha");
  EXPECT_EQ(F(F::BGR565).GetOrder(), F::BGR);
  EXPECT_EQ(F(F::IndexAlpha).GetRedBits(), 8u);  // declared, though its masks are zero
  EXPECT_EQ(F(F::IndexAlpha).GetRedMask(), 0u);
}

TEST(PixelFormat, ConstructorsPickTheDocumentedRow) {
  const F none;
  EXPECT_EQ(none.GetFormat(), F::Invalid);
  EXPECT_EQ(none.GetName(), "Invalid");
  EXPECT_EQ(none.GetTotalBits(), 0u);
  EXPECT_EQ(none.GetTotalBytes(), 0u);
  EXPECT_EQ(F(8u), F::Indexed);
  EXPECT_EQ(F(15u), F::Invalid);
  EXPECT_EQ(F(16u), F::RGB565);
  EXPECT_EQ(F(24u), F::RGB888);
  EXPECT_EQ(F(24u).GetTotalBytes(), 3u);
  EXPECT_EQ(F(32u), F::RGB888X);
  EXPECT_EQ(F(F::Alpha).GetTotalBytes(), 1u);
  EXPECT_EQ(F(F::ARGB4444).GetTotalBytes(), 2u);

  EXPECT_EQ(F(0x00FF0000, 0x0000FF00, 0x000000FF, 0), F::RGB888X);
  EXPECT_EQ(F(0x000000FF, 0x0000FF00, 0x00FF0000, 0), F::BGR888X);
  EXPECT_EQ(F(0, 0, 0, 0xFF), F::Alpha);
  EXPECT_EQ(F(0, 0, 0, 0), F::Indexed);
  EXPECT_EQ(F(0xF800, 0x07E0, 0x001F, 0x8000), F::Invalid);
  EXPECT_EQ(F(0x7C00, 0x03E0, 0x001F, 0x8000), F::ARGB5551);
  EXPECT_EQ(F(0x7C00, 0x03E0, 0x001F, 0), F::RGB555);
  // Every colour format is found again from its own masks, unless an
  // earlier row has the same four masks.
  for (F::EFormat f : kColourFormats) {
    const F format(f);
    const F found(format.GetRedMask(), format.GetGreenMask(), format.GetBlueMask(),
                  format.GetAlphaMask());
    const F::EFormat expected = f == F::RGB888 ? F::RGB888X : f == F::BGR888 ? F::BGR888X : f;
    EXPECT_EQ(found, expected) << format.GetName().c_str();
  }
}

TEST(PixelFormat, NumbersOutsideTheEnumerationAreInvalid) {
  for (int32_t bad : {18, 255, -1, INT32_MAX}) {
    const auto value = static_cast<F::EFormat>(bad);
    F format(F::ARGB8888);
    format = value;
    EXPECT_EQ(format, F::Invalid) << bad;
    EXPECT_EQ(F(value).GetFormat(), F::Invalid) << bad;
    EXPECT_EQ(F(value).GetTotalBits() + F(value).ConvertFromARGB(0xFFFFFFFF), 0u) << bad;
    EXPECT_TRUE(F(F::RGB565) > value && F(F::Invalid) >= value && !(F(F::Indexed) < value)) << bad;
  }
}

TEST(PixelFormat, OrderingFollowsTheDocumentedRankingForEveryPair) {
  for (int i = 0; i <= F::Invalid; ++i) {
    for (int j = 0; j <= F::Invalid; ++j) {
      const F::EFormat ea = static_cast<F::EFormat>(i), eb = static_cast<F::EFormat>(j);
      const F a(ea), b(eb);
      const int s = ExpectedOrder(ea, eb);
      SCOPED_TRACE(testing::Message()
                   << a.GetShortName().c_str() << " vs " << b.GetShortName().c_str());
      EXPECT_EQ(F::m_CmpTable[j][i], s);
      const std::array expected{s<0, s> 0, s <= 0, s >= 0, i == j, i != j};
      EXPECT_EQ(Relations(a, b), expected);
      EXPECT_EQ(Relations(a, eb), expected);
      EXPECT_EQ((a < b), (b > a));
      EXPECT_EQ((a <= b), (b >= a));
    }
  }
  EXPECT_TRUE(F(F::ABGR4444) > F::RGB888X);
  EXPECT_TRUE(F(F::RGB888) >= F::BGR888X && F(F::RGB888) <= F::BGR888X);
  EXPECT_TRUE(F(F::RGB888) > F::BGR888);
  EXPECT_TRUE(F(F::Indexed) < F::Alpha);
  EXPECT_FALSE(F() < F::Invalid);
  EXPECT_TRUE(F() <= F::Invalid);
}

TEST(PixelFormat, ConversionsMatchTheDocumentedWorkedValues) {
  EXPECT_EQ(F(F::RGB565).ConvertFromARGB(0xFFFFFFFF), 0xFFFFu);
  EXPECT_EQ(F(F::RGB565).ConvertToARGB(0xFFFF), 0xFFF8FCF8u);
  EXPECT_EQ(F(F::ARGB5551).ConvertFromARGB(0x7FFFFFFF), 0x7FFFu);
  EXPECT_EQ(F(F::ARGB5551).ConvertFromARGB(0x80000000), 0x8000u);
  EXPECT_EQ(F(F::ARGB5551).ConvertToARGB(0x8000), 0x80000000u);
  EXPECT_EQ(F(F::RGB888X).ConvertFromARGB(0x00123456), 0xFF123456u);
  EXPECT_EQ(F(F::BGR888X).ConvertFromARGB(0xFF123456), 0x00563412u);
  EXPECT_EQ(F(F::RGB888).ConvertToARGB(0x00123456), 0xFF123456u);
  EXPECT_EQ(F(F::RGB888X).ConvertToARGB(0xAB123456), 0xFF123456u);
  EXPECT_EQ(F(F::Alpha).ConvertFromARGB(0x80FFFFFF), 0x80u);
  EXPECT_EQ(F(F::Alpha).ConvertToARGB(0x80), 0x80000000u);
  EXPECT_EQ(F(F::ABGR8888).ConvertFromARGB(0x11223344), 0x11443322u);
  EXPECT_EQ(F(F::ABGR4444).ConvertToARGB(0x1234), 0x10403020u);
  EXPECT_EQ(F(F::RGB555).ConvertToARGB(0x8000), 0xFF000000u);  // bit 15 ignored
  for (F::EFormat f : {F::Indexed, F::IndexAlpha, F::Invalid}) {
    EXPECT_EQ(F(f).ConvertFromARGB(0xFFFFFFFF), 0u);
    EXPECT_EQ(F(f).ConvertToARGB(0xFFFFFFFF), 0u);
  }
}

TEST(PixelFormat, ConversionsAgreeWithTheHandWrittenFormulas) {
  std::mt19937 random(4);
  for (F::EFormat f : kColourFormats) {
    const F format(f);
    SCOPED_TRACE(format.GetName().c_str());
    for (int n = 0; n < 20000; ++n) {
      const uint32_t v = random();
      ASSERT_EQ(format.ConvertFromARGB(v), ModelFromARGB(f, v)) << std::hex << v;
      if (format.GetTotalBits() > 16) {
        ASSERT_EQ(format.ConvertToARGB(v), ModelToARGB(f, v));
      }
    }
  }
  // Every pixel of every 16-bit format, and its round trip through ARGB.
  for (F::EFormat f : k16BitFormats) {
    const F format(f);
    SCOPED_TRACE(format.GetName().c_str());
    const uint32_t used = tolmak::test::UsedBits16(f);
    for (uint32_t p = 0; p <= 0xFFFF; ++p) {
      const uint32_t argb = format.ConvertToARGB(p);
      ASSERT_EQ(argb, ModelToARGB(f, p)) << std::hex << p;
      ASSERT_EQ(format.ConvertFromARGB(argb), p & used) << std::hex << p;
    }
  }
}

TEST(PixelFormat, ScoreMatchesTheWorkedValues) {
  EXPECT_EQ(F(F::ARGB8888).Score(F::ARGB8888), 102.0f);
  EXPECT_EQ(F(F::RGB565).Score(F::RGB565), 100.0f);
  EXPECT_EQ(F(F::ARGB8888).Score(F::RGB888X), 69.0f);
  EXPECT_EQ(F(F::RGB565).Score(F::ARGB8888), 90.0f);
  EXPECT_EQ(F(F::Indexed).Score(F::ARGB8888), static_cast<float>(98.0 / 3.0));
  EXPECT_EQ(F(F::ARGB8888).Score(F::ARGB5551), 62.0f);  // 97 + 2 - 9 - 4 * 7
  EXPECT_EQ(F(F::ARGB4444).Score(F::RGB888), 70.0f);    // ratio 1.5 divides nothing
  EXPECT_EQ(F(F::RGB565).Score(F::ARGB4444), 97.0f);    // surplus alpha is free
  EXPECT_EQ(F(F::RGB565).Score(F()), 0.0f);
  EXPECT_EQ(F().Score(F::RGB565), 0.0f);
  EXPECT_EQ(F().Score(F()), 102.0f);
}
