#include "gl_window.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>

namespace zunfert::gl {

namespace {

constexpr int kMajor = 3, kMinor = 3;

}  // namespace

bool cGlWindow::Fail(const std::string& what) {
  m_Error = what + ": " + SDL_GetError();
  Close();
  return false;
}

bool cGlWindow::Open(const cInitInfo& info) {
  Close();
  m_Error.clear();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Fail("no display can be opened");
  m_VideoStarted = true;
  // Without a display SDL settles for its offscreen driver, whose window
  // nobody sees: that is taken only when SDL_VIDEODRIVER asks for it.
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  if (SDL_strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0 &&
      (!wanted || SDL_strcmp(wanted, "offscreen") != 0)) {
    SDL_SetError("only SDL's offscreen driver is available");
    return Fail("no display can be opened");
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, kMajor);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kMinor);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into framebuffers of its own; the window only shows them.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  if (info.m_Window != 0) {
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    m_Window = SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<intptr_t>(info.m_Window)));
    m_OwnWindow = false;
  } else {
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                         (info.m_Windowed ? 0u : Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
    const char* title = info.m_Title.IsEmpty() ? "tolmak" : info.m_Title.c_str();
    m_Window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, info.m_Width,
                                info.m_Height, flags);
    m_OwnWindow = true;
  }
  if (!m_Window) return Fail("the window cannot be opened");
  if (!CreateContext()) return Fail("no OpenGL 3.3 core context");
  if (epoxy_gl_version() < kMajor * 10 + kMinor) {
    SDL_SetError("the driver gives OpenGL %d.%d", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
    return Fail("no OpenGL 3.3 core context");
  }
  GLint strategy = 0;
  if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_KHR_robustness") ||
      epoxy_has_gl_extension("GL_ARB_robustness"))
    glGetIntegerv(GL_RESET_NOTIFICATION_STRATEGY, &strategy);
  m_ReportsReset = strategy == GL_LOSE_CONTEXT_ON_RESET;
  GetDrawableSize(m_SeenWidth, m_SeenHeight);
  SetVSync(info.m_VSync);
  return true;
}

bool cGlWindow::CreateContext() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_ROBUST_ACCESS_FLAG);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_LOSE_CONTEXT);
  m_Context = SDL_GL_CreateContext(m_Window);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_NO_NOTIFICATION);
  // A driver that cannot report resets may refuse to be asked.
  if (!m_Context) m_Context = SDL_GL_CreateContext(m_Window);
  return m_Context != nullptr;
}

void cGlWindow::Close() {
  if (m_Context) SDL_GL_DeleteContext(m_Context);
  m_Context = nullptr;
  if (m_Window && m_OwnWindow) SDL_DestroyWindow(m_Window);
  m_Window = nullptr;
  if (m_VideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  m_VideoStarted = false;
  m_ReportsReset = false;
}

void cGlWindow::MakeCurrent() const {
  if (m_Context && SDL_GL_GetCurrentContext() != m_Context) SDL_GL_MakeCurrent(m_Window, m_Context);
}

void cGlWindow::Swap() const {
  if (m_Window) SDL_GL_SwapWindow(m_Window);
}

bool cGlWindow::SetFullScreen(bool fullScreen) {
  return m_Window && m_OwnWindow &&
         SDL_SetWindowFullscreen(m_Window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void cGlWindow::SetVSync(bool enable) const {
  // Adaptive sync first; a driver without it takes the plain kind.
  if (m_Context && (!enable || SDL_GL_SetSwapInterval(-1) != 0))
    SDL_GL_SetSwapInterval(enable ? 1 : 0);
}

void cGlWindow::GetDrawableSize(int& width, int& height) const {
  width = height = 0;
  if (m_Window) SDL_GL_GetDrawableSize(m_Window, &width, &height);
}

bool cGlWindow::TakeNewSize(int deviceWidth, int deviceHeight, int& width, int& height) {
  GetDrawableSize(width, height);
  if (width == m_SeenWidth && height == m_SeenHeight) return false;
  m_SeenWidth = width, m_SeenHeight = height;
  return width > 0 && height > 0 && (width != deviceWidth || height != deviceHeight);
}

bool cGlWindow::IsLost() const {
  if (!m_Context) return true;
  return m_ReportsReset && glGetGraphicsResetStatus() != GL_NO_ERROR;
}

std::string cGlWindow::Describe() const {
  if (!m_Context) return "closed";
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return std::string(version ? version : "?") + " on " + (renderer ? renderer : "?") + " (" +
         SDL_GetCurrentVideoDriver() + ")";
}

}  // namespace zunfert::gl
