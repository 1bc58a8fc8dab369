#include "texture_sampler.h"

#include <algorithm>

#include "mip_chain.h"
#include "sampler_sse2.h"
#include "software_surface.h"

namespace zunfert::detail {

namespace {

/// Texels sampled per pass, so the scratch arrays live on the stack.
constexpr int kBatchLimit = 64;

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
inline void Store4(const cTexels4& texels, float* r, float* g, float* b, float* a) {
  _mm_storeu_ps(r, texels.r);
  _mm_storeu_ps(g, texels.g);
  _mm_storeu_ps(b, texels.b);
  _mm_storeu_ps(a, texels.a);
}
#endif

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
    Store4(
        BlendToFloats4(gather(i, x0, y0), gather(i, x1, y0), gather(i, x0, y1), gather(i, x1, y1),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + i)),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(fy + i))),
        r + i, g + i, b + i, a + i);
#endif
  for (; i < count; ++i)
    Unpack(Blend4(texel(i, x0, y0), texel(i, x1, y0), texel(i, x0, y1), texel(i, x1, y1), fx[i],
                  fy[i]),
           r[i], g[i], b[i], a[i]);
}

#ifdef ZUNFERT_SAMPLER_SSE2
/// SampleBilinearAny where masks wrap both axes, four pixels at a time from
/// the coordinates to the floats; returns how many pixels it sampled.
int SampleWrapped4(const cTextureView& texture, const float* u, const float* v, int count, float* r,
                   float* g, float* b, float* a) {
  const cWrappedSampler4 sampler(texture);
  int i = 0;
  for (; i + 4 <= count; i += 4)
    Store4(sampler.Sample(_mm_loadu_ps(u + i), _mm_loadu_ps(v + i)), r + i, g + i, b + i, a + i);
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

cTextureView ViewOf(const cSoftwareSurface& texture) {
  return {reinterpret_cast<const uint32_t*>(texture.GetRow(0)), texture.GetWidth(),
          texture.GetHeight(), texture.GetPitch() / 4};
}

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
