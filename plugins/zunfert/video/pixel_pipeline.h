#pragma once

#include <algorithm>

#include "modulate_path.h"
#include "pixel_batch.h"
#include "render_state.h"

namespace zunfert::detail {

/// Turns spans of a triangle into pixels: depth and stencil test,
/// perspective-correct interpolation, texture stages, specular, fog, alpha
/// test, blending and the writes. Configure picks each step's variant for
/// the render state once per draw, so the loops over a batch hold no state
/// branches; the commonest state skips the steps for a one-pass path of
/// its own (cModulatePath), which gives the same bytes.
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
  /// Whether the state is the commonest one, which m_Modulate draws in one pass.
  bool m_Modulating = false;
  cModulatePath m_Modulate;
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
