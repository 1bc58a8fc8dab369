#pragma once

#include "tolmak_matrix.h"

#include "../frame/cpu_dispatch.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TOLMAK_MATRIX_SSE2 1
#endif

namespace tolmak::detail {

/// a * b in the engine's rounding: each element is summed in double precision
/// as a(r,0) b(0,c) + a(r,1) b(1,c) + a(r,2) b(2,c), plus b(3,c) on row 3,
/// and rounded to single precision once. This is the plain form; the
/// matrix pass and the product use MultiplyAffine.
inline cMatrix4x3 MultiplyAffinePlain(const cMatrix4x3& a, const cMatrix4x3& b) {
  cMatrix4x3 product;
  for (int r = 0; r < 4; ++r) {
    const double a0 = a(r, 0), a1 = a(r, 1), a2 = a(r, 2);
    for (int c = 0; c < 3; ++c) {
      double sum = a0 * b(0, c) + a1 * b(1, c) + a2 * b(2, c);
      if (r == 3) sum += b(3, c);
      product(r, c) = static_cast<float>(sum);
    }
  }
  return product;
}

#ifdef TOLMAK_MATRIX_SSE2

namespace sse2 {

// Two floats from memory as two doubles.
inline __m128d LoadPair(const float* p) {
  return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

inline void StorePair(float* p, __m128d v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v)));
}

// ((x0 * y0 + x1 * y1) + x2 * y2), lane by lane: the plain form's order.
inline __m128d Dot3(__m128d x0, __m128d y0, __m128d x1, __m128d y1, __m128d x2, __m128d y2) {
  return _mm_add_pd(_mm_add_pd(_mm_mul_pd(x0, y0), _mm_mul_pd(x1, y1)), _mm_mul_pd(x2, y2));
}

}  // namespace sse2

/// The same sums two at a time: columns 0 and 1 of a row in one register,
/// column 2 of two rows in another. Each lane does exactly the plain form's
/// operations in its order, so the results are the same bit for bit.
inline cMatrix4x3 MultiplyAffine(const cMatrix4x3& a, const cMatrix4x3& b) {
  using namespace sse2;
  const __m128d b0 = LoadPair(&b[0].x), b1 = LoadPair(&b[1].x), b2 = LoadPair(&b[2].x);
  const __m128d c0 = _mm_set1_pd(b(0, 2)), c1 = _mm_set1_pd(b(1, 2)), c2 = _mm_set1_pd(b(2, 2));
  cMatrix4x3 product;
  for (int r = 0; r < 4; ++r) {
    __m128d sum =
        Dot3(_mm_set1_pd(a(r, 0)), b0, _mm_set1_pd(a(r, 1)), b1, _mm_set1_pd(a(r, 2)), b2);
    if (r == 3) sum = _mm_add_pd(sum, LoadPair(&b[3].x));
    StorePair(&product[r].x, sum);
  }
  for (int r = 0; r < 4; r += 2) {
    const __m128d sum = Dot3(_mm_set_pd(a(r + 1, 0), a(r, 0)), c0, _mm_set_pd(a(r + 1, 1), a(r, 1)),
                             c1, _mm_set_pd(a(r + 1, 2), a(r, 2)), c2);
    __m128d next = _mm_unpackhi_pd(sum, sum);
    if (r == 2) next = _mm_add_sd(next, _mm_set_sd(b(3, 2)));  // row 3 only
    product(r, 2) = static_cast<float>(_mm_cvtsd_f64(sum));
    product(r + 1, 2) = static_cast<float>(_mm_cvtsd_f64(next));
  }
  return product;
}

#else

inline cMatrix4x3 MultiplyAffine(const cMatrix4x3& a, const cMatrix4x3& b) {
  return MultiplyAffinePlain(a, b);
}

#endif

#ifdef TOLMAK_RUNTIME_AVX

