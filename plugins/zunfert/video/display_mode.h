#pragma once

#include <tolmak.h>

namespace zunfert::detail {

/// Largest display side either software device opens.
constexpr int kMaxDisplaySide = 8192;

/// The display format for a colour depth: 32 bits ARGB8888 (the alpha is
/// kept, so destination alpha works), 24 bits RGB888, 16 bits RGB565,
/// 8 bits Indexed; Invalid for any other depth.
inline cPixelFormat DisplayFormat(int depth) {
  switch (depth) {
    case 32:
      return cPixelFormat::ARGB8888;
    case 24:
      return cPixelFormat::RGB888;
    case 16:
      return cPixelFormat::RGB565;
    case 8:
      return cPixelFormat::Indexed;
    default:
      return cPixelFormat::Invalid;
  }
}

inline bool IsDisplaySize(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxDisplaySide && height <= kMaxDisplaySide;
}

}  // namespace zunfert::detail
