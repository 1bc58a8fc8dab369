#include <gtest/gtest.h>
#include <tolmak.h>

#include <bit>
#include <random>
#include <tuple>

#include "buffer_fixtures.h"
#include "pixel_support.h"

using F = cPixelFormat;
using namespace tolmak::test;
using tAction = std::function<void(cVertexBuffer&)>;

namespace {

constexpr const char kFile[] = "tolmak_vertexbuffer.cpp";
enum { kPos, kNormal, kDiffuse, kSpecular };

// The layout rule, computed independently of the buffer: components in
// order, each where the previous ones end.
struct tLayout {
  bool has[4];
  uint32_t offset[4], size[4], texture, sets, stride;
};
tLayout Model(uint32_t vertexFormat, F format) {
  tLayout l{};
  const uint32_t sizes[4] = {12, 12, F(format).GetTotalBytes(), F(format).GetTotalBytes()};
  uint32_t at = 0;
  for (int c = 0; c < 4; ++c) {
    l.has[c] = (vertexFormat >> c) & 1;
    l.size[c] = sizes[c];
    l.offset[c] = at;
    if (l.has[c]) at += sizes[c];
  }
  l.texture = at;
  l.sets = (vertexFormat >> 4) & 15;
  l.stride = at + 8 * l.sets;
  return l;
}

Bytes BlockBytes(const cVertexBuffer& b) {
  const auto* p = static_cast<const uint8_t*>(b.GetReadPtr());
  return p ? Bytes(p, p + size_t(b.GetLength()) * b.GetStride()) : Bytes();
}
cVertexBuffer Random(uint32_t count, uint32_t vertexFormat, F format, std::mt19937& rng) {
  cVertexBuffer b(count, vertexFormat, format);
  auto* block = static_cast<uint8_t*>(b.GetPtr());
  for (size_t k = 0; k < size_t(count) * b.GetStride(); ++k) block[k] = uint8_t(rng());
  return b;
}

// Add as documented, on raw bytes: appended vertices zeroed, then the
// components both layouts have, colours decoded and encoded through cColor.
Bytes ModelAdd(const cVertexBuffer& to, const cVertexBuffer& from) {
  const tLayout d = Model(to.GetVertexFormat(), to.GetPixelFormat());
  const tLayout s = Model(from.GetVertexFormat(), from.GetPixelFormat());
  const Bytes source = BlockBytes(from);
  Bytes out = BlockBytes(to);
  out.resize(out.size() + size_t(from.GetLength()) * d.stride, 0);
  for (uint32_t k = 0; k < from.GetLength(); ++k) {
    uint8_t* v = out.data() + size_t(to.GetLength() + k) * d.stride;
    const uint8_t* u = source.data() + size_t(k) * s.stride;
    for (int c : {kPos, kNormal})
      if (d.has[c] && s.has[c]) std::memcpy(v + d.offset[c], u + s.offset[c], 12);
    for (int c : {kDiffuse, kSpecular}) {
      if (!d.has[c] || !s.has[c]) continue;
      const cColor color(from.GetPixelFormat(), ReadLE(u + s.offset[c], s.size[c]));
      WriteLE(v + d.offset[c], color.GetColor(to.GetPixelFormat()), d.size[c]);
    }
    std::memcpy(v + d.texture, u + s.texture, 8 * std::min(d.sets, s.sets));
  }
  return out;
}

}  // namespace

TEST(VertexLayout, EveryFormatBytePlacesEachComponentByTheRule) {
  // Each setter on vertex 1 of a zeroed block must change exactly its slot.
  const cVector3 v3(std::bit_cast<float>(0x3F112233u), std::bit_cast<float>(0x40445566u),
                    std::bit_cast<float>(0x41778899u));
  const cVector2 v2(v3.x, v3.z);
  for (F format : {F::ARGB8888, F::RGB565, F::RGB888, F::Alpha}) {
    for (uint32_t vertexFormat = 0x5A00; vertexFormat < 0x5B00; ++vertexFormat) {
      const tLayout l = Model(vertexFormat, format);
      cVertexBuffer b(2, vertexFormat, format);
      auto* const block = static_cast<uint8_t*>(b.GetPtr());
      ASSERT_EQ(b.GetStride(), l.stride) << vertexFormat;
      auto expectSlot = [&](uint32_t offset, uint32_t size, const std::function<void()>& write) {
        std::memset(block, 0, 2 * l.stride);
        write();
        for (uint32_t k = 0; k < 2 * l.stride; ++k)
          ASSERT_EQ(block[k] != 0, k >= l.stride + offset && k < l.stride + offset + size)
              << "format " << vertexFormat << " byte " << k;
      };
      if (l.has[kPos]) expectSlot(l.offset[kPos], 12, [&] { b.SetPos(1, v3); });
      if (l.has[kNormal]) expectSlot(l.offset[kNormal], 12, [&] { b.SetNormal(1, v3); });
      if (l.has[kDiffuse])
        expectSlot(l.offset[kDiffuse], l.size[kDiffuse], [&] { b.SetDiffuse(1, cColor::clWhite); });
      if (l.has[kSpecular])
        expectSlot(l.offset[kSpecular], l.size[kSpecular],
                   [&] { b.SetSpecular(1, cColor::clWhite); });
      for (uint32_t s = 0; s < l.sets; ++s)
        expectSlot(l.texture + 8 * s, 8, [&] { b.SetTexture(1, int(s), v2); });
    }
  }
}

