// Small fixed scenes compared with reviewed reference pictures.
#include "golden.h"
#include "golden_scenes.h"

namespace zunfert::test {
namespace {

// Each scene on the software device against its reviewed picture.
TEST(Golden, ScenesMatchTheirPictures) {
  for (const auto& [name, draw] : cGoldenScenes::All()) {
    cSoftwareVideo3D device;
    cGoldenScenes scenes(device);
    (scenes.*draw)();
    ExpectGolden(scenes.Back(), name);
  }
}

// The 2D device at 16 bits: a fill, a keyed sprite blitted whole and in
// part (off the edge), and stretched to three times its size.
TEST(Golden2D, FillsKeyedBlitsAndStretch) {
  cSoftwareVideo2D device;
  cInitInfo info(64, 48, 16, true, true);
  ASSERT_TRUE(device.InitDevice(&info));
  std::vector<uint32_t> pixels(8 * 8);
  for (int i = 0; i < 64; ++i) {
    const int x = i % 8, y = i / 8;
    pixels[i] = (x - 3.5f) * (x - 3.5f) + (y - 3.5f) * (y - 3.5f) > 12
                    ? 0xFF00FF00
                    : 0xFF000000u | (x * 32) << 16 | (y * 32);
  }
  cArgbSprite sprite(8, 8, pixels);
  sprite.EnableColorKey(0xFF00FF00);
  cSurface* picture = device.CreateSurfaceFrom(&sprite, 0, cVideo2D::EMemoryType::SystemMemory);
  ASSERT_NE(picture, nullptr);
  cSurface* back = device.GetBackSurface();
  const cPixelFormat format = device.GetPixelFormat();
  back->Clear(format.ConvertFromARGB(0xFF203040));
  back->FillRect(-4, 30, 30, 40, format.ConvertFromARGB(0xFFC0A060));
  back->Blit(2, 2, picture);
  back->BlitRect(60, 2, picture, 2, 0, 6, 8);
  back->StretchBlit(30, 16, 24, 24, picture);
  ASSERT_TRUE(device.Flip());
  ExpectGolden(*device.GetFrontSurface(), "blits_2d");
}

}  // namespace
}  // namespace zunfert::test
