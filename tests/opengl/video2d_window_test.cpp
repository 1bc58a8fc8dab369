// The windowed 2D device and its window.
#include <SDL.h>
#include <epoxy/gl.h>

#include "gl_fixtures.h"
#include "opengl_video2d.h"
#include "sdl_event_pump.h"

namespace zunfert::test {
namespace {

/// The pixel the window shows at x, y from its top left corner.
uint32_t ShownAt(int windowHeight, int x, int y) {
  uint32_t shown = 0;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(x, windowHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &shown);
  return shown | 0xFF000000u;
}

// A player resizing the window resizes the device from the next frame on,
// as ResizeDevice does: the surfaces take the window's size and the frame
// is shown pixel for pixel, not stretched; a program's own ResizeDevice is
// not undone.
TEST(OpenGlVideo2D, PlayerResizingTheWindowResizesTheSurfaces) {
  UseOffscreenVideo();
  cOpenGLVideo2D device;
  cInitInfo info(64, 48, 32, true, false);
  ASSERT_TRUE(device.InitDevice(&info)) << device.GetError();
  SDL_SetWindowSize(device.GetWindow(), 100, 70);
  cSdlEventPump::Instance().Pump();
  ASSERT_TRUE(device.Flip());  // the frame drawn at the old size
  ASSERT_EQ(device.GetWidth(), 100);
  ASSERT_EQ(device.GetHeight(), 70);
  cSurface* back = device.GetBackSurface();
  EXPECT_EQ(back->GetWidth(), 100);
  EXPECT_EQ(device.GetFrontSurface()->GetHeight(), 70);
  back->Clear(0xFF000000);
  back->FillRect(50, 35, 50, 35, 0xFF20C040);
  ASSERT_TRUE(device.Flip());
  const cSurface& front = *device.GetFrontSurface();
  EXPECT_EQ(PixelAt(front, 99, 69), 0xFF20C040u);
  if (kVideoDriver == "offscreen") {  // only an offscreen window keeps what it showed
    EXPECT_EQ(ShownAt(70, 50, 35), 0xFF20C040u);
    EXPECT_EQ(ShownAt(70, 49, 34), 0xFF000000u);
  }
  ASSERT_TRUE(device.ResizeDevice(50, 35));
  cSdlEventPump::Instance().Pump();
  ASSERT_TRUE(device.Flip());
  EXPECT_EQ(device.GetWidth(), 50);
  EXPECT_EQ(device.GetBackSurface()->GetHeight(), 35);
}

}  // namespace
}  // namespace zunfert::test
