#pragma once

#include <cstdint>

#include "render_state.h"
#include "vertex_processor.h"

namespace zunfert::detail {

/// An attribute's plane over the screen: the value at the reference point
/// and its steps per pixel in x and y.
struct cPlaneEquation {
  float value = 0, dx = 0, dy = 0;
};

/// What a triangle hands to the pixel pipeline. z is the depth in [0, 1];
/// the attributes are divided by w and invW is 1/w, so that they
/// interpolate linearly on the screen and the pixel divides them back
/// (perspective-correct).
struct cTriangleSetup {
  float referenceX = 0, referenceY = 0;
  cPlaneEquation z, invW;
  cPlaneEquation attribute[kRasterAttributes];
};

/// The buffers drawn into and the rectangle that limits drawing (the
/// viewport), in pixels, right and bottom exclusive.
struct cRasterTarget {
  uint8_t* color = nullptr;
  int pitch = 0;
  cPixelFormat format;
  float* depth = nullptr;
  uint8_t* stencil = nullptr;
  int depthPitch = 0;  // elements per row of the depth and stencil buffers
  int left = 0, top = 0, right = 0, bottom = 0;
};

/// Pixels go through in batches of this many, each step over the whole batch.
constexpr int kBatch = 64;

/// The per-pixel values of one batch, one array per quantity.
struct alignas(32) cBatch {
  int x = 0, y = 0, count = 0;
  float z[kBatch], w[kBatch];
  float r[kBatch], g[kBatch], b[kBatch], a[kBatch];
  float sr[kBatch], sg[kBatch], sb[kBatch], fog[kBatch];
  float u[kBatch], v[kBatch];
  float tr[kBatch], tg[kBatch], tb[kBatch], ta[kBatch];
  /// 0 stencil failed, 1 depth failed, 2 both passed.
  uint8_t outcome[kBatch];
  /// 1 where the alpha test or the colour key dropped the pixel.
  uint8_t killed[kBatch];
};

enum EOutcome : uint8_t { kStencilFailed = 0, kDepthFailed = 1, kPassed = 2 };

/// Turns spans of a triangle into pixels: depth and stencil test,
/// perspective-correct interpolation, texture stages, specular, fog, alpha
/// test, blending and the writes. Configure picks each step's variant for
/// the render state once per draw, so the loops over a batch hold no state
/// branches.
class cPixelPipeline {
 public:
  void Configure(const cRenderState& state, const cRasterTarget& target);
  /// Pixels x0 to x1 - 1 of row y; the caller keeps them inside the target.
  void DrawSpan(const cTriangleSetup& setup, int y, int x0, int x1);
  const cRasterTarget& GetTarget() const { return m_Target; }

 private:
  void TestDepthStencil(cBatch& batch, const cTriangleSetup& setup, float startX) const;
  /// Computes the colours; false when every pixel was dropped.
  bool Shade(cBatch& batch, const cTriangleSetup& setup, float startX) const;
  void Interpolate(const cTriangleSetup& setup, int attribute, float startX, float startY,
                   const float* w, float* out, int count) const;
  void ApplyStages(cBatch& batch, const cTriangleSetup& setup, float startX, float startY) const;
  void FinishColor(cBatch& batch) const;
  void WriteDepthStencil(const cBatch& batch) const;

  cRenderState m_State;
  cRasterTarget m_Target;
  int m_Stages = 0;
  bool m_CanKill = false;
  bool m_AnyWriteMask = true;
};

}  // namespace zunfert::detail
