#include "gl_framebuffer.h"

#include "pixel_codec.h"

namespace zunfert::gl {

bool cGlFramebuffer::Create(int width, int height, GLuint colorTexture) {
  Destroy();
  m_Width = width, m_Height = height;
  m_Color = colorTexture != 0 ? colorTexture : m_OwnColor.Make();
  if (colorTexture == 0) {
    glBindTexture(GL_TEXTURE_2D, m_Color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }
  glBindRenderbuffer(GL_RENDERBUFFER, m_DepthStencil.Make());
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH32F_STENCIL8, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, m_Id.Make());
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_Color, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            m_DepthStencil.Get());
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    Destroy();
    return false;
  }
  // As the software device: depth 1 and stencil 0, and a new picture black.
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearDepth(1.0);
  glClearStencil(0);
  glClearColor(0, 0, 0, 0);
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
          (colorTexture == 0 ? GL_COLOR_BUFFER_BIT : 0));
  glEnable(GL_SCISSOR_TEST);
  return true;
}

void cGlFramebuffer::Destroy() {
  m_Id.Free();
  m_DepthStencil.Free();
  m_OwnColor.Free();
  m_Color = 0;
  m_Width = m_Height = 0;
}

void cGlFramebuffer::Read(cSoftwareSurface& surface) {
  if (!m_Id.Get() || surface.GetWidth() != m_Width || surface.GetHeight() != m_Height) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Id.Get());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const cPixelFormat& format = surface.GetPixelFormat();
  if (format == cPixelFormat::ARGB8888) {
    glPixelStorei(GL_PACK_ROW_LENGTH, surface.GetPitch() / 4);
    glReadPixels(0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, surface.GetRow(0));
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return;
  }
  m_Scratch.resize(static_cast<size_t>(m_Width) * m_Height);
  glReadPixels(0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, m_Scratch.data());
  for (int y = 0; y < m_Height; ++y)
    detail::ConvertRow(reinterpret_cast<const uint8_t*>(m_Scratch.data() + size_t(y) * m_Width),
                       cPixelFormat::ARGB8888, nullptr, surface.GetRow(y), format, m_Width);
}

void cGlFramebuffer::Write(const cSoftwareSurface& surface) {
  if (!m_Id.Get() || surface.GetWidth() != m_Width || surface.GetHeight() != m_Height) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, m_Color);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const cPixelFormat& format = surface.GetPixelFormat();
  if (format == cPixelFormat::ARGB8888) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, surface.GetPitch() / 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE,
                    surface.GetRow(0));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return;
  }
  m_Scratch.resize(static_cast<size_t>(m_Width) * m_Height);
  for (int y = 0; y < m_Height; ++y)
    detail::ConvertRow(surface.GetRow(y), format, &surface.GetPalette(),
                       reinterpret_cast<uint8_t*>(m_Scratch.data() + size_t(y) * m_Width),
                       cPixelFormat::ARGB8888, m_Width);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE,
                  m_Scratch.data());
}

void cGlFramebuffer::Show(int windowWidth, int windowHeight) const {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Id.Get());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glBlitFramebuffer(0, 0, m_Width, m_Height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT,
                    GL_LINEAR);
  glEnable(GL_SCISSOR_TEST);
}

}  // namespace zunfert::gl
