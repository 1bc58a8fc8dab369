#include "texture_sampler.h"

#include <algorithm>

#include "mip_chain.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZUNFERT_SAMPLER_SSE2 1
#endif

namespace zunfert::detail {

namespace {

/// Texels sampled per pass, so the scratch arrays live on the stack.
constexpr int kBatchLimit = 64;

/// Coordinates stay within what 32-bit texel positions with 8 fraction bits hold.
constexpr float kCoordinateLimit = 1 << 22;

inline int FloorToInt(float x) {
  x = std::min(std::max(x, -kCoordinateLimit * 256), kCoordinateLimit * 256);
  const int t = static_cast<int>(x);
  return t - (x < static_cast<float>(t));
}

inline int Wrap(int i, int size, bool pow2) {
  if (pow2) return i & (size - 1);
  const int m = i % size;
  return m < 0 ? m + size : m;
}

/// Maps positions (in texels, possibly far outside) onto the texture.
void AddressArray(cVideo3D::EAddressMode mode, int size, int* coordinates, int count) {
  const bool pow2 = (size & (size - 1)) == 0;
  switch (mode) {
    case cVideo3D::EAddressMode::Clamp:
      for (int i = 0; i < count; ++i)
        coordinates[i] = std::min(std::max(coordinates[i], 0), size - 1);
      break;
    case cVideo3D::EAddressMode::Mirror:
      for (int i = 0; i < count; ++i) {
        const int m = Wrap(coordinates[i], 2 * size, pow2);
        coordinates[i] = m < size ? m : 2 * size - 1 - m;
      }
      break;
    default:
      for (int i = 0; i < count; ++i) coordinates[i] = Wrap(coordinates[i], size, pow2);
  }
}

inline void Unpack(uint32_t texel, float& r, float& g, float& b, float& a) {
  constexpr float k = 1.0f / 255.0f;
  r = static_cast<float>((texel >> 16) & 0xFF) * k;
  g = static_cast<float>((texel >> 8) & 0xFF) * k;
  b = static_cast<float>(texel & 0xFF) * k;
  a = static_cast<float>(texel >> 24) * k;
}

/// Four texels weighted, two channels at a time; the weights sum to at most 256.
inline uint32_t Blend4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t fx,
                       uint32_t fy) {
  constexpr uint32_t kMask = 0x00FF00FFu;
  const uint32_t w11 = (fx * fy) >> 8, w10 = fx - w11, w01 = fy - w11;
  const uint32_t w00 = 256 - fx - fy + w11;
  const uint32_t rb =
      (((c00 & kMask) * w00 + (c10 & kMask) * w10 + (c01 & kMask) * w01 + (c11 & kMask) * w11) >>
       8) &
      kMask;
  const uint32_t ag = (((c00 >> 8) & kMask) * w00 + ((c10 >> 8) & kMask) * w10 +
                       ((c01 >> 8) & kMask) * w01 + ((c11 >> 8) & kMask) * w11) &
                      ~kMask;
  return rb | ag;
}

#ifdef ZUNFERT_SAMPLER_SSE2
/// Blend4 and Unpack of four pixels at once, to the same values: each
/// 16-bit field of a packed pair of channels takes its product and sum in a
/// 16-bit lane as it does in its field of Blend4 (neither passes 255 * 256).
inline void BlendToFloats4(__m128i c00, __m128i c10, __m128i c01, __m128i c11, __m128i fx,
                           __m128i fy, float* r, float* g, float* b, float* a) {
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
  const auto channel = [&](__m128i value, float* out) {
    _mm_storeu_ps(out, _mm_mul_ps(_mm_cvtepi32_ps(value), k));
  };
  channel(_mm_and_si128(_mm_srli_epi32(texel, 16), byte), r);
  channel(_mm_and_si128(_mm_srli_epi32(texel, 8), byte), g);
  channel(_mm_and_si128(texel, byte), b);
  channel(_mm_srli_epi32(texel, 24), a);
}
#endif

/// Whether both axes wrap over powers of two, where a mask does the addressing.
inline bool MasksWrap(const cTextureView& texture, const cSamplerState& sampler) {
  return sampler.u == cVideo3D::EAddressMode::Wrap && sampler.v == cVideo3D::EAddressMode::Wrap &&
         (texture.width & (texture.width - 1)) == 0 && (texture.height & (texture.height - 1)) == 0;
}

void SamplePoint(const cTextureView& texture, const cSamplerState& sampler, const float* u,
                 const float* v, int count, float* r, float* g, float* b, float* a) {
  int x[kBatchLimit], y[kBatchLimit];
  const float width = static_cast<float>(texture.width);
  const float height = static_cast<float>(texture.height);
  for (int i = 0; i < count; ++i) {
    x[i] = FloorToInt(u[i] * width);
    y[i] = FloorToInt(v[i] * height);
  }
  AddressArray(sampler.u, texture.width, x, count);
  AddressArray(sampler.v, texture.height, y, count);
  for (int i = 0; i < count; ++i)
    Unpack(texture.texels[y[i] * texture.pitch + x[i]], r[i], g[i], b[i], a[i]);
}

/// Any addressing, any size.
void SampleBilinearAny(const cTextureView& texture, const cSamplerState& sampler, const float* u,
                       const float* v, int count, float* r, float* g, float* b, float* a) {
  int x0[kBatchLimit], x1[kBatchLimit], y0[kBatchLimit], y1[kBatchLimit];
  uint32_t fx[kBatchLimit], fy[kBatchLimit];
  const float width = static_cast<float>(texture.width) * 256.0f;
  const float height = static_cast<float>(texture.height) * 256.0f;
  for (int i = 0; i < count; ++i) {
    // Texel centres sit half a texel in.
    const int px = FloorToInt(u[i] * width - 128.0f);
    const int py = FloorToInt(v[i] * height - 128.0f);
    x0[i] = px >> 8, x1[i] = (px >> 8) + 1, fx[i] = static_cast<uint32_t>(px & 255);
    y0[i] = py >> 8, y1[i] = (py >> 8) + 1, fy[i] = static_cast<uint32_t>(py & 255);
  }
  if (MasksWrap(texture, sampler)) {
    const int mx = texture.width - 1, my = texture.height - 1;
    for (int i = 0; i < count; ++i) {
      x0[i] &= mx, x1[i] &= mx, y0[i] &= my, y1[i] &= my;
    }
  } else {
    AddressArray(sampler.u, texture.width, x0, count);
    AddressArray(sampler.u, texture.width, x1, count);
    AddressArray(sampler.v, texture.height, y0, count);
    AddressArray(sampler.v, texture.height, y1, count);
  }
  const auto texel = [&](int i, const int* x, const int* y) {
    return texture.texels[y[i] * texture.pitch + x[i]];
  };
  int i = 0;
#ifdef ZUNFERT_SAMPLER_SSE2
  const auto gather = [&](int j, const int* x, const int* y) {
    return _mm_setr_epi32(static_cast<int>(texel(j, x, y)), static_cast<int>(texel(j + 1, x, y)),
                          static_cast<int>(texel(j + 2, x, y)),
                          static_cast<int>(texel(j + 3, x, y)));
  };
  for (; i + 4 <= count; i += 4)
    BlendToFloats4(gather(i, x0, y0), gather(i, x1, y0), gather(i, x0, y1), gather(i, x1, y1),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + i)),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(fy + i)), r + i, g + i, b + i,
                   a + i);
