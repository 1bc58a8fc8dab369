#pragma once

#include <ctime>
#include <memory>
#include <vector>

#include <tolmak.h>

#include "display_surfaces.h"
#include "draw_queue.h"
#include "draw_vertices.h"
#include "frame_output_device.h"
#include "mip_chain.h"
#include "pixel_pipeline.h"
#include "rasterizer.h"
#include "render_state.h"
#include "software_surface.h"
#include "vertex_processor.h"
#include "work_crew.h"

namespace zunfert {

/// "cSoftwareVideo3D": a 3D device that renders on the CPU into memory.
///
/// Depths 16 (RGB565) and 32 (ARGB8888), sides 1 to 8192; a float depth
/// buffer and an 8-bit stencil buffer. Flip copies the back buffer to the
/// front surface (through the gamma ramp) and, when an output pattern is
/// set (SetOutput or the "Output" string property, see cFrameOutput),
/// writes it as a PNG file; GetSurface gives both surfaces for reading.
///
/// Conventions where the interface leaves a choice:
/// - Culling reads the winding on the screen (y down); the default culls
///   CounterClockwise triangles.
/// - Without lighting a vertex takes the colour of its diffuse source (the
///   vertex colour, white when the buffer has none); with lighting the
///   material colours come from their ESource.
/// - Light cone angles theta and phi are full angles in degrees.
/// - Turning the depth test off also stops depth writes.
/// - Texel functions that have no meaning without bump maps, and
///   Premodulate, act as Mul (the caps leave them out). A stage without a
///   texture passes the colour on.
/// - With the texture colour key enabled, pixels whose stage-0 texel alpha
///   is below one half are not drawn; a sprite's key becomes alpha 0.
/// - Textures are ARGB8888 of any size up to 4096. Trilinear samples their
///   mipmaps, built at the first such draw after the texture changed, with
///   the level from each pixel's screen-space footprint (and the stage's
///   mipmap bias); Point and Bilinear read the texture alone.
///   W-buffering and anti-aliasing are stored but not done.
/// - Fog is computed per vertex from the eye distance (w).
/// - SetPixelFunction sets blending and its functions: Mul is DestColor,
///   Zero; Mul2X DestColor, SrcColor; Add One, One; AlphaBlend SrcAlpha,
///   InvSrcAlpha; AddAlphaBlend SrcAlpha, One; Darken Zero, InvSrcColor.
class cSoftwareVideo3D : public tFrameOutputDevice<cVideo3D> {
 public:
  static iClassDesc* Descriptor();
  iClassDesc* GetDescriptor() const override;

  cSoftwareVideo3D();
  ~cSoftwareVideo3D() override;

  /// Threads that transform, set up and rasterise, the caller's included:
  /// each draws a band of rows (cRasterBands), and the picture is the same
  /// with any number. At first the processor count, at most 4.
  ///
  /// With more than one, a draw is queued (cDrawQueue) and returns: the
  /// helpers draw their bands of the queued draws as they come, and the
  /// caller draws its band when the device next waits for them: at
  /// EndScene, and wherever the pixels are looked at before it: Flip,
  /// Clear, GetSurface, CopySurface, SetRenderTarget, changes to textures,
  /// and any operation of the device's surfaces that touches their pixels,
  /// Lock among them. So the threads never wait for each other between
  /// draws, and the game's own work between draws runs beside the drawing. A band goes to whichever
  /// thread takes it first (cWorkCrew), so a helper that the machine runs
  /// late, its cores busy with other work, does less rather than holding
  /// the caller up.
  void SetRasterThreads(int threads);
  int GetRasterThreads() const { return m_Crew.GetThreads(); }
  /// Every render state as the device holds it.
  const detail::cRenderState& GetRenderState() const { return m_State; }
  /// A light slot filled directly, without a scene light.
  void SetLightValues(int index, const detail::cLightSlot& light);
  /// Processor seconds the caller's thread spent since the last ResetTimes
  /// in transforming the vertices' positions, in lighting, setting up and
  /// rasterizing (a vertex is lit when a triangle drawn first needs it),
  /// and in presenting.
  /// Kept only from KeepTimes(true) on: reading the processor clock is a
  /// call into the system, a dozen or two a frame.
  struct cTimes {
    double transform = 0, raster = 0, present = 0;
  };
  const cTimes& GetTimes() const { return m_Times; }
  /// Seconds the threads spent spinning while they waited for each other,
  /// by the wall clock, since the last ResetTimes, kept or not (cWorkCrew).
  double GetSpunSeconds() const { return m_Crew.GetSpunSeconds(); }
  void ResetTimes() {
    m_Times = {};
    m_Crew.ResetSpunSeconds();
  }
  void KeepTimes(bool keep) { m_KeepTimes = keep; }

