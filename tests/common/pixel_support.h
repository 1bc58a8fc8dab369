#pragma once

// Helpers of the tests that walk the pixel formats and packed pixels.

#include <tolmak.h>

#include <cstdint>

namespace tolmak::test {

/// Every format with colour channels: no palette formats, not Invalid.
inline constexpr cPixelFormat::EFormat kColourFormats[] = {
    cPixelFormat::Alpha,    cPixelFormat::ARGB8888, cPixelFormat::ABGR8888, cPixelFormat::ARGB5551,
    cPixelFormat::ABGR5551, cPixelFormat::ARGB4444, cPixelFormat::ABGR4444, cPixelFormat::RGB888X,
    cPixelFormat::BGR888X,  cPixelFormat::RGB888,   cPixelFormat::BGR888,   cPixelFormat::RGB565,
    cPixelFormat::BGR565,   cPixelFormat::RGB555,   cPixelFormat::BGR555};

/// The pixel of the given number of bytes (up to four) stored at p, little-endian.
inline uint32_t ReadLE(const uint8_t* p, uint32_t bytes) {
  uint32_t v = 0;
  for (uint32_t k = 0; k < bytes; ++k) v |= uint32_t(p[k]) << (8 * k);
  return v;
}
inline void WriteLE(uint8_t* p, uint32_t v, uint32_t bytes) {
  for (uint32_t k = 0; k < bytes; ++k) p[k] = uint8_t(v >> (8 * k));
}

}  // namespace tolmak::test
