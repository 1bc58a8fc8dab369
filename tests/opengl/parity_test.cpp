// The OpenGL device against the software device on the scenes behind the
// reference pictures.
//
// The measure: two pictures agree when at least kShareWithin of their pixels
// have every channel within kLevels, and their coverage masks (pixels that
// are not the clear colour) differ in at most kCoverageMiss of the pixels.
// Rasterization rules and float rounding move edges and gradients by a
// level or a pixel; a flipped texture coordinate, a turned light, a wrong
// blend factor, a missing depth test or a reversed cull mode each change far
// more than that.
#include <cstdlib>

#include <epoxy/gl.h>

#include "gl_fixtures.h"
#include "golden.h"
#include "golden_scenes.h"
#include "opengl_video2d.h"
#include "software_surface.h"

namespace zunfert::test {
namespace {

constexpr int kLevels = 8;
constexpr double kShareWithin = 0.99;
constexpr double kCoverageMiss = 0.02;

struct cAgreement {
  double within = 0, coverageMiss = 0;
};

/// The largest difference of a colour channel.
int Distance(uint32_t p, uint32_t q) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
  return worst;
}

cAgreement Compare(const cSurface& a, const cSurface& b, uint32_t clear) {
  int within = 0, miss = 0;
  const int count = a.GetWidth() * a.GetHeight();
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      const uint32_t p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      within += Distance(p, q) <= kLevels;
      miss += (Distance(p, clear) > 2) != (Distance(q, clear) > 2);
    }
  return {static_cast<double>(within) / count, static_cast<double>(miss) / count};
}

TEST(Parity, GoldenScenesMatchTheSoftwareDevice) {
  UseOffscreenVideo();
  const uint32_t clear = cColor(1, 0.1f, 0.1f, 0.2f).GetColor(cPixelFormat::ARGB8888);
  for (const auto& [name, draw] : cGoldenScenes::All()) {
    cSoftwareVideo3D software;
    cOpenGLVideo3D opengl;
    cGoldenScenes reference(software), scenes(opengl);
    (reference.*draw)();
    (scenes.*draw)();
    ASSERT_TRUE(opengl.IsInitialized()) << opengl.GetError();
    if (const char* folder = std::getenv("ZUNFERT_PARITY_OUTPUT"))
      WritePng(scenes.Back(), std::string(folder) + "/" + name + ".png");
    const cAgreement agreement = Compare(reference.Back(), scenes.Back(), clear);
    EXPECT_GE(agreement.within, kShareWithin) << name;
    EXPECT_LE(agreement.coverageMiss, kCoverageMiss) << name;
    std::printf("%-16s within %d levels %.4f, coverage differs %.4f\n", name, kLevels,
                agreement.within, agreement.coverageMiss);
  }
}

// The 2D device's scene as its window shows it after Flip, read back from
// the window's framebuffer (bottom row first), against the software 2D
// device's reviewed picture.
TEST(Parity, TwoDimensionalWindowShowsTheSoftwarePicture) {
  UseOffscreenVideo();
  cOpenGLVideo2D device;
  DrawBlits2D(device);
  if (HasFatalFailure()) return;
  cSoftwareSurface shown({device.GetWidth(), device.GetHeight()}, cPixelFormat::ARGB8888);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  for (int y = 0; y < shown.GetHeight(); ++y)
    glReadPixels(0, shown.GetHeight() - 1 - y, shown.GetWidth(), 1, GL_BGRA, GL_UNSIGNED_BYTE,
                 shown.GetRow(y));
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  ExpectGoldenAt(shown, std::string(ZUNFERT_GOLDEN_DIR) + "/blits_2d.png", "blits_2d on OpenGL");
}

}  // namespace
}  // namespace zunfert::test
