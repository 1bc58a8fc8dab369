// The 3D device as a program meets it: presenting, drawing threads, the
// one-pass modulate path, the 16-bit framebuffer and mipmaps.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "golden.h"
#include "image_fixtures.h"
#include "test_support.h"
#include "timing_scene.h"
#include "video_fixtures.h"
#include "work_crew.h"

namespace zunfert::test {
namespace {

using E3 = cVideo3D;

const cVertexBuffer& Triangle() {
  static const cVertexBuffer triangle = MakeVertices({{-0.9f, -0.8f, -1, 0xFFFF2010, 0, 0, 0, 0, 1},
                                                      {0.8f, -0.6f, -1, 0xFF10FF40, 0, 0, 0, 0, 1},
                                                      {0.1f, 0.9f, -1, 0xFF2030FF, 0, 0, 0, 0, 1}});
  return triangle;
}

class Device : public cDeviceTest {};

/// The presented picture (or another surface's), and how many of its pixels
/// differ from the first.
std::vector<uint32_t> FrontPicture(cSoftwareVideo3D& device,
                                   E3::ESurface surface = E3::ESurface::Front) {
  const cSurface* front = device.GetSurface(surface);
  const auto* pixels = static_cast<const uint32_t*>(front->GetPtr());
  return {pixels, pixels + front->GetHeight() * front->GetPitch() / 4};
}
long Drawn(const std::vector<uint32_t>& picture) {
  return std::count_if(picture.begin(), picture.end(), [&](uint32_t p) { return p != picture[0]; });
}

// Files named by the "Output" property are written while the next frame is
// drawn: each must hold its own frame, pixel for pixel what the synchronous
// encoder writes; a file that cannot be written is reported by the next
// present and not counted.
TEST_F(Device, FramesWrittenBehindTheDrawingHoldTheirOwnPixels) {
  const tolmak::test::cScratchFolder folder("zunfert_frame_writer_test");
  const auto decode = [](const std::filesystem::path& path) {
    return Decode(DecodePng, tolmak::test::ReadFile(path)).GetArgb();
  };
  // snprintf rather than string concatenation, which MinGW's 32-bit GCC 12
  // misreads as an overlapping copy.
  const auto file = [&](const char* stem, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%03d.png", stem, frame);
    return folder / name;
  };
  cPropertySheet sheet;
  m_Device.AddProperties(&sheet);
  cString pattern((folder / "frame%03d.png").string().c_str());
  ASSERT_TRUE(sheet.Set(cString("Output"), &pattern));
  for (int frame = 0; frame < 3; ++frame) {
    m_Device.SetClearColor(cColor(1, 0.25f * frame, 0.5f, 1 - 0.25f * frame));
    m_Device.Clear(true, true, true);
    if (frame != 1) m_Device.DrawPrimitive(E3::EPrimitive::Triangles, Triangle(), 0, 3);
    ASSERT_TRUE(m_Device.Flip());
    const auto reference = file("reference", frame);
    ASSERT_TRUE(WritePng(*m_Device.GetSurface(E3::ESurface::Front), reference.string()));
  }
  ASSERT_EQ(m_Device.GetOutput().GetFrameCount(), 3u);
  for (int frame = 0; frame < 3; ++frame)
    EXPECT_EQ(decode(file("frame", frame)), decode(file("reference", frame))) << frame;
  // A file where a folder should be.
  m_Device.SetOutput(cString((folder / "frame000.png" / "%d.png").string().c_str()));
  EXPECT_TRUE(m_Device.Flip());
  EXPECT_FALSE(m_Device.Flip());
  EXPECT_EQ(m_Device.GetOutput().GetFrameCount(), 0u);
}

// Bands of rows drawn on several threads give the one-thread picture, bit
// for bit: the timing scene (textures, lights, depth) on 1 and 3 threads,
// then a dim spiral added on as every kind of primitive. Adding shows a
// pixel drawn twice as well as one missed. The threads draw behind the
// caller, yet each draw takes what it reads when it is made: the spiral's
// buffer is then mirrored and its texture repainted through Lock, and the
// spiral drawn again; and the back buffer, locked before Flip through a
// pointer taken before the frame, already holds every draw.
TEST(DeviceThreads, BandsOnSeveralThreadsDrawTheOneThreadPicture) {
  constexpr uint32_t kSpiral = 400;
  const auto spiral = [](float side) {
    cVertexBuffer vertices(kSpiral, 1 | cVertexBuffer::Diffuse);
    for (uint32_t n = 0; n < kSpiral; ++n) {
      const float r = 4.0f * static_cast<float>(n) / kSpiral;
      vertices.SetPos(n, {side * r * std::cos(0.37f * n), 1 + r * std::sin(0.37f * n), 0.01f * n});
      vertices.SetDiffuse(n, cColor(1, 0.05f, 0.1f, 0.15f));
    }
    return vertices;
  };
  std::vector<uint32_t> pictures[2], backs[2];
  for (int threads : {1, 3}) {
    cSoftwareVideo3D device;
    timing::cDeviceScene scene;
    ASSERT_TRUE(scene.Open(device));
    device.SetRasterThreads(threads);
    cSurface* back = device.GetSurface(E3::ESurface::Back);
    for (int frame = 0; frame < 3; ++frame) scene.DrawFrame(frame * 20);
    device.BeginScene();
    device.SetMatrix(E3::EMatrix::World, cMatrix4x3());
    device.SetCulling(E3::ECulling::Disabled);
    device.EnableLighting(false);
    device.EnableDepthTest(false);
    device.EnableBlending(true);
    device.SetBlendFunction(E3::EBlendFunction::One, E3::EBlendFunction::One);
    cVertexBuffer vertices = spiral(1);
    for (E3::EPrimitive type :
         {E3::EPrimitive::Triangles, E3::EPrimitive::TriangleStrip, E3::EPrimitive::TriangleFan,
          E3::EPrimitive::Lines, E3::EPrimitive::LineStrip, E3::EPrimitive::Points})
      device.DrawPrimitive(type, vertices, 0, kSpiral);
    vertices = spiral(-1);
    cSurface* texture = device.GetTexture(0);
    auto* texels = static_cast<uint32_t*>(texture->Lock());
    std::fill_n(texels, texture->GetHeight() * texture->GetPitch() / 4, 0xFF203040u);
    texture->Unlock();
    device.DrawPrimitive(E3::EPrimitive::Triangles, vertices, 0, kSpiral);
    const auto* pixels = static_cast<const uint32_t*>(back->Lock());
    backs[threads > 1].assign(pixels, pixels + back->GetHeight() * back->GetPitch() / 4);
    back->Unlock();
    device.EndScene();
    device.Flip();
    pictures[threads > 1] = FrontPicture(device);
  }
  EXPECT_TRUE(pictures[0] == pictures[1]);
  EXPECT_TRUE(backs[0] == backs[1]);
  // The spheres cover much of the frame: the comparison is not of two blanks.
  EXPECT_GT(Drawn(pictures[0]), 50000);
}

// The crew does every item once, a phase only after the one before, and
// returns only when all are done, however the threads' turns fall: each
// item of a phase checks that the previous phase is complete, on 1 to 4
// threads, with a helper held back at random.
TEST(DeviceThreads, TheCrewDoesEachItemOnceAndThePhasesInOrder) {
  for (int threads = 1; threads <= 4; ++threads) {
    detail::cWorkCrew crew;
    crew.SetThreads(threads);
    for (int run = 0; run < 50; ++run) {
      constexpr uint32_t kItems[3] = {40, 13, 3};
      std::atomic<int> done[3][40] = {};
      std::atomic<bool> ordered = true, inRange = true;
      auto phase = [&](int p, int thread, uint32_t item) {
        inRange = inRange && thread >= 0 && thread < threads && item < 40;
        if (thread > 0 && item % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (p > 0)
          for (uint32_t before = 0; before < kItems[p - 1]; ++before)
            ordered = ordered && done[p - 1][before] == 1;
        ++done[p][item];
      };
      auto first = [&](int thread, uint32_t item) { phase(0, thread, item); };
      auto second = [&](int thread, uint32_t item) { phase(1, thread, item); };
      auto third = [&](int thread, uint32_t item) { phase(2, thread, item); };
      using tCrew = detail::cWorkCrew;
      crew.Run({tCrew::Phase(kItems[0], first), tCrew::Phase(kItems[1], second),
                tCrew::Phase(kItems[2], third)});
      for (int p = 0; p < 3; ++p)
        for (uint32_t item = 0; item < 40; ++item)
          ASSERT_EQ(done[p][item], item < kItems[p] ? 1 : 0) << threads << " " << p << " " << item;
      ASSERT_TRUE(ordered && inRange) << threads;
    }
  }
}

// The commonest state (depth test, one bilinear texture modulating the
// colour, no blending) has a one-pass path of its own; blending One, Zero
// sends the same pixels through the pipeline's steps, which must give the
// same bytes: random overlapping triangles in perspective, drawn twice over
// in other colours so that depths tie, with a texture whose alpha varies,
// under two depth functions, with and without depth writes, the alpha
// modulated or kept.
TEST(DeviceModulatePath, DrawsThePictureOfThePipelineSteps) {
  std::mt19937 random(7);
  const auto uniform = [&](float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
  };
  std::vector<cTestVertex> first, second;
  for (int i = 0; i < 3 * 300; ++i) {
    const cTestVertex v{uniform(-3, 3), uniform(-2, 4),
                        uniform(-3, 3), static_cast<uint32_t>(random()),
                        uniform(-2, 3), uniform(-2, 3)};
    first.push_back(v);
    second.push_back(v);
    second.back().color = static_cast<uint32_t>(random());
  }
  const cVertexBuffer layers[2] = {MakeVertices(first), MakeVertices(second)};
  std::vector<uint32_t> texels(16 * 8);
  for (uint32_t& texel : texels) texel = static_cast<uint32_t>(random());
  cArgbSprite sprite(16, 8, texels);
  const cFrustumInfo lens = timing::cScene::Lens();
  for (E3::ECompareFunction depth :
       {E3::ECompareFunction::LessEqual, E3::ECompareFunction::Greater})
    for (bool write : {true, false})
      for (E3::ETexelFunction alpha : {E3::ETexelFunction::Mul, E3::ETexelFunction::DisableStage}) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(depth) << " " << write << " " << static_cast<int>(alpha));
        std::vector<uint32_t> pictures[2];
        for (bool blend : {false, true}) {
          cSoftwareVideo3D device;
          ASSERT_NO_FATAL_FAILURE(OpenFlat(device, 160, 120));
          device.SetMatrix(E3::EMatrix::View, lens.GetRotation());
          device.SetMatrix(E3::EMatrix::Projection, lens.GetProjection());
          device.SetTexture(0, device.CreateTextureFrom(&sprite, 0, E3::ETextureUsage::Normal,
                                                        E3::EMemoryType::DriverDecides));
          device.SetTextureFilter(0, E3::EFilter::Bilinear);
          device.SetDepthFunction(depth);
          device.SetClearDepth(depth == E3::ECompareFunction::Greater ? 0.0f : 1.0f);
          device.EnableDepthWrite(write);
          device.SetTexelAlphaFunction(0, alpha);
          device.EnableBlending(blend);
          device.SetBlendFunction(E3::EBlendFunction::One, E3::EBlendFunction::Zero);
          device.BeginScene();
          device.Clear(true, true, false);
          for (const cVertexBuffer& layer : layers)
            device.DrawPrimitive(E3::EPrimitive::Triangles, layer, 0, layer.GetLength());
          device.EndScene();
          device.Flip();
          pictures[blend] = FrontPicture(device);
        }
        EXPECT_TRUE(pictures[0] == pictures[1]);
        EXPECT_GT(Drawn(pictures[0]), 8000);
      }
}

// The 16-bit framebuffer holds what the 32-bit one holds, truncated as
// the pixel format converts.
TEST_F(Device, Rgb565FramebufferMatchesTheTruncatedArgbFrame) {
  cSoftwareVideo3D narrow;
  ASSERT_NO_FATAL_FAILURE(OpenFlat(narrow, 64, 64, 16));
  ASSERT_EQ(narrow.GetPixelFormat(), cPixelFormat::RGB565);
  narrow.BeginScene();
  for (cSoftwareVideo3D* device : {&m_Device, &narrow})
    device->DrawPrimitive(E3::EPrimitive::Triangles, Triangle(), 0, 3);
  const cSurface* back = narrow.GetSurface(E3::ESurface::Back);
  const cPixelFormat rgb565(cPixelFormat::RGB565);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const auto* row = static_cast<const uint16_t*>(back->GetPtr()) + y * back->GetPitch() / 2;
      ASSERT_EQ(row[x], rgb565.ConvertFromARGB(Pixel(x, y))) << x << ", " << y;
    }
}