  // Device and frame
  bool InitDevice(cInitInfo* info) override;
  void ShutdownDevice() override;
  bool IsInitialized() const override { return m_Display.IsOpen(); }
  bool ResizeDevice(int width, int height) override;
  const cVideoCaps& GetCaps() const override { return m_Caps; }
  int GetWidth() const override;
  int GetHeight() const override;
  bool BeginScene() override;
  void EndScene() override;
  bool Flip() override;
  void SetClearColor(const cColor& color) override;
  void SetClearDepth(float depth) override;
  void SetClearStencil(uint32_t value) override;
  void Clear(bool color, bool depth, bool stencil) override;
  const cPixelFormat& GetPixelFormat() const override { return m_Display.Format(); }

  // Display
  bool SetWindowed(bool windowed) override;
  bool IsWindowed() const override { return m_Windowed; }
  void EnableVSync(bool enable) override { m_VSync = enable; }
  bool IsVSyncEnabled() const { return m_VSync; }
  void SetGamma(float red, float green, float blue) override;
  /// The ramp Flip shows the back buffer through, by channel (red, green,
  /// blue) and level; null while it changes nothing (or the display has
  /// 16 bits, which it leaves alone).
  const uint8_t (*GetGammaRamp() const)[256];
  void ResetRenderStates() override;

  // Viewport and matrices
  void SetViewport(int x, int y, int width, int height) override;
  void GetViewport(int& x, int& y, int& width, int& height) const override;
  void SetDepthRange(float minimum, float maximum) override;
  void SetMatrix(EMatrix which, const cMatrix4x3& matrix) override;
  const cMatrix4x3& GetMatrix(EMatrix which) const override;
  void MultiplyMatrix(EMatrix which, const cMatrix4x3& matrix) override;
  void PushMatrix(EMatrix which) override;
  void PopMatrix(EMatrix which) override;

  // Geometry
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

  // Depth, alpha, blending
  void EnableDepthTest(bool enable) override { m_State.depthTest = enable; }
  void SetDepthFunction(ECompareFunction function) override { m_State.depthFunction = function; }
  void EnableDepthWrite(bool enable) override { m_State.depthWrite = enable; }
  void EnableWBuffer(bool enable) override { m_State.wBuffer = enable; }
  void SetDepthBias(int bias) override { m_State.depthBias = bias; }
  void EnableAlphaTest(bool enable) override { m_State.alphaTest = enable; }
  void SetAlphaFunction(ECompareFunction function) override { m_State.alphaFunction = function; }
  void SetAlphaReference(int reference) override;
  void EnableBlending(bool enable) override { m_State.blending = enable; }
  void SetBlendFunction(EBlendFunction source, EBlendFunction destination) override;
  void SetPixelFunction(EPixelFunction function) override;
  void SetColorWriteMask(bool red, bool green, bool blue, bool alpha) override;

  // Rasterizer
  void SetCulling(ECulling culling) override { m_State.culling = culling; }
  void SetShading(EShading shading) override { m_State.shading = shading; }
  void SetPrimitiveStyle(EPrimitiveStyle style) override { m_State.style = style; }
  void EnableAntiAlias(bool enable, EAlias mode) override;
  void EnableDithering(bool enable) override { m_State.dithering = enable; }
  void EnableClipping(bool enable) override { m_State.clipping = enable; }
  void SetPointSize(float size) override { m_State.pointSize = size; }

  // Fog
  void EnableFog(bool enable) override { m_State.fog = enable; }
  void SetFogMode(EFog mode) override { m_State.fogMode = mode; }
  void SetFogColor(const cColor& color) override;
  void SetFogRange(float start, float end) override;
  void SetFogDensity(float density) override { m_State.fogDensity = density; }

