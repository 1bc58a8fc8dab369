#pragma once

#include <epoxy/gl.h>

#include <vector>

#include "gl_name.h"
#include "software_surface.h"

namespace zunfert::gl {

/// A framebuffer object the device draws into: a colour texture (its own,
/// or a texture that is a render target) with a float depth buffer and an
/// 8-bit stencil buffer, as the software device has. Row 0 is the top row:
/// the device draws upside down so that memory and GL agree.
class cGlFramebuffer {
 public:
  /// Sized width by height; colour into the texture given, or into one of
  /// its own when that is 0, cleared as the software device's buffers are
  /// (the masks and clear values are changed). False when the driver
  /// cannot complete it.
  bool Create(int width, int height, GLuint colorTexture = 0);
  void Destroy();
  bool IsCreated() const { return m_Id.Get() != 0; }
  void Bind() const { glBindFramebuffer(GL_FRAMEBUFFER, m_Id.Get()); }
  /// The colour texture.
  GLuint GetColor() const { return m_Color; }
  int GetWidth() const { return m_Width; }
  int GetHeight() const { return m_Height; }
  /// Copies the colours into a memory surface of the same size, in its format.
  void Read(cSoftwareSurface& surface);
  /// Replaces the colours with a memory surface's of the same size, any format.
  void Write(const cSoftwareSurface& surface);
  /// Stretches the picture over the window's default framebuffer, upright.
  void Show(int windowWidth, int windowHeight) const;

 private:
  cGlFramebufferName m_Id;
  cGlRenderbufferName m_DepthStencil;
  cGlTextureName m_OwnColor;  // none when drawing into a render target's texture
  GLuint m_Color = 0;
  int m_Width = 0, m_Height = 0;
  std::vector<uint32_t> m_Scratch;  // for surfaces in other formats than ARGB8888
};

}  // namespace zunfert::gl