#endif
  for (; i < count; ++i)
    Unpack(Blend4(texel(i, x0, y0), texel(i, x1, y0), texel(i, x0, y1), texel(i, x1, y1), fx[i],
                  fy[i]),
           r[i], g[i], b[i], a[i]);
}

#ifdef ZUNFERT_SAMPLER_SSE2
/// FloorToInt of four values.
inline __m128i FloorToInt4(__m128 x) {
  const float limit = kCoordinateLimit * 256;
  x = _mm_min_ps(_mm_max_ps(x, _mm_set1_ps(-limit)), _mm_set1_ps(limit));
  const __m128i t = _mm_cvttps_epi32(x);
  // The compare's all-ones is -1 where truncation went up.
  return _mm_add_epi32(t, _mm_castps_si128(_mm_cmplt_ps(x, _mm_cvtepi32_ps(t))));
}

/// The low 32 bits of the products of four pairs (SSE2 has no such multiply).
inline __m128i Multiply32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_si128(a, 4), _mm_srli_si128(b, 4));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

/// SampleBilinearAny where masks wrap both axes, four pixels at a time from
/// the coordinates to the floats; returns how many pixels it sampled.
int SampleWrapped4(const cTextureView& texture, const float* u, const float* v, int count, float* r,
                   float* g, float* b, float* a) {
  const __m128 width = _mm_set1_ps(static_cast<float>(texture.width) * 256.0f);
  const __m128 height = _mm_set1_ps(static_cast<float>(texture.height) * 256.0f);
  const __m128 half = _mm_set1_ps(128.0f);
  const __m128i mx = _mm_set1_epi32(texture.width - 1), my = _mm_set1_epi32(texture.height - 1);
  const __m128i fraction = _mm_set1_epi32(255), one = _mm_set1_epi32(1);
  const __m128i pitch = _mm_set1_epi32(texture.pitch);
  const uint32_t* texels = texture.texels;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i px = FloorToInt4(_mm_sub_ps(_mm_mul_ps(_mm_loadu_ps(u + i), width), half));
    const __m128i py = FloorToInt4(_mm_sub_ps(_mm_mul_ps(_mm_loadu_ps(v + i), height), half));
    const __m128i x0 = _mm_srai_epi32(px, 8), y0 = _mm_srai_epi32(py, 8);
    const __m128i left = _mm_and_si128(x0, mx), right = _mm_and_si128(_mm_add_epi32(x0, one), mx);
    const __m128i top = Multiply32(_mm_and_si128(y0, my), pitch);
    const __m128i bottom = Multiply32(_mm_and_si128(_mm_add_epi32(y0, one), my), pitch);
    alignas(16) int at[4][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at[0]), _mm_add_epi32(top, left));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[1]), _mm_add_epi32(top, right));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[2]), _mm_add_epi32(bottom, left));
    _mm_store_si128(reinterpret_cast<__m128i*>(at[3]), _mm_add_epi32(bottom, right));
    const auto gather = [&](const int* offsets) {
      return _mm_setr_epi32(
          static_cast<int>(texels[offsets[0]]), static_cast<int>(texels[offsets[1]]),
          static_cast<int>(texels[offsets[2]]), static_cast<int>(texels[offsets[3]]));
    };
    BlendToFloats4(gather(at[0]), gather(at[1]), gather(at[2]), gather(at[3]),
                   _mm_and_si128(px, fraction), _mm_and_si128(py, fraction), r + i, g + i, b + i,
                   a + i);
  }
  return i;
}
#endif

