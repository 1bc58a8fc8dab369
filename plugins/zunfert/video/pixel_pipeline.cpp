#include "pixel_pipeline.h"

#include <algorithm>

#include "compare.h"
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
}

void cPixelPipeline::DrawSpan(const cTriangleSetup& setup, int y, int x0, int x1) {
  cBatch batch;
  batch.y = y;
  for (int x = x0; x < x1; x += kBatch) {
    batch.x = x;
    batch.count = std::min(kBatch, x1 - x);
    const float startX = static_cast<float>(x) + 0.5f;
    TestDepthStencil(batch, setup, startX);
    bool any = false;
    for (int i = 0; i < batch.count; ++i) any |= batch.outcome[i] == kPassed;
    std::fill_n(batch.killed, batch.count, uint8_t{0});
    // A pixel the alpha test drops leaves the stencil alone, so with both
    // in use the colours are needed even where the depth test failed.
    if (any || (m_State.stencil && m_CanKill)) {
      if (Shade(batch, setup, startX) && any && m_AnyWriteMask)
        WriteColors(m_State, m_Target, batch);
    }
    WriteDepthStencil(batch);
  }
}

void cPixelPipeline::TestDepthStencil(cBatch& batch, const cTriangleSetup& setup,
                                      float startX) const {
  const int n = batch.count;
  const float startY = static_cast<float>(batch.y) + 0.5f;
  const float z0 = setup.z.value + setup.z.dx * (startX - setup.referenceX) +
                   setup.z.dy * (startY - setup.referenceY);
  for (int i = 0; i < n; ++i)
    batch.z[i] = std::min(std::max(z0 + setup.z.dx * static_cast<float>(i), 0.0f), 1.0f);
  if (m_State.stencil || !m_State.depthTest) std::fill_n(batch.outcome, n, uint8_t{kPassed});
  const size_t at = static_cast<size_t>(batch.y) * m_Target.depthPitch + batch.x;
  if (m_State.stencil) {
    const uint8_t* stored = m_Target.stencil + at;
    const uint32_t mask = m_State.stencilMask;
    const uint32_t reference = m_State.stencilReference & mask;
    WithCompare(m_State.stencilFunction, [&]<ECompare F>() {
      for (int i = 0; i < n; ++i)
        if (!Passes<F>(reference, stored[i] & mask)) batch.outcome[i] = kStencilFailed;
    });
  }
  if (!m_State.depthTest) return;
  const float* depth = m_Target.depth + at;
  if (!m_State.stencil) {
    WithCompare(m_State.depthFunction, [&]<ECompare F>() {
      for (int i = 0; i < n; ++i)
        batch.outcome[i] = Passes<F>(batch.z[i], depth[i]) ? kPassed : kDepthFailed;
    });
    return;
  }
  WithCompare(m_State.depthFunction, [&]<ECompare F>() {
    for (int i = 0; i < n; ++i) {
      const bool pass = Passes<F>(batch.z[i], depth[i]);
      batch.outcome[i] = std::min<uint8_t>(batch.outcome[i], pass ? kPassed : kDepthFailed);
    }
  });
}

void cPixelPipeline::Interpolate(const cTriangleSetup& setup, int attribute, float startX,
                                 float startY, const float* w, float* out, int count) const {
  const cPlaneEquation& e = setup.attribute[attribute];
  const float v0 =
      e.value + e.dx * (startX - setup.referenceX) + e.dy * (startY - setup.referenceY);
  for (int i = 0; i < count; ++i) out[i] = (v0 + e.dx * static_cast<float>(i)) * w[i];
}

bool cPixelPipeline::Shade(cBatch& batch, const cTriangleSetup& setup, float startX) const {
  const int n = batch.count;
  const float startY = static_cast<float>(batch.y) + 0.5f;
  const cPlaneEquation& iw = setup.invW;
  const float iw0 =
      iw.value + iw.dx * (startX - setup.referenceX) + iw.dy * (startY - setup.referenceY);
  for (int i = 0; i < n; ++i) batch.w[i] = 1.0f / (iw0 + iw.dx * static_cast<float>(i));
  float* diffuse[4] = {batch.r, batch.g, batch.b, batch.a};
  for (int c = 0; c < 4; ++c)
    Interpolate(setup, kDiffuse + c, startX, startY, batch.w, diffuse[c], n);
  ApplyStages(batch, setup, startX, startY);
  if (m_State.specular) {
    float* specular[3] = {batch.sr, batch.sg, batch.sb};
    float* color[3] = {batch.r, batch.g, batch.b};
    for (int c = 0; c < 3; ++c) {
      Interpolate(setup, kSpecular + c, startX, startY, batch.w, specular[c], n);
      for (int i = 0; i < n; ++i) color[c][i] += specular[c][i];
    }
  }
  if (m_State.fog) {
    Interpolate(setup, kFog, startX, startY, batch.w, batch.fog, n);
    const float fog[3] = {m_State.fogColor.r, m_State.fogColor.g, m_State.fogColor.b};
    float* color[3] = {batch.r, batch.g, batch.b};
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i)
        color[c][i] = fog[c] + (std::min(color[c][i], 1.0f) - fog[c]) * batch.fog[i];
  }
  FinishColor(batch);
  bool any = false;
  for (int i = 0; i < n; ++i) any |= !batch.killed[i];
  return any;
}

void cPixelPipeline::FinishColor(cBatch& batch) const {
  const int n = batch.count;
  float* color[4] = {batch.r, batch.g, batch.b, batch.a};
  for (int c = 0; c < 4; ++c)
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

void cPixelPipeline::WriteDepthStencil(const cBatch& batch) const {
  const size_t at = static_cast<size_t>(batch.y) * m_Target.depthPitch + batch.x;
  if (m_State.depthWrite) {
    float* depth = m_Target.depth + at;
    for (int i = 0; i < batch.count; ++i)
      depth[i] = batch.outcome[i] == kPassed && !batch.killed[i] ? batch.z[i] : depth[i];
  }
  if (!m_State.stencil) return;
  uint8_t* stored = m_Target.stencil + at;
  const EStencilOp ops[3] = {m_State.stencilFail, m_State.stencilDepthFail, m_State.stencilPass};
  const auto reference = static_cast<uint8_t>(m_State.stencilReference);
  const auto writeMask = static_cast<uint8_t>(m_State.stencilWriteMask);
  for (int i = 0; i < batch.count; ++i) {
    if (batch.killed[i]) continue;
    const uint8_t value = ApplyStencil(ops[batch.outcome[i]], stored[i], reference);
    stored[i] = static_cast<uint8_t>((stored[i] & ~writeMask) | (value & writeMask));
  }
}

}  // namespace zunfert::detail
