#include "pixel_pipeline.h"

#include <algorithm>

#include "compare.h"
#include "modulate_path.h"
#include "pixel_output.h"

namespace zunfert::detail {

namespace {

uint8_t ApplyStencil(EStencilOp op, uint8_t stored, uint8_t reference) {
  switch (op) {
    case EStencilOp::Null:
      return 0;
    case EStencilOp::Replace:
      return reference;
    case EStencilOp::Increase:
      return static_cast<uint8_t>(stored + 1);
    case EStencilOp::Decrease:
      return static_cast<uint8_t>(stored - 1);
    case EStencilOp::Invert:
      return static_cast<uint8_t>(~stored);
    case EStencilOp::IncreaseClamp:
      return stored == 0xFF ? stored : static_cast<uint8_t>(stored + 1);
    case EStencilOp::DecreaseClamp:
      return stored == 0 ? stored : static_cast<uint8_t>(stored - 1);
    default:
      return stored;
  }
}

}  // namespace

void cPixelPipeline::Configure(const cRenderState& state, const cRasterTarget& target) {
  m_State = state;
  m_Target = target;
  m_Stages = 0;
  while (m_Stages < kStages && state.stages[m_Stages].color != ETexel::DisableStage) ++m_Stages;
  m_CanKill = state.alphaTest || (state.textureColorKey && m_Stages > 0 && state.stages[0].texture);
  if (!target.stencil) m_State.stencil = false;
  // Without the depth test nothing is written to the depth buffer either.
  if (!target.depth) m_State.depthTest = false;
  if (!m_State.depthTest) m_State.depthWrite = false;
  const bool* mask = state.writeMask;
  m_AnyWriteMask = mask[0] || mask[1] || mask[2] || mask[3];
  // Which channels the last step that wrote them left in [0, 1] (a clamp
  // again changes nothing): a textured stage clamps the colour, and the alpha
  // where its function is arithmetic; the texel's alpha it copies is not
  // taken as clamped, nor what specular and fog add.
  m_ColorClamped = m_AlphaClamped = false;
  for (int s = 0; s < m_Stages; ++s) {
    const cStageState& stage = state.stages[s];
    if (!stage.texture) continue;
    m_ColorClamped = true;
    if (stage.alpha != ETexel::DisableStage)
      m_AlphaClamped = stage.alpha < ETexel::MulAlpha_AddColor;
  }
  if (state.specular || state.fog) m_ColorClamped = false;
  m_Modulating = m_Modulate.Configure(m_State, target);
}

void cSpanBatcher::Add(int y, int x0, int x1) {
  cBatch& batch = m_Batch;
  const float fromY = static_cast<float>(y) + 0.5f - m_Setup.referenceY;
  for (int x = x0; x < x1; x += kBatch) {
    const int n = std::min(kBatch, x1 - x);
    if (batch.count + n > kBatch) Finish();
    const int start = batch.count;
    batch.run[batch.runs++] = {x, y, start, n};
    const float fromX = static_cast<float>(x) + 0.5f - m_Setup.referenceX;
    const int at = y * m_DepthPitch + x, pixel = y * m_ColorPitch + x;
    // Up to a whole group of four of the batch, four entries at a time,
    // which stays in vectors.
    for (int i = 0; i < ((start + n + 3) & ~3) - start; i += 4)
      for (int j = i; j < i + 4; ++j) {
        const int inRun = std::min(j, n - 1);
        batch.fromX[start + j] = fromX;
        batch.fromY[start + j] = fromY;
        batch.step[start + j] = static_cast<float>(j);
        batch.at[start + j] = at + inRun;
        batch.pixel[start + j] = pixel + inRun;
      }
    batch.count += n;
  }
}

void cSpanBatcher::Finish() {
  if (m_Batch.count == 0) return;
  m_Pipeline.DrawBatch(m_Setup, m_Batch);
  m_Batch.count = m_Batch.runs = 0;
}

void cPixelPipeline::DrawBatch(const cTriangleSetup& setup, cBatch& batch) const {
  if (m_Modulating) return m_Modulate.DrawBatch(setup, batch);
  TestDepthStencil(batch, setup);
  // An OR of the outcomes' kPassed bits, which vectorises where a bool does not.
  uint8_t passed = 0;
  for (int i = 0; i < batch.count; ++i) passed |= batch.outcome[i] & kPassed;
  const bool any = passed != 0;
  std::fill_n(batch.killed, batch.count, uint8_t{0});
  // A pixel the alpha test drops leaves the stencil alone, so with both
  // in use the colours are needed even where the depth test failed.
  if (any || (m_State.stencil && m_CanKill)) {
    if (Shade(batch, setup) && any && m_AnyWriteMask) WriteColors(m_State, m_Target, batch);
  }
  WriteDepthStencil(batch);
}

void cPixelPipeline::Plane(const cPlaneEquation& e, const cBatch& batch, float* out) {
  for (int i = 0; i < batch.count; ++i)
    out[i] = e.value + e.dx * batch.fromX[i] + e.dy * batch.fromY[i] + e.dx * batch.step[i];
}

void cPixelPipeline::TestDepthStencil(cBatch& batch, const cTriangleSetup& setup) const {
  const int n = batch.count;
  Plane(setup.z, batch, batch.z);
  for (int i = 0; i < n; ++i) batch.z[i] = std::min(std::max(batch.z[i], 0.0f), 1.0f);
  if (m_State.stencil || !m_State.depthTest) std::fill_n(batch.outcome, n, uint8_t{kPassed});
  if (m_State.stencil) {
    const uint32_t mask = m_State.stencilMask;
    const uint32_t reference = m_State.stencilReference & mask;
    const uint8_t* stored = m_Target.stencil;
    WithCompare(m_State.stencilFunction, [&]<ECompare F>() {
      for (int i = 0; i < n; ++i)
        if (!Passes<F>(reference, stored[batch.at[i]] & mask)) batch.outcome[i] = kStencilFailed;
    });
  }
  if (!m_State.depthTest) return;
  const bool stencil = m_State.stencil;
  const float* stored = m_Target.depth;
  WithCompare(m_State.depthFunction, [&]<ECompare F>() {
    for (int i = 0; i < n; ++i) {
      const auto pass =
          static_cast<uint8_t>(kDepthFailed + Passes<F>(batch.z[i], stored[batch.at[i]]));
      // Outcomes by arithmetic, not branches: whether a pixel is hidden is
      // hard to predict.
      batch.outcome[i] = stencil ? std::min(batch.outcome[i], pass) : pass;
    }
  });
}

void cPixelPipeline::Interpolate(const cTriangleSetup& setup, int attribute, const cBatch& batch,
                                 float* out) const {
  Plane(setup.attribute[attribute], batch, out);
  for (int i = 0; i < batch.count; ++i) out[i] *= batch.w[i];
}

bool cPixelPipeline::Shade(cBatch& batch, const cTriangleSetup& setup) const {
  const int n = batch.count;
  Plane(setup.invW, batch, batch.w);
  for (int i = 0; i < n; ++i) batch.w[i] = 1.0f / batch.w[i];
  float* diffuse[4] = {batch.r, batch.g, batch.b, batch.a};
  for (int c = 0; c < 4; ++c) Interpolate(setup, kDiffuse + c, batch, diffuse[c]);
  ApplyStages(batch, setup);
  if (m_State.specular) {
    float* specular[3] = {batch.sr, batch.sg, batch.sb};
    float* color[3] = {batch.r, batch.g, batch.b};
    for (int c = 0; c < 3; ++c) {
      Interpolate(setup, kSpecular + c, batch, specular[c]);
      for (int i = 0; i < n; ++i) color[c][i] += specular[c][i];
    }
  }
  if (m_State.fog) {
    Interpolate(setup, kFog, batch, batch.fog);
    const float fog[3] = {m_State.fogColor.r, m_State.fogColor.g, m_State.fogColor.b};
    float* color[3] = {batch.r, batch.g, batch.b};
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i)
        color[c][i] = fog[c] + (std::min(color[c][i], 1.0f) - fog[c]) * batch.fog[i];
  }
  FinishColor(batch);
  if (!m_CanKill) return true;
  uint8_t allKilled = 1;
  for (int i = 0; i < n; ++i) allKilled &= batch.killed[i];
  return allKilled == 0;
}

