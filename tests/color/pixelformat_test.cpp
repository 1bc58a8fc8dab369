#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "../../color/pixel_runs.h"
#include "pixel_support.h"

using F = cPixelFormat;
using tolmak::test::kColourFormats;
using tolmak::test::ReadLE;

namespace {

// Both conversions built from the format's masks and bit counts, channel by
// channel, as a reference for the hand-written formulas in the header.
struct cChannel {
  uint32_t m_Mask, m_Bits, m_ARGBShift;
};
std::array<cChannel, 4> Channels(const F& f) {
  return {{{f.GetAlphaMask(), f.GetAlphaBits(), 24},
           {f.GetRedMask(), f.GetRedBits(), 16},
           {f.GetGreenMask(), f.GetGreenBits(), 8},
           {f.GetBlueMask(), f.GetBlueBits(), 0}}};
}

uint32_t ModelFromARGB(const F& f, uint32_t argb) {
  uint32_t pixel = f == F::RGB888X ? 0xFF000000 : 0;
  for (const cChannel& c : Channels(f))
    if (c.m_Mask != 0)
      pixel |= ((argb >> c.m_ARGBShift & 0xFF) >> (8 - c.m_Bits)) << std::countr_zero(c.m_Mask);
  return pixel;
}

uint32_t ModelToARGB(const F& f, uint32_t pixel) {
  uint32_t argb = f.GetAlphaMask() == 0 ? 0xFF000000 : 0;
  for (const cChannel& c : Channels(f))
    if (c.m_Mask != 0)
      argb |= ((pixel & c.m_Mask) >> std::countr_zero(c.m_Mask)) << (8 - c.m_Bits) << c.m_ARGBShift;
  return argb;
}

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

TEST(PixelFormat, NamesRowsTheConstructorsPickAndInvalidNumbers) {
  EXPECT_STREQ(F::m_Names[F::RGB888X], "RGB 888 (32-bit)");
  EXPECT_STREQ(F::m_ShortNames[F::RGB888X], "RGB 888X");
  EXPECT_EQ(F(F::ABGR4444).GetName(), "ABGR 4444 (16-bit)");
  EXPECT_EQ(F(F::IndexAlpha).GetShortName(), "IndexAlpha");
  EXPECT_EQ(F().GetName(), "Invalid");
  EXPECT_EQ(F(F::BGR565).GetOrder(), F::BGR);
  EXPECT_EQ(F(F::IndexAlpha).GetRedBits(), 8u);  // declared, though its masks are zero
  EXPECT_EQ(F(F::IndexAlpha).GetRedMask(), 0u);
  const std::pair<uint32_t, F::EFormat> depths[] = {
      {8, F::Indexed}, {15, F::Invalid}, {16, F::RGB565}, {24, F::RGB888}, {32, F::RGB888X}};
  for (auto [depth, format] : depths) EXPECT_EQ(F(depth), format) << depth;
  EXPECT_EQ(F(24u).GetTotalBytes() * 100 + F(F::ARGB4444).GetTotalBytes() * 10 +
                F(F::Alpha).GetTotalBytes() + F().GetTotalBytes(),
            321u);
  EXPECT_EQ(F(0, 0, 0, 0), F::Indexed);
  EXPECT_EQ(F(0xF800, 0x07E0, 0x001F, 0x8000), F::Invalid);
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
    }
  }
}

TEST(PixelFormat, MasksAgreeWithTheConversionsAndEvery16BitPixelRoundTrips) {
  std::mt19937 random(4);
  for (F::EFormat f : kColourFormats) {
    const F format(f);
    SCOPED_TRACE(format.GetName().c_str());
    EXPECT_EQ(format.GetTotalMask(), 0xFFFFFFFFu >> (32 - format.GetTotalBits()));
    // Found again from its masks, unless an earlier row has the same four.
    EXPECT_EQ(
        F(format.GetRedMask(), format.GetGreenMask(), format.GetBlueMask(), format.GetAlphaMask()),
        f == F::RGB888   ? F::RGB888X
        : f == F::BGR888 ? F::BGR888X
                         : f);
    for (int n = 0; n < 20000; ++n) {
      const uint32_t v = random();
      ASSERT_EQ(format.ConvertFromARGB(v), ModelFromARGB(format, v)) << std::hex << v;
      if (format.GetTotalBits() > 16) {
        ASSERT_EQ(format.ConvertToARGB(v), ModelToARGB(format, v));
      }
    }
    if (format.GetTotalBits() != 16) continue;
    const uint32_t used =  // bit 15 of the 555 formats is lost
        format.GetRedMask() | format.GetGreenMask() | format.GetBlueMask() | format.GetAlphaMask();
    for (uint32_t p = 0; p <= 0xFFFF; ++p) {
      const uint32_t argb = format.ConvertToARGB(p);
      ASSERT_EQ(argb, ModelToARGB(format, p)) << std::hex << p;
      ASSERT_EQ(format.ConvertFromARGB(argb), p & used) << std::hex << p;
    }
  }
}

