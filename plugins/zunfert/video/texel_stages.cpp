// The texture stages of the pixel pipeline: sampling and the texel
// functions that combine each stage with the colour before it.
#include <algorithm>
#include <bit>

#include "mip_chain.h"
#include "pixel_pipeline.h"
#include "software_surface.h"
#include "texture_sampler.h"

namespace zunfert::detail {

namespace {

/// Applies f(current, texel, texelAlpha) to each colour channel; arg1 of
/// the texel functions is the texel, arg2 the current colour.
template <class F>
void EachColor(cBatch& batch, F f) {
  float* current[3] = {batch.r, batch.g, batch.b};
  const float* texel[3] = {batch.tr, batch.tg, batch.tb};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < batch.count; ++i)
      current[c][i] = std::min(std::max(f(current[c][i], texel[c][i], batch.ta[i]), 0.0f), 1.0f);
}

/// Functions without a meaning of their own here (the bump mapping ones,
/// Premodulate) act as Mul.
template <class F>
bool Arithmetic(ETexel function, F&& apply) {
  switch (function) {
    case ETexel::Mul2X:
      return apply([](float c, float t, float) { return 2 * c * t; });
    case ETexel::Mul4X:
      return apply([](float c, float t, float) { return 4 * c * t; });
    case ETexel::Add:
      return apply([](float c, float t, float) { return c + t; });
    case ETexel::AddSigned:
      return apply([](float c, float t, float) { return c + t - 0.5f; });
    case ETexel::AddSigned2X:
      return apply([](float c, float t, float) { return 2 * (c + t - 0.5f); });
    case ETexel::AddSmooth:
      return apply([](float c, float t, float) { return c + t - c * t; });
    case ETexel::Sub:
      return apply([](float c, float t, float) { return t - c; });
    case ETexel::BlendAlpha:
      return apply([](float c, float t, float ta) { return t * ta + c * (1 - ta); });
    default:
      return apply([](float c, float t, float) { return c * t; });
  }
}

void CombineColor(ETexel function, cBatch& batch) {
  const auto each = [&batch](auto f) {
    EachColor(batch, f);
    return true;
  };
  switch (function) {
    case ETexel::MulAlpha_AddColor:
      each([](float c, float t, float ta) { return t + ta * c; });
      break;
    case ETexel::MulColor_AddAlpha:
      each([](float c, float t, float ta) { return t * c + ta; });
      break;
    case ETexel::MulInvAlpha_AddColor:
      each([](float c, float t, float ta) { return (1 - ta) * c + t; });
      break;
    case ETexel::MulInvColor_AddAlpha:
      each([](float c, float t, float ta) { return (1 - t) * c + ta; });
      break;
    default:
      Arithmetic(function, each);
  }
}

/// The alpha channel takes the arithmetic functions; the ones that mix
/// colour and alpha keep the texel's alpha, DisableStage the current alpha.
void CombineAlpha(ETexel function, cBatch& batch) {
  if (function == ETexel::DisableStage) return;
  float* a = batch.a;
  const float* t = batch.ta;
  const int n = batch.count;
  if (function >= ETexel::MulAlpha_AddColor) {
    std::copy_n(t, n, a);
    return;
  }
  Arithmetic(function, [&](auto f) {
    for (int i = 0; i < n; ++i) a[i] = std::min(std::max(f(a[i], t[i], t[i]), 0.0f), 1.0f);
    return true;
  });
}

/// log2 of a positive x, exact at powers of two and linear between them:
/// enough to choose mipmaps, at the cost of an integer conversion.
inline float RoughLog2(float x) {
  return static_cast<float>(std::bit_cast<int32_t>(x)) * (1.0f / (1 << 23)) - 127.0f;
}

/// Each pixel's level of detail: log2 of the texels that one pixel step
/// spans, along the screen axis where it spans most, plus the bias. The
/// steps come from the planes of u/w, v/w and 1/w: d(u) = (d(u/w) - u d(1/w)) w.
void LevelsOfDetail(const cTriangleSetup& setup, int attribute, const cBatch& batch, float width,
                    float height, float bias, float* lod) {
  const cPlaneEquation& pu = setup.attribute[attribute];
  const cPlaneEquation& pv = setup.attribute[attribute + 1];
  const cPlaneEquation& q = setup.invW;
  for (int i = 0; i < batch.count; ++i) {
    const float u = batch.u[i], v = batch.v[i];
    const float tw = batch.w[i] * width, th = batch.w[i] * height;
    const float ux = (pu.dx - u * q.dx) * tw, uy = (pu.dy - u * q.dy) * tw;
    const float vx = (pv.dx - v * q.dx) * th, vy = (pv.dy - v * q.dy) * th;
    const float span = std::max(ux * ux + vx * vx, uy * uy + vy * vy);
    lod[i] = 0.5f * RoughLog2(span) + bias;
  }
}

}  // namespace

void cPixelPipeline::ApplyStages(cBatch& batch, const cTriangleSetup& setup) const {
  const int n = batch.count;
  for (int s = 0; s < m_Stages; ++s) {
    const cStageState& stage = m_State.stages[s];
    if (!stage.texture) continue;  // a stage without a texture passes the colour on
    Interpolate(setup, kTexture + 2 * s, batch, batch.u);
    Interpolate(setup, kTexture + 2 * s + 1, batch, batch.v);
    const cTextureView view = ViewOf(*stage.texture);
    const cSamplerState sampler = SamplerOf(stage);
    if (stage.mips) {
      float lod[kBatch];
      LevelsOfDetail(setup, kTexture + 2 * s, batch, static_cast<float>(view.width),
                     static_cast<float>(view.height), stage.mipmapBias, lod);
      SampleMipmapped(*stage.mips, sampler, batch.u, batch.v, lod, n, batch.tr, batch.tg, batch.tb,
                      batch.ta);
    } else {
      SampleTexture(view, sampler, batch.u, batch.v, n, batch.tr, batch.tg, batch.tb, batch.ta);
    }
    if (s == 0 && m_State.textureColorKey) {
      // Keyed texels have alpha 0; past the middle of a filtered edge they drop.
      for (int i = 0; i < n; ++i) batch.killed[i] |= batch.ta[i] < 0.5f;
    }
    CombineColor(stage.color, batch);
    CombineAlpha(stage.alpha, batch);
  }
}

}  // namespace zunfert::detail
