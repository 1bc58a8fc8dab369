#include <gtest/gtest.h>
#include <tolmak.h>

#include <cstring>
#include <numeric>

namespace {

cPalette Ramp() {
  cPalette p;
  for (int i = 0; i < 256; ++i) p[i] = 0x01000193u * static_cast<uint32_t>(i) + 7;
  return p;
}

}  // namespace

TEST(Palette, NullSourcesClearAndNullTargetsAreIgnored) {
  cPalette p = Ramp();
  p.Copy(static_cast<const uint32_t*>(nullptr));
  const cPalette zero, fromNull(static_cast<const void*>(nullptr));
  EXPECT_EQ(std::memcmp(&p, &zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(&fromNull, &zero, sizeof zero), 0);
  Ramp().CopyTo(nullptr);
}

TEST(Palette, IsExactly256EntriesAtItsOwnAddress) {
  cPalette p;
  for (int i = 0; i < 256; ++i) ASSERT_EQ(p.GetColor(i), 0u);
  p.SetColor(255, 0xDEADBEEF);
  p.SetColor(0, 0x01020304);
  EXPECT_EQ(p[255], 0xDEADBEEFu);
  EXPECT_EQ(p.GetPtr()[255], 0xDEADBEEFu);
  EXPECT_EQ(static_cast<void*>(p.GetPtr()), static_cast<void*>(&p));
  EXPECT_EQ(p.GetReadPtr(), static_cast<const uint32_t*>(p));
  uint32_t raw[256];
  std::memcpy(raw, &p, sizeof raw);
  EXPECT_EQ(raw[0], 0x01020304u);
  EXPECT_EQ(raw[255], 0xDEADBEEFu);
  EXPECT_EQ(std::accumulate(raw + 1, raw + 255, 0u), 0u);
}

TEST(Palette, CopiesMoveAllEntriesAndHashesFollowTheBytes) {
  const cPalette ramp = Ramp();
  uint32_t out[257];
  out[256] = 0xA5A5A5A5;
  ramp.CopyTo(out);
  EXPECT_EQ(out[256], 0xA5A5A5A5u);  // exactly 1024 bytes written
  const cPalette fromWords(out), fromBytes(static_cast<const void*>(out));
  cPalette assigned, copied;
  assigned = ramp;
  copied.Copy(out);
  const cPalette* const copies[] = {&fromWords, &fromBytes, &assigned, &copied};
  for (const cPalette* p : copies) {
    EXPECT_EQ(std::memcmp(p, &ramp, sizeof ramp), 0);
    EXPECT_EQ(p->Crc32(), ramp.Crc32());
    EXPECT_EQ(p->Hash(), ramp.Hash());
  }
  EXPECT_EQ(ramp.Crc32(), static_cast<uint32_t>(gCRC32(out, 1024)));
  EXPECT_EQ(ramp.Hash(), static_cast<uint32_t>(gHash(out, 1024)));

  cPalette cleared = ramp;
  cleared.Clear();
  const cPalette fresh;
  EXPECT_EQ(cleared.Crc32(), fresh.Crc32());
  EXPECT_EQ(cleared.Hash(), fresh.Hash());
  EXPECT_NE(fresh.Crc32(), ramp.Crc32());
  cPalette changed = ramp;
  changed[200] ^= 1;
  EXPECT_NE(changed.Crc32(), ramp.Crc32());
  EXPECT_NE(changed.Hash(), ramp.Hash());
}
