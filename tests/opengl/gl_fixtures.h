#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "opengl_video3d.h"
#include "video_fixtures.h"

namespace zunfert::test {

/// The video driver the program was started with (the X11 smoke test runs
/// under Xvfb with "x11"), else "offscreen": read before any test sets its own.
inline const std::string kVideoDriver = [] {
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  return std::string(chosen ? chosen : "offscreen");
}();

/// Runs the OpenGL devices on kVideoDriver, whatever an earlier test chose.
inline void UseOffscreenVideo() {
  setenv("SDL_VIDEODRIVER", kVideoDriver.c_str(), 1);
#ifdef MESA_DRIVER
  // Mesa's driver frees its state only when it is unloaded; kept loaded,
  // that state stays reachable and LeakSanitizer reports only ours.
  static void* const driver = dlopen(MESA_DRIVER, RTLD_LAZY | RTLD_NODELETE);
  (void)driver;
#endif
}

}  // namespace zunfert::test
