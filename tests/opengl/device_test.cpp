// The OpenGL devices' own promises: their windows, what the 3D device sends
// to the card per frame, and its failures.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <tuple>
#include <utility>

#include "gl_fixtures.h"
#include "opengl_video2d.h"
#include "sdl_event_pump.h"
#include "test_support.h"

namespace zunfert::test {
namespace {

using E3 = cVideo3D;

/// A frame of one draw on a black picture, read back.
template <class Draw>
const cSurface& DrawFrame(cSoftwareVideo3D& device, Draw draw) {
  EXPECT_TRUE(device.BeginScene());
  device.Clear(true, true, false);
  draw(device);
  device.EndScene();
  EXPECT_TRUE(device.Flip());
  return *device.GetSurface(E3::ESurface::Back);
}

/// The pixel the window shows at x, y from its top left corner.
uint32_t ShownAt(int windowHeight, int x, int y) {
  uint32_t shown = 0;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(x, windowHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &shown);
  return shown | 0xFF000000u;
}

class OpenGlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOffscreenVideo();
    ASSERT_NO_FATAL_FAILURE(OpenFlat(m_Device, 64, 48)) << m_Device.GetError();
  }
  cOpenGLVideo3D m_Device;
};

// A textured model drawn from device buffers: after the first frame nothing
// is sent again and nothing compiled, one draw call per subset; texels
// written through Lock and Unlock are sent again, once, and drawn.
TEST_F(OpenGlDevice, DeviceBuffersProgramsAndChangedTexturesAreSentOnce) {
  cSurface* texture = m_Device.CreateTexture(
      {4, 4}, cPixelFormat::ARGB8888, E3::ETextureUsage::Normal, E3::EMemoryType::DriverDecides);
  const uint16_t entries[6] = {0, 1, 2, 0, 2, 3};
  const cIndexBuffer indices(entries, 6);
  hVertexBuffer* vertices =
      m_Device.CreateVertexBuffer(Quad(-0.5f, 0.5f, 0.5f, -0.5f, -1, 0xFF20C040),
                                  E3::ETextureUsage::Static, E3::EMemoryType::DriverDecides);
  hIndexBuffer* index = m_Device.CreateIndexBuffer(indices, E3::ETextureUsage::Static,
                                                   E3::EMemoryType::DriverDecides);
  m_Device.SetTexture(0, texture);
  // Texels, then what they make of the vertices' colour.
  for (const auto& [texel, shown] :
       {std::pair(0xFFFFFFFFu, 0xFF20C040u), std::pair(0xFF0000FFu, 0xFF000040u)}) {
    auto* row = static_cast<uint8_t*>(texture->Lock());
    for (int y = 0; y < 4; ++y, row += texture->GetPitch())
      std::fill_n(reinterpret_cast<uint32_t*>(row), 4, texel);
    texture->Unlock();
    for (int frame = 0; frame < 2; ++frame) {
      ASSERT_TRUE(m_Device.BeginScene());
      m_Device.Clear(true, true, false);
      m_Device.DrawIndexedBuffer(E3::EPrimitive::Triangles, vertices, index, 0, 3);
      m_Device.DrawIndexedBuffer(E3::EPrimitive::Triangles, vertices, index, 3, 3);
      m_Device.EndScene();
      const gl::cGlCounts& counts = m_Device.GetCounts();
      EXPECT_EQ(std::tuple(counts.draws, m_Device.GetPrimitivesDrawn(), counts.uploads),
                std::tuple(2u, 2u, frame == 0 ? 1u : 0u));
      if (frame > 0) {  // the clear's masks, then the draw's, and nothing else
        EXPECT_EQ(counts.compiles, 0u);
        EXPECT_LE(counts.stateChanges, 1u);
      }
      ASSERT_TRUE(m_Device.Flip());
      const cSurface& back = *m_Device.GetSurface(E3::ESurface::Back);
      EXPECT_EQ(std::tuple(PixelAt(back, 32, 24), PixelAt(back, 2, 2)),
                std::tuple(shown, 0xFF000000u));
    }
  }
  EXPECT_EQ(m_Device.GetProgramsCompiled(), 1);
}

