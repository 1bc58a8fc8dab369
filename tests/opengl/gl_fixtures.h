#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "opengl_video3d.h"

namespace zunfert::test {

/// Runs the OpenGL devices without a display unless the caller chose a
/// video driver (the X11 smoke test runs under Xvfb with "x11").
inline void UseOffscreenVideo() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

/// The ARGB8888 pixel at x, y of a surface.
inline uint32_t PixelAt(const cSurface& surface, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(surface.GetPtr()) + y * surface.GetPitch();
  return reinterpret_cast<const uint32_t*>(row)[x];
}

}  // namespace zunfert::test
