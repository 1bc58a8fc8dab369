#pragma once

#include <string>

#include <tolmak.h>

struct SDL_Window;

namespace zunfert::gl {

/// A window with an OpenGL 3.3 core context, made through SDL: the device's
/// own window, or one the application hands over by handle.
///
/// SDL's video driver decides where the window appears (X11, Wayland, or
/// "offscreen" for a context without any display, used only when
/// SDL_VIDEODRIVER names it). Open leaves the
/// context current. A failure leaves nothing open and a message in GetError.
class cGlWindow {
 public:
  cGlWindow() = default;
  cGlWindow(const cGlWindow&) = delete;
  cGlWindow& operator=(const cGlWindow&) = delete;
  ~cGlWindow() { Close(); }

  /// Opens a window of the record's size, title and mode (or takes over
  /// m_Window) with a 3.3 core context; false with GetError set.
  bool Open(const cInitInfo& info);
  void Close();
  bool IsOpen() const { return m_Context != nullptr; }
  /// Makes the context current on this thread when another one is.
  void MakeCurrent() const;
  /// Shows the default framebuffer.
  void Swap() const;
  bool SetFullScreen(bool fullScreen);
  /// Swaps wait for the display's refresh when on (where the driver can).
  void SetVSync(bool enable) const;
  /// The size of the drawable area in pixels, which follows the window.
  void GetDrawableSize(int& width, int& height) const;
  /// True once after the drawable area changed size since Open or the
  /// last call (the player resized the window, or it went full screen),
  /// with the new size, when that is not the device's (deviceWidth by
  /// deviceHeight) and not the zero size of a minimised window. The
  /// window's events reach SDL when the input devices pump them
  /// (cSdlEventPump).
  bool TakeNewSize(int deviceWidth, int deviceHeight, int& width, int& height);
  /// True once the driver reports the context reset (a lost device);
  /// drivers that cannot report it never do.
  bool IsLost() const;
  SDL_Window* GetWindow() const { return m_Window; }
  const std::string& GetError() const { return m_Error; }
  /// "major.minor" of the context and the renderer's name, for the trace.
  std::string Describe() const;

 private:
  bool Fail(const std::string& what);
  /// A 3.3 core context, asking the driver to report a reset where it can.
  bool CreateContext();

  SDL_Window* m_Window = nullptr;
  void* m_Context = nullptr;
  bool m_OwnWindow = true;
  bool m_VideoStarted = false;
  bool m_ReportsReset = false;  // the context was made to report its loss
  int m_SeenWidth = 0, m_SeenHeight = 0;
  std::string m_Error;
};

}  // namespace zunfert::gl
