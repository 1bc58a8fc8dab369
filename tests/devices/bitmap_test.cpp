#include <gtest/gtest.h>
#include <tolmak.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

using tBytes = std::vector<uint8_t>;
using tolmak::test::LoadBytes;
using tolmak::test::SavedBytes;

namespace {

/// A surface over a small buffer that logs the device calls the engine makes.
class cLoggingSurface : public cSurface {
 public:
  explicit cLoggingSurface(const cString& type = cString(), std::string* log = nullptr)
      : m_Type(type), m_Log(log) {}

  int m_Locks = 0;
  int m_Unlocks = 0;
  unsigned char m_Pixels[16] = {};

  const cString& GetTypeName() const override {
    if (m_Log) *m_Log += std::string(m_Type.c_str()) + ";";
    return m_Type;
  }
  bool LockSurface() override {
    ++m_Locks;
    m_Data = m_Pixels;
    return false;  // the engine must not rely on the answer
  }
  bool UnlockSurface() override { return ++m_Unlocks > 0; }
  bool IsLost() const override { return false; }
  bool Restore() override { return true; }
  bool Clear(uint32_t) override { return false; }
  bool FillRect(int, int, int, int, uint32_t) override { return false; }
  bool Blit(int, int, cSurface*) override { return false; }
  bool BlitRect(int, int, cSurface*, int, int, int, int) override { return false; }
  bool StretchBlit(int, int, int, int, cSurface*) override { return false; }
  bool CopyFromSprite(cSprite*, int) override { return false; }
  bool Flip() override { return false; }

 private:
  cString m_Type;
  std::string* m_Log;
};

/// A sprite without pixels; only its description and frame count matter here.
class cBareSprite : public cSprite {
 public:
  void SetFrames(int frames) { m_Frames = frames; }
  void SetPitch(int pitch) { m_Pitch = pitch; }

  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int) override { return nullptr; }
  void ReleaseFrames() override { m_Frames = 0; }
};

cPalette Ramp(uint32_t seed) {
  cPalette p;
  for (int i = 0; i < 256; ++i) p[i] = seed + 0x01020304u * static_cast<uint32_t>(i);
  return p;
}

cBareSprite Sprite(cPixelFormat::EFormat format, uint32_t seed, int frames) {
  cBareSprite s;
  s.SetSize({64, 32});
  s.SetPixelFormat(format);
  s.EnableColorKey(0xF81F);
  s.SetPalette(Ramp(seed));
  s.SetFrames(frames);
  return s;
}

}  // namespace

