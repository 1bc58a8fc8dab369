#pragma once

// Which 3D device the demo draws with: a window where one can be opened,
// the software device writing PNG files otherwise.

#include <string>

#include <tolmak.h>

namespace demo {

/// The device opened and what the player should know about it.
struct cVideoChoice {
  cVideo3D* video = nullptr;
  bool windowed = false;
  /// One line: the window's OpenGL, or why there is no window.
  std::string note;
};

/// Opens "cOpenGLVideo3D" at width by height when window is true and the
/// plug-ins offer it, else (or when no window can be opened) the software
/// device. Null video when neither opens.
cVideoChoice OpenVideo(cApplicationEx& app, bool window, int width, int height);

}  // namespace demo
