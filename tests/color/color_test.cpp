#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>

#include "test_support.h"

using F = cPixelFormat;
using Triple = std::array<float, 3>;
using tolmak::test::SameBits;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// 1/255 in single precision, as the unpacking scales bytes.
const double kInv255 = std::bit_cast<float>(0x3B808081u);

Triple RGB(const cColor& c) {
  return {c.GetRed(), c.GetGreen(), c.GetBlue()};
}
Triple HSV(const cColor& c) {
  Triple t;
  c.GetHSV(t[0], t[1], t[2]);
  return t;
}
Triple HLS(const cColor& c) {
  Triple t;
  c.GetHLS(t[0], t[1], t[2]);
  return t;
}
cColor FromHSV(float h, float s, float v, cColor start = cColor::clRed) {
  start.SetHSV(h, s, v);
  return start;
}

cPalette Ramp() {
  cPalette p;
  for (int i = 0; i < 256; ++i) p[i] = 0x01000193u * static_cast<uint32_t>(i) + 7;
  return p;
}

void ExpectNear(const cColor& a, const cColor& b, float tolerance) {
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(a[c], b[c], tolerance) << "channel " << c;
}

}  // namespace

TEST(Color, EveryStoreClampsAndNaNStoresZeroAndComparisonIsExact) {
  EXPECT_EQ(cColor(), cColor(1, 0, 0, 0));
  const cColor c(2.0f, -1.0f, 0.5f, 0.25f);
  const float inMemory[] = {0.0f, 0.5f, 0.25f, 1.0f};  // red, green, blue, alpha
  EXPECT_EQ(std::memcmp(static_cast<const float*>(c), inMemory, sizeof inMemory), 0);
  cColor d;
  d.SetRed(1.5f);
  d.SetAlpha(-0.2f);
  d.SetGreen(kNaN);
  d.SetBlue(0.3f);
  EXPECT_EQ(d, cColor(0, 1, 0, 0.3f));
  d.SetARGB(kNaN, kNaN, 7.0f, -kNaN);
  EXPECT_EQ(d, cColor(0, 0, 1, 0));
  d.SetCMY(-3.0f, 0.25f, 9.0f);
  EXPECT_EQ(RGB(d), (Triple{1.0f, 0.75f, 0.0f}));
  d.SetYIQ(0, 1e30f, 0);  // products beyond the float range still clamp
  EXPECT_EQ(RGB(d), (Triple{1.0f, 0.0f, 0.0f}));
  d.SetYIQ(kNaN, 0, 0);
  EXPECT_EQ(RGB(d), (Triple{0.0f, 0.0f, 0.0f}));

  // Assignment, GetARGB and comparison, to the last bit of each channel.
  for (int channel = 0; channel < 4; ++channel) {
    float argb[4] = {1.0f, 0.3f, 0.6f, 0.9f}, back[4];
    const cColor a(argb[0], argb[1], argb[2], argb[3]);
    argb[channel] = std::nextafter(argb[channel], 0.5f);
    cColor b;
    b = cColor(argb[0], argb[1], argb[2], argb[3]);
    b.GetARGB(back[0], back[1], back[2], back[3]);
    EXPECT_EQ(std::memcmp(back, argb, sizeof argb), 0) << channel;
    EXPECT_TRUE(a == cColor(a) && !(a != cColor(a)) && a != b && !(a == b)) << channel;
  }
}

TEST(Color, PackingRoundsHalfUpAndUnpackingScalesByTheFloatReciprocal) {
  EXPECT_EQ(cColor::clGray.GetColor(F::RGB565), 0x8410u);
  EXPECT_EQ(cColor::clWhite.GetColor(F::RGB888X), 0x00FFFFFFu);
  EXPECT_EQ(cColor::clGray.GetColor(F::ARGB8888), 0xFF808080u);
  EXPECT_EQ(cColor::clSilver.GetColor(F::BGR888), 0x00BFBFBFu);  // 191.25 + 0.5
  EXPECT_EQ(cColor::clNavy.GetColor(F::ABGR8888), 0xFF800000u);
  EXPECT_EQ(cColor(0.5f, 0, 1, 0).GetColor(F::Alpha), 0x80u);
  for (F::EFormat f : {F::Indexed, F::IndexAlpha, F::Invalid})
    EXPECT_EQ(cColor::clWhite.GetColor(f), 0u);

  // Unpacking scales bytes by the single-precision reciprocal of 255.
  const cColor c565(F::RGB565, 0xFFFF);
  EXPECT_EQ(std::bit_cast<uint32_t>(c565.GetRed()), 0x3F78F8FAu);  // 248 * 3B808081, rounded once
  EXPECT_EQ(RGB(c565), (Triple{c565.GetRed(), static_cast<float>(252 * kInv255), c565.GetRed()}));
  EXPECT_EQ(c565.GetAlpha(), 1.0f);
  EXPECT_EQ(cColor(F::ARGB5551, 0x8000), cColor(0.50196081f, 0, 0, 0));

  // Alpha sets alpha alone; a palette index leaves the colour as it was.
  cColor teal(cColor::clTeal);
  teal.SetColor(F::Alpha, 0x33);
  EXPECT_EQ(teal, cColor(static_cast<float>(0x33 * kInv255), 0, 0.5f, 0.5f));
  for (F::EFormat f : {F::Indexed, F::IndexAlpha, F::Invalid}) {
    cColor same(cColor::clOlive);
    same.SetColor(f, 0x1234);
    EXPECT_EQ(same, cColor::clOlive);
    EXPECT_EQ(cColor(f, 0xFFFF), cColor::clBlack);
  }
  // Every byte in every channel survives unpacking and packing.
  for (uint32_t byte = 0; byte < 256; ++byte) {
    const uint32_t argb = byte * 0x01010101u ^ 0x00FF5A33u;
    ASSERT_EQ(cColor(F::ARGB8888, argb).GetColor(F::ARGB8888), argb);
    ASSERT_EQ(cColor(F::BGR888X, argb).GetColor(F::BGR888X), argb & 0x00FFFFFF);
  }
}

