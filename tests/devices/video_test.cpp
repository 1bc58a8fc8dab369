#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

using V = cVideo3D;

namespace {

using tMembers = std::vector<std::pair<int, std::string>>;

cVideoCaps WithLimits(int minimum, int maximum) {
  cVideoCaps caps;
  caps.m_MinTextureWidth = caps.m_MinTextureHeight = minimum;
  caps.m_MaxTextureWidth = caps.m_MaxTextureHeight = maximum;
  return caps;
}

// The fitting rules spelled out long-hand, for comparison over random inputs.
int ReferenceFloorPow2(int v) {
  int p = v < 1 ? 0 : 1;
  while (p != 0 && p <= v / 2) p *= 2;
  return p;
}

tSize<int> Reference(const cVideoCaps& c, int w, int h) {
  if (!c.m_NonSquareTextures && w != h) w = h = static_cast<int>((int64_t{w} + h) / 2);
  const bool wPow2 = w >= 0 && ReferenceFloorPow2(w) == w;
  const bool hPow2 = h >= 0 && ReferenceFloorPow2(h) == h;
  if (!c.m_NonPow2Textures && (!wPow2 || !hPow2)) {
    w = ReferenceFloorPow2(w);
    h = ReferenceFloorPow2(h);
  }
  w = std::min(std::max(w, c.m_MinTextureWidth), c.m_MaxTextureWidth);
  h = std::min(std::max(h, c.m_MinTextureHeight), c.m_MaxTextureHeight);
  const int r = c.m_MaxTextureRatio;
  if (r > 0 && h != 0 && w / h > r) h = w / r;
  if (r > 0 && w != 0 && h / w > r) w = h / r;
  return {w, h};
}

}  // namespace

TEST(EnumTable, ListsTheValuesOfTheWholeNameOnlyAddingToTheTable) {
  // Only the exact whole name matches; a zero byte inside the text ends it.
  for (const cString& name :
       {cString("eCulling"), cString("ECullin"), cString("ECullings"), cString("ECulling "),
        cString(""), cString("E"), cString("ECulling\0X", 10)}) {
    cStringTable none;
    cVideo3D::BuildEnumTable(name, &none);
    EXPECT_EQ(none.GetCount(), 0) << name.c_str();
  }
  cStringTable table;
  table.Add(42, cString("Kept"));
  cVideo3D::BuildEnumTable("ECulling", &table);
  cVideo3D::BuildEnumTable("NoSuchEnumeration", &table);
  cVideo3D::BuildEnumTable("ECulling", &table);
  const tMembers expected = {
      {42, "Kept"},    {0, "Disabled"},  {2, "Clockwise"},       {3, "CounterClockwise"},
      {0, "Disabled"}, {2, "Clockwise"}, {3, "CounterClockwise"}};
  tMembers members;
  for (int32_t i = 0; i < table.GetCount(); ++i)
    members.emplace_back(table.GetValue(i), table.GetName(i).c_str());
  EXPECT_EQ(members, expected);
  cVideo3D::BuildEnumTable("ECulling", nullptr);  // must simply return
}

TEST(VideoCaps, PredicatesReadTheirOwnTableAndNoneOutsideIt) {
  cVideoCaps caps;
  caps.m_DepthFunctions[8] = caps.m_AlphaFunctions[2] = caps.m_TexelFunctions[17] = true;
  caps.m_SourceBlends[11] = caps.m_DestinationBlends[1] = true;
  EXPECT_TRUE(caps.Depth(V::ECompareFunction::Always) && caps.Alpha(V::ECompareFunction::Less));
  EXPECT_FALSE(caps.Alpha(V::ECompareFunction::Always) || caps.Depth(V::ECompareFunction::Less));
  EXPECT_TRUE(caps.TexelBlend(V::ETexelFunction::BumpDot3));
  EXPECT_TRUE(caps.BlendSource(V::EBlendFunction::SrcAlphaSat));
  EXPECT_FALSE(caps.BlendDestination(V::EBlendFunction::SrcAlphaSat));
  EXPECT_TRUE(caps.BlendDestination(V::EBlendFunction::Zero));

  // A number that names no member reads no table, not even a neighbour's.
  auto all = [](auto& table) { std::fill(std::begin(table), std::end(table), true); };
  all(caps.m_DepthFunctions), all(caps.m_AlphaFunctions), all(caps.m_TexelFunctions);
  all(caps.m_SourceBlends), all(caps.m_DestinationBlends);
  for (int bad : {-1, 9, 12, 18, 1 << 20}) {
    EXPECT_FALSE(caps.Depth(static_cast<V::ECompareFunction>(bad)) ||
                 caps.Alpha(static_cast<V::ECompareFunction>(bad)))
        << bad;
    EXPECT_EQ(caps.BlendSource(static_cast<V::EBlendFunction>(bad)) ||
                  caps.BlendDestination(static_cast<V::EBlendFunction>(bad)),
              bad == 9)
        << bad;
    EXPECT_EQ(caps.TexelBlend(static_cast<V::ETexelFunction>(bad)), bad == 9 || bad == 12) << bad;
  }
}

