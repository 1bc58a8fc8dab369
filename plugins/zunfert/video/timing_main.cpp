// Times the 3D device on a scene like the demo's: a few thousand textured,
// lit triangles at 640 by 480, with the frame split into transform, raster
// and present. Run: zunfert_video_timing [frames] [png-pattern]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "zunfert_video.h"

namespace {

using namespace zunfert;
using E3 = cVideo3D;

/// A sphere of rings x segments quads, with normals and wrapped texture coordinates.
void Sphere(int rings, int segments, cVertexBuffer& vertices, cIndexBuffer& indices) {
  vertices = cVertexBuffer(static_cast<uint32_t>((rings + 1) * (segments + 1)), 1 | 2 | (1 << 4));
  uint32_t n = 0;
  for (int r = 0; r <= rings; ++r)
    for (int s = 0; s <= segments; ++s, ++n) {
      const float theta = 3.14159265f * r / rings, phi = 6.2831853f * s / segments;
      const cVector3 p(std::sin(theta) * std::cos(phi), std::cos(theta),
                       std::sin(theta) * std::sin(phi));
      vertices.SetPos(n, p);
      vertices.SetNormal(n, p);
      vertices.SetTexture(n, 0, cVector2(2.0f * s / segments, 1.0f * r / rings));
    }
  std::vector<uint16_t> list;
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const auto at = [&](int i, int j) { return static_cast<uint16_t>(i * (segments + 1) + j); };
      list.insert(list.end(), {at(r, s), at(r + 1, s), at(r + 1, s + 1), at(r, s), at(r + 1, s + 1),
                               at(r, s + 1)});
    }
  indices.Copy(list.data(), static_cast<uint32_t>(list.size()));
}

class cCheckerSprite : public cSprite {
 public:
  cCheckerSprite() : m_Pixels(64 * 64) {
    m_PixelFormat = cPixelFormat::ARGB8888;
    m_Size = {64, 64};
    m_Pitch = 256;
    m_Frames = 1;
    for (int i = 0; i < 64 * 64; ++i)
      m_Pixels[i] = ((i % 64) / 8 + (i / 64) / 8) % 2 ? 0xFFE0C040u : 0xFF4060C0u;
  }
  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int frame) override { return frame == 0 ? m_Pixels.data() : nullptr; }
  void ReleaseFrames() override {}

 private:
  std::vector<uint32_t> m_Pixels;
};

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  cSoftwareVideo3D device;
  cInitInfo info(640, 480, 32, true, true);
  if (!device.InitDevice(&info)) return 1;
  cVertexBuffer vertices;
  cIndexBuffer indices;
  Sphere(16, 24, vertices, indices);  // 768 triangles
  cCheckerSprite sprite;
  cSurface* texture = device.CreateTextureFrom(&sprite, 0, E3::ETextureUsage::Normal,
                                               E3::EMemoryType::DriverDecides);
  device.SetTexture(0, texture);
  device.SetTextureFilter(0, E3::EFilter::Bilinear);
  device.EnableLighting(true);
  device.SetAmbientLight(cColor(1, 0.2f, 0.2f, 0.2f));
  detail::cLightSlot sun, lamp;
  sun.direction = {0.3f, -0.5f, 1};
  lamp.type = E3::ELight::Omni;
  lamp.position = {0, 3, -2};
  lamp.attenuation[1] = 0.1f;
  device.SetLightValues(0, sun);
  device.SetLightValues(1, lamp);
  device.EnableLight(0, true);
  device.EnableLight(1, true);
  cFrustumInfo lens;
  lens.Set(cMatrix4x3({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 1, 9}), 100.0f, 70.0f,
           640.0f / 480.0f);
  device.SetMatrix(E3::EMatrix::View, lens.GetRotation());
  device.SetMatrix(E3::EMatrix::Projection, lens.GetProjection());
  device.SetCulling(E3::ECulling::Clockwise);
  uint32_t triangles = 0;
  const std::clock_t start = std::clock();  // processor time: the machine is shared
  for (int frame = 0; frame < frames; ++frame) {
    device.BeginScene();
    device.Clear(true, true, false);
    // Six spheres in a ring, turning: 4608 triangles, about half facing the camera.
    for (int i = 0; i < 6; ++i) {
      cMatrix4x3 world = cMatrix4x3::EulerRotation(0, frame * 2.0f + i * 60.0f, 0) *
                         cMatrix4x3::Scaling(1.6f, 1.6f, 1.6f);
      world.SetPosition({3.5f * std::cos(i * 1.047f + frame * 0.01f), 0.3f * (i % 2),
                         3.5f * std::sin(i * 1.047f + frame * 0.01f)});
      device.SetMatrix(E3::EMatrix::World, world);
      device.DrawIndexedPrimitive(E3::EPrimitive::Triangles, vertices, indices, 0,
                                  indices.GetLength());
    }
    triangles = device.GetPrimitivesDrawn();
    device.EndScene();
    device.Flip();
  }
  const double total = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const auto& t = device.GetTimes();
  std::printf("%d frames of %u triangles at 640x480: %.2f ms per frame (%.0f fps)\n", frames,
              triangles, 1e3 * total / frames, frames / total);
  std::printf("  transform %.2f ms, raster %.2f ms, present %.2f ms (in memory), clear %.2f ms\n",
              1e3 * t.transform / frames, 1e3 * t.raster / frames, 1e3 * t.present / frames,
              1e3 * (total - t.transform - t.raster - t.present) / frames);
  if (argc > 2) {
    device.SetOutput(cString(argv[2]));
    device.ResetTimes();
    const int written = 10;
    for (int i = 0; i < written; ++i) device.Flip();
    std::printf("  present with a PNG file: %.2f ms\n", 1e3 * device.GetTimes().present / written);
  }
  return 0;
}
