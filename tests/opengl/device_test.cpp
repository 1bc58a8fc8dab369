// The OpenGL device's own promises: its window, what it sends to the card
// per frame, and its failures.
#include <filesystem>

#include "gl_fixtures.h"
#include "video_fixtures.h"

namespace zunfert::test {
namespace {

using E3 = cVideo3D;

class OpenGlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOffscreenVideo();
    cInitInfo info(64, 48, 32, true, true);
    ASSERT_TRUE(m_Device.InitDevice(&info)) << m_Device.GetError();
    m_Device.SetCulling(E3::ECulling::Disabled);
    // x and y straight onto the viewport: w = -z = 1 for vertices at z = -1.
    cMatrix4x3 flat;
    flat(2, 2) = 0;
    m_Device.SetMatrix(E3::EMatrix::Projection, flat);
  }
  cOpenGLVideo3D m_Device;
};

// A model drawn from device buffers: after the first frame nothing is sent
// again and nothing compiled; one draw call per subset.
TEST_F(OpenGlDevice, DeviceBuffersAndProgramsAreMadeOnce) {
  const cVertexBuffer quad = Quad(-0.5f, 0.5f, 0.5f, -0.5f, -1, 0xFF20C040);
  const uint16_t entries[6] = {0, 1, 2, 0, 2, 3};
  const cIndexBuffer indices(entries, 6);
  hVertexBuffer* vertices =
      m_Device.CreateVertexBuffer(quad, E3::ETextureUsage::Static, E3::EMemoryType::DriverDecides);
  hIndexBuffer* index = m_Device.CreateIndexBuffer(indices, E3::ETextureUsage::Static,
                                                   E3::EMemoryType::DriverDecides);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(m_Device.BeginScene());
    m_Device.Clear(true, true, false);
    m_Device.DrawIndexedBuffer(E3::EPrimitive::Triangles, vertices, index, 0, 3);
    m_Device.DrawIndexedBuffer(E3::EPrimitive::Triangles, vertices, index, 3, 3);
    m_Device.EndScene();
    EXPECT_EQ(m_Device.GetCounts().draws, 2u);
    EXPECT_EQ(m_Device.GetPrimitivesDrawn(), 2u);
    if (frame > 0) {
      EXPECT_EQ(m_Device.GetCounts().uploads, 0u);
      EXPECT_EQ(m_Device.GetCounts().compiles, 0u);
      EXPECT_LE(m_Device.GetCounts().stateChanges, 1u);  // the clear's masks, then the draw's
    }
    ASSERT_TRUE(m_Device.Flip());
  }
  EXPECT_EQ(m_Device.GetProgramsCompiled(), 1);
  const cSurface& back = *m_Device.GetSurface(E3::ESurface::Back);
  EXPECT_EQ(PixelAt(back, 32, 24), 0xFF20C040u);
  EXPECT_EQ(PixelAt(back, 2, 2), 0xFF000000u);
}

// Frames reach the "Output" files and the screenshot call as drawn, and a
// texture render target holds what was drawn into it.
TEST_F(OpenGlDevice, FramesScreenshotsAndRenderTargetsReadBack) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "opengl_frames";
  std::filesystem::remove_all(folder);
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
  std::filesystem::remove_all(folder);
}

// The window is opened, drawn into, resized, read and closed; run under
// Xvfb with SDL_VIDEODRIVER=x11 this is the X11 smoke test.
TEST_F(OpenGlDevice, WindowOpensResizesAndCloses) {
  ASSERT_NE(m_Device.GetWindow(), nullptr);
  ASSERT_TRUE(m_Device.ResizeDevice(80, 60));
  ASSERT_TRUE(m_Device.BeginScene());
  m_Device.SetClearColor(cColor(1, 1, 1, 0));
  m_Device.Clear(true, true, true);
  m_Device.EndScene();
  ASSERT_TRUE(m_Device.Flip());
  const cSurface& back = *m_Device.GetSurface(E3::ESurface::Back);
  EXPECT_EQ(back.GetWidth(), 80);
  EXPECT_EQ(PixelAt(back, 79, 59), 0xFFFFFF00u);
  m_Device.ShutdownDevice();
  EXPECT_FALSE(m_Device.IsInitialized());
  EXPECT_FALSE(m_Device.Flip());
}

// No display, a shader the driver refuses: a message and false, no crash.
TEST(OpenGlFailures, NoDisplayAndRefusedShadersAreReported) {
  UseOffscreenVideo();
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  cOpenGLVideo3D device;
  cInitInfo info(64, 48, 32, true, true);
  EXPECT_FALSE(device.InitDevice(&info));
  EXPECT_FALSE(device.IsInitialized());
  EXPECT_NE(device.GetError().find("no display"), std::string::npos) << device.GetError();
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_TRUE(device.InitDevice(&info)) << device.GetError();
  std::string error;
  EXPECT_EQ(gl::cShaderCache::Build("#version 330 core\nvoid main() { oops; }\n",
                                    "#version 330 core\nvoid main() {}\n", error),
            0u);
  EXPECT_NE(error.find("vertex shader does not compile"), std::string::npos) << error;
}

}  // namespace
}  // namespace zunfert::test
