#pragma once

#include "gl_framebuffer.h"
#include "gl_window.h"
#include "software_video2d.h"

namespace zunfert {

/// "cOpenGLVideo2D": the 2D device in a window. Surfaces, blits, colour
/// keys and palettes are the software 2D device's, in memory; Flip shows
/// the new front surface in the window through OpenGL, stretched to the
/// window's size, and writes the "Output" files as the software device does.
///
/// When the player resizes the window, Flip, once it has shown the frame,
/// resizes the device to the window as ResizeDevice does (blank front and
/// back surfaces), so that the next frame is drawn at the window's size
/// instead of stretched; a program's own ResizeDevice leaves the window be.
///
/// InitDevice returns false when no window with an OpenGL 3.3 context can
/// be opened (GetError says why).
class cOpenGLVideo2D : public cSoftwareVideo2D {
 public:
  static iClassDesc* Descriptor();
  iClassDesc* GetDescriptor() const override;

  cOpenGLVideo2D() = default;
  ~cOpenGLVideo2D() override;

  const std::string& GetError() const { return m_Window.GetError(); }
  /// The window shown in; null before InitDevice.
  SDL_Window* GetWindow() const { return m_Window.GetWindow(); }

  bool InitDevice(cInitInfo* info) override;
  void ShutdownDevice() override;
  bool ResizeDevice(int width, int height) override;
  bool SetWindowed(bool windowed) override;
  void EnableVSync(bool enable) override;
  /// False before InitDevice, when the PNG file cannot be written or the
  /// context was lost.
  bool Flip() override;

 private:
  gl::cGlWindow m_Window;
  gl::cGlFramebuffer m_Screen;
};

}  // namespace zunfert