TEST(VideoCapsDump, EveryFlagAndNumberReachesItsOwnLine) {
  auto expect = [](const cVideoCaps& caps, const std::vector<std::string>& values) {
    std::istringstream labels(
        "Windowed rendering|Render depths|Depth bits|W-Buffering|Maximum active lights|Maximum "
        "user clipplanes|Minimum texture size|Maximum texture size|Maximum texture ratio|Texture "
        "must be square|Texture must be of power2|Texture memory|Hardware rasterizer|Hardware "
        "clipping|Hardware transform&lighting");
    std::vector<std::string> expected;
    for (std::string label; std::getline(labels, label, '|');)
      expected.push_back("\t- " + label.append(29 - label.size(), ' ') + ": " +
                         values[expected.size()]);
    const tolmak::test::cMessages messages;
    caps.Dump();
    EXPECT_EQ(messages.traced, expected);
  };
  cVideoCaps caps = WithLimits(1, 2048);
  caps.m_MinTextureHeight = 2;
  expect(caps, {"Unsupported", ".", ".", "Unsupported", "0", "0", "1x2", "2048x2048", "0", "yes",
                "yes", "0KB", "Unsupported", "Unsupported", "Unsupported"});
  caps = WithLimits(-8, 4096);
  caps.m_Windowed = caps.m_WBuffer = caps.m_HardwareClipping = caps.m_NonSquareTextures = true;
  caps.m_RenderDepth16 = caps.m_RenderDepth32 = caps.m_DepthBits24 = true;
  caps.m_Lights = caps.m_ClipPlanes = -1;  // unsigned on its line, signed on the other
  caps.m_MaxTextureRatio = 8;
  caps.m_TextureMemory = 0x1000FFFF;  // 262207.99 KB
  expect(caps,
         {"Supported", "(16)(32).", "(24).", "Supported", "4294967295", "-1", "-8x-8", "4096x4096",
          "8", "no", "yes", "262207KB", "Unsupported", "Supported", "Unsupported"});
}

TEST(TextureSize, AgreesWithAPlainReferenceOnRandomDevicesAndSizes) {
  std::mt19937 random(20240605);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int i = 0; i < 20000; ++i) {
    cVideoCaps caps;
    caps.m_NonSquareTextures = pick(0, 1);
    caps.m_NonPow2Textures = pick(0, 1);
    caps.m_MinTextureWidth = pick(0, 64);
    caps.m_MinTextureHeight = pick(0, 64);
    caps.m_MaxTextureWidth = pick(16, 4096);
    caps.m_MaxTextureHeight = pick(16, 4096);
    caps.m_MaxTextureRatio = pick(-1, 8);
    const int w = pick(-16, 5000), h = pick(-16, 5000);
    ASSERT_EQ(caps.ValidateTextureSize(tSize<int>{w, h}), Reference(caps, w, h)) << "case " << i;
  }
  // The mean of two large sides does not overflow.
  cVideoCaps square = WithLimits(1, INT_MAX);
  square.m_NonPow2Textures = true;
  EXPECT_EQ(square.ValidateTextureSize({INT_MAX, INT_MAX - 2}),
            (tSize<int>{INT_MAX - 1, INT_MAX - 1}));
}