// The draws the software device takes apart primitive by primitive: a flat
// strip or fan colours each triangle from the corner the software device
// takes, and an index past the vertices drops only its own triangle.
TEST_F(OpenGlDevice, FlatStripsFansAndStrayIndicesDrawAsTheSoftwareDevice) {
  cSoftwareVideo3D software;
  ASSERT_NO_FATAL_FAILURE(OpenFlat(software, 64, 48));
  const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;
  // Corners left to right, top to bottom, and round the square.
  const cVertexBuffer zigzag = MakeVertices({{-0.5f, 0.5f, -1, red},
                                             {0.5f, 0.5f, -1, green},
                                             {-0.5f, -0.5f, -1, blue},
                                             {0.5f, -0.5f, -1, white}});
  const cVertexBuffer around = Quad(-0.5f, 0.5f, 0.5f, -0.5f, -1, white);
  const cVertexBuffer colored = Quad(-0.5f, 0.5f, 0.5f, -0.5f, -1, {red, green, blue, white});
  const uint16_t entries[6] = {0, 1, 2, 0, 2, 9};
  const cIndexBuffer stray(entries, 6);
  struct cCase {
    const char* name;
    std::function<void(cSoftwareVideo3D&)> draw;
    int points[2][2];  // inside each of the two triangles
  };
  const cCase cases[] = {
      {"strip",
       [&](cSoftwareVideo3D& d) { d.DrawPrimitive(E3::EPrimitive::TriangleStrip, zigzag, 0, 4); },
       {{27, 20}, {37, 28}}},
      {"fan",
       [&](cSoftwareVideo3D& d) { d.DrawPrimitive(E3::EPrimitive::TriangleFan, colored, 0, 4); },
       {{37, 20}, {27, 28}}},
      {"stray index",
       [&](cSoftwareVideo3D& d) {
         d.DrawIndexedPrimitive(E3::EPrimitive::Triangles, around, stray, 0, 6);
       },
       {{37, 20}, {27, 28}}},
  };
  for (const cCase& c : cases) {
    const auto draw = [&c](cSoftwareVideo3D& d) {
      d.SetShading(E3::EShading::Flat);
      c.draw(d);
    };
    const cSurface& expected = DrawFrame(software, draw);
    const cSurface& drawn = DrawFrame(m_Device, draw);
    for (const auto& [x, y] : c.points)
      EXPECT_EQ(PixelAt(drawn, x, y), PixelAt(expected, x, y))
          << c.name << " at " << x << ", " << y;
    EXPECT_EQ(m_Device.GetPrimitivesDrawn(), software.GetPrimitivesDrawn()) << c.name;
  }
}

// Frames reach the "Output" files and the screenshot call as drawn, and a
// texture render target holds what was drawn into it.
TEST_F(OpenGlDevice, FramesScreenshotsAndRenderTargetsReadBack) {
  const tolmak::test::cScratchFolder folder("opengl_frames");
  m_Device.SetOutput((folder / "frame_%02d.png").c_str());
  ASSERT_TRUE(m_Device.BeginScene());
  m_Device.SetClearColor(cColor(1, 0.2f, 0.4f, 0.6f));
  m_Device.Clear(true, true, true);
  cSurface* target = m_Device.CreateTexture(
      {16, 16}, cPixelFormat::ARGB8888, E3::ETextureUsage::Dynamic, E3::EMemoryType::DriverDecides);
  ASSERT_TRUE(m_Device.SetRenderTarget(target));
  m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, Quad(-1, 1, 1, -1, -1, 0xFFFF0000), 0, 4);
  ASSERT_TRUE(m_Device.SetRenderTarget(nullptr));
  EXPECT_EQ(PixelAt(*target, 8, 8), 0xFFFF0000u);
  m_Device.EndScene();
  ASSERT_TRUE(m_Device.Flip());
  EXPECT_TRUE(std::filesystem::exists(folder / "frame_00.png"));
  ASSERT_TRUE(m_Device.SaveScreenshot((folder / "shot.png").c_str()));
  EXPECT_EQ(PixelAt(*m_Device.GetSurface(E3::ESurface::Front), 5, 5), 0xFF336699u);
}

// The window is resized by the player, then by the program, and closed;
// run under Xvfb with SDL_VIDEODRIVER=x11 this is the X11 smoke test. The
// player's resize works as ResizeDevice does: the frame and the viewport
// follow the window, nothing is stretched; the program's own ResizeDevice
// is not undone by the window's event.
TEST_F(OpenGlDevice, WindowResizedByThePlayerOrTheProgramResizesTheFrame) {
  ASSERT_NE(m_Device.GetWindow(), nullptr);
  SDL_SetWindowSize(m_Device.GetWindow(), 100, 70);
  const cSurface& back = DrawFrame(m_Device, [](cSoftwareVideo3D& device) {
    int x, y, width, height;
    device.GetViewport(x, y, width, height);
    EXPECT_EQ(std::tuple(width, height), std::tuple(100, 70));
    device.DrawPrimitive(E3::EPrimitive::TriangleFan, Quad(0, 1, 1, -1, -1, 0xFF20C040), 0, 4);
  });
  ASSERT_EQ(std::tuple(back.GetWidth(), back.GetHeight()), std::tuple(100, 70));
  EXPECT_EQ(PixelAt(back, 99, 69), 0xFF20C040u);
  EXPECT_EQ(PixelAt(back, 48, 35), 0xFF000000u);
  ASSERT_TRUE(m_Device.ResizeDevice(80, 60));
  const cSurface& yellow = DrawFrame(m_Device, [](cSoftwareVideo3D& device) {
    device.SetClearColor(cColor(1, 1, 1, 0));
    device.Clear(true, true, true);
  });
  EXPECT_EQ(std::tuple(m_Device.GetWidth(), yellow.GetWidth()), std::tuple(80, 80));
  EXPECT_EQ(PixelAt(yellow, 79, 59), 0xFFFFFF00u);
  m_Device.ShutdownDevice();
  EXPECT_FALSE(m_Device.IsInitialized() || m_Device.Flip());
}