  // Lighting and material
  void EnableLighting(bool enable) override { m_State.lighting = enable; }
  void SetAmbientLight(const cColor& color) override;
  void SetLight(int index, const cLight& light) override;
  void EnableLight(int index, bool enable) override;
  bool IsLightEnabled(int index) const override;
  void EnableSpecular(bool enable) override { m_State.specular = enable; }
  void EnableNormalize(bool enable) override { m_State.normalize = enable; }
  void EnableLocalViewer(bool enable) override { m_State.localViewer = enable; }
  void SetMaterialDiffuse(const cColor& color) override;
  void SetMaterialAmbient(const cColor& color) override;
  void SetMaterialSpecular(const cColor& color) override;
  void SetMaterialEmissive(const cColor& color) override;
  void SetMaterialPower(float power) override { m_State.materialPower = power; }
  void SetDiffuseSource(ESource source) override { m_State.diffuseSource = source; }
  void SetAmbientSource(ESource source) override { m_State.ambientSource = source; }
  void SetSpecularSource(ESource source) override { m_State.specularSource = source; }
  void SetEmissiveSource(ESource source) override { m_State.emissiveSource = source; }

  // Textures
  cSurface* CreateTexture(const tSize<int>& size, const cPixelFormat& format, ETextureUsage usage,
                          EMemoryType memory) override;
  cSurface* CreateTextureFrom(cSprite* sprite, int frame, ETextureUsage usage,
                              EMemoryType memory) override;
  bool UpdateTexture(cSurface* texture, cSprite* sprite, int frame) override;
  void DestroyTexture(cSurface* texture) override;
  bool IsTextureFormatSupported(const cPixelFormat& format) const override;
  cPixelFormat ChooseTextureFormat(const cPixelFormat& wanted) const override;
  void SetTexture(int stage, cSurface* texture) override;
  cSurface* GetTexture(int stage) const override;
  void SetTexelFunction(int stage, ETexelFunction function) override;
  void SetTexelAlphaFunction(int stage, ETexelFunction function) override;
  void SetTextureFilter(int stage, EFilter filter) override;
  void SetTextureAddressMode(int stage, EAddressMode u, EAddressMode v) override;
  void SetTextureCoordinateSet(int stage, int set) override;
  void SetTextureMatrix(int stage, const cMatrix4x3& matrix) override;
  void SetTextureFactor(const cColor& color) override;
  void SetBumpEnvMatrix(int stage, float m00, float m01, float m10, float m11) override;
  void EnableTextureColorKey(bool enable) override { m_State.textureColorKey = enable; }
  void SetMipmapBias(int stage, float bias) override;

  // Render targets
  cSurface* GetSurface(ESurface which) override;
  bool SetRenderTarget(cSurface* target) override;
  cSurface* GetRenderTarget() const override { return m_Target; }
  bool CopySurface(ESurface source, cSurface* target) override;

  // Stencil
  void EnableStencil(bool enable) override { m_State.stencil = enable; }
  void SetStencilFunction(ECompareFunction function) override;
  void SetStencilReference(uint32_t reference) override { m_State.stencilReference = reference; }
  void SetStencilMask(uint32_t mask) override { m_State.stencilMask = mask; }
  void SetStencilWriteMask(uint32_t mask) override { m_State.stencilWriteMask = mask; }
  void SetStencilOperation(EStencil fail, EStencil depthFail, EStencil pass) override;

  // User clip planes and queries
  void SetClipPlane(int index, const cPlane& plane) override;
  void EnableClipPlane(int index, bool enable) override;
  uint32_t GetAvailableTextureMemory() const override;
  bool IsModeSupported(int width, int height, int depth) const override;

  /// Texture memory the device pretends to have, in bytes.
  static constexpr uint32_t kTextureMemory = 256u << 20;
  /// Texels a side at most: below 2^15, which the samplers' row offsets need.
  static constexpr int kMaxTextureSide = 4096;
  static_assert(kMaxTextureSide < 0x8000);

 protected:
  /// Primitives that count vertices of the type make, as GetPrimitivesDrawn
  /// counts them.
  static uint32_t PrimitiveCount(EPrimitive type, uint32_t count);

 private:
  class cDeviceVertices;
  class cDeviceIndices;
  struct cTexture {
    std::unique_ptr<cSoftwareSurface> surface;
    ETextureUsage usage;
    /// Made at the first Trilinear draw with the texture.
    std::unique_ptr<detail::cMipChain> mips;
  };

  /// Clear and Flip share rows out to the threads by blocks of this many,
  /// the same blocks in both, so that a thread mostly clears the rows it
  /// last presented, still in its cache.
  static constexpr int kBlockRows = 64;
  static uint32_t Blocks(int rows) {
    return static_cast<uint32_t>((rows + kBlockRows - 1) / kBlockRows);
  }