// The far rows of a receding checker of single black and white texels
// average to grey with Trilinear, where Bilinear picks single texels
// (moire); the near rows keep their contrast. Where texels cover several
// pixels Trilinear is Bilinear, bit for bit; a texture changed after drawing
// gets new mipmaps.
TEST_F(Device, TrilinearAveragesOnlyTheDistanceAndFollowsChangedTextures) {
  std::vector<uint32_t> texels(256);
  for (int i = 0; i < 256; ++i) texels[i] = (i % 16 + i / 16) % 2 ? 0xFFFFFFFF : 0xFF000000;
  cArgbSprite checker(16, 16, texels);
  cSurface* texture = nullptr;
  // The lowest and highest red of rows y0 to y1 - 1.
  const auto spread = [&](int y0, int y1) {
    int low = 255, high = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < 64; ++x) {
        const int red = static_cast<int>(Pixel(x, y) >> 16 & 0xFF);
        low = std::min(low, red), high = std::max(high, red);
      }
    return std::pair(low, high);
  };
  // A screen-filling floor from depth 1 at the bottom to 16 at the top, the
  // checker once across and 4 times deep; the bottom row samples texel centres.
  constexpr float v0 = 1.0f / 32, v1 = v0 + 4;
  const cVertexBuffer floor = MakeVertices({{-1, -1, -1, 0xFFFFFFFF, 0, v0},
                                            {1, -1, -1, 0xFFFFFFFF, 1, v0},
                                            {16, 16, -16, 0xFFFFFFFF, 1, v1},
                                            {-16, 16, -16, 0xFFFFFFFF, 0, v1}});
  const cVertexBuffer near = Quad(-1, -1, 1, 1, -1, 0xFFFFFFFF, 0, 0.75f);
  std::vector<uint32_t> magnified[2];
  for (E3::EFilter filter : {E3::EFilter::Bilinear, E3::EFilter::Trilinear}) {
    const bool trilinear = filter == E3::EFilter::Trilinear;
    texture = m_Device.CreateTextureFrom(&checker, 0, E3::ETextureUsage::Normal,
                                         E3::EMemoryType::DriverDecides);
    m_Device.SetTexture(0, texture);
    m_Device.SetTextureFilter(0, filter);
    m_Device.Clear(true, true, false);
    m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, floor, 0, 4);
    const auto [farLow, farHigh] = spread(0, 4);
    const auto [nearLow, nearHigh] = spread(60, 64);
    EXPECT_GT(nearHigh - nearLow, 200);
    EXPECT_TRUE(trilinear ? farLow >= 112 && farHigh <= 144 : farHigh - farLow > 150)
        << farLow << " to " << farHigh;
    m_Device.Clear(true, true, false);
    m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, near, 0, 4);
    magnified[trilinear] = FrontPicture(m_Device, E3::ESurface::Back);
  }
  EXPECT_EQ(magnified[0], magnified[1]);

  const cVertexBuffer far = Quad(-1, -1, 1, 1, -1, 0xFFFFFFFF, 0, 16);
  cArgbSprite red(16, 16, std::vector<uint32_t>(256, 0xFFFF0000));
  ASSERT_TRUE(m_Device.UpdateTexture(texture, &red, 0));
  m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, far, 0, 4);
  EXPECT_EQ(0xFFFF0000u, Pixel(20, 20));
}

}  // namespace
}  // namespace zunfert::test
