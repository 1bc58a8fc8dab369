#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gl_buffers.h"
#include "gl_counts.h"
#include "gl_fixed_state.h"
#include "gl_framebuffer.h"
#include "gl_presenter.h"
#include "gl_primitive_list.h"
#include "gl_textures.h"
#include "gl_window.h"
#include "shader_cache.h"
#include "software_video3d.h"

namespace zunfert {

/// "cOpenGLVideo3D": the 3D device in a window, drawn by OpenGL 3.3 core.
///
/// It keeps the software device's half that is no drawing: the render
/// state, matrices, viewport, the textures' memory surfaces, the "Output"
/// frame files and the swap-chain surfaces for reading; every operation
/// that draws, clears or holds geometry goes to the graphics card, with the
/// same conventions (culling by screen winding, per-vertex lighting and
/// fog, the texel functions, the alpha test on bytes), so that both devices
/// draw the same pictures. The fixed-function state is drawn by shaders
/// generated per state combination and kept; device vertex and index
/// buffers are GL buffer objects sent at Create and Update only.
///
/// The device draws into a framebuffer of its own size, which Flip shows
/// stretched over the window through the gamma ramp. When the player
/// resizes the window, the next BeginScene resizes the device to it, as
/// ResizeDevice does; a program's own ResizeDevice leaves the window be.
///
/// The swap-chain surfaces (GetSurface, CopySurface, the "Output" files)
/// are read back from the card: Flip reads every frame once an output
/// pattern is set or a surface was asked for, and not at all otherwise
/// (the front surface is then read when asked for, as long as nothing was
/// drawn since the Flip). Drawing into those surfaces does not reach the
/// window. A texture whose memory surface changed after it was sent (Lock
/// and Unlock, UpdateTexture, its blits) is sent again at its next draw.
///
/// Failures: InitDevice returns false and GetError says why (no display,
/// no OpenGL 3.3 core context); a program the driver refuses drops the
/// draws that need it with one trace line; after a lost context (on a
/// driver that reports one) Flip returns false.
class cOpenGLVideo3D : public cSoftwareVideo3D {
 public:
  static iClassDesc* Descriptor();
  iClassDesc* GetDescriptor() const override;

  cOpenGLVideo3D() = default;
  ~cOpenGLVideo3D() override;

  /// Why InitDevice failed or the last draw was dropped; empty when neither.
  const std::string& GetError() const { return m_Error; }
  /// The counts of the frame begun by the last BeginScene.
  const gl::cGlCounts& GetCounts() const { return m_Counts; }
  /// Programs compiled since InitDevice.
  int GetProgramsCompiled() const { return m_Shaders.GetCompiled(); }
  /// Writes what has been drawn so far as a PNG file; false when it cannot.
  bool SaveScreenshot(const cString& fileName);
  /// The window, for drivers that read its events; null while closed.
  SDL_Window* GetWindow() const { return m_Window.GetWindow(); }

  bool InitDevice(cInitInfo* info) override;
  void ShutdownDevice() override;
  bool ResizeDevice(int width, int height) override;
  const cVideoCaps& GetCaps() const override { return m_Caps; }
  bool BeginScene() override;
  void EndScene() override;
  bool Flip() override;
  void Clear(bool color, bool depth, bool stencil) override;
  bool SetWindowed(bool windowed) override;
  void EnableVSync(bool enable) override;
  void SetGamma(float red, float green, float blue) override;

  void DrawPrimitive(EPrimitive type, const cVertexBuffer& vertices, uint32_t first,
                     uint32_t count) override;
  void DrawIndexedPrimitive(EPrimitive type, const cVertexBuffer& vertices,
                            const cIndexBuffer& indices, uint32_t first, uint32_t count) override;
  hVertexBuffer* CreateVertexBuffer(const cVertexBuffer& source, ETextureUsage usage,
                                    EMemoryType memory) override;
  bool UpdateVertexBuffer(hVertexBuffer* buffer, const cVertexBuffer& source) override;
  void DestroyVertexBuffer(hVertexBuffer* buffer) override;
  hIndexBuffer* CreateIndexBuffer(const cIndexBuffer& source, ETextureUsage usage,
                                  EMemoryType memory) override;
  bool UpdateIndexBuffer(hIndexBuffer* buffer, const cIndexBuffer& source) override;
  void DestroyIndexBuffer(hIndexBuffer* buffer) override;
  void DrawBuffer(EPrimitive type, hVertexBuffer* vertices, uint32_t first,
                  uint32_t count) override;
  void DrawIndexedBuffer(EPrimitive type, hVertexBuffer* vertices, hIndexBuffer* indices,
                         uint32_t first, uint32_t count) override;
  uint32_t GetPrimitivesDrawn() const override { return m_Primitives; }

  void DestroyTexture(cSurface* texture) override;

  cSurface* GetSurface(ESurface which) override;
  bool SetRenderTarget(cSurface* target) override;

  /// Publishes "Output" as the software device does, and "FrameCounts", a
  /// read-only text of the last frame's counts for programs that cannot
  /// include this header.
  void AddProperties(cPropertySheet* sheet) override;

 protected:
  void GetPropertyFrameCounts(void* value);

 private:
  bool Fail(const std::string& message);
  /// The framebuffer drawn into: the back buffer's or the render target's.
  gl::cGlFramebuffer& DrawTarget() { return m_TargetBuffer.IsCreated() ? m_TargetBuffer : m_Back; }
  void FillCaps();
  /// Resizes the device when the player resized the window.
  void FollowWindow();
  /// Makes the context current; false when the device is not open.
  bool Ready() const;
  /// Sets up state, program, uniforms, textures and attributes for a draw;
  /// false when nothing can be drawn.
  bool PrepareDraw(const gl::cGlVertexBuffer& vertices);
  void SetUniforms(const gl::cProgram& program);
  /// Whether a draw of that type is sent as a primitive list for its flat colours.
  bool NeedsFlatOrder(EPrimitive type) const;
  /// Counts a draw of count vertices or indices, primitives as the software device does.
  void Submit(EPrimitive type, uint32_t count);
  /// The back buffer read into the memory back surface, when drawn since the last read.
  void ReadBack();
  /// Leaves a texture render target, its memory copy made current.
  void FinishTarget(cSurface* target);

  gl::cGlWindow m_Window;
  gl::cShaderCache m_Shaders;
  gl::cGlFixedState m_Fixed;
  gl::cGlTextures m_Textures;
  gl::cGlFramebuffer m_Back, m_TargetBuffer;
  gl::cGlPresenter m_Presenter;
  std::unique_ptr<gl::cGlVertexArray> m_VertexArray;
  std::unique_ptr<gl::cGlVertexBuffer> m_StreamVertices;  // for the engine's own buffers
  std::unique_ptr<gl::cGlIndexBuffer> m_StreamIndices;
  std::unique_ptr<gl::cGlPrimitiveList> m_List;
  gl::cGlVertexBuffers m_VertexBuffers;
  gl::cGlIndexBuffers m_IndexBuffers;
  cVideoCaps m_Caps;
  gl::cGlCounts m_Counts;
  GLuint m_Program = 0;
  uint32_t m_Primitives = 0;
  bool m_InScene = false;
  bool m_Drawn = false;        // since the last read back
  bool m_ReadsFrames = false;  // a surface was asked for: Flip reads every frame
  bool m_FrontStale = false;   // flipped without reading back
  bool m_DrawnSinceFlip = false;
  std::string m_Error;
};

}  // namespace zunfert
