#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
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

/// A quad from corner (x0, y0) to (x1, y1) at depth z, in one colour, with
/// texture coordinates from (uv0, uv0) to (uv1, uv1).
inline cVertexBuffer Quad(float x0, float y0, float x1, float y1, float z, uint32_t color,
                          float uv0 = 0, float uv1 = 1) {
  return MakeVertices({{x0, y0, z, color, uv0, uv0},
                       {x1, y0, z, color, uv1, uv0},
                       {x1, y1, z, color, uv1, uv1},
                       {x0, y1, z, color, uv0, uv1}});
}

/// A 3D device opened at a small size in ARGB8888, inside a scene, with
/// culling off and, unless a test sets others, matrices that map x and y
/// in [-1, 1] straight onto the viewport (w = -z, depth 0.5).
class cDeviceTest : public ::testing::Test {
 protected:
  void Open(int width, int height, int depth = 32) {
    cInitInfo info(width, height, depth, true, true);
    ASSERT_TRUE(m_Device.InitDevice(&info));
    m_Device.SetCulling(cVideo3D::ECulling::Disabled);
    m_Device.SetMatrix(cVideo3D::EMatrix::Projection, FlatProjection(0.0f));
    ASSERT_TRUE(m_Device.BeginScene());
  }
  void SetUp() override { Open(64, 64); }

  /// A projection whose clip z is the constant depthClip (for w = 1).
  static cMatrix4x3 FlatProjection(float depthClip) {
    cMatrix4x3 m;
    m(2, 2) = 0;
    m(3, 2) = depthClip;
    return m;
  }
  /// The clip-space x of pixel column x (as a coordinate, not a centre).
  float ClipX(float x) const { return 2.0f * x / static_cast<float>(m_Device.GetWidth()) - 1.0f; }
  float ClipY(float y) const { return 1.0f - 2.0f * y / static_cast<float>(m_Device.GetHeight()); }

  uint32_t Pixel(int x, int y) {
    return PixelAt(*m_Device.GetSurface(cVideo3D::ESurface::Back), x, y);
  }

  cSoftwareVideo3D m_Device;
};

}  // namespace zunfert::test