namespace fma {

/// A matrix as three blocks of four floats, in registers:
/// (r0 r0 r0 r1) (r1 r1 r2 r2) (r2 r3 r3 r3).
struct tBlocks {
  __m128 b0, b1, b2;
};

__attribute__((target("avx,fma"))) inline tBlocks Load(const cMatrix4x3& m) {
  const float* in = &m[0].x;
  return {_mm_loadu_ps(in), _mm_loadu_ps(in + 4), _mm_loadu_ps(in + 8)};
}

__attribute__((target("avx,fma"))) inline void Store(const tBlocks& blocks, cMatrix4x3& m) {
  float* to = &m[0].x;
  _mm_storeu_ps(to, blocks.b0);
  _mm_storeu_ps(to + 4, blocks.b1);
  _mm_storeu_ps(to + 8, blocks.b2);
}

/// The plain form a row at a time, three columns in the lanes of one
/// register of four doubles, the first sum a product and the next two fused
/// multiply-adds.
/// A product of two floats is exact in double precision, so adding it in a
/// fused step rounds exactly where the plain form's add does: the results
/// are the same bit for bit.
__attribute__((target("avx,fma"))) inline tBlocks Multiply(const cMatrix4x3& a, const tBlocks& b) {
  const __m128i i0 = _mm_castps_si128(b.b0), i1 = _mm_castps_si128(b.b1),
                i2 = _mm_castps_si128(b.b2);
  // Rows of b, the fourth lane of each from a neighbour and never stored.
  const __m256d b0 = _mm256_cvtps_pd(b.b0);
  const __m256d b1 = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_alignr_epi8(i1, i0, 12)));
  const __m256d b2 = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_alignr_epi8(i2, i1, 8)));
  const __m256d b3 = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_alignr_epi8(i2, i2, 4)));
  __m128 rows[4];
  for (int r = 0; r < 4; ++r) {
    __m256d sum = _mm256_mul_pd(_mm256_set1_pd(a(r, 0)), b0);
    sum = _mm256_fmadd_pd(_mm256_set1_pd(a(r, 1)), b1, sum);
    sum = _mm256_fmadd_pd(_mm256_set1_pd(a(r, 2)), b2, sum);
    if (r == 3) sum = _mm256_add_pd(sum, b3);
    rows[r] = _mm256_cvtpd_ps(sum);
  }
  return {_mm_blend_ps(rows[0], _mm_shuffle_ps(rows[1], rows[1], 0x00), 0x8),
          _mm_shuffle_ps(rows[1], rows[2], _MM_SHUFFLE(1, 0, 2, 1)),
          _mm_blend_ps(_mm_shuffle_ps(rows[3], rows[3], _MM_SHUFFLE(2, 1, 0, 0)),
                       _mm_shuffle_ps(rows[2], rows[2], 0xAA), 0x1)};
}

}  // namespace fma

/// a * b through fma::Multiply; out must be neither a nor b. Matrices are
/// read and written as three blocks of four floats at the same places, so
/// that a child's product reads its parent's world matrix straight from the
/// stores that wrote it.
__attribute__((target("avx,fma"))) inline void MultiplyAffineFma(const cMatrix4x3& a,
                                                                 const cMatrix4x3& b,
                                                                 cMatrix4x3& out) {
  fma::Store(fma::Multiply(a, fma::Load(b)), out);
}

/// Products down a tree walked parents first, as the matrix pass does: when
/// a product's right factor is the matrix the previous product wrote, it is
/// taken from the registers that made it. On a chain each product waits for
/// the one before, and this spares it the trip through memory. What it
/// wrote must not change between its calls. Its calls are inlined only into
/// code compiled for the same instructions.
class cFmaChain {
 public:
  /// out = a * b; out must be neither a nor b.
  __attribute__((target("avx,fma"))) void Multiply(const cMatrix4x3& a, const cMatrix4x3& b,
                                                   cMatrix4x3& out) {
    m_Blocks = fma::Multiply(a, &b == m_Written ? m_Blocks : fma::Load(b));
    fma::Store(m_Blocks, out);
    m_Written = &out;
  }
  /// out = m.
  __attribute__((target("avx,fma"))) void Copy(const cMatrix4x3& m, cMatrix4x3& out) {
    m_Blocks = fma::Load(m);
    fma::Store(m_Blocks, out);
    m_Written = &out;
  }

 private:
  const cMatrix4x3* m_Written = nullptr;
  fma::tBlocks m_Blocks{};
};

#endif

/// out = a * b, bit for bit the plain form, on the fastest path the processor
/// has; out must be neither a nor b.
using tMultiplyInto = void (*)(const cMatrix4x3& a, const cMatrix4x3& b, cMatrix4x3& out);

inline void MultiplyAffineInto(const cMatrix4x3& a, const cMatrix4x3& b, cMatrix4x3& out) {
  out = MultiplyAffine(a, b);
}

inline tMultiplyInto ChooseMultiplyInto() {
#ifdef TOLMAK_RUNTIME_AVX
  if (CpuHasAvxFma()) return &MultiplyAffineFma;
#endif
  return &MultiplyAffineInto;
}

/// The fastest product, chosen on the first call.
inline void MultiplyFastest(const cMatrix4x3& a, const cMatrix4x3& b, cMatrix4x3& out) {
  tChosenAtRunTime<void(const cMatrix4x3&, const cMatrix4x3&, cMatrix4x3&),
                   &ChooseMultiplyInto>::Call(a, b, out);
}

/// cFmaChain's calls on MultiplyFastest, for processors without the fma
/// paths.
struct cPlainChain {
  void Multiply(const cMatrix4x3& a, const cMatrix4x3& b, cMatrix4x3& out) {
    MultiplyFastest(a, b, out);
  }
  void Copy(const cMatrix4x3& m, cMatrix4x3& out) { out = m; }
};

}  // namespace tolmak::detail
