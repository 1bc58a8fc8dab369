#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "zunfert_video.h"

namespace zunfert::test {

/// The ARGB8888 pixel at x, y of a surface.
inline uint32_t PixelAt(const cSurface& surface, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(surface.GetPtr()) + y * surface.GetPitch();
  return reinterpret_cast<const uint32_t*>(row)[x];
}

/// A sprite over ARGB8888 pixels held in memory.
class cArgbSprite : public cSprite {
 public:
  cArgbSprite(int width, int height, const std::vector<uint32_t>& pixels) : m_Pixels(pixels) {
    m_PixelFormat = cPixelFormat::ARGB8888;
    m_Size = {width, height};
    m_Pitch = 4 * width;
    m_Frames = 1;
  }
  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int frame) override { return frame == 0 ? m_Pixels.data() : nullptr; }
  void ReleaseFrames() override { m_Frames = 0; }

 private:
  std::vector<uint32_t> m_Pixels;
};

/// One vertex of a test mesh: position, colour (ARGB), texture coordinates, normal.
struct cTestVertex {
  float x, y, z;
  uint32_t color = 0xFFFFFFFF;
  float u = 0, v = 0;
  float nx = 0, ny = 0, nz = 0;
};

/// A vertex buffer with positions, normals, ARGB8888 diffuse colours and one texture set.
inline cVertexBuffer MakeVertices(const std::vector<cTestVertex>& list) {
  cVertexBuffer buffer(static_cast<uint32_t>(list.size()), 1 | 2 | 4 | (1 << 4));
  for (uint32_t i = 0; i < list.size(); ++i) {
    const cTestVertex& v = list[i];
    buffer.SetPos(i, cVector3(v.x, v.y, v.z));
    buffer.SetNormal(i, cVector3(v.nx, v.ny, v.nz));
    buffer.SetDiffuse(i, cColor(cPixelFormat::ARGB8888, v.color));
    buffer.SetTexture(i, 0, cVector2(v.u, v.v));
  }
  return buffer;
}
inline cVertexBuffer MakeVertices(std::initializer_list<cTestVertex> list) {
  return MakeVertices(std::vector<cTestVertex>(list));
}

/// A quad from corner (x0, y0) to (x1, y1) at depth z, its corners coloured
/// in that order round it, with texture coordinates from (uv0, uv0) to (uv1, uv1).
inline cVertexBuffer Quad(float x0, float y0, float x1, float y1, float z,
                          const std::array<uint32_t, 4>& colors, float uv0 = 0, float uv1 = 1) {
  return MakeVertices({{x0, y0, z, colors[0], uv0, uv0},
                       {x1, y0, z, colors[1], uv1, uv0},
                       {x1, y1, z, colors[2], uv1, uv1},
                       {x0, y1, z, colors[3], uv0, uv1}});
}
/// The same in one colour.
inline cVertexBuffer Quad(float x0, float y0, float x1, float y1, float z, uint32_t color,
                          float uv0 = 0, float uv1 = 1) {
  return Quad(x0, y0, x1, y1, z, {color, color, color, color}, uv0, uv1);
}

/// A projection whose clip z is the constant depthClip (for w = 1).
inline cMatrix4x3 FlatProjection(float depthClip) {
  cMatrix4x3 m;
  m(2, 2) = 0;
  m(3, 2) = depthClip;
  return m;
}

/// Opens either 3D device with culling off and, unless a test sets others,
/// matrices that map x and y in [-1, 1] straight onto the viewport (w = -z,
/// depth 0.5).
inline void OpenFlat(cSoftwareVideo3D& device, int width, int height, int depth = 32) {
  cInitInfo info(width, height, depth, true, true);
  ASSERT_TRUE(device.InitDevice(&info));
  device.SetCulling(cVideo3D::ECulling::Disabled);
  device.SetMatrix(cVideo3D::EMatrix::Projection, FlatProjection(0.0f));
}

/// A software 3D device opened flat at 64 by 64 in ARGB8888, inside a scene.
class cDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenFlat(m_Device, 64, 64));
    ASSERT_TRUE(m_Device.BeginScene());
  }

  uint32_t Pixel(int x, int y) {
    return PixelAt(*m_Device.GetSurface(cVideo3D::ESurface::Back), x, y);
  }

  cSoftwareVideo3D m_Device;
};

}  // namespace zunfert::test
