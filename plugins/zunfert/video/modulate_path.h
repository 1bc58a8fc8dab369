#pragma once

#include "pixel_batch.h"
#include "render_state.h"
#include "texture_sampler.h"

namespace zunfert::detail {

/// The commonest state's pixels in one pass over a batch, four at a time,
/// with nothing stored between the steps: the depth test (and write), the
/// diffuse colour modulated by one bilinear texture that wraps over powers
/// of two, and the store into a 32-bit target. The pipeline's steps, each a
/// loop of its own over the batch, pay a mispredicted loop end per step and
/// batch, which here is a large share of a small triangle's cost. It gives
/// the pipeline's bytes, bit for bit.
class cModulatePath {
 public:
  /// Whether the path draws this state (as the pipeline reduced it) into
  /// this target; prepares it if so.
  bool Configure(const cRenderState& state, const cRasterTarget& target);
  void DrawBatch(const cTriangleSetup& setup, const cBatch& batch) const;

 private:
  template <ECompare F>
  void Draw(const cTriangleSetup& setup, const cBatch& batch) const;

  cRasterTarget m_Target;
  cTextureView m_Texture;
  ECompare m_DepthFunction = ECompare::LessEqual;
  bool m_DepthWrite = false;
  /// Whether the stage multiplies the alpha by the texel's; else it keeps it.
  bool m_ModulateAlpha = false;
};

}  // namespace zunfert::detail
