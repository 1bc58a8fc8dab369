#pragma once

#include <algorithm>
#include <cstddef>
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

/// Pixels x to x + count - 1 of row y, entries start to start + count - 1 of a batch.
struct cRun {
  int x, y, start, count;
};

/// The per-pixel values of one batch, one array per quantity. A batch holds
/// runs of one triangle, so that the small triangles' short spans share the
/// work done per batch; the runs never overlap.
struct alignas(32) cBatch {
  int count = 0, runs = 0;
  cRun run[kBatch];
  /// Where each pixel's run starts, from the triangle's reference point, and
  /// the pixel's step along the run: a pixel's value is the plane's at the
  /// run's start plus the steps, the same sums whatever else the batch holds.
  /// A run's last group of four may spill past it (the next run overwrites it).
  float fromX[kBatch + 3], fromY[kBatch + 3], step[kBatch + 3];
  /// Each pixel's place in the depth and stencil buffers, and in the colour
  /// buffer counted in pixels (where its rows are whole pixels): the steps
  /// after the tests then loop over the batch, not run by run, whose lengths
  /// the processor cannot foresee.
  int32_t at[kBatch + 3], pixel[kBatch + 3];
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
  /// Draws the batch's pixels, which the caller keeps inside the target.
  /// Threads may draw batches at once where their pixels differ.
  void DrawBatch(const cTriangleSetup& setup, cBatch& batch) const;
  const cRasterTarget& GetTarget() const { return m_Target; }

 private:
  void TestDepthStencil(cBatch& batch, const cTriangleSetup& setup) const;
  /// Computes the colours; false when every pixel was dropped.
  bool Shade(cBatch& batch, const cTriangleSetup& setup) const;
  /// Each pixel's value of a plane, unweighted.
  static void Plane(const cPlaneEquation& e, const cBatch& batch, float* out);
  void Interpolate(const cTriangleSetup& setup, int attribute, const cBatch& batch,
                   float* out) const;
  void ApplyStages(cBatch& batch, const cTriangleSetup& setup) const;
  void FinishColor(cBatch& batch) const;
  void WriteDepthStencil(cBatch& batch) const;

  cRenderState m_State;
  cRasterTarget m_Target;
  int m_Stages = 0;
  bool m_CanKill = false;
  bool m_AnyWriteMask = true;
  /// Whether the colour and the alpha are in [0, 1] when the stages are done.
  bool m_ColorClamped = false, m_AlphaClamped = false;
};

/// Gathers the spans of one triangle into batches for the pipeline. Spans
/// longer than a batch are cut at the same places however they are
/// gathered, so that a pixel's value does not depend on its neighbours in
/// the batch: each thread that draws some rows draws them as one thread would.
class cSpanBatcher {
 public:
  cSpanBatcher(const cPixelPipeline& pipeline, const cTriangleSetup& setup)
      : m_Pipeline(pipeline),
        m_Setup(setup),
        m_DepthPitch(pipeline.GetTarget().depthPitch),
        m_ColorPitch(pipeline.GetTarget().pitch /
                     std::max(static_cast<int>(pipeline.GetTarget().format.GetTotalBytes()), 1)) {}
  cSpanBatcher(const cSpanBatcher&) = delete;
  cSpanBatcher& operator=(const cSpanBatcher&) = delete;

  /// Pixels x0 to x1 - 1 of row y.
  void Add(int y, int x0, int x1);
  /// Draws what is gathered; call once after the last span.
  void Finish();

 private:
  const cPixelPipeline& m_Pipeline;
  const cTriangleSetup& m_Setup;
  const int m_DepthPitch, m_ColorPitch;  // in elements
  cBatch m_Batch;
};

}  // namespace zunfert::detail
