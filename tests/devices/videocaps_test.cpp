#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "device_fixtures.h"

using devices_test::cTraceCapture;
using V = cVideo3D;

TEST(InitInfo, DefaultsAndTheFiveArgumentFormLeaveTheRestAlone) {
  const cInitInfo d;
  EXPECT_EQ(d.m_Width, 640);
  EXPECT_EQ(d.m_Height, 480);
  EXPECT_EQ(d.m_Depth, 16);
  EXPECT_EQ(d.m_BackBuffers, 1);
  EXPECT_TRUE(d.m_Windowed && d.m_DepthBuffer && d.m_VSync && d.m_HardwareAcceleration);
  EXPECT_EQ(d.m_Adapter, 0);
  EXPECT_EQ(d.m_RefreshRate, 0);
  EXPECT_EQ(d.m_Window, 0);
  EXPECT_TRUE(d.m_DeviceName.IsEmpty() && d.m_Title.IsEmpty());

  cInitInfo i(800, 600, 32, false, true);
  EXPECT_EQ(i.m_Width, 800);
  EXPECT_EQ(i.m_Height, 600);
  EXPECT_EQ(i.m_Depth, 32);
  EXPECT_EQ(i.m_BackBuffers, 1);
  EXPECT_FALSE(i.m_Windowed);
  EXPECT_TRUE(i.m_DepthBuffer && i.m_VSync && i.m_HardwareAcceleration);

  i.m_Title = "Game";
  const cInitInfo copy(i);
  i.m_Title = "Changed";  // the copy owns its own text
  EXPECT_EQ(copy.m_Title, "Game");
}

TEST(VideoCaps, PredicatesReadTheirOwnTableAtTheMemberValue) {
  cVideoCaps caps;
  EXPECT_TRUE(caps.MustSortTranslucent());
  EXPECT_FALSE(caps.HardwareRasterizer() || caps.HardwareClipping() || caps.HardwareTnL());
  EXPECT_EQ(caps.Lights() + caps.ClippingPlanes() + caps.TextureStages(), 0);
  EXPECT_EQ(caps.m_MinTextureWidth + caps.m_MaxTextureHeight, 0);

  caps.m_DepthFunctions[8] = true;  // Always
  caps.m_AlphaFunctions[2] = true;  // Less
  caps.m_TexelFunctions[17] = true;
  caps.m_SourceBlends[11] = true;
  caps.m_DestinationBlends[1] = true;
  EXPECT_TRUE(caps.Depth(V::ECompareFunction::Always));
  EXPECT_FALSE(caps.Alpha(V::ECompareFunction::Always));
  EXPECT_TRUE(caps.Alpha(V::ECompareFunction::Less));
  EXPECT_FALSE(caps.Depth(V::ECompareFunction::Less));
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
    if (bad >= 12 || bad < 0) {
      EXPECT_FALSE(caps.BlendSource(static_cast<V::EBlendFunction>(bad)) ||
                   caps.BlendDestination(static_cast<V::EBlendFunction>(bad)))
          << bad;
    }
    if (bad >= 18 || bad < 0) {
      EXPECT_FALSE(caps.TexelBlend(static_cast<V::ETexelFunction>(bad)));
    }
  }

  caps.m_Lights = 8;
  caps.m_ClipPlanes = 6;
  caps.m_TextureStages = 4;
  const cVideoCaps copy(caps);
  EXPECT_EQ(copy.Lights() * 100 + copy.ClippingPlanes() * 10 + copy.TextureStages(), 864);
}

namespace {

cVideoCaps WithLimits(int minimum, int maximum) {
  cVideoCaps caps;
  caps.m_MinTextureWidth = caps.m_MinTextureHeight = minimum;
  caps.m_MaxTextureWidth = caps.m_MaxTextureHeight = maximum;
  return caps;
}

std::vector<std::string> DumpLines(const cVideoCaps& caps) {
  cTraceCapture capture;
  caps.Dump();
  return capture.Lines();
}

}  // namespace

TEST(VideoCapsDump, FreshCapabilitiesPrintUnsupportedAndTheLimitsAsSet) {
  cVideoCaps caps = WithLimits(1, 2048);
  caps.m_MinTextureHeight = 2;
  const std::vector<std::string> expected = {
      "\t- Windowed rendering           : Unsupported",
      "\t- Render depths                : .",
      "\t- Depth bits                   : .",
      "\t- W-Buffering                  : Unsupported",
      "\t- Maximum active lights        : 0",
      "\t- Maximum user clipplanes      : 0",
      "\t- Minimum texture size         : 1x2",
      "\t- Maximum texture size         : 2048x2048",
      "\t- Maximum texture ratio        : 0",
      "\t- Texture must be square       : yes",
      "\t- Texture must be of power2    : yes",
      "\t- Texture memory               : 0KB",
      "\t- Hardware rasterizer          : Unsupported",
      "\t- Hardware clipping            : Unsupported",
      "\t- Hardware transform&lighting  : Unsupported",
  };
  EXPECT_EQ(DumpLines(caps), expected);
}

