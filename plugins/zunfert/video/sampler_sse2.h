#pragma once

// Bilinear sampling of four pixels at once in SSE2, shared by the sampler
// and the pixel path that fuses a whole pixel's work. Each gives the values
// of the sampler's scalar code, bit for bit.

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZUNFERT_SAMPLER_SSE2 1

#include <cstdint>

#include "texture_sampler.h"

namespace zunfert::detail {

/// Four texels as red, green, blue and alpha in [0, 1].
struct cTexels4 {
  __m128 r, g, b, a;
};

/// The floor of four values, clamped to the coordinate limit first.
inline __m128i FloorToInt4(__m128 x) {
  const float limit = kCoordinateLimit * 256;
  x = _mm_min_ps(_mm_max_ps(x, _mm_set1_ps(-limit)), _mm_set1_ps(limit));
  const __m128i t = _mm_cvttps_epi32(x);
  // The compare's all-ones is -1 where truncation went up.
  return _mm_add_epi32(t, _mm_castps_si128(_mm_cmplt_ps(x, _mm_cvtepi32_ps(t))));
}

/// Four pixels' bilinear blends of their four texels c00 to c11 by the
/// 8-bit fractions fx, fy: each 16-bit field of a packed pair of channels
/// takes its product and sum in a 16-bit lane, as the scalar blend does in
/// its field (neither passes 255 * 256).
inline cTexels4 BlendToFloats4(__m128i c00, __m128i c10, __m128i c01, __m128i c11, __m128i fx,
                               __m128i fy) {
  const __m128i mask = _mm_set1_epi32(0x00FF00FF);
  // fx and fy are below 256: their product fits the low 16-bit lane.
  const __m128i w11 = _mm_srli_epi32(_mm_mullo_epi16(fx, fy), 8);
  const __m128i w10 = _mm_sub_epi32(fx, w11), w01 = _mm_sub_epi32(fy, w11);
  const __m128i w00 = _mm_add_epi32(_mm_sub_epi32(_mm_sub_epi32(_mm_set1_epi32(256), fx), fy), w11);
  // Each weight in both 16-bit halves, for the two fields of a lane.
  const auto both = [](__m128i w) { return _mm_or_si128(w, _mm_slli_epi32(w, 16)); };
  const __m128i v00 = both(w00), v10 = both(w10), v01 = both(w01), v11 = both(w11);
  const auto weigh = [&](__m128i p00, __m128i p10, __m128i p01, __m128i p11) {
    return _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(p00, mask), v00),
                                       _mm_mullo_epi16(_mm_and_si128(p10, mask), v10)),
                         _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(p01, mask), v01),
                                       _mm_mullo_epi16(_mm_and_si128(p11, mask), v11)));
  };
  const __m128i rb = _mm_srli_epi16(weigh(c00, c10, c01, c11), 8);
  const __m128i ag = _mm_andnot_si128(mask, weigh(_mm_srli_epi32(c00, 8), _mm_srli_epi32(c10, 8),
                                                  _mm_srli_epi32(c01, 8), _mm_srli_epi32(c11, 8)));
  const __m128i texel = _mm_or_si128(rb, ag);
  const __m128i byte = _mm_set1_epi32(0xFF);
  const __m128 k = _mm_set1_ps(1.0f / 255.0f);
  const auto channel = [&](__m128i value) { return _mm_mul_ps(_mm_cvtepi32_ps(value), k); };
  return {channel(_mm_and_si128(_mm_srli_epi32(texel, 16), byte)),
          channel(_mm_and_si128(_mm_srli_epi32(texel, 8), byte)),
          channel(_mm_and_si128(texel, byte)), channel(_mm_srli_epi32(texel, 24))};
}

/// Bilinear sampling of a texture whose axes both wrap over powers of two,
/// where masks do the addressing. Its rows and pitch must stay below 2^15,
/// as the device's textures do: a row's offset is then one 16-bit
/// multiply-add (SSE2 has no 32-bit multiply).
class cWrappedSampler4 {
 public:
  explicit cWrappedSampler4(const cTextureView& texture)
      : m_Texels(texture.texels),
        m_Width(_mm_set1_ps(static_cast<float>(texture.width) * 256.0f)),
        m_Height(_mm_set1_ps(static_cast<float>(texture.height) * 256.0f)),
        m_MaskX(_mm_set1_epi32(texture.width - 1)),
        m_MaskY(_mm_set1_epi32(texture.height - 1)),
        m_Pitch(_mm_set1_epi32(texture.pitch)) {}

  /// The samples at four pixels' coordinates.
  cTexels4 Sample(__m128 u, __m128 v) const {
    const __m128 half = _mm_set1_ps(128.0f);
    const __m128i fraction = _mm_set1_epi32(255), one = _mm_set1_epi32(1);
    // Texel centres sit half a texel in.
    const __m128i px = FloorToInt4(_mm_sub_ps(_mm_mul_ps(u, m_Width), half));
    const __m128i py = FloorToInt4(_mm_sub_ps(_mm_mul_ps(v, m_Height), half));
    const __m128i x0 = _mm_srai_epi32(px, 8), y0 = _mm_srai_epi32(py, 8);
    const __m128i left = _mm_and_si128(x0, m_MaskX);
    const __m128i right = _mm_and_si128(_mm_add_epi32(x0, one), m_MaskX);
    // Rows and pitch have nothing in their high 16 bits, whose product the
    // multiply-add adds as zero.
    const __m128i top = _mm_madd_epi16(_mm_and_si128(y0, m_MaskY), m_Pitch);
    const __m128i bottom = _mm_madd_epi16(_mm_and_si128(_mm_add_epi32(y0, one), m_MaskY), m_Pitch);
    alignas(16) int at[4][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at[0]), _mm_add_epi32(top, left));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[1]), _mm_add_epi32(top, right));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[2]), _mm_add_epi32(bottom, left));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[3]), _mm_add_epi32(bottom, right));
    const auto gather = [this](const int* offsets) {
      return _mm_setr_epi32(
          static_cast<int>(m_Texels[offsets[0]]), static_cast<int>(m_Texels[offsets[1]]),
          static_cast<int>(m_Texels[offsets[2]]), static_cast<int>(m_Texels[offsets[3]]));
    };
    return BlendToFloats4(gather(at[0]), gather(at[1]), gather(at[2]), gather(at[3]),
                          _mm_and_si128(px, fraction), _mm_and_si128(py, fraction));
  }

 private:
  const uint32_t* m_Texels;
  __m128 m_Width, m_Height;  // in 1/256 texel
  __m128i m_MaskX, m_MaskY, m_Pitch;
};

}  // namespace zunfert::detail

#endif
