// The rasterizer rules that the pictures rely on: the depth compare
// functions and clipping at the near plane. (The fill rule shows in every
// reference picture: a blended quad's diagonal drawn twice or left open
// differs from it.)
#include <algorithm>
#include <cmath>
#include <functional>

#include "video_fixtures.h"

namespace zunfert::test {
namespace {

using ECompare = cVideo3D::ECompareFunction;

class RasterRules : public cDeviceTest {};

// Every compare function against a cleared depth of 0.5, for a quad in
// front, level and behind, checked against the plain comparison.
TEST_F(RasterRules, DepthCompareFunctionsMatchTheComparison) {
  const cVertexBuffer quad = Quad(-1, -1, 1, 1, -1, 0xFFFF0000);
  const std::pair<ECompare, std::function<bool(float, float)>> functions[] = {
      {ECompare::Never, [](float, float) { return false; }},
      {ECompare::Less, std::less<>()},
      {ECompare::Equal, std::equal_to<>()},
      {ECompare::LessEqual, std::less_equal<>()},
      {ECompare::Greater, std::greater<>()},
      {ECompare::NotEqual, std::not_equal_to<>()},
      {ECompare::GreaterEqual, std::greater_equal<>()},
      {ECompare::Always, [](float, float) { return true; }}};
  for (const auto& [function, passes] : functions) {
    for (const float depth : {0.25f, 0.5f, 0.75f}) {
      m_Device.SetClearColor(cColor::clBlack);
      m_Device.SetClearDepth(0.5f);
      m_Device.Clear(true, true, false);
      m_Device.SetMatrix(cVideo3D::EMatrix::Projection, FlatProjection(2 * depth - 1));
      m_Device.SetDepthFunction(function);
      m_Device.DrawPrimitive(cVideo3D::EPrimitive::TriangleFan, quad, 0, 4);
      EXPECT_EQ(Pixel(20, 30) == 0xFFFF0000, passes(depth, 0.5f))
          << "function " << int(function) << ", depth " << depth;
    }
  }
}

// A triangle reaching behind the camera: what is drawn is what the rays
// through the pixel centres hit in front of the near plane (a reference
// intersection), up to the pixels the edges pass through.
TEST_F(RasterRules, NearPlaneCutsTrianglesReachingBehindTheCamera) {
  cFrustumInfo lens;
  lens.Set(cMatrix4x3(), 100.0f, 90.0f, 1.0f);
  m_Device.SetMatrix(cVideo3D::EMatrix::View, lens.GetRotation());
  m_Device.SetMatrix(cVideo3D::EMatrix::Projection, lens.GetProjection());
  m_Device.SetClearColor(cColor::clBlack);
  m_Device.Clear(true, true, false);
  const cVector3 corners[3] = {{-3, -1, 4}, {2, -1.5f, 6}, {0.5f, 1, -3}};
  cVertexBuffer triangle = MakeVertices({{corners[0].x, corners[0].y, corners[0].z, 0xFF00FF00},
                                         {corners[1].x, corners[1].y, corners[1].z, 0xFF00FF00},
                                         {corners[2].x, corners[2].y, corners[2].z, 0xFF00FF00}});
  m_Device.DrawPrimitive(cVideo3D::EPrimitive::Triangles, triangle, 0, 3);
  int mismatches = 0, inside = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // The camera looks along +Z with +X to the left of the picture;
      // slopes are tan(45) = 1 on both axes.
      const cVector3 ray(-((x + 0.5f) / 32 - 1), 1 - (y + 0.5f) / 32, 1);
      const cVector3 e1 = corners[1] - corners[0], e2 = corners[2] - corners[0];
      const cVector3 p = ray.Cross(e2);
      const float det = e1.Dot(p);
      const cVector3 s = -corners[0];
      const float u = s.Dot(p) / det;
      const cVector3 q = s.Cross(e1);
      const float v = ray.Dot(q) / det, t = e2.Dot(q) / det;
      // Within a hair of an edge or of the near plane either answer is
      // right; elsewhere the pixel must be exactly as the ray says.
      const float margin = std::min({u, v, 1 - u - v, t - 1});
      if (std::abs(margin) < 0.01f) continue;
      const bool expected = margin > 0, drawn = Pixel(x, y) == 0xFF00FF00;
      inside += expected;
      mismatches += drawn != expected;
    }
  EXPECT_GT(inside, 150);  // the scene shows a good part of the triangle
  EXPECT_EQ(mismatches, 0) << "of " << inside;
}

// Corners at NaN, at infinity or absurdly far draw what is sane of them
// and return: no hang, no overflow (the sanitizers watch).
TEST_F(RasterRules, HostileCoordinatesNeitherHangNorCrash) {
  const float nan = std::nanf(""), inf = INFINITY;
  const cVertexBuffer hostile = MakeVertices({{nan, 0, -1},
                                              {1, 0, -1},
                                              {0, 1, -1},
                                              {-1e30f, -1, -1},
                                              {1e30f, -1, -1},
                                              {0, 1e30f, -1},
                                              {inf, 0, -1},
                                              {0, -inf, -1},
                                              {0.5f, 0.5f, -1}});
  m_Device.SetClearColor(cColor::clBlack);
  m_Device.Clear(true, true, false);
  m_Device.DrawPrimitive(cVideo3D::EPrimitive::Triangles, hostile, 0, 9);
  // The far-flung triangle covers the whole view once the guard band cuts it.
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{63, 63}, std::pair{5, 40}})
    EXPECT_EQ(Pixel(x, y), 0xFFFFFFFFu) << x << ", " << y;
  m_Device.SetPrimitiveStyle(cVideo3D::EPrimitiveStyle::WireFramed);
  m_Device.DrawPrimitive(cVideo3D::EPrimitive::Triangles, hostile, 0, 9);
  m_Device.DrawPrimitive(cVideo3D::EPrimitive::LineStrip, hostile, 0, 9);
}

}  // namespace
}  // namespace zunfert::test
