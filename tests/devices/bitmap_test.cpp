#include <gtest/gtest.h>
#include <tolmak.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device_fixtures.h"

using devices_test::cBareSprite;
using devices_test::cIdleMediaSurface;
using devices_test::cLoggingSurface;
using tBytes = std::vector<uint8_t>;

namespace {

cPalette Ramp(uint32_t seed) {
  cPalette p;
  for (int i = 0; i < 256; ++i) p[i] = seed + 0x01020304u * static_cast<uint32_t>(i);
  return p;
}

tBytes Saved(iSerializable& object) {
  cMemoryStream stream;
  object.Save(stream);
  return tBytes(stream.GetData(), stream.GetData() + stream.GetSize());
}

void LoadFrom(iSerializable& object, const tBytes& bytes) {
  cMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
  object.Load(stream);
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

bool SameDescription(cBareSprite& a, cBareSprite& b) {
  return a.GetPitch() == b.GetPitch() && a.IsColorKeyEnabled() == b.IsColorKeyEnabled() &&
         a.GetPalette().Crc32() == b.GetPalette().Crc32() && Saved(a) == Saved(b);
}

}  // namespace

TEST(Bitmap, SettersStoreWhatTheyAreGivenAndNothingElse) {
  cBareSprite b;
  EXPECT_EQ(b.GetSize(), (tSize<int>{0, 0}));
  EXPECT_EQ(b.GetPixelFormat(), cPixelFormat::Invalid);
  b.SetPitch(640);
  b.SetWidth(100);
  b.SetHeight(50);
  b.SetPixelFormat(cPixelFormat::RGB565);
  EXPECT_EQ(b.GetSize(), (tSize<int>{100, 50}));
  EXPECT_EQ(b.GetPitch(), 640);
  EXPECT_EQ(b.GetBPP(), 16);
  b.EnableColorKey(0xF81F);
  b.DisableColorKey();
  EXPECT_FALSE(b.IsColorKeyEnabled());
  EXPECT_EQ(b.GetColorKey(), 0xF81Fu);
  for (auto format : {cPixelFormat::Indexed, cPixelFormat::Alpha, cPixelFormat::IndexAlpha}) {
    b.SetPixelFormat(format);
    EXPECT_EQ(b.IsPalettized(), format != cPixelFormat::IndexAlpha) << format;
  }
}

TEST(BitmapStream, HeaderIsFourteenBytesAndOnlyEightBitFormatsAddThePalette) {
  cBitmap b;
  b.SetSize({-2, 0x01020304});
  b.SetPixelFormat(cPixelFormat::IndexAlpha);
  b.EnableColorKey(0x12345678);
  b.SetPalette(Ramp(0xA0B0C0D0));
  tBytes expected = {0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 2, 0, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(Saved(b), expected);

  b.SetPixelFormat(cPixelFormat::Indexed);
  expected[8] = 0;
  for (int i = 0; i < 256; ++i)
    for (int byte = 0; byte < 4; ++byte)
      expected.push_back(static_cast<uint8_t>(Ramp(0xA0B0C0D0)[i] >> (8 * byte)));
  EXPECT_EQ(Saved(b), expected);
  b.SetPixelFormat(cPixelFormat::Alpha);
  EXPECT_EQ(Saved(b).size(), 1038u);
  b.SetPixelFormat(cPixelFormat::Invalid);
  EXPECT_EQ(Saved(b).size(), 14u);

  cBareSprite s = Sprite(cPixelFormat::RGB565, 0, 0x0A0B0C0D);
  const tBytes sprite = {64, 0, 0, 0, 32, 0, 0, 0, 13, 0, 0x1F, 0xF8, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A};
  EXPECT_EQ(Saved(s), sprite);
  EXPECT_EQ(Saved(static_cast<cBitmap&>(s)).size(), 18u);  // Save is the sprite's through any base
}

TEST(BitmapStream, LoadRestoresTheStoredFieldsAndKeepsTheOthers) {
  cBareSprite source = Sprite(cPixelFormat::Indexed, 99, 3);
  cBareSprite target;
  target.SetPitch(1280);
  LoadFrom(target, Saved(source));
  EXPECT_EQ(Saved(target), Saved(source));
  EXPECT_EQ(target.GetFrames(), 3);
  EXPECT_EQ(target.GetPalette().Crc32(), Ramp(99).Crc32());
  EXPECT_EQ(target.GetPitch(), 1280);        // not in the stream
  EXPECT_FALSE(target.IsColorKeyEnabled());  // nor is the flag

  // A format without a palette leaves the palette loaded before.
  source = Sprite(cPixelFormat::ARGB8888, 5, 1);
  LoadFrom(target, Saved(source));
  EXPECT_EQ(target.GetPixelFormat(), cPixelFormat::ARGB8888);
  EXPECT_EQ(target.GetPalette().Crc32(), Ramp(99).Crc32());
}

TEST(BitmapStream, HostileStreamsThrowAndLeaveTheSpriteAsItWas) {
  cBareSprite source = Sprite(cPixelFormat::Indexed, 3, 2);
  const tBytes good = Saved(source);
  cBareSprite target = Sprite(cPixelFormat::Indexed, 77, 9);
  target.SetPitch(12);
  cBareSprite before = target;

  // Every truncation: inside the header, the palette or the frame count.
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_THROW(LoadFrom(target, tBytes(good.begin(), good.begin() + length)), cException);
    ASSERT_TRUE(SameDescription(target, before)) << length << " bytes";
  }
  auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    tBytes bad = good;
    for (uint8_t b : bytes) bad[at++] = b;
    return bad;
  };
  for (const tBytes& bad : {patched(8, {18, 0}), patched(8, {0xFF, 0xFF}), patched(3, {0x80}),
                            patched(good.size() - 1, {0x80})}) {
    EXPECT_THROW(LoadFrom(target, bad), cException);
    EXPECT_TRUE(SameDescription(target, before));
  }
  LoadFrom(target, good);  // a valid stream still loads afterwards
  EXPECT_EQ(Saved(target), good);
}

