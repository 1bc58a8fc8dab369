// The OpenGL device's window, frame, surfaces, render targets and textures.
#include <algorithm>

#include "frame_output.h"
#include "opengl_video3d.h"

namespace zunfert {

cOpenGLVideo3D::~cOpenGLVideo3D() {
  ShutdownDevice();
}

bool cOpenGLVideo3D::Fail(const std::string& message) {
  m_Error = message;
  trace("cOpenGLVideo3D: %s", message.c_str());
  return false;
}

bool cOpenGLVideo3D::InitDevice(cInitInfo* info) {
  ShutdownDevice();
  m_Error.clear();
  if (!info) return Fail("no initialisation record");
  if (!cSoftwareVideo3D::InitDevice(info))
    return Fail("no mode of " + std::to_string(info->m_Width) + " by " +
                std::to_string(info->m_Height) + " in " + std::to_string(info->m_Depth) + " bits");
  if (!m_Window.Open(*info)) {
    cSoftwareVideo3D::ShutdownDevice();
    return Fail(m_Window.GetError());
  }
  glEnable(GL_SCISSOR_TEST);
  glDisable(GL_DITHER);
  // Flat shading takes the first corner's colours, as the software device
  // does; strips and fans, where GL's first corner is another, are sent as
  // primitive lists.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  m_Textures.Open();
  m_VertexArray = std::make_unique<gl::cGlVertexArray>();
  m_StreamVertices = std::make_unique<gl::cGlVertexBuffer>();
  m_StreamIndices = std::make_unique<gl::cGlIndexBuffer>();
  m_List = std::make_unique<gl::cGlPrimitiveList>();
  std::string error;
  if (!m_Presenter.Open(error)) {
    ShutdownDevice();
    return Fail("the driver refuses the gamma pass: " + error);
  }
  m_Presenter.SetRamp(GetGammaRamp());
  if (!m_Back.Create(info->m_Width, info->m_Height)) {
    ShutdownDevice();
    return Fail("the driver cannot make a framebuffer of that size");
  }
  m_Back.Bind();
  m_Fixed.Forget();
  FillCaps();
  trace("cOpenGLVideo3D: OpenGL %s", m_Window.Describe().c_str());
  return true;
}

void cOpenGLVideo3D::ShutdownDevice() {
  if (m_Window.IsOpen()) {
    m_Window.MakeCurrent();
    m_VertexBuffers.Clear();
    m_IndexBuffers.Clear();
    m_StreamVertices.reset();
    m_StreamIndices.reset();
    m_List.reset();
    m_VertexArray.reset();
    m_Textures.Clear();
    m_Shaders.Clear();
    m_TargetBuffer.Destroy();
    m_Back.Destroy();
    m_Presenter.Close();
    m_Window.Close();
  }
  m_Fixed.Forget();
  m_Program = 0;
  m_InScene = m_Drawn = m_ReadsFrames = m_FrontStale = m_DrawnSinceFlip = false;
  cSoftwareVideo3D::ShutdownDevice();
}

bool cOpenGLVideo3D::Ready() const {
  if (!m_Window.IsOpen()) return false;
  m_Window.MakeCurrent();
  return true;
}

void cOpenGLVideo3D::FillCaps() {
  m_Caps = cSoftwareVideo3D::GetCaps();
  GLint side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
  m_Caps.m_MaxTextureWidth = m_Caps.m_MaxTextureHeight = std::min<int>(side, kMaxTextureSide);
  m_Caps.m_MipMapping = true;
  m_Caps.m_HardwareRasterizer = m_Caps.m_HardwareClipping = m_Caps.m_HardwareTnL = true;
  m_Caps.m_MaxBackBuffers = 2;
}

bool cOpenGLVideo3D::ResizeDevice(int width, int height) {
  if (!Ready() || !cSoftwareVideo3D::ResizeDevice(width, height)) return false;
  if (!m_Back.Create(width, height))
    return Fail("the driver cannot make a framebuffer of that size");
  DrawTarget().Bind();
  m_Drawn = true;
  return true;
}

void cOpenGLVideo3D::FollowWindow() {
  int width = 0, height = 0;
  if (m_Window.TakeNewSize(GetWidth(), GetHeight(), width, height)) ResizeDevice(width, height);
}

bool cOpenGLVideo3D::BeginScene() {
  if (!Ready() || m_InScene) return false;
  FollowWindow();
  if (!cSoftwareVideo3D::BeginScene()) return false;
  m_InScene = true;
  m_Counts = {};
  m_Primitives = 0;
  DrawTarget().Bind();
  return true;
}

void cOpenGLVideo3D::EndScene() {
  cSoftwareVideo3D::EndScene();
  m_InScene = false;
}

bool cOpenGLVideo3D::Flip() {
  if (!IsInitialized() || !Ready()) return false;
  if (m_Window.IsLost()) return Fail("the OpenGL context was lost");
  bool written = true;
  m_FrontStale = !m_ReadsFrames && GetOutput().GetPattern().IsEmpty();
  if (!m_FrontStale) {
    ReadBack();
    written = cSoftwareVideo3D::Flip();
  }
  m_DrawnSinceFlip = false;
  int width = 0, height = 0;
  m_Window.GetDrawableSize(width, height);
  if (m_Presenter.Show(m_Back, width, height, m_Fixed, m_Counts)) m_Program = 0;
  m_Window.Swap();
  DrawTarget().Bind();
  return written;
}

void cOpenGLVideo3D::Clear(bool color, bool depth, bool stencil) {
  if (!Ready()) return;
  int viewport[4];
  GetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  m_Fixed.Clear(GetRenderState(), viewport, color, depth, stencil, m_Counts);
  m_Drawn |= !m_TargetBuffer.IsCreated();
  m_DrawnSinceFlip |= !m_TargetBuffer.IsCreated();
}

bool cOpenGLVideo3D::SetWindowed(bool windowed) {
  if (!m_Window.SetFullScreen(!windowed)) return false;
  return cSoftwareVideo3D::SetWindowed(windowed);
}

void cOpenGLVideo3D::EnableVSync(bool enable) {
  cSoftwareVideo3D::EnableVSync(enable);
  if (Ready()) m_Window.SetVSync(enable);
}

void cOpenGLVideo3D::SetGamma(float red, float green, float blue) {
  cSoftwareVideo3D::SetGamma(red, green, blue);
  if (Ready()) m_Presenter.SetRamp(GetGammaRamp());
}

void cOpenGLVideo3D::ReadBack() {
  if (!m_Drawn || !Ready()) return;
  m_Back.Read(*static_cast<cSoftwareSurface*>(cSoftwareVideo3D::GetSurface(ESurface::Back)));
  DrawTarget().Bind();
  m_Drawn = false;
  ++m_Counts.readbacks;
}

cSurface* cOpenGLVideo3D::GetSurface(ESurface which) {
  if (which == ESurface::Back) ReadBack();
  if (which == ESurface::Front && m_FrontStale && !m_DrawnSinceFlip) {
    // The back buffer still holds what the last Flip showed.
    ReadBack();
    cSoftwareVideo3D::Flip();
    m_FrontStale = false;
  }
  m_ReadsFrames = true;
  return cSoftwareVideo3D::GetSurface(which);
}

bool cOpenGLVideo3D::SaveScreenshot(const cString& fileName) {
  if (!IsInitialized()) return false;
  ReadBack();
  return WritePng(*cSoftwareVideo3D::GetSurface(ESurface::Back), fileName.c_str());
}

bool cOpenGLVideo3D::SetRenderTarget(cSurface* target) {
  cSurface* previous = GetRenderTarget();
  if (!Ready() || !cSoftwareVideo3D::SetRenderTarget(target)) return false;
  FinishTarget(previous);
  if (target) {
    const GLuint texture =
        m_Textures.Prepare(*static_cast<const cSoftwareSurface*>(target), m_Counts);
    if (!m_TargetBuffer.Create(target->GetWidth(), target->GetHeight(), texture)) {
      cSoftwareVideo3D::SetRenderTarget(nullptr);
      return Fail("the driver cannot draw into that texture");
    }
    m_Fixed.Forget();
  }
  DrawTarget().Bind();
  return true;
}

void cOpenGLVideo3D::FinishTarget(cSurface* target) {
  if (!target || !m_TargetBuffer.IsCreated()) return;
  auto& surface = *static_cast<cSoftwareSurface*>(target);
  m_TargetBuffer.Read(surface);
  m_TargetBuffer.Destroy();
  m_Textures.UpdateMipmaps(surface);
  ++m_Counts.readbacks;
}

void cOpenGLVideo3D::DestroyTexture(cSurface* texture) {
  if (texture && texture == GetRenderTarget()) SetRenderTarget(nullptr);
  if (Ready()) m_Textures.Destroy(texture);
  cSoftwareVideo3D::DestroyTexture(texture);
}

void cOpenGLVideo3D::AddProperties(cPropertySheet* sheet) {
  cSoftwareVideo3D::AddProperties(sheet);
  sheet->Add(cProperty::String, cString("FrameCounts"), this,
             PropertyAccessor(&cOpenGLVideo3D::GetPropertyFrameCounts), nullptr);
}

void cOpenGLVideo3D::GetPropertyFrameCounts(void* value) {
  const gl::cGlCounts& c = m_Counts;
  const std::string text = std::to_string(c.draws) + " draw calls, " +
                           std::to_string(c.stateChanges) + " state changes, " +
                           std::to_string(c.uploads) + " uploads, " + std::to_string(c.compiles) +
                           " programs compiled";
  *static_cast<cString*>(value) = cString(text.c_str());
}

iClassDesc* cOpenGLVideo3D::Descriptor() {
  static tPluginClassDesc<cOpenGLVideo3D> descriptor("cOpenGLVideo3D", "cOpenGLVideo3D",
                                                     &cVideo3D::m_Descriptor);
  return &descriptor;
}

iClassDesc* cOpenGLVideo3D::GetDescriptor() const {
  return Descriptor();
}

}  // namespace zunfert
