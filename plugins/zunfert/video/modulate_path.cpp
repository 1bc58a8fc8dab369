#include "modulate_path.h"

#include <algorithm>

#include "compare.h"
#include "sampler_sse2.h"

namespace zunfert::detail {

#ifdef ZUNFERT_SAMPLER_SSE2

namespace {

/// All ones where value F reference holds, as Passes<F> compares.
template <ECompare F>
inline __m128 Passes4(__m128 value, __m128 reference) {
  if constexpr (F == ECompare::Never) return _mm_setzero_ps();
  if constexpr (F == ECompare::Less) return _mm_cmplt_ps(value, reference);
  if constexpr (F == ECompare::Equal) return _mm_cmpeq_ps(value, reference);
  if constexpr (F == ECompare::LessEqual) return _mm_cmple_ps(value, reference);
  if constexpr (F == ECompare::Greater) return _mm_cmpgt_ps(value, reference);
  if constexpr (F == ECompare::NotEqual) return _mm_cmpneq_ps(value, reference);
  if constexpr (F == ECompare::GreaterEqual) return _mm_cmpge_ps(value, reference);
  return _mm_castsi128_ps(_mm_set1_epi32(-1));
}

/// std::min(std::max(x, 0.0f), 1.0f), operand order and all: maxps and
/// minps return their second operand where the compare fails.
inline __m128 Clamp01(__m128 x) {
  return _mm_min_ps(_mm_set1_ps(1.0f), _mm_max_ps(_mm_setzero_ps(), x));
}

/// A colour in [0, 1] as its byte, rounded as the pipeline's store rounds.
inline __m128i ToBytes(__m128 x) {
  return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(x, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
}

/// A plane's coefficients, each in all four lanes.
struct cPlane4 {
  __m128 value, dx, dy;

  explicit cPlane4(const cPlaneEquation& e)
      : value(_mm_set1_ps(e.value)), dx(_mm_set1_ps(e.dx)), dy(_mm_set1_ps(e.dy)) {}
  /// The plane's value as the pipeline sums it, term by term.
  __m128 At(__m128 fromX, __m128 fromY, __m128 step) const {
    return _mm_add_ps(_mm_add_ps(_mm_add_ps(value, _mm_mul_ps(dx, fromX)), _mm_mul_ps(dy, fromY)),
                      _mm_mul_ps(dx, step));
  }
};

}  // namespace

bool cModulatePath::Configure(const cRenderState& state, const cRasterTarget& target) {
  const cStageState& stage = state.stages[0];
  const bool* mask = state.writeMask;
  if (target.format.GetFormat() != cPixelFormat::ARGB8888 || !state.depthTest || state.stencil ||
      state.alphaTest || state.blending || !(mask[0] && mask[1] && mask[2] && mask[3]) ||
      state.specular || state.fog || state.textureColorKey || !stage.texture ||
      stage.color != ETexel::Mul ||
      (stage.alpha != ETexel::Mul && stage.alpha != ETexel::DisableStage) ||
      stage.filter == cVideo3D::EFilter::Point || stage.mips ||
      state.stages[1].color != ETexel::DisableStage)
    return false;
  m_Texture = ViewOf(*stage.texture);
  if (!MasksWrap(m_Texture, SamplerOf(stage))) return false;
  m_Target = target;
  m_DepthFunction = state.depthFunction;
  m_DepthWrite = state.depthWrite;
  m_ModulateAlpha = stage.alpha == ETexel::Mul;
  return true;
}

void cModulatePath::DrawBatch(const cTriangleSetup& setup, const cBatch& batch) const {
  WithCompare(m_DepthFunction, [&]<ECompare F>() { Draw<F>(setup, batch); });
}

template <ECompare F>
void cModulatePath::Draw(const cTriangleSetup& setup, const cBatch& batch) const {
  const cWrappedSampler4 sampler(m_Texture);
  float* depth = m_Target.depth;
  auto* pixels = reinterpret_cast<uint32_t*>(m_Target.color);
  // Broadcast once a batch rather than once a group.
  const cPlane4 z4(setup.z), invW4(setup.invW);
  const cPlane4 u4(setup.attribute[kTexture]), v4(setup.attribute[kTexture + 1]);
  const cPlane4 diffuse4[4] = {
      cPlane4(setup.attribute[kDiffuse]), cPlane4(setup.attribute[kDiffuse + 1]),
      cPlane4(setup.attribute[kDiffuse + 2]), cPlane4(setup.attribute[kDiffuse + 3])};
  // Lanes past the batch's count continue its last run: they are read,
  // never written.
  for (int i = 0; i < batch.count; i += 4) {
    const __m128 fromX = _mm_loadu_ps(batch.fromX + i), fromY = _mm_loadu_ps(batch.fromY + i);
    const __m128 step = _mm_loadu_ps(batch.step + i);
    const auto plane = [&](const cPlane4& p) { return p.At(fromX, fromY, step); };
    const int* at = batch.at + i;
    const __m128 z = Clamp01(plane(z4));
    const __m128 stored = _mm_setr_ps(depth[at[0]], depth[at[1]], depth[at[2]], depth[at[3]]);
    const int inBatch = (1 << std::min(batch.count - i, 4)) - 1;
    const int passed = _mm_movemask_ps(Passes4<F>(z, stored)) & inBatch;
    if (passed == 0) continue;
    const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), plane(invW4));
    const auto attribute = [&](const cPlane4& p) { return _mm_mul_ps(plane(p), w); };
    const cTexels4 texel = sampler.Sample(attribute(u4), attribute(v4));
    const __m128 r = Clamp01(_mm_mul_ps(attribute(diffuse4[0]), texel.r));
    const __m128 g = Clamp01(_mm_mul_ps(attribute(diffuse4[1]), texel.g));
    const __m128 b = Clamp01(_mm_mul_ps(attribute(diffuse4[2]), texel.b));
    const __m128 alpha = attribute(diffuse4[3]);
    const __m128 a = Clamp01(m_ModulateAlpha ? _mm_mul_ps(alpha, texel.a) : alpha);
    alignas(16) uint32_t argb[4];
    alignas(16) float zs[4];
    _mm_store_si128(
        reinterpret_cast<__m128i*>(argb),
        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(ToBytes(a), 24), _mm_slli_epi32(ToBytes(r), 16)),
                     _mm_or_si128(_mm_slli_epi32(ToBytes(g), 8), ToBytes(b))));
    _mm_store_ps(zs, z);
    const int* pixel = batch.pixel + i;
    for (int j = 0; j < 4; ++j) {
      // Selects, not branches: whether a pixel is hidden is hard to predict.
      const bool written = (passed >> j) & 1;
      uint32_t& colour = pixels[pixel[j]];
      colour = written ? argb[j] : colour;
      if (m_DepthWrite) {
        float& value = depth[at[j]];
        value = written ? zs[j] : value;
      }
    }
  }
}

#else

bool cModulatePath::Configure(const cRenderState&, const cRasterTarget&) {
  return false;
}

void cModulatePath::DrawBatch(const cTriangleSetup&, const cBatch&) const {}

#endif

}  // namespace zunfert::detail
