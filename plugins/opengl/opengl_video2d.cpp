#include "opengl_video2d.h"

namespace zunfert {

cOpenGLVideo2D::~cOpenGLVideo2D() {
  ShutdownDevice();
}

bool cOpenGLVideo2D::InitDevice(cInitInfo* info) {
  ShutdownDevice();
  if (!info || !cSoftwareVideo2D::InitDevice(info)) return false;
  if (m_Window.Open(*info) && m_Screen.Create(GetWidth(), GetHeight())) return true;
  trace("cOpenGLVideo2D: %s", m_Window.GetError().c_str());
  ShutdownDevice();
  return false;
}

void cOpenGLVideo2D::ShutdownDevice() {
  if (m_Window.IsOpen()) {
    m_Window.MakeCurrent();
    m_Screen.Destroy();
    m_Window.Close();
  }
  cSoftwareVideo2D::ShutdownDevice();
}

bool cOpenGLVideo2D::ResizeDevice(int width, int height) {
  if (!m_Window.IsOpen() || !cSoftwareVideo2D::ResizeDevice(width, height)) return false;
  m_Window.MakeCurrent();
  return m_Screen.Create(width, height);
}

bool cOpenGLVideo2D::SetWindowed(bool windowed) {
  return m_Window.SetFullScreen(!windowed) && cSoftwareVideo2D::SetWindowed(windowed);
}

void cOpenGLVideo2D::EnableVSync(bool enable) {
  cSoftwareVideo2D::EnableVSync(enable);
  m_Window.MakeCurrent();
  m_Window.SetVSync(enable);
}

bool cOpenGLVideo2D::Flip() {
  if (!m_Window.IsOpen() || m_Window.IsLost()) return false;
  const bool written = cSoftwareVideo2D::Flip();
  m_Window.MakeCurrent();
  m_Screen.Write(*static_cast<const cSoftwareSurface*>(GetFrontSurface()));
  int width = 0, height = 0;
  m_Window.GetDrawableSize(width, height);
  m_Screen.Show(width, height);
  m_Window.Swap();
  if (m_Window.TakeNewSize(GetWidth(), GetHeight(), width, height)) ResizeDevice(width, height);
  return written;
}

iClassDesc* cOpenGLVideo2D::Descriptor() {
  static tPluginClassDesc<cOpenGLVideo2D> descriptor("cOpenGLVideo2D", "cOpenGLVideo2D",
                                                     &cVideo2D::m_Descriptor);
  return &descriptor;
}

iClassDesc* cOpenGLVideo2D::GetDescriptor() const {
  return Descriptor();
}

}  // namespace zunfert
