#pragma once

#include <cstdint>
#include <cstring>

#include <tolmak.h>

/// Reading and writing packed pixels of any byte width, and converting rows
/// between formats; shared by the surfaces and the 3D device's output.
namespace zunfert::detail {

/// The pixel at p, in the low bytes, least significant byte first.
inline uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
  switch (bytes) {
    case 1:
      return p[0];
    case 2:
      return uint32_t{p[0]} | uint32_t{p[1]} << 8;
    case 3:
      return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

inline void StorePixel(uint8_t* p, uint32_t bytes, uint32_t pixel) {
  for (uint32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(pixel >> (8 * i));
}

/// Packed ARGB of a pixel; indexed formats go through the palette.
inline uint32_t ToArgb(const cPixelFormat& format, const cPalette* palette, uint32_t pixel) {
  if (format == cPixelFormat::Indexed || format == cPixelFormat::IndexAlpha) {
    const uint32_t argb = palette ? palette->GetColor(static_cast<int>(pixel & 0xFF)) : 0;
    if (format == cPixelFormat::IndexAlpha) return (argb & 0x00FFFFFF) | (pixel >> 8) << 24;
    return argb;
  }
  return format.ConvertToARGB(pixel);
}

/// Converts count pixels from one format to another; the palette serves
/// indexed sources; the same format is copied as it is.
void ConvertRow(const uint8_t* source, const cPixelFormat& sourceFormat, const cPalette* palette,
                uint8_t* target, const cPixelFormat& targetFormat, int count);

/// The pixel of format closest to packed ARGB, indexed formats included.
uint32_t FromArgb(const cPixelFormat& format, uint32_t argb);

}  // namespace zunfert::detail