void cPixelPipeline::FinishColor(cBatch& batch) const {
  const int n = batch.count;
  float* color[4] = {batch.r, batch.g, batch.b, batch.a};
  for (int c = m_ColorClamped ? 3 : 0; c < (m_AlphaClamped ? 3 : 4); ++c)
    for (int i = 0; i < n; ++i) color[c][i] = std::min(std::max(color[c][i], 0.0f), 1.0f);
  if (!m_State.alphaTest) return;
  const float reference = static_cast<float>(m_State.alphaReference);
  WithCompare(m_State.alphaFunction, [&]<ECompare F>() {
    for (int i = 0; i < n; ++i) {
      // Alpha compares as the byte it is stored as.
      const float alpha = static_cast<float>(static_cast<int>(batch.a[i] * 255.0f + 0.5f));
      if (!Passes<F>(alpha, reference)) batch.killed[i] = 1;
    }
  });
}

void cPixelPipeline::WriteDepthStencil(cBatch& batch) const {
  const int n = batch.count;
  if (m_State.depthWrite) {
    float* stored = m_Target.depth;
    for (int i = 0; i < n; ++i) {
      float& depth = stored[batch.at[i]];
      depth = batch.outcome[i] == kPassed && !batch.killed[i] ? batch.z[i] : depth;
    }
  }
  if (!m_State.stencil) return;
  const EStencilOp ops[3] = {m_State.stencilFail, m_State.stencilDepthFail, m_State.stencilPass};
  const auto reference = static_cast<uint8_t>(m_State.stencilReference);
  const auto writeMask = static_cast<uint8_t>(m_State.stencilWriteMask);
  for (int i = 0; i < n; ++i) {
    if (batch.killed[i]) continue;
    uint8_t& stored = m_Target.stencil[batch.at[i]];
    const uint8_t value = ApplyStencil(ops[batch.outcome[i]], stored, reference);
    stored = static_cast<uint8_t>((stored & ~writeMask) | (value & writeMask));
  }
}

}  // namespace zunfert::detail