// Colours side by side (a colours-only layout) are converted as a plain
// pixel array, others slot by slot, both in runs: every slot must still be
// what the per-pixel conversions give, and every other byte kept.
TEST(VertexConvert, EveryColourSlotMatchesThePixelFormatConversions) {
  std::mt19937 rng(7);
  for (uint32_t vertexFormat : {4u, 1u | 4 | 8 | (1 << 4)}) {
    for (F from : kColourFormats) {
      for (F to : kColourFormats) {
        cVertexBuffer b = Random(600, vertexFormat, from, rng);  // two whole runs and a part
        const Bytes before = BlockBytes(b);
        b.Convert(to);
        const tLayout a = Model(vertexFormat, from), c = Model(vertexFormat, to);
        ASSERT_TRUE(b.GetPixelFormat() == to && b.GetStride() == c.stride);
        const Bytes after = BlockBytes(b);
        if (from == to) {
          ASSERT_EQ(after, before) << "converting to the same format changes nothing";
          continue;
        }
        ASSERT_EQ(after.size(), 600u * c.stride);
        for (uint32_t i = 0; i < 600; ++i) {
          const uint8_t* old = before.data() + i * a.stride;
          const uint8_t* now = after.data() + i * c.stride;
          ASSERT_EQ(0, std::memcmp(old, now, a.offset[kDiffuse]));
          ASSERT_EQ(0, std::memcmp(old + a.texture, now + c.texture, 8 * a.sets));
          for (int slot : {kDiffuse, kSpecular}) {
            if (!a.has[slot]) continue;
            const uint32_t argb = from.ConvertToARGB(ReadLE(old + a.offset[slot], a.size[slot]));
            const uint64_t slotMask = (uint64_t{1} << (8 * c.size[slot])) - 1;
            ASSERT_EQ(ReadLE(now + c.offset[slot], c.size[slot]),
                      to.ConvertFromARGB(argb) & slotMask)
                << from.GetName().c_str() << " to " << to.GetName().c_str() << " vertex " << i;
          }
        }
        // The stream still describes the block.
        LoadBoth<cVertexBuffer>(SavedBytes(b),
                                [&](cVertexBuffer& l) { EXPECT_EQ(BlockBytes(l), after); });
      }
    }
  }
  cVertexBuffer plain(2, 1 | 2 | (1 << 4));
  plain.Convert(F::RGB565);
  EXPECT_EQ(plain.GetPixelFormat(), F::ARGB8888);
}

TEST(VertexAdd, EveryPairOfLayoutsMatchesTheComponentWiseModel) {
  // Vertex format bytes: 1 position, 2 normal, 4 diffuse, 8 specular, the
  // number of texture sets in the high nibble.
  const std::pair<uint32_t, F> layouts[] = {
      {0x01, F::ARGB8888}, {0x03, F::ARGB8888}, {0x05, F::ARGB8888}, {0x05, F::ABGR8888},
      {0x27, F::ARGB8888}, {0x2F, F::RGB565},   {0x2F, F::ARGB8888}, {0x1D, F::RGB888X},
      {0x0A, F::RGB555},   {0xF5, F::RGB888},   {0x0C, F::Indexed}};
  std::mt19937 rng(11);
  for (auto [toFormat, toColours] : layouts) {
    for (auto [fromFormat, fromColours] : layouts) {
      cVertexBuffer to = Random(3, toFormat, toColours, rng);
      const cVertexBuffer from = Random(5, fromFormat, fromColours, rng);
      const Bytes expected = ModelAdd(to, from);
      to.Add(from);
      ASSERT_EQ(to.GetLength(), 8u);
      ASSERT_EQ(BlockBytes(to), expected)
          << toFormat << " += " << fromFormat << " " << F(fromColours).GetName().c_str();
    }
    cVertexBuffer self = Random(4, toFormat, toColours, rng);
    const Bytes expected = ModelAdd(self, self);
    self.Add(self);
    EXPECT_EQ(BlockBytes(self), expected) << "self " << toFormat;
  }
  cVertexBuffer to(1, 1 | 2), empty(0, 1 | 4);
  to.Add(empty);
  EXPECT_EQ(to.GetLength(), 1u);
  // SetLength keeps what fits; assignment takes the source's layout.
  cVertexBuffer kept = Random(3, 0x2F, F::RGB565, rng);
  const Bytes three = BlockBytes(kept);
  kept.SetLength(100000);
  kept.SetLength(3);
  to = kept;
  EXPECT_TRUE(to.GetPixelFormat() == F::RGB565 && BlockBytes(to) == three);
}

