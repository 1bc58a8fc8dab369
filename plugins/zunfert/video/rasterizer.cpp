#include "rasterizer.h"

#include <algorithm>
#include <cmath>

namespace zunfert::detail {

namespace {

/// Depth moved by one step of SetDepthBias.
constexpr float kDepthBiasUnit = 1.0f / 65536.0f;

// llrint and llabs, not lrint and labs: long has 32 bits on Windows.
int64_t Snap(float value) {
  return std::llrint(value * kSubPixels);
}

int64_t FloorShift(int64_t value) {
  return value >> 8;
}  // floor(value / 256)

}  // namespace

void cRasterizer::Configure(const cRenderState& state, cPixelPipeline* pipeline, int viewportX,
                            int viewportY, int viewportWidth, int viewportHeight,
                            uint32_t userPlanes) {
  m_State = &state;
  m_Pipeline = pipeline;
  m_ScaleX = 0.5f * static_cast<float>(viewportWidth);
  m_ScaleY = -0.5f * static_cast<float>(viewportHeight);
  m_OffsetX = static_cast<float>(viewportX) + m_ScaleX;
  m_OffsetY = static_cast<float>(viewportY) - m_ScaleY;
  m_DepthScale = 0.5f * (state.depthMax - state.depthMin);
  m_DepthOffset =
      state.depthMin + m_DepthScale - static_cast<float>(state.depthBias) * kDepthBiasUnit;
  // Without clipping only the near plane is cut (the projection needs it).
  m_ClipPlanes = state.clipping ? kClipNear | kClipFar | kClipGuardLeft | kClipGuardRight |
                                      kClipGuardBottom | kClipGuardTop | userPlanes
                                : kClipNear | kClipGuardLeft | kClipGuardRight | kClipGuardBottom |
                                      kClipGuardTop;
  m_RejectMask = (0xFFFFu << kRejectShift) | (m_ClipPlanes & ~0x3Fu);
  for (bool& needed : m_Needed) needed = false;
  for (int i = 0; i < 4; ++i) m_Needed[kDiffuse + i] = true;
  for (int i = 0; i < 3; ++i) m_Needed[kSpecular + i] = state.specular;
  m_Needed[kFog] = state.fog;
  for (int s = 0; s < kStages && state.stages[s].color != ETexel::DisableStage; ++s)
    m_Needed[kTexture + 2 * s] = m_Needed[kTexture + 2 * s + 1] =
        state.stages[s].texture != nullptr;
}

cScreenVertex cRasterizer::Project(const cClipVertex& v) const {
  cScreenVertex s;
  s.invW = 1.0f / v.w;
  s.x = m_OffsetX + v.x * s.invW * m_ScaleX;
  s.y = ScreenY(v.y, s.invW);
  s.z = m_DepthOffset + v.z * s.invW * m_DepthScale;
  for (int i = 0; i < kRasterAttributes; ++i) s.a[i] = v.a[i] * s.invW;
  return s;
}

bool cRasterizer::Accepts(const cClipVertex& a, const cClipVertex& b, const cClipVertex& c) const {
  if (a.code & b.code & c.code & m_RejectMask) return false;
  // Before the winding: on several threads most triangles miss the band,
  // and its test is the cheaper.
  if (!MayTouchBand(a, b, c)) return false;
  if (m_State->culling == cVideo3D::ECulling::Disabled) return true;
  // Homogeneous winding: its sign is that of the projected area, y up.
  const double det = double{a.x} * (double{b.y} * c.w - double{c.y} * b.w) -
                     double{a.y} * (double{b.x} * c.w - double{c.x} * b.w) +
                     double{a.w} * (double{b.x} * c.y - double{c.x} * b.y);
  const bool clockwise = det < 0;
  return det != 0 && clockwise != (m_State->culling == cVideo3D::ECulling::Clockwise);
}

void cRasterizer::DrawTriangle(const cClipVertex& a, const cClipVertex& b, const cClipVertex& c) {
  cClipPolygon polygon;
  polygon.vertex[0] = a, polygon.vertex[1] = b, polygon.vertex[2] = c;
  if (m_State->shading == cVideo3D::EShading::Flat)
    for (int i = 0; i < kFog; ++i) polygon.vertex[1].a[i] = polygon.vertex[2].a[i] = a.a[i];
  polygon.edge[0] = polygon.edge[1] = polygon.edge[2] = true;
  polygon.count = 3;
  if (const uint32_t cut = (a.code | b.code | c.code) & m_ClipPlanes) ClipPolygon(polygon, cut);
  DrawPolygon(polygon);
}

bool cRasterizer::MayTouchBand(const cClipVertex& a, const cClipVertex& b,
                               const cClipVertex& c) const {
  // A clipped triangle's corners are not where it lies on the screen, and
  // lines and points of a triangle reach past its corners.
  if (m_Bands == nullptr || ((a.code | b.code | c.code) & m_ClipPlanes) ||
      m_State->style != cVideo3D::EPrimitiveStyle::Solid)
    return true;
  // The rows lie between the corners' as Project places them; a row more
  // each way covers the snapping.
  float top = ScreenY(a.y, 1.0f / a.w), bottom = top;
  for (const cClipVertex* v : {&b, &c}) {
    const float y = ScreenY(v->y, 1.0f / v->w);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
  return bottom + 1 >= static_cast<float>(m_FromRow) && top - 1 < static_cast<float>(m_ToRow);
}

void cRasterizer::DrawPolygon(const cClipPolygon& polygon) {
  if (polygon.count < 3) return;
  cScreenVertex screen[cClipPolygon::kMaxVertices];
  for (int i = 0; i < polygon.count; ++i) screen[i] = Project(polygon.vertex[i]);
  switch (m_State->style) {
    case cVideo3D::EPrimitiveStyle::WireFramed:
      for (int i = 0; i < polygon.count; ++i)
        if (polygon.edge[i]) FillLine(screen[i], screen[(i + 1) % polygon.count]);
      break;
    case cVideo3D::EPrimitiveStyle::Vertexed:
      for (int i = 0; i < polygon.count; ++i)
        if (!(polygon.vertex[i].code & m_ClipPlanes)) FillPoint(screen[i]);
      break;
    default:
      for (int i = 1; i + 1 < polygon.count; ++i) FillTriangle(screen[0], screen[i], screen[i + 1]);
  }
}

void cRasterizer::DrawLine(cClipVertex a, cClipVertex b) {
  if (a.code & b.code & m_RejectMask) return;
  if (m_State->shading == cVideo3D::EShading::Flat)
    for (int i = 0; i < kFog; ++i) b.a[i] = a.a[i];
  const uint32_t cut = (a.code | b.code) & m_ClipPlanes;
  if (cut && !ClipSegment(a, b, cut)) return;
  FillLine(Project(a), Project(b));
}

void cRasterizer::DrawPoint(const cClipVertex& a) {
  if (a.code & (m_ClipPlanes | m_RejectMask)) return;
  FillPoint(Project(a));
}

void cRasterizer::FillLine(const cScreenVertex& a, const cScreenVertex& b) {
  // A quad one pixel across the minor axis covers exactly one pixel centre
  // per step along the major one.
  const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
  cScreenVertex q[4] = {a, b, b, a};
  float& a0 = xMajor ? q[0].y : q[0].x;
  float& b0 = xMajor ? q[1].y : q[1].x;
  float& b1 = xMajor ? q[2].y : q[2].x;
  float& a1 = xMajor ? q[3].y : q[3].x;
  a0 -= 0.5f, b0 -= 0.5f, b1 += 0.5f, a1 += 0.5f;
  FillTriangle(q[0], q[1], q[2]);
  FillTriangle(q[0], q[2], q[3]);
}

void cRasterizer::FillPoint(const cScreenVertex& a) {
  const float half = std::max(m_State->pointSize, 1.0f) * 0.5f;
  cScreenVertex q[4] = {a, a, a, a};
  q[0].x -= half, q[0].y -= half;
  q[1].x += half, q[1].y -= half;
  q[2].x += half, q[2].y += half;
  q[3].x -= half, q[3].y += half;
  FillTriangle(q[0], q[1], q[2]);
  FillTriangle(q[0], q[2], q[3]);
}

void cRasterizer::SetupPlanes(const cScreenVertex* v, float area, cTriangleSetup& setup) const {
  const float x1 = v[1].x - v[0].x, y1 = v[1].y - v[0].y;
  const float x2 = v[2].x - v[0].x, y2 = v[2].y - v[0].y;
  const float inverse = 1.0f / area;
  const auto plane = [&](float q0, float q1, float q2, cPlaneEquation& e) {
    const float d1 = q1 - q0, d2 = q2 - q0;
    e.value = q0;
    e.dx = (d1 * y2 - d2 * y1) * inverse;
    e.dy = (d2 * x1 - d1 * x2) * inverse;
  };
  setup.referenceX = v[0].x;
  setup.referenceY = v[0].y;
  plane(v[0].z, v[1].z, v[2].z, setup.z);
  plane(v[0].invW, v[1].invW, v[2].invW, setup.invW);
  for (int i = 0; i < kRasterAttributes; ++i)
    if (m_Needed[i]) plane(v[0].a[i], v[1].a[i], v[2].a[i], setup.attribute[i]);
}

void cRasterizer::FillTriangle(const cScreenVertex& a, const cScreenVertex& b,
                               const cScreenVertex& c) {
  // Positions a NaN or an absurd matrix produced would overflow the fixed
  // point; the guard band keeps every sane triangle far inside this.
  constexpr float kLimit = 1 << 22;
  for (const cScreenVertex* v : {&a, &b, &c})
    if (!(std::fabs(v->x) < kLimit && std::fabs(v->y) < kLimit)) return;
  int64_t x[3] = {Snap(a.x), Snap(b.x), Snap(c.x)};
  int64_t y[3] = {Snap(a.y), Snap(b.y), Snap(c.y)};
  const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (area == 0) return;
  // Order the corners so that the inside is where every edge function is positive.
  cScreenVertex v[3] = {a, area > 0 ? b : c, area > 0 ? c : b};
  if (area < 0) std::swap(x[1], x[2]), std::swap(y[1], y[2]);
  for (int i = 0; i < 3; ++i) {
    v[i].x = static_cast<float>(x[i]) / kSubPixels;
    v[i].y = static_cast<float>(y[i]) / kSubPixels;
  }
  const cRasterTarget& target = m_Pipeline->GetTarget();
  const int64_t top = std::min({y[0], y[1], y[2]}), bottom = std::max({y[0], y[1], y[2]});
  // Rows whose centres lie between the highest and the lowest corner.
  int first = static_cast<int>(std::max<int64_t>(target.top, -FloorShift(kSubPixels / 2 - top)));
  int last =
      static_cast<int>(std::min<int64_t>(target.bottom, FloorShift(bottom - kSubPixels / 2) + 1));
  const int rows = last - first;
  if (m_Bands != nullptr) first = std::max(first, m_FromRow), last = std::min(last, m_ToRow);
  if (first >= last) return;
  cTriangleCoverage coverage;
  for (int i = 0; i < 3; ++i) coverage.edges[i].Set(x[i], y[i], x[(i + 1) % 3], y[(i + 1) % 3]);
  coverage.first = first, coverage.last = last;
  coverage.left = target.left, coverage.right = target.right;
  const float pixels = static_cast<float>(std::llabs(area)) / (kSubPixels * kSubPixels);
  cTriangleSetup setup;
  SetupPlanes(v, pixels, setup);
  if (m_Bands != nullptr) m_Bands->Tally(m_Band, first, last, rows, 0.5f * pixels);
  DrawCoverage(setup, coverage);
}

void cRasterizer::DrawCoverage(const cTriangleSetup& setup, const cTriangleCoverage& coverage) {
  cSpanBatcher batcher(*m_Pipeline, setup);
  coverage.EachSpan(coverage.first, coverage.last,
                    [&](int y, int x0, int x1) { batcher.Add(y, x0, x1); });
  batcher.Finish();
}

}  // namespace zunfert::detail
