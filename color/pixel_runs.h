#pragma once

// Vector loops for the packed runs between ARGB8888 and the formats where
// the compiler's own loops are slowest: narrowing to RGB565, and the 3-byte
// pixels of RGB888, which it does not turn into vector code at all. Each
// loop converts the longest prefix of whole steps it can and returns how
// many pixels that was; the caller converts the rest. Every pixel comes out
// as ConvertFromARGB and ConvertToARGB give it, and no byte is read or
// written outside the runs.

#include <cstddef>
#include <cstdint>

#include "../frame/cpu_dispatch.h"
#include "tolmak_pixelformat.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TOLMAK_PIXELS_SSE2 1
#endif

namespace tolmak::detail {

using tVectorRun = size_t (*)(const uint8_t* source, uint8_t* target, size_t count);

/// The loops of one instruction set.
struct tVectorRuns {
  tVectorRun argbTo565;
  tVectorRun argbTo888;
  tVectorRun rgb888ToARGB;
};

inline size_t NoVectorRun(const uint8_t*, uint8_t*, size_t) {
  return 0;
}

#ifdef TOLMAK_PIXELS_SSE2

namespace sse2 {

inline __m128i Load(const uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void Store(uint8_t* at, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

// Four pixels as RGB565, each sign-extended from the low half of its lane,
// so that a signed pack keeps it exactly. Red and blue keep their top five
// bits, and a multiply-add of the lane's two halves puts them 11 bits
// apart: the pixel shifted left by 3, with green added in place.
inline __m128i To565(__m128i argb) {
  const __m128i redBlue =
      _mm_madd_epi16(_mm_and_si128(argb, _mm_set1_epi32(0x00F800F8)), _mm_set1_epi32(0x08000001));
  const __m128i green = _mm_srli_epi32(_mm_and_si128(argb, _mm_set1_epi32(0x0000FC00)), 2);
  return _mm_srai_epi32(_mm_slli_epi32(_mm_or_si128(redBlue, green), 13), 16);
}

inline size_t ARGBTo565(const uint8_t* source, uint8_t* target, size_t count) {
  size_t done = 0;
  for (; count - done >= 8; done += 8) {
    const uint8_t* in = source + 4 * done;
    Store(target + 2 * done, _mm_packs_epi32(To565(Load(in)), To565(Load(in + 16))));
  }
  return done;
}

// Four pixels' low three bytes in the low twelve bytes, zeros above: two
// pixels join in each half, then the halves join.
inline __m128i To888(__m128i argb) {
  const __m128i pairs =
      _mm_or_si128(_mm_and_si128(argb, _mm_set1_epi64x(0xFFFFFF)),
                   _mm_and_si128(_mm_srli_epi64(argb, 8), _mm_set1_epi64x(0xFFFFFF000000)));
  return _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
}

inline size_t ARGBTo888(const uint8_t* source, uint8_t* target, size_t count) {
  size_t done = 0;
  for (; count - done >= 16; done += 16) {
    const uint8_t* in = source + 4 * done;
    const __m128i p0 = To888(Load(in)), p1 = To888(Load(in + 16));
    const __m128i p2 = To888(Load(in + 32)), p3 = To888(Load(in + 48));
    uint8_t* out = target + 3 * done;
    Store(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    Store(out + 16, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
    Store(out + 32, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
  }
  return done;
}

// Four pixels from the low twelve bytes, with alpha FF: the reverse of To888.
inline __m128i From888(__m128i rgb) {
  const __m128i pairs = _mm_unpacklo_epi64(rgb, _mm_srli_si128(rgb, 6));
  const __m128i low = _mm_and_si128(pairs, _mm_set1_epi64x(0xFFFFFF));
  const __m128i high = _mm_and_si128(_mm_slli_epi64(pairs, 8), _mm_set1_epi64x(0xFFFFFF00000000));
  return _mm_or_si128(_mm_or_si128(low, high), _mm_set1_epi32(static_cast<int>(0xFF000000u)));
}

inline size_t RGB888ToARGB(const uint8_t* source, uint8_t* target, size_t count) {
  size_t done = 0;
  for (; count - done >= 16; done += 16) {
    const uint8_t* in = source + 3 * done;
    const __m128i b0 = Load(in), b1 = Load(in + 16), b2 = Load(in + 32);
    uint8_t* out = target + 4 * done;
    Store(out, From888(b0));
    Store(out + 16, From888(_mm_or_si128(_mm_srli_si128(b0, 12), _mm_slli_si128(b1, 4))));
    Store(out + 32, From888(_mm_or_si128(_mm_srli_si128(b1, 8), _mm_slli_si128(b2, 8))));
    Store(out + 48, From888(_mm_srli_si128(b2, 4)));
  }
  return done;
}

}  // namespace sse2

inline constexpr tVectorRuns kBaselineRuns{&sse2::ARGBTo565, &sse2::ARGBTo888, &sse2::RGB888ToARGB};

#else

inline constexpr tVectorRuns kBaselineRuns{&NoVectorRun, &NoVectorRun, &NoVectorRun};

#endif

#ifdef TOLMAK_RUNTIME_AVX

// The same loops eight pixels a register.
namespace avx2 {

#define TOLMAK_AVX2 __attribute__((target("avx2")))

TOLMAK_AVX2 inline __m256i Load(const uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

TOLMAK_AVX2 inline __m256i To565(__m256i argb) {
  const __m256i redBlue = _mm256_madd_epi16(_mm256_and_si256(argb, _mm256_set1_epi32(0x00F800F8)),
                                            _mm256_set1_epi32(0x08000001));
  const __m256i green = _mm256_srli_epi32(_mm256_and_si256(argb, _mm256_set1_epi32(0x0000FC00)), 2);
  return _mm256_srli_epi32(_mm256_or_si256(redBlue, green), 3);
}

TOLMAK_AVX2 inline size_t ARGBTo565(const uint8_t* source, uint8_t* target, size_t count) {
  size_t done = 0;
  for (; count - done >= 16; done += 16) {
    const uint8_t* in = source + 4 * done;
    // The pack interleaves the halves of its two registers.
    const __m256i packed = _mm256_packus_epi32(To565(Load(in)), To565(Load(in + 32)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 2 * done),
                        _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
  }
  return done;
}

TOLMAK_AVX2 inline size_t ARGBTo888(const uint8_t* source, uint8_t* target, size_t count) {
  // Twelve bytes in each half, then the two twelves together.
  const __m256i squeeze = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                           0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i gather = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
  size_t done = 0;
  for (; count - done >= 8; done += 8) {
    const __m256i packed =
        _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Load(source + 4 * done), squeeze), gather);
    uint8_t* out = target + 3 * done;
    sse2::Store(out, _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
  }
  return done;
}

TOLMAK_AVX2 inline size_t RGB888ToARGB(const uint8_t* source, uint8_t* target, size_t count) {
  // The second half loads from byte 8, so that no load reaches past the run.
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                          4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  size_t done = 0;
  for (; count - done >= 8; done += 8) {
    const uint8_t* in = source + 3 * done;
    const __m256i bytes =
        _mm256_inserti128_si256(_mm256_castsi128_si256(sse2::Load(in)), sse2::Load(in + 8), 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 4 * done),
                        _mm256_or_si256(_mm256_shuffle_epi8(bytes, spread), opaque));
  }
  return done;
}

#undef TOLMAK_AVX2

}  // namespace avx2

inline constexpr tVectorRuns kAvx2Runs{&avx2::ARGBTo565, &avx2::ARGBTo888, &avx2::RGB888ToARGB};

#endif

template <tVectorRun tVectorRuns::*kRun>
tVectorRun ChooseVectorRun() {
#ifdef TOLMAK_RUNTIME_AVX
  if (CpuHasAvx2()) return kAvx2Runs.*kRun;
#endif
  return kBaselineRuns.*kRun;
}

/// The vector loop of a pair of formats on the fastest path the processor
/// has, chosen once; 0 pixels for a pair without one.
template <cPixelFormat::EFormat kFrom, cPixelFormat::EFormat kTo>
size_t ConvertVectorRun(const uint8_t* source, uint8_t* target, size_t count) {
  using F = cPixelFormat;
  constexpr tVectorRun tVectorRuns::*run =
      kFrom == F::ARGB8888 && kTo == F::RGB565   ? &tVectorRuns::argbTo565
      : kFrom == F::ARGB8888 && kTo == F::RGB888 ? &tVectorRuns::argbTo888
      : kFrom == F::RGB888 && kTo == F::ARGB8888 ? &tVectorRuns::rgb888ToARGB
                                                 : nullptr;
  if constexpr (run == nullptr) {
    return 0;
  } else {
    return tChosenAtRunTime<size_t(const uint8_t*, uint8_t*, size_t), &ChooseVectorRun<run>>::Call(
        source, target, count);
  }
}

}  // namespace tolmak::detail
