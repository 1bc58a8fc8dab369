#include "timing_scene.h"

#include <cmath>

namespace zunfert::timing {
namespace {

using E3 = cVideo3D;

class cPixelSprite : public cSprite {
 public:
  explicit cPixelSprite(std::vector<uint32_t>& pixels) : m_Pixels(pixels) {
    m_PixelFormat = cPixelFormat::ARGB8888;
    m_Size = {cScene::kTextureSize, cScene::kTextureSize};
    m_Pitch = 4 * cScene::kTextureSize;
    m_Frames = 1;
  }
  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int frame) override { return frame == 0 ? m_Pixels.data() : nullptr; }
  void ReleaseFrames() override {}

 private:
  std::vector<uint32_t>& m_Pixels;
};

}  // namespace

cScene::cScene() {
  constexpr int kRings = 16, kSegments = 24;
  for (int r = 0; r <= kRings; ++r)
    for (int s = 0; s <= kSegments; ++s) {
      const float theta = 3.14159265f * r / kRings, phi = 6.2831853f * s / kSegments;
      positions.emplace_back(std::sin(theta) * std::cos(phi), std::cos(theta),
                             std::sin(theta) * std::sin(phi));
      texture.emplace_back(2.0f * s / kSegments, 1.0f * r / kRings);
    }
  const auto at = [](int i, int j) { return static_cast<uint16_t>(i * (kSegments + 1) + j); };
  for (int r = 0; r < kRings; ++r)
    for (int s = 0; s < kSegments; ++s)
      indices.insert(indices.end(), {at(r, s), at(r + 1, s), at(r + 1, s + 1), at(r, s),
                                     at(r + 1, s + 1), at(r, s + 1)});
  texels.resize(kTextureSize * kTextureSize);
  for (int i = 0; i < kTextureSize * kTextureSize; ++i)
    texels[i] = ((i % kTextureSize) / 8 + (i / kTextureSize) / 8) % 2 ? 0xFFE0C040u : 0xFF4060C0u;
}

cFrustumInfo cScene::Lens() {
  cFrustumInfo lens;
  lens.Set(cMatrix4x3({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 1, 9}), 100.0f, 70.0f,
           static_cast<float>(kWidth) / kHeight);
  return lens;
}

cMatrix4x3 cScene::SphereWorld(int frame, int i) {
  cMatrix4x3 world = cMatrix4x3::EulerRotation(0, frame * 2.0f + i * 60.0f, 0) *
                     cMatrix4x3::Scaling(1.6f, 1.6f, 1.6f);
  world.SetPosition({3.5f * std::cos(i * 1.047f + frame * 0.01f), 0.3f * (i % 2),
                     3.5f * std::sin(i * 1.047f + frame * 0.01f)});
  return world;
}

bool cDeviceScene::Open(cSoftwareVideo3D& device) {
  cInitInfo info(cScene::kWidth, cScene::kHeight, 32, true, true);
  if (!device.InitDevice(&info)) return false;
  m_Device = &device;
  const uint32_t count = static_cast<uint32_t>(m_Scene.positions.size());
  m_Vertices = cVertexBuffer(count, 1 | 2 | (1 << 4));
  for (uint32_t n = 0; n < count; ++n) {
    m_Vertices.SetPos(n, m_Scene.positions[n]);
    m_Vertices.SetNormal(n, m_Scene.positions[n]);
    m_Vertices.SetTexture(n, 0, m_Scene.texture[n]);
  }
  m_Indices.Copy(m_Scene.indices.data(), static_cast<uint32_t>(m_Scene.indices.size()));
  cPixelSprite sprite(m_Scene.texels);
  cSurface* texture = device.CreateTextureFrom(&sprite, 0, E3::ETextureUsage::Normal,
                                               E3::EMemoryType::DriverDecides);
  device.SetTexture(0, texture);
  device.SetTextureFilter(0, E3::EFilter::Bilinear);
  device.EnableLighting(true);
  device.SetAmbientLight(cColor(1, cScene::kAmbient, cScene::kAmbient, cScene::kAmbient));
  detail::cLightSlot sun, lamp;
  sun.direction = {cScene::kSunDirection[0], cScene::kSunDirection[1], cScene::kSunDirection[2]};
  lamp.type = E3::ELight::Omni;
  lamp.position = {cScene::kLampPosition[0], cScene::kLampPosition[1], cScene::kLampPosition[2]};
  for (int k = 0; k < 3; ++k) lamp.attenuation[k] = cScene::kLampAttenuation[k];
  device.SetLightValues(0, sun);
  device.SetLightValues(1, lamp);
  device.EnableLight(0, true);
  device.EnableLight(1, true);
  const cFrustumInfo lens = cScene::Lens();
  device.SetMatrix(E3::EMatrix::View, lens.GetRotation());
  device.SetMatrix(E3::EMatrix::Projection, lens.GetProjection());
  device.SetCulling(E3::ECulling::Clockwise);
  return true;
}

void cDeviceScene::DrawFrame(int frame) {
  m_Device->BeginScene();
  m_Device->Clear(true, true, false);
  for (int i = 0; i < cScene::kSpheres; ++i) {
    m_Device->SetMatrix(E3::EMatrix::World, cScene::SphereWorld(frame, i));
    m_Device->DrawIndexedPrimitive(E3::EPrimitive::Triangles, m_Vertices, m_Indices, 0,
                                   m_Indices.GetLength());
  }
  m_Triangles = m_Device->GetPrimitivesDrawn();
  m_Device->EndScene();
  m_Device->Flip();
}

}  // namespace zunfert::timing
