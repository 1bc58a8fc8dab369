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

// The 2D device's scene against its reviewed picture.
TEST(Golden2D, FillsKeyedBlitsAndStretch) {
  cSoftwareVideo2D device;
  DrawBlits2D(device);
  ExpectGolden(*device.GetFrontSurface(), "blits_2d");
}

}  // namespace
}  // namespace zunfert::test
