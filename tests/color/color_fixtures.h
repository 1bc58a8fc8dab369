#pragma once

#include <tolmak.h>

namespace tolmak::test {

inline constexpr cPixelFormat::EFormat k16BitFormats[] = {
    cPixelFormat::ARGB5551, cPixelFormat::ABGR5551, cPixelFormat::ARGB4444, cPixelFormat::ABGR4444,
    cPixelFormat::RGB565,   cPixelFormat::BGR565,   cPixelFormat::RGB555,   cPixelFormat::BGR555};

// The bits of a 16-bit pixel that a round trip keeps: 555 formats drop bit 15.
inline uint32_t UsedBits16(cPixelFormat::EFormat f) {
  return f == cPixelFormat::RGB555 || f == cPixelFormat::BGR555 ? 0x7FFF : 0xFFFF;
}

}  // namespace tolmak::test