void SampleBilinear(const cTextureView& texture, const cSamplerState& sampler, const float* u,
                    const float* v, int count, float* r, float* g, float* b, float* a) {
  int done = 0;
#ifdef ZUNFERT_SAMPLER_SSE2
  if (MasksWrap(texture, sampler)) done = SampleWrapped4(texture, u, v, count, r, g, b, a);
#endif
  if (done < count)
    SampleBilinearAny(texture, sampler, u + done, v + done, count - done, r + done, g + done,
                      b + done, a + done);
}

/// Mixes the samples of the next level in by each pixel's fraction of lod
/// past level (none are taken when no pixel has one).
void MixNextLevel(const cMipChain& mips, const cSamplerState& sampler, int level, const float* u,
                  const float* v, const float* lod, int count, float* r, float* g, float* b,
                  float* a) {
  float f[kBatchLimit];
  bool any = false;
  for (int i = 0; i < count; ++i) {
    f[i] = std::min(std::max(lod[i] - static_cast<float>(level), 0.0f), 1.0f);
    any |= f[i] > 0.0f;
  }
  if (!any) return;
  float nr[kBatchLimit], ng[kBatchLimit], nb[kBatchLimit], na[kBatchLimit];
  SampleBilinear(mips.GetLevel(level + 1), sampler, u, v, count, nr, ng, nb, na);
  for (int i = 0; i < count; ++i) {
    r[i] += (nr[i] - r[i]) * f[i];
    g[i] += (ng[i] - g[i]) * f[i];
    b[i] += (nb[i] - b[i]) * f[i];
    a[i] += (na[i] - a[i]) * f[i];
  }
}

/// At most kBatchLimit pixels; neighbours share their levels, so each run
/// of pixels on the same level is sampled as one.
void SampleMipmappedBatch(const cMipChain& mips, const cSamplerState& sampler, const float* u,
                          const float* v, const float* lod, int count, float* r, float* g, float* b,
                          float* a) {
  const int last = mips.GetLevelCount() - 1;
  // A bias that is not a number reads as level 0.
  const auto levelOf = [last](float x) {
    return !(x > 0.0f) ? 0 : x >= static_cast<float>(last) ? last : static_cast<int>(x);
  };
  for (int start = 0, end; start < count; start = end) {
    const int level = levelOf(lod[start]);
    for (end = start + 1; end < count && levelOf(lod[end]) == level;) ++end;
    const int n = end - start;
    SampleBilinear(mips.GetLevel(level), sampler, u + start, v + start, n, r + start, g + start,
                   b + start, a + start);
    if (level < last)
      MixNextLevel(mips, sampler, level, u + start, v + start, lod + start, n, r + start, g + start,
                   b + start, a + start);
  }
}

}  // namespace

int AddressTexel(cVideo3D::EAddressMode mode, int i, int size) {
  AddressArray(mode, size, &i, 1);
  return i;
}

void SampleTexture(const cTextureView& texture, const cSamplerState& sampler, const float* u,
                   const float* v, int count, float* r, float* g, float* b, float* a) {
  for (int done = 0; done < count; done += kBatchLimit) {
    const int n = std::min(count - done, kBatchLimit);
    if (sampler.bilinear)
      SampleBilinear(texture, sampler, u + done, v + done, n, r + done, g + done, b + done,
                     a + done);
    else
      SamplePoint(texture, sampler, u + done, v + done, n, r + done, g + done, b + done, a + done);
  }
}

void SampleMipmapped(const cMipChain& mips, const cSamplerState& sampler, const float* u,
                     const float* v, const float* lod, int count, float* r, float* g, float* b,
                     float* a) {
  for (int done = 0; done < count; done += kBatchLimit)
    SampleMipmappedBatch(mips, sampler, u + done, v + done, lod + done,
                         std::min(count - done, kBatchLimit), r + done, g + done, b + done,
                         a + done);
}

}  // namespace zunfert::detail