TEST(VertexStream, SaveWritesTheDocumentedBytesAndLoadRebuildsTheBuffer) {
  cVertexBuffer b(3);
  for (uint32_t i = 0; i < 3; ++i) b.SetPos(i, cVector3(1.5f * i, -2.0f, 1e6f));
  const Bytes bytes = SavedBytes(b);
  ASSERT_EQ(bytes.size(), 46u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 10), (Bytes{3, 0, 0, 0, 3, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.end()), BlockBytes(b));
  // Bits above the layout byte are kept; 2000 vertices outgrow one read step
  // of an unsized stream, and are read into the block of the same size held.
  std::mt19937 rng(5);
  const Bytes richBytes = SavedBytes(Random(2000, 0xABCD0000u | 0x2F, F::RGB565, rng));
  EXPECT_EQ(richBytes.size(), 10u + 2000 * 44);
  const tAction sameAsSaved = [&](cVertexBuffer& l) { EXPECT_EQ(SavedBytes(l), richBytes); };
  LoadBoth<cVertexBuffer>(richBytes, sameAsSaved, Random(2000, 0x2F, F::RGB565, rng));
  LoadBoth<cVertexBuffer>(SavedBytes(cVertexBuffer(0, 1 | 4, F::RGB565)), [](cVertexBuffer& l) {
    EXPECT_TRUE(l.IsEmpty() && l.GetStride() == 14u);
  });
}

TEST(VertexStream, HostileStreamsThrowAndLeaveTheBufferEmpty) {
  std::mt19937 rng(9);
  const cVertexBuffer held = Random(2, 1 | 4, F::RGB565, rng);
  const Bytes valid = SavedBytes(held);
  auto fails = [&](const Bytes& bytes) { LoadBoth<cVertexBuffer>(bytes, nullptr, held); };
  auto patched = [&](size_t at, uint32_t value, uint32_t bytes) {
    Bytes b = valid;
    WriteLE(b.data() + at, value, bytes);
    return b;
  };
  for (size_t cut = 0; cut < valid.size(); ++cut) fails(Bytes(valid.begin(), valid.begin() + cut));
  for (uint32_t format : {18u, 255u, 0xFFFFu}) fails(patched(4, format, 2));
  for (uint32_t count : {0x20000000u, 0xFFFFFFFFu}) fails(patched(0, count, 4));  // past 4 GiB
  // 1.2 GB announced, 100 kB present: what is reserved follows what arrives.
  cAllocationGate gate;
  Bytes absent = patched(0, 100000000u, 4);
  WriteLE(absent.data() + 6, 1, 4);
  absent.resize(100000);
  fails(absent);
  EXPECT_LE(cAllocationGate::Largest(), 256u * 1024);
}

TEST(VertexMemory, EveryFailedAllocationThrowsOutOfMemoryAndKeepsTheBuffer) {
  std::mt19937 rng(13);
  // About 650 GB asked for, not a size wrapped at 32 bits.
  cVertexBuffer big = Random(2, 0xFF, F::ARGB8888, rng);
  const Bytes bigBytes = SavedBytes(big);
  {
    cAllocationGate gate{0};
    EXPECT_THROW(big.SetLength(0xFFFFFFFF), cException);
    EXPECT_EQ(cAllocationGate::Largest(), sizeof(size_t) == 8 ? 0xFFFFFFFFull * 152 : 0);
  }
  EXPECT_EQ(SavedBytes(big), bigBytes);

  const cVertexBuffer held = Random(3, 1 | 4 | 8 | (1 << 4), F::ARGB8888, rng);
  const cVertexBuffer other = Random(2, 1 | 4, F::RGB565, rng);
  const Bytes largeBytes = SavedBytes(Random(10000, 1, F::ARGB8888, rng));  // 117 KiB of vertices
  const std::tuple<const char*, std::vector<int>, tAction> actions[] = {
      {"grow", {201}, [](cVertexBuffer& b) { b.SetLength(9); }},
      {"shrink", {201}, [](cVertexBuffer& b) { b.SetLength(1); }},
      {"copy", {201}, [&](cVertexBuffer& b) { b = other; }},
      {"copy construct", {194}, [](cVertexBuffer& b) { b = cVertexBuffer(b); }},
      {"add", {201}, [&](cVertexBuffer& b) { b.Add(other); }},
      {"add itself", {201}, [](cVertexBuffer& b) { b.Add(b); }},
      {"convert in place", {}, [](cVertexBuffer& b) { b.Convert(F::ABGR8888); }},
      {"convert and re-lay", {194}, [](cVertexBuffer& b) { b.Convert(F::RGB565); }},
  };
  for (const auto& [name, lines, action] : actions) {
    SCOPED_TRACE(name);
    ExpectEachFailedAllocationKeeps<cVertexBuffer>(held, action, kFile, lines);
  }
  ExpectLoadSurvivesEachFailedAllocation(held, largeBytes, kFile, 194, 201);
}
