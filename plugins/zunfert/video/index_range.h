#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace zunfert::detail {

/// The lowest and the highest of count (at least 1) indices. A draw needs
/// them before any thread can start, so they are found eight at a time
/// where the machine can.
inline std::pair<uint16_t, uint16_t> IndexRange(const uint16_t* indices, uint32_t count) {
  uint16_t low = 0xFFFF, high = 0;
  uint32_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  if (count >= 8) {
    // SSE2 orders 16-bit lanes as signed only; flipping the top bit maps
    // the unsigned order onto the signed one.
    const __m128i flip = _mm_set1_epi16(static_cast<int16_t>(0x8000));
    __m128i lows = _mm_set1_epi16(0x7FFF), highs = flip;
    for (; i + 8 <= count; i += 8) {
      const __m128i v =
          _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + i)), flip);
      lows = _mm_min_epi16(lows, v), highs = _mm_max_epi16(highs, v);
    }
    alignas(16) uint16_t lanes[2][8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), _mm_xor_si128(lows, flip));
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), _mm_xor_si128(highs, flip));
    low = *std::min_element(lanes[0], lanes[0] + 8);
    high = *std::max_element(lanes[1], lanes[1] + 8);
  }
#endif
  for (; i < count; ++i) low = std::min(low, indices[i]), high = std::max(high, indices[i]);
  return {low, high};
}

}  // namespace zunfert::detail