TEST(VideoCapsDump, EveryFlagAndNumberReachesItsOwnLine) {
  cVideoCaps caps = WithLimits(-8, 4096);
  caps.m_Windowed = caps.m_WBuffer = true;
  caps.m_RenderDepth16 = caps.m_RenderDepth32 = true;
  caps.m_DepthBits24 = true;
  caps.m_Lights = -1;  // unsigned on its line, signed on the clip-plane line
  caps.m_ClipPlanes = -1;
  caps.m_MaxTextureRatio = 8;
  caps.m_NonSquareTextures = true;
  caps.m_TextureMemory = 0x1000FFFF;  // 262207.99 KB
  caps.m_HardwareClipping = true;
  const std::vector<std::string> expected = {
      "\t- Windowed rendering           : Supported",
      "\t- Render depths                : (16)(32).",
      "\t- Depth bits                   : (24).",
      "\t- W-Buffering                  : Supported",
      "\t- Maximum active lights        : 4294967295",
      "\t- Maximum user clipplanes      : -1",
      "\t- Minimum texture size         : -8x-8",
      "\t- Maximum texture size         : 4096x4096",
      "\t- Maximum texture ratio        : 8",
      "\t- Texture must be square       : no",
      "\t- Texture must be of power2    : yes",
      "\t- Texture memory               : 262207KB",
      "\t- Hardware rasterizer          : Unsupported",
      "\t- Hardware clipping            : Supported",
      "\t- Hardware transform&lighting  : Unsupported",
  };
  EXPECT_EQ(DumpLines(caps), expected);
}

namespace {

tSize<int> Fit(const cVideoCaps& caps, int w, int h) {
  tSize<int> size{w, h};
  const tSize<int> result = caps.ValidateTextureSize(size);
  EXPECT_EQ(size, (tSize<int>{w, h}));  // the argument is only read
  return result;
}

}  // namespace

TEST(TextureSize, WorkedCases) {
  cVideoCaps caps = WithLimits(1, 2048);
  caps.m_NonSquareTextures = caps.m_NonPow2Textures = true;
  EXPECT_EQ(Fit(caps, 300, 200), (tSize<int>{300, 200}));

  caps.m_NonSquareTextures = false;
  EXPECT_EQ(Fit(caps, 256, 64), (tSize<int>{160, 160}));
  caps.m_NonPow2Textures = false;
  EXPECT_EQ(Fit(caps, 256, 64), (tSize<int>{128, 128}));

  caps.m_NonSquareTextures = true;
  EXPECT_EQ(Fit(caps, 300, 256), (tSize<int>{256, 256}));
  caps.m_MinTextureWidth = caps.m_MinTextureHeight = 0;
  EXPECT_EQ(Fit(caps, 0, 300), (tSize<int>{0, 256}));

  cVideoCaps ratio = WithLimits(1, 2048);
  ratio.m_NonSquareTextures = ratio.m_NonPow2Textures = true;
  ratio.m_MaxTextureRatio = 4;
  EXPECT_EQ(Fit(ratio, 1024, 16), (tSize<int>{1024, 256}));
  EXPECT_EQ(Fit(ratio, 16, 1024), (tSize<int>{256, 1024}));

  cVideoCaps inverted = WithLimits(1, 2048);
  inverted.m_NonSquareTextures = inverted.m_NonPow2Textures = true;
  inverted.m_MinTextureWidth = 64;
  inverted.m_MaxTextureWidth = 32;
  for (int w : {0, 1, 31, 32, 33, 64, 5000}) EXPECT_EQ(Fit(inverted, w, 100).width, 32);
}

TEST(TextureSize, RulesRunInOrderAndNeverDivideByZero) {
  cVideoCaps caps = WithLimits(0, 2048);
  caps.m_NonSquareTextures = true;
  caps.m_MaxTextureRatio = 2;
  // Power-of-two rounding of a negative side gives 0, which the ratio rule
  // cannot divide by: that side stays as clamped.
  EXPECT_EQ(Fit(caps, -5, 64), (tSize<int>{0, 64}));
  EXPECT_EQ(Fit(caps, 64, 0), (tSize<int>{64, 0}));
  // The ratio rule runs last, so its result need not be a power of two.
  caps.m_MaxTextureRatio = 3;
  EXPECT_EQ(Fit(caps, 1024, 4), (tSize<int>{1024, 341}));
  // The mean of two large sides must not overflow.
  cVideoCaps wide = WithLimits(0, INT_MAX);
  wide.m_NonPow2Textures = true;
  EXPECT_EQ(Fit(wide, INT_MAX, INT_MAX - 2), (tSize<int>{INT_MAX - 1, INT_MAX - 1}));
}

namespace {

// The rules spelled out long-hand, for comparison over random inputs.
int ReferenceFloorPow2(int v) {
  if (v < 1) return 0;
  int p = 1;
  while (p <= v / 2) p *= 2;
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
    ASSERT_EQ(caps.ValidateTextureSize(tSize<int>{w, h}), Reference(caps, w, h))
        << w << "x" << h << " limits " << caps.m_MinTextureWidth << ".." << caps.m_MaxTextureWidth
        << " x " << caps.m_MinTextureHeight << ".." << caps.m_MaxTextureHeight << " ratio "
        << caps.m_MaxTextureRatio << " square " << !caps.m_NonSquareTextures << " pow2 "
        << !caps.m_NonPow2Textures;
  }
}