// ARGB8888 against ARGB5551 scores 97 + 2 - 9 - 4 * 7; ARGB4444 against
// RGB888 has the ratio 1.5, which divides nothing; RGB565 gets surplus alpha
// for free.
TEST(PixelFormat, ScoreMatchesTheWorkedValues) {
  const std::tuple<F::EFormat, F::EFormat, float> worked[] = {
      {F::ARGB8888, F::ARGB8888, 102},      {F::RGB565, F::RGB565, 100},
      {F::ARGB8888, F::RGB888X, 69},        {F::RGB565, F::ARGB8888, 90},
      {F::Indexed, F::ARGB8888, 98.0f / 3}, {F::ARGB8888, F::ARGB5551, 62},
      {F::ARGB4444, F::RGB888, 70},         {F::RGB565, F::ARGB4444, 97},
      {F::RGB565, F::Invalid, 0},           {F::Invalid, F::RGB565, 0},
      {F::Invalid, F::Invalid, 102}};
  for (const auto& [format, other, score] : worked)
    EXPECT_EQ(F(format).Score(other), score) << format << " against " << other;
}

// Runs of pixels, for every pair of formats (palette formats and Invalid
// included): packed, spaced as vertex colours, and in place, at lengths
// that end inside a block, at odd addresses. Each pixel must be what the
// per-pixel pair gives, and no byte beside the pixels may change.
TEST(PixelFormat, RunConversionIsThePerPixelConversionForEveryPair) {
  std::mt19937 random(7);
  constexpr size_t kCount = 1000 + 7, kStride = 9;
  std::vector<uint8_t> source(kCount * kStride + 1), target(kCount * kStride + 4);
  for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
  const uint8_t* const in = source.data() + 1;
  uint8_t* const out = target.data() + 3;
  int wrong = 0;
  for (int a = 0; a <= F::Invalid; ++a)
    for (int b = 0; b <= F::Invalid; ++b) {
      const F from(static_cast<F::EFormat>(a)), to(static_cast<F::EFormat>(b));
      const uint32_t inBytes = from.GetTotalBytes(), outBytes = to.GetTotalBytes();
      for (size_t stride : {size_t{0}, kStride}) {
        const size_t inStride = stride ? stride : inBytes, outStride = stride ? stride : outBytes;
        std::fill(target.begin(), target.end(), uint8_t{0xA5});
        F::ConvertPixels(from, in, inStride, to, out, outStride, kCount);
        for (size_t i = 0; i < kCount; ++i) {
          const uint32_t want =
              to.ConvertFromARGB(from.ConvertToARGB(ReadLE(&in[i * inStride], inBytes)));
          wrong += ReadLE(&out[i * outStride], outBytes) !=
                   (outBytes ? want & (0xFFFFFFFFu >> (32 - 8 * outBytes)) : 0);
          if (stride) wrong += out[i * outStride + outBytes] != 0xA5;
        }
        wrong += target[2] != 0xA5 || out[(kCount - 1) * outStride + outBytes] != 0xA5;
        if (inBytes != outBytes) continue;
        std::vector<uint8_t> inPlace = source;
        F::ConvertPixels(from, inPlace.data() + 1, inStride, to, inPlace.data() + 1, outStride,
                         kCount);
        for (size_t i = 0; i < kCount; ++i)
          wrong +=
              ReadLE(&inPlace[1 + i * inStride], inBytes) != ReadLE(&out[i * outStride], outBytes);
      }
    }
  EXPECT_EQ(wrong, 0);
}

// Each vector loop the processor can run, not only the one ConvertPixels
// chose: every length up to a few steps, the source at the very end of its
// buffer (where the sanitizer sees any read beyond it) and the target at an
// odd address. A loop leaves fewer pixels than one step to the caller and
// writes nothing past its own.
TEST(PixelFormat, EveryVectorLoopIsThePerPixelConversion) {
  using namespace tolmak::detail;
  std::vector<tVectorRuns> loops{kBaselineRuns};
#ifdef TOLMAK_RUNTIME_AVX
  if (CpuHasAvx2()) loops.push_back(kAvx2Runs);
#endif
  const struct {
    tVectorRun tVectorRuns::*run;
    F from, to;
  } kPairs[] = {{&tVectorRuns::argbTo565, F::ARGB8888, F::RGB565},
                {&tVectorRuns::argbTo888, F::ARGB8888, F::RGB888},
                {&tVectorRuns::rgb888ToARGB, F::RGB888, F::ARGB8888}};
  constexpr size_t kLongest = 80, kLongestStep = 16;
  std::mt19937 random(11);
  std::vector<uint8_t> source(4 * kLongest), target(4 * kLongest + 2);
  for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
  int wrong = 0;
  for (const tVectorRuns& set : loops)
    for (const auto& pair : kPairs) {
      const uint32_t inBytes = pair.from.GetTotalBytes(), outBytes = pair.to.GetTotalBytes();
      for (size_t count = 0; count <= kLongest; ++count) {
        std::fill(target.begin(), target.end(), uint8_t{0xA5});
        const uint8_t* in = source.data() + source.size() - count * inBytes;
        const size_t done = (set.*pair.run)(in, target.data() + 1, count);
        wrong += done > count || (set.*pair.run != &NoVectorRun && count - done >= kLongestStep);
        for (size_t i = 0; i < done; ++i)
          wrong +=
              ReadLE(&target[1 + i * outBytes], outBytes) !=
              (pair.to.ConvertFromARGB(pair.from.ConvertToARGB(ReadLE(&in[i * inBytes], inBytes))) &
               (0xFFFFFFFFu >> (32 - 8 * outBytes)));
        wrong += target[0] != 0xA5;
        for (size_t at = 1 + done * outBytes; at < target.size(); ++at) wrong += target[at] != 0xA5;
      }
    }
  EXPECT_EQ(wrong, 0);
}