TEST(Color, HSVHLSCMYKAndYIQMatchTheWorkedValues) {
  const cColor grey(1, 0.4f, 0.4f, 0.4f);
  EXPECT_EQ(HSV(cColor::clBlue), (Triple{240, 1, 1}));
  EXPECT_EQ(HSV(grey), (Triple{0, 0, 0.4f}));
  EXPECT_EQ(HLS(grey), (Triple{-1, 0.4f, 0}));
  EXPECT_EQ(HLS(cColor::clYellow), (Triple{60, 0.5f, 1}));
  cColor c(cColor::clWhite);
  c.SetHLS(-1, 0.4f, 0);
  EXPECT_EQ(c, cColor::clBlack);
  c.SetHLS(0, 0.4f, 0);
  EXPECT_EQ(c, grey);
  c.SetHLS(420, 0.25f, 1);  // one turn folded back, at half the lightness
  ExpectNear(c, cColor(1, 0.5f, 0.5f, 0), 1e-7f);

  EXPECT_EQ(FromHSV(360, 1, 1, cColor::clBlue), cColor::clRed);
  for (float outside : {-10.0f, 400.0f, kNaN})
    EXPECT_EQ(FromHSV(outside, 1, 1, cColor::clTeal), cColor::clTeal);
  EXPECT_EQ(FromHSV(90, 0, 0.7f), cColor::clBlack);
  EXPECT_EQ(RGB(FromHSV(0, 0, 0.7f)), (Triple{0.7f, 0.7f, 0.7f}));
  float cyan, magenta, yellow, key, luma, i, q;
  cColor(1, 0.2f, 0.4f, 0.6f).GetCMYK(cyan, magenta, yellow, key);
  for (auto [got, want] : {std::pair{cyan, 0.4f}, {magenta, 0.2f}, {yellow, 0.0f}, {key, 0.4f}})
    EXPECT_NEAR(got, want, 1e-7f);
  cColor::clWhite.GetYIQ(luma, i, q);
  EXPECT_EQ(std::tuple(luma, i), std::tuple(1.0f, 0.0f));
  EXPECT_NEAR(q, -0.005f, 1e-7f);
  cColor back(0.5f, 0, 0, 0);
  back.SetYIQ(luma, i, q);
  EXPECT_EQ(back, cColor(0.5f, 1, 1, 1));
}

TEST(Color, ColourModelsRoundTripRandomColours) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int n = 0; n < 5000; ++n) {
    const cColor original(unit(random), unit(random), unit(random), unit(random));
    cColor c(original.GetAlpha(), 0.5f, 0.5f, 0.5f);
    float x, y, z, k;
    original.GetHSV(x, y, z);
    c.SetHSV(x, y, z);
    ExpectNear(c, original, 1e-6f);  // far inside the byte unit a pixel needs
    original.GetHLS(x, y, z);        // random floats are never exactly grey
    c.SetHLS(x, y, z);
    ExpectNear(c, original, 1e-6f);
    original.GetCMYK(x, y, z, k);
    EXPECT_EQ(std::min({x, y, z}), 0.0f);
    c.SetCMYK(x, y, z, k);
    ExpectNear(c, original, 1e-6f);
    original.GetYIQ(x, y, z);
    c.SetYIQ(x, y, z);
    ExpectNear(c, original, 4e-6f);  // the inverse's coefficients carry six digits
    if (HasFailure()) return;
  }
}

TEST(Palette, CopiesMoveExactly1024BytesOrClearAndHashesFollowThem) {
  const cPalette ramp = Ramp();
  uint32_t out[257];
  out[256] = 0xA5A5A5A5;
  ramp.CopyTo(out);
  EXPECT_EQ(out[256], 0xA5A5A5A5u);  // exactly 1024 bytes written
  EXPECT_EQ(out[0] + out[255], 7u + 0x01000193u * 255 + 7);
  const cPalette fromWords(out), fromBytes(static_cast<const void*>(out));
  cPalette assigned, copied;
  assigned = ramp;
  copied.Copy(out);
  for (const cPalette* p :
       std::initializer_list<const cPalette*>{&fromWords, &fromBytes, &assigned, &copied})
    EXPECT_TRUE(SameBits(*p, ramp) && p->Crc32() == ramp.Crc32() && p->Hash() == ramp.Hash());
  EXPECT_EQ(ramp.Crc32(), static_cast<uint32_t>(gCRC32(out, 1024)));
  EXPECT_EQ(ramp.Hash(), static_cast<uint32_t>(gHash(out, 1024)));
  cPalette changed = ramp;
  changed.SetColor(200, changed.GetColor(200) ^ 1);
  EXPECT_TRUE(changed.Crc32() != ramp.Crc32() && changed.Hash() != ramp.Hash());

  // Null sources clear, null targets are ignored.
  cPalette p = Ramp(), cleared = Ramp();
  p.Copy(static_cast<const uint32_t*>(nullptr));
  cleared.Clear();
  const cPalette zero, fromNull(static_cast<const void*>(nullptr));
  EXPECT_TRUE(SameBits(p, zero) && SameBits(fromNull, zero) && SameBits(cleared, zero));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(zero.GetColor(i), 0u);
  Ramp().CopyTo(nullptr);
}