TEST(Surface, LockAndUnlockWrapTheDeviceEveryTime) {
  cLoggingSurface s;
  EXPECT_FALSE(s.IsLocked());
  EXPECT_EQ(s.GetPtr(), nullptr);
  void* p = s.Lock();
  EXPECT_EQ(p, s.m_Pixels);  // the device's answer (false) is not used
  EXPECT_EQ(s.GetPtr(), p);
  EXPECT_TRUE(s.IsLocked());
  s.Lock();
  EXPECT_EQ(s.m_Locks, 2);
  s.Unlock();
  EXPECT_FALSE(s.IsLocked());
  EXPECT_EQ(s.GetPtr(), p);
  s.Unlock();
  EXPECT_EQ(s.m_Unlocks, 2);
}

TEST(Surface, TypesCompareByTheBytesOfTheirNamesOtherFirst) {
  std::string log;
  cLoggingSurface empty1, empty2, soft("Soft", &log), soft2("Soft", &log), softer("Softer", &log),
      zero(cString("Soft\0", 5), &log);
  EXPECT_TRUE(empty1.IsSameTypeAs(&empty2));
  EXPECT_TRUE(soft.IsSameTypeAs(&soft2));
  EXPECT_FALSE(soft.IsSameTypeAs(&softer));
  EXPECT_FALSE(softer.IsSameTypeAs(&soft));
  EXPECT_FALSE(soft.IsSameTypeAs(&zero));
  EXPECT_FALSE(soft.IsSameTypeAs(&empty1));
  EXPECT_FALSE(empty1.IsSameTypeAs(nullptr));
  log.clear();
  softer.IsSameTypeAs(&soft);
  EXPECT_EQ(log, "Soft;Softer;");
}

TEST(Surface, CopiesShareTheAttachedSurfaceAndKeepTheirState) {
  cLoggingSurface back, front, copy;
  front.SetAttachedSurface(&back);
  front.SetPitch(16);
  front.Lock();
  static_cast<cSurface&>(copy) = front;
  EXPECT_EQ(copy.GetAttachedSurface(), &back);
  EXPECT_TRUE(copy.IsLocked());
  EXPECT_EQ(copy.GetPtr(), front.m_Pixels);
  EXPECT_EQ(copy.GetPitch(), 16);
  EXPECT_EQ(copy.m_Locks, 0);  // copying is not locking

  cIdleMediaSurface m;
  EXPECT_FALSE(m.IsFinished());
  EXPECT_EQ(m.GetMode(), cMediaStreamSurface::EMode::PlayOnce);
  m.SetMode(cMediaStreamSurface::EMode::Loop);
  m.Finish();
  const cIdleMediaSurface media(m);
  EXPECT_TRUE(media.IsFinished());
  EXPECT_EQ(media.GetMode(), cMediaStreamSurface::EMode::Loop);
}
