#include <gtest/gtest.h>
#include <tolmak.h>

#include "test_support.h"

using tolmak::test::SameBits;

namespace {

cPalette Ramp() {
  cPalette p;
  for (int i = 0; i < 256; ++i) p[i] = 0x01000193u * static_cast<uint32_t>(i) + 7;
  return p;
}

}  // namespace

TEST(Palette, CopiesMoveExactly1024BytesOrClearAndHashesFollowThem) {
  const cPalette ramp = Ramp();
  uint32_t out[257];
  out[256] = 0xA5A5A5A5;
  ramp.CopyTo(out);
  EXPECT_EQ(out[256], 0xA5A5A5A5u);  // exactly 1024 bytes written
  EXPECT_EQ(out[0] + out[255], 7u + 0x01000193u * 255 + 7);
  EXPECT_EQ(static_cast<const void*>(ramp.GetReadPtr()), static_cast<const void*>(&ramp));
  const cPalette fromWords(out), fromBytes(static_cast<const void*>(out));
  cPalette assigned, copied;
  assigned = ramp;
  copied.Copy(out);
  for (const cPalette* p : {&fromWords, &fromBytes, const_cast<const cPalette*>(&assigned),
                            const_cast<const cPalette*>(&copied)})
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