TEST(BitmapStream, HeaderIsFourteenBytesAndOnlyEightBitFormatsAddThePalette) {
  cBitmap b;
  b.SetSize({-2, 0x01020304});
  b.SetPixelFormat(cPixelFormat::IndexAlpha);
  b.EnableColorKey(0x12345678);
  b.DisableColorKey();  // keeps the key, which is saved
  b.SetPalette(Ramp(0xA0B0C0D0));
  tBytes expected = {0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 2, 0, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(SavedBytes(b), expected);
  b.SetPixelFormat(cPixelFormat::Indexed);
  expected[8] = 0;
  for (int i = 0; i < 256; ++i)
    for (int byte = 0; byte < 4; ++byte)
      expected.push_back(static_cast<uint8_t>(Ramp(0xA0B0C0D0)[i] >> (8 * byte)));
  EXPECT_EQ(SavedBytes(b), expected);
  for (auto [format, palettized] : {std::pair{cPixelFormat::Alpha, true},
                                    {cPixelFormat::IndexAlpha, false},
                                    {cPixelFormat::Invalid, false}}) {
    b.SetPixelFormat(format);
    EXPECT_EQ(b.IsPalettized(), palettized) << format;
    EXPECT_EQ(SavedBytes(b).size(), palettized ? 1038u : 14u) << format;
  }

  cBareSprite s = Sprite(cPixelFormat::RGB565, 0, 0x0A0B0C0D);
  const tBytes sprite = {64, 0, 0, 0, 32, 0, 0, 0, 13, 0, 0x1F, 0xF8, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A};
  EXPECT_EQ(SavedBytes(s), sprite);
  // Save is the sprite's through any base.
  EXPECT_EQ(SavedBytes(static_cast<cBitmap&>(s)).size(), 18u);
}

// The record carries no pixels: Load reads back every size and frame count
// that Save can write, in every format. The pitch and the colour key's
// flag are not in the record, nor is the palette of a format without one:
// they stay as they were.
TEST(BitmapStream, EveryValueTheRecordHoldsRoundTripsAndTheRestIsKept) {
  const int sides[] = {-7, 0, 321, INT_MIN, INT_MAX};
  for (int format = 0; format <= cPixelFormat::Invalid; ++format)
    for (int width : sides)
      for (int height : sides) {
        cBareSprite source = Sprite(static_cast<cPixelFormat::EFormat>(format), 1, width);
        source.SetSize({width, height});
        cBareSprite target = Sprite(cPixelFormat::Indexed, 99, 3);
        target.SetPitch(1280);
        target.DisableColorKey();
        LoadBytes(target, SavedBytes(source));
        ASSERT_EQ(SavedBytes(target), SavedBytes(source))
            << format << ": " << width << "x" << height;
        ASSERT_TRUE(target.GetPitch() == 1280 && !target.IsColorKeyEnabled());
        ASSERT_EQ(target.GetPalette().Crc32(), Ramp(source.IsPalettized() ? 1 : 99).Crc32());
        cBitmap bitmap, copy;
        bitmap.SetSize({width, height});
        bitmap.SetPixelFormat(static_cast<cPixelFormat::EFormat>(format));
        LoadBytes(copy, SavedBytes(bitmap));
        ASSERT_EQ(SavedBytes(copy), SavedBytes(bitmap));
      }
}

TEST(BitmapStream, HostileStreamsThrowAndLeaveTheSpriteAsItWas) {
  cBareSprite source = Sprite(cPixelFormat::Indexed, 3, 2);
  const tBytes good = SavedBytes(source);
  cBareSprite target = Sprite(cPixelFormat::Indexed, 77, 9);
  const tBytes before = SavedBytes(target);

  // Every truncation: inside the header, the palette or the frame count.
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_THROW(LoadBytes(target, tBytes(good.begin(), good.begin() + length)), cException);
    ASSERT_EQ(SavedBytes(target), before) << length << " bytes";
  }
  for (uint32_t format : {18u, 0xFFFFu}) {  // unknown formats
    tBytes bad = good;
    bad[8] = static_cast<uint8_t>(format), bad[9] = static_cast<uint8_t>(format >> 8);
    EXPECT_THROW(LoadBytes(target, bad), cException) << format;
    EXPECT_EQ(SavedBytes(target), before) << format;
  }
  LoadBytes(target, good);  // a valid stream still loads afterwards
  EXPECT_EQ(SavedBytes(target), good);
}

TEST(Surface, LockAndUnlockCallTheDeviceEveryTime) {
  cLoggingSurface s;
  EXPECT_EQ(s.Lock(), s.m_Pixels);  // the device's answer (false) is not used
  EXPECT_TRUE(s.IsLocked());
  s.Lock(), s.Unlock();
  EXPECT_FALSE(s.IsLocked());
  EXPECT_EQ(s.GetPtr(), s.m_Pixels);
  s.Unlock();
  EXPECT_EQ(s.m_Locks * 10 + s.m_Unlocks, 22);
}

TEST(Surface, TypesCompareByTheBytesOfTheirNamesOtherFirst) {
  std::string log;
  cLoggingSurface empty1, empty2, soft("Soft", &log), soft2("Soft", &log), softer("Softer", &log),
      zero(cString("Soft\0", 5), &log);
  EXPECT_TRUE(empty1.IsSameTypeAs(&empty2) && soft.IsSameTypeAs(&soft2));
  EXPECT_FALSE(soft.IsSameTypeAs(&softer) || softer.IsSameTypeAs(&soft));
  EXPECT_FALSE(soft.IsSameTypeAs(&zero) || soft.IsSameTypeAs(&empty1));
  EXPECT_FALSE(empty1.IsSameTypeAs(nullptr));
  log.clear();
  softer.IsSameTypeAs(&soft);
  EXPECT_EQ(log, "Soft;Softer;");
}