  void FillCaps();
  /// The depth and stencil buffers for the current target, sized to it.
  void AllocateDepthStencil(int width, int height);
  detail::cRasterTarget MakeTarget();
  cSoftwareSurface* DrawSurface() const;
  /// The device's record of a texture it made, or null.
  const cTexture* FindTexture(const cSurface* surface) const;
  bool IsStage(int stage) const { return stage >= 0 && stage < detail::kStages; }
  /// Points each Trilinear stage at its texture's mipmaps, up to date.
  void PrepareMipmaps();
  /// Adds the processor time since the last lap to a phase of m_Times,
  /// when they are kept.
  class cLapClock {
   public:
    explicit cLapClock(bool on) : m_Start(on ? std::clock() : -1) {}
    void Lap(double& phase) {
      if (m_Start == -1) return;
      const std::clock_t now = std::clock();
      phase += static_cast<double>(now - m_Start) / CLOCKS_PER_SEC;
      m_Start = now;
    }

   private:
    std::clock_t m_Start;
  };
  /// Draws the primitives of count corners from vertices first to
  /// first + span - 1 of the buffer, corner i being vertex
  /// entries[i] - lowest of them, or vertex i without entries.
  void Draw(EPrimitive type, const cVertexBuffer& vertices, uint32_t first, uint32_t span,
            uint32_t count, const uint16_t* entries, uint16_t lowest);
  /// The record a draw is prepared in: the device's own with one thread,
  /// else the queue's next, once it has room for the draw.
  detail::cPreparedDraw& Record(size_t vertexBytes, uint32_t entries);
  /// A prepared draw's band band of rows, or every row with one thread.
  void DrawBand(const detail::cPreparedDraw& draw, int band, cLapClock& laps);
  /// The draw's primitives through the rasterizer, index(i) giving the
  /// vertex of corner i, which is shaded as needed; may run on any thread.
  template <class Index>
  void Assemble(const detail::cPreparedDraw& draw, const Index& index,
                detail::cRasterizer& rasterizer, detail::cDrawVertices& vertices) const;
  /// A run of queued draws: StartRun hands the helpers their bands of
  /// them, FinishRun waits until they have drawn every draw queued.
  void StartRun();
  void FinishRun();
  /// Band band of the run's draws, drawn on thread (0 the caller's) as
  /// the caller queues them.
  void DrawQueuedBand(int thread, int band);
  /// The run's bands, one item each.
  struct cQueuedBands {
    cSoftwareVideo3D* device;
    void operator()(int thread, uint32_t item) const {
      device->DrawQueuedBand(thread, static_cast<int>(item));
    }
  };
  /// The device's surfaces finish the run before their pixels are touched.
  struct cRunFinisher final : cSoftwareSurface::iPendingWork {
    cSoftwareVideo3D* device;
    explicit cRunFinisher(cSoftwareVideo3D* owner) : device(owner) {}
    void Complete() override { device->FinishRun(); }
  };

  cVideoCaps m_Caps;
  detail::cRenderState m_State;
  detail::cDisplaySurfaces m_Display;
  cSoftwareSurface* m_Target = nullptr;  // a texture drawn into, or null for the back buffer
  std::vector<float> m_Depth;
  std::vector<uint8_t> m_Stencil;
  int m_DepthWidth = 0, m_DepthHeight = 0;
  int m_Viewport[4] = {0, 0, 0, 0};
  cMatrix4x3 m_Matrices[3];
  std::vector<cMatrix4x3> m_Stacks[3];
  std::vector<cTexture> m_Textures;
  std::vector<std::unique_ptr<hVertexBuffer>> m_VertexBuffers;
  std::vector<std::unique_ptr<hIndexBuffer>> m_IndexBuffers;
  /// The draw's vertices by band: each thread transforms its own.
  std::vector<detail::cDrawVertices> m_Vertices;
  /// The draw being drawn, with one thread.
  detail::cPreparedDraw m_Draw;
  /// The run's draws, with several.
  detail::cDrawQueue m_Queue;
  detail::cRasterBands m_Bands;
  cQueuedBands m_QueuedBands{this};
  cRunFinisher m_RunFinisher{this};
  detail::cWorkCrew m_Crew;
  uint8_t m_Gamma[3][256];
  bool m_GammaIdentity = true;
  bool m_InScene = false;
  /// Drawing outside a scene is traced once until the next BeginScene.
  bool m_ToldOutsideScene = false;
  bool m_Windowed = true, m_VSync = false;
  uint32_t m_Primitives = 0;
  bool m_KeepTimes = false;
  /// Runs started since BeginScene.
  uint32_t m_Runs = 0;
  cTimes m_Times;
};

}  // namespace zunfert
