#pragma once

// Pixel access and frame sizes shared by the memory sprite's sources.

#include <cstddef>
#include <cstdint>

#include <tolmak.h>

namespace zunfert::detail {

/// Bytes of a sprite's rows, frames and all its frames.
struct cFrameLayout {
  size_t pitch = 0;
  size_t frameBytes = 0;
  size_t totalBytes = 0;
};

/// False for a format without pixels, no frame, a side below 1 or beyond
/// the memory sprite's limits, or more bytes in all than they allow.
bool GetFrameLayout(const tSize<int>& size, const cPixelFormat& format, int frames,
                    cFrameLayout& layout);

/// The value of a pixel of bytes bytes, least significant first.
inline uint32_t ReadPixel(const uint8_t* p, uint32_t bytes) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < bytes; ++i) value |= uint32_t{p[i]} << (8 * i);
  return value;
}

inline void WritePixel(uint8_t* p, uint32_t bytes, uint32_t value) {
  for (uint32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace zunfert::detail
