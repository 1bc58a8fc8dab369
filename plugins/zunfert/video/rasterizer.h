#pragma once

#include <cstdint>
#include <tuple>

#include "clipper.h"
#include "pixel_pipeline.h"
#include "raster_bands.h"
#include "triangle_coverage.h"

namespace zunfert::detail {

/// A vertex on the screen: pixel position, depth in [0, 1], 1/w, and the
/// attributes divided by w.
struct cScreenVertex {
  float x, y, z, invW;
  float a[kRasterAttributes];
};

/// Turns clip-space primitives into spans for the pixel pipeline: culling,
/// clipping, the viewport transform, and the fill rule.
///
/// Triangles are filled by the top-left rule on pixel centres with 8 bits
/// of sub-pixel precision, so triangles that share an edge never draw a
/// pixel twice and leave no gap. Culling reads the winding on the screen
/// (y down): Clockwise culls triangles whose vertices run clockwise there.
/// Lines draw one pixel per step along their major axis, from the first
/// end up to but not including the second; they and points are drawn as
/// small screen-aligned quads through the same fill.
class cRasterizer {
 public:
  /// userPlanes are the clip bits of the enabled user planes.
  void Configure(const cRenderState& state, cPixelPipeline* pipeline, int viewportX, int viewportY,
                 int viewportWidth, int viewportHeight, uint32_t userPlanes);
  /// Draws only the rows of band band, tallying the work there, for a
  /// thread drawing one band of a draw; null: every row. A copy set to
  /// another band may draw at the same time.
  void SetBand(cRasterBands* bands, int band) {
    m_Bands = bands, m_Band = band;
    if (bands != nullptr) std::tie(m_FromRow, m_ToRow) = bands->Rows(band);
  }
  /// Whether a triangle may draw anything: false when it lies outside a
  /// side of the frustum, is culled, or misses the band's rows. Only its
  /// positions and clip codes are read.
  bool Accepts(const cClipVertex& a, const cClipVertex& b, const cClipVertex& c) const;
  /// A triangle that Accepts.
  void DrawTriangle(const cClipVertex& a, const cClipVertex& b, const cClipVertex& c);
  void DrawLine(cClipVertex a, cClipVertex b);
  void DrawPoint(const cClipVertex& a);

  cScreenVertex Project(const cClipVertex& v) const;
  /// The filled area of a screen triangle, any winding.
  void FillTriangle(const cScreenVertex& a, const cScreenVertex& b, const cScreenVertex& c);
  void FillLine(const cScreenVertex& a, const cScreenVertex& b);
  void FillPoint(const cScreenVertex& a);

 private:
  /// The screen row coordinate of clip-space y with 1/w invW.
  float ScreenY(float y, float invW) const { return m_OffsetY + y * invW * m_ScaleY; }
  void SetupPlanes(const cScreenVertex* v, float area, cTriangleSetup& setup) const;
  /// Whether a triangle may touch the band's rows; false saves a thread
  /// setting up what another band draws.
  bool MayTouchBand(const cClipVertex& a, const cClipVertex& b, const cClipVertex& c) const;
  void DrawPolygon(const cClipPolygon& polygon);
  void DrawCoverage(const cTriangleSetup& setup, const cTriangleCoverage& coverage);

  const cRenderState* m_State = nullptr;
  cPixelPipeline* m_Pipeline = nullptr;
  cRasterBands* m_Bands = nullptr;
  int m_Band = 0;
  int m_FromRow = 0, m_ToRow = 0;  // of the band, when there is one
  float m_ScaleX = 0, m_ScaleY = 0, m_OffsetX = 0, m_OffsetY = 0;
  float m_DepthScale = 0, m_DepthOffset = 0;
  uint32_t m_ClipPlanes = 0;
  uint32_t m_RejectMask = 0;
  /// Attributes the pipeline reads; the others are not set up.
  bool m_Needed[kRasterAttributes] = {};
};

}  // namespace zunfert::detail