// The window shows the picture through the gamma ramp, as the front
// surface read back has it.
TEST_F(OpenGlDevice, WindowShowsThePictureThroughTheGammaRamp) {
  if (kVideoDriver != "offscreen") GTEST_SKIP() << "only an offscreen window keeps what it showed";
  m_Device.SetGamma(2.0f, 1.0f, 0.5f);
  DrawFrame(m_Device, [](cSoftwareVideo3D& device) {
    device.SetClearColor(cColor(1, 0.25f, 0.5f, 0.75f));
    device.Clear(true, false, false);
  });
  const uint32_t shown = ShownAt(48, 32, 24);
  const uint32_t front = PixelAt(*m_Device.GetSurface(E3::ESurface::Front), 32, 24);
  const uint32_t back = PixelAt(*m_Device.GetSurface(E3::ESurface::Back), 32, 24);
  EXPECT_NE(front & 0xFFFFFF, back & 0xFFFFFF);
  EXPECT_EQ(shown & 0xFFFFFF, front & 0xFFFFFF);
}

// A driver without an OpenGL 3.3 core context (Mesa told to stop at 3.0)
// is refused with a message. In a process of its own: Mesa reads that
// setting once.
TEST(OpenGlFailures, NoCoreContextIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("MESA_GL_VERSION_OVERRIDE", "3.0", 1);
        UseOffscreenVideo();
        // Mesa's EGL frees what the refused context left only when it is
        // unloaded; kept loaded, LeakSanitizer reports only ours.
        dlopen("libEGL_mesa.so.0", RTLD_LAZY | RTLD_NODELETE);
        bool refused = false;
        {
          cOpenGLVideo3D device;
          cInitInfo info(64, 48, 32, true, true);
          refused = !device.InitDevice(&info) && !device.IsInitialized();
          std::fprintf(stderr, "%s\n", device.GetError().c_str());
        }
        std::exit(refused ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "no OpenGL 3.3 core context");
}

// No display, a shader the driver refuses: a message and false, no crash.
TEST(OpenGlFailures, NoDisplayAndRefusedShadersAreReported) {
  UseOffscreenVideo();
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  cOpenGLVideo3D device;
  cInitInfo info(64, 48, 32, true, true);
  EXPECT_FALSE(device.InitDevice(&info) || device.IsInitialized());
  EXPECT_NE(device.GetError().find("no display"), std::string::npos) << device.GetError();
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_TRUE(device.InitDevice(&info)) << device.GetError();
  std::string error;
  EXPECT_EQ(gl::cShaderCache::Build("#version 330 core\nvoid main() { oops; }\n",
                                    "#version 330 core\nvoid main() {}\n", error),
            0u);
  EXPECT_NE(error.find("vertex shader does not compile"), std::string::npos) << error;
}

// A player resizing the window resizes the device from the next frame on,
// as ResizeDevice does: the surfaces take the window's size and the frame
// is shown pixel for pixel, not stretched. (The window's size bookkeeping,
// a program's own ResizeDevice included, is the 3D device's test.)
TEST(OpenGlVideo2D, PlayerResizingTheWindowResizesTheSurfaces) {
  UseOffscreenVideo();
  cOpenGLVideo2D device;
  cInitInfo info(64, 48, 32, true, false);
  ASSERT_TRUE(device.InitDevice(&info)) << device.GetError();
  SDL_SetWindowSize(device.GetWindow(), 100, 70);
  cSdlEventPump::Instance().Pump();
  ASSERT_TRUE(device.Flip());  // the frame drawn at the old size
  cSurface* back = device.GetBackSurface();
  ASSERT_EQ(std::tuple(device.GetWidth(), device.GetHeight(), back->GetWidth(),
                       device.GetFrontSurface()->GetHeight()),
            std::tuple(100, 70, 100, 70));
  back->Clear(0xFF000000);
  back->FillRect(50, 35, 50, 35, 0xFF20C040);
  ASSERT_TRUE(device.Flip());
  const cSurface& front = *device.GetFrontSurface();
  EXPECT_EQ(PixelAt(front, 99, 69), 0xFF20C040u);
  if (kVideoDriver == "offscreen") {  // only an offscreen window keeps what it showed
    EXPECT_EQ(ShownAt(70, 50, 35), 0xFF20C040u);
    EXPECT_EQ(ShownAt(70, 49, 34), 0xFF000000u);
  }
}

}  // namespace
}  // namespace zunfert::test
