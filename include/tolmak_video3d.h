#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_vector.h"

class cColor;
class cIndexBuffer;
class cInitInfo;
class cLight;
class cPixelFormat;
class cPlane;
class cSprite;
class cSurface;
class cVertexBuffer;
class cVideoCaps;
class hIndexBuffer;
class hVertexBuffer;

/// The abstract 3D rendering device, implemented by the video drivers of a
/// plug-in library, and the render-state vocabulary it speaks.
///
/// Virtual slots: destructor, GetDescriptor, AddProperties, then exactly 112
/// pure device operations in the order declared below (InitDevice first,
/// GetPixelFormat fourteenth; the groups are numbered so that the count can
/// be checked by eye). The engine itself calls only those two.
///
/// Matrices are 4x3 as everywhere in the engine: the view and world
/// matrices imply the fourth column (0, 0, 0, 1), the projection matrix
/// (0, 0, -1, 0) as built by cFrustumInfo. Colours are taken as cColor and
/// packed by the device into its own pixel format. Texture stages and light
/// and clip-plane indices count from 0 up to what GetCaps reports; a device
/// ignores a state it does not support.
///
/// The enumerations' values are binding: they index the tables of
/// cVideoCaps and are the names BuildEnumTable writes.
class TOLMAK_API cVideo3D : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Surfaces of the swap chain.
  enum class ESurface : int32_t { Front = 1, Back = 2 };
  enum class EMatrix : int32_t { Projection = 0, View = 1, World = 2 };
  enum class EPrimitive : int32_t {
    Points = 1,
    Lines = 2,
    LineStrip = 3,
    Triangles = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
  };
  /// Edge anti-aliasing: whether it needs the primitives sorted back to front.
  enum class EAlias : int32_t { SortDependent = 1, SortIndependent = 2 };
  enum class ECompareFunction : int32_t {
    Never = 1,
    Less = 2,
    Equal = 3,
    LessEqual = 4,
    Greater = 5,
    NotEqual = 6,
    GreaterEqual = 7,
    Always = 8,
  };
  enum class EBlendFunction : int32_t {
    Zero = 1,
    One = 2,
    SrcColor = 3,
    InvSrcColor = 4,
    SrcAlpha = 5,
    InvSrcAlpha = 6,
    DestAlpha = 7,
    InvDestAlpha = 8,
    DestColor = 9,
    InvDestColor = 10,
    SrcAlphaSat = 11,
  };
  /// How a drawn pixel combines with the one in the target, as one state.
  enum class EPixelFunction : int32_t {
    Disable = 0,
    Mul = 1,
    Mul2X = 2,
    Add = 3,
    AlphaBlend = 4,
    AddAlphaBlend = 5,
    Darken = 6,
  };
  enum class EFog : int32_t { Exponential = 1, Exponential2 = 2, Linear = 3 };
  enum class EShading : int32_t { Flat = 1, Gouraud = 2, Phong = 3 };
  /// Which winding is culled; no member has the value 1.
  enum class ECulling : int32_t { Disabled = 0, Clockwise = 2, CounterClockwise = 3 };
  enum class EPrimitiveStyle : int32_t { Vertexed = 1, WireFramed = 2, Solid = 3 };
  /// Where a lighting colour comes from: the material or a vertex colour.
  enum class ESource : int32_t { Material = 0, Diffuse = 1, Specular = 2 };
  enum class ELight : int32_t { Omni = 1, Spot = 2, Directional = 3 };
  /// How a texture stage combines its texel with the stage before it.
  enum class ETexelFunction : int32_t {
    DisableStage = 0,
    Mul = 1,
    Mul2X = 2,
    Mul4X = 3,
    Add = 4,
    AddSigned = 5,
    AddSigned2X = 6,
    AddSmooth = 7,
    Sub = 8,
    BlendAlpha = 9,
    Premodulate = 10,
    MulAlpha_AddColor = 11,
    MulColor_AddAlpha = 12,
    MulInvAlpha_AddColor = 13,
    MulInvColor_AddAlpha = 14,
    BumpEnv = 15,
    BumpEnvLight = 16,
    BumpDot3 = 17,
  };
  enum class EStencil : int32_t {
    Keep = 0,
    Null = 1,
    Replace = 2,
    Increase = 3,
    Decrease = 4,
    Invert = 5,
    IncreaseClamp = 6,
    DecreaseClamp = 7,
  };
  enum class EFilter : int32_t { Point = 0, Bilinear = 1, Trilinear = 2 };
  enum class EMemoryType : int32_t { DriverDecides = 0, SystemMemory = 1, VideoMemory = 2 };
  enum class EAddressMode : int32_t { Wrap = 1, Mirror = 2, Clamp = 3 };
  enum class ETextureUsage : int32_t { Normal = 0, Dynamic = 1, Static = 2, Finalized = 3 };

  cVideo3D() = default;
  cVideo3D(const cVideo3D&) = default;
  cVideo3D& operator=(const cVideo3D&) = default;
  ~cVideo3D() override;

  /// Adds the members of the enumeration called name ("ESurface" ...
  /// "ETextureUsage", exact and case-sensitive) to table, value first, in
  /// ascending value order. The table is not cleared first; an unknown name
  /// or a null table adds nothing.
  static void BuildEnumTable(const cString& name, cStringTable* table);

  // --- Device and frame (1-14) ---
  /// Opens the device at the record's size, depth and mode; false when the
  /// device cannot run that way.
  virtual bool InitDevice(cInitInfo* info) = 0;
  /// Releases everything the device created; InitDevice may follow again.
  virtual void ShutdownDevice() = 0;
  virtual bool IsInitialized() const = 0;
  /// Resizes the back buffer (a window was resized); false when impossible.
  virtual bool ResizeDevice(int width, int height) = 0;
  /// What the device can do, valid after InitDevice.
  virtual const cVideoCaps& GetCaps() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  /// Starts drawing a frame; drawing is refused outside BeginScene/EndScene.
  virtual bool BeginScene() = 0;
  virtual void EndScene() = 0;
  /// Shows the back buffer; false when the device was lost.
  virtual bool Flip() = 0;
  virtual void SetClearColor(const cColor& color) = 0;
  /// Depth written by Clear, 0 (near) to 1 (far).
  virtual void SetClearDepth(float depth) = 0;
  /// Clears the viewport of the render target in the chosen buffers.
  virtual void Clear(bool color, bool depth, bool stencil) = 0;
  /// The pixel format of the back buffer, which the application adopts.
  virtual const cPixelFormat& GetPixelFormat() const = 0;

  // --- Display (15-19) ---
  /// Switches between a window and the full screen; false when refused.
  virtual bool SetWindowed(bool windowed) = 0;
  virtual bool IsWindowed() const = 0;
  /// Makes Flip wait for the vertical retrace.
  virtual void EnableVSync(bool enable) = 0;
  /// Gamma of each channel, 1 leaving the colours as they are.
  virtual void SetGamma(float red, float green, float blue) = 0;
  /// Every render state back to the device's defaults, textures and lights unset.
  virtual void ResetRenderStates() = 0;

  // --- Viewport (20-22) ---
  /// The rectangle of the render target drawn into, in pixels.
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  virtual void GetViewport(int& x, int& y, int& width, int& height) const = 0;
  /// The depth values the viewport maps near and far to, within 0 to 1.
  virtual void SetDepthRange(float minimum, float maximum) = 0;

  // --- Matrices (23-27) ---
  virtual void SetMatrix(EMatrix which, const cMatrix4x3& matrix) = 0;
  virtual const cMatrix4x3& GetMatrix(EMatrix which) const = 0;
  /// The matrix becomes matrix * current: the new transform applies first.
  virtual void MultiplyMatrix(EMatrix which, const cMatrix4x3& matrix) = 0;
  /// Saves the current matrix of that kind on its own stack.
  virtual void PushMatrix(EMatrix which) = 0;
  /// Restores the last pushed matrix; an empty stack leaves it unchanged.
  virtual void PopMatrix(EMatrix which) = 0;

  // --- Geometry (28-38) ---
  /// Draws count vertices from first as primitives of the given type
  /// (count / 3 triangles, count - 2 strip triangles, ...).
  virtual void DrawPrimitive(EPrimitive type, const cVertexBuffer& vertices, uint32_t first,
                             uint32_t count) = 0;
  /// Draws count indices from first; the indices address the vertex buffer
  /// with the index buffer's minimum index added.
  virtual void DrawIndexedPrimitive(EPrimitive type, const cVertexBuffer& vertices,
                                    const cIndexBuffer& indices, uint32_t first,
                                    uint32_t count) = 0;
  /// A device copy of the vertices that can be drawn repeatedly without
  /// being sent again; null when the device cannot hold it. The device owns
  /// the handle until DestroyVertexBuffer.
  virtual hVertexBuffer* CreateVertexBuffer(const cVertexBuffer& source, ETextureUsage usage,
                                            EMemoryType memory) = 0;
  /// Refills a device copy (the source may have another length).
  virtual bool UpdateVertexBuffer(hVertexBuffer* buffer, const cVertexBuffer& source) = 0;
  virtual void DestroyVertexBuffer(hVertexBuffer* buffer) = 0;
  virtual hIndexBuffer* CreateIndexBuffer(const cIndexBuffer& source, ETextureUsage usage,
                                          EMemoryType memory) = 0;
  virtual bool UpdateIndexBuffer(hIndexBuffer* buffer, const cIndexBuffer& source) = 0;
  virtual void DestroyIndexBuffer(hIndexBuffer* buffer) = 0;
  /// DrawPrimitive from a device copy.
  virtual void DrawBuffer(EPrimitive type, hVertexBuffer* vertices, uint32_t first,
                          uint32_t count) = 0;
  /// DrawIndexedPrimitive from device copies.
  virtual void DrawIndexedBuffer(EPrimitive type, hVertexBuffer* vertices, hIndexBuffer* indices,
                                 uint32_t first, uint32_t count) = 0;
  /// Primitives drawn since the last BeginScene.
  virtual uint32_t GetPrimitivesDrawn() const = 0;

  // --- Depth buffer (39-43) ---
  virtual void EnableDepthTest(bool enable) = 0;
  virtual void SetDepthFunction(ECompareFunction function) = 0;
  virtual void EnableDepthWrite(bool enable) = 0;
  /// Depth by eye distance instead of the projected z, where supported.
  virtual void EnableWBuffer(bool enable) = 0;
  /// Pulls coplanar geometry (decals) towards the viewer; 0 for none.
  virtual void SetDepthBias(int bias) = 0;

  // --- Alpha test and blending (44-50) ---
  virtual void EnableAlphaTest(bool enable) = 0;
  virtual void SetAlphaFunction(ECompareFunction function) = 0;
  /// Alpha compared with by the alpha test, 0 to 255.
  virtual void SetAlphaReference(int reference) = 0;
  virtual void EnableBlending(bool enable) = 0;
  virtual void SetBlendFunction(EBlendFunction source, EBlendFunction destination) = 0;
  /// Sets blending from one of the common combinations; Disable turns it off.
  virtual void SetPixelFunction(EPixelFunction function) = 0;
  virtual void SetColorWriteMask(bool red, bool green, bool blue, bool alpha) = 0;

  // --- Rasterizer (51-57) ---
  virtual void SetCulling(ECulling culling) = 0;
  virtual void SetShading(EShading shading) = 0;
  /// Draws triangles as points, as edges or filled.
  virtual void SetPrimitiveStyle(EPrimitiveStyle style) = 0;
  virtual void EnableAntiAlias(bool enable, EAlias mode) = 0;
  virtual void EnableDithering(bool enable) = 0;
  /// Clipping against the viewport; off only for geometry known to be inside.
  virtual void EnableClipping(bool enable) = 0;
  /// Size of Points primitives, in pixels.
  virtual void SetPointSize(float size) = 0;

  // --- Fog (58-62) ---
  virtual void EnableFog(bool enable) = 0;
  virtual void SetFogMode(EFog mode) = 0;
  virtual void SetFogColor(const cColor& color) = 0;
  /// Distances where Linear fog starts and becomes total.
  virtual void SetFogRange(float start, float end) = 0;
  /// Density of the exponential modes.
  virtual void SetFogDensity(float density) = 0;

  // --- Lighting (63-70) ---
  virtual void EnableLighting(bool enable) = 0;
  virtual void SetAmbientLight(const cColor& color) = 0;
  /// Copies the light's kind, colours, range, attenuation, cone and world
  /// position into the device slot; a later change of the light needs
  /// another call.
  virtual void SetLight(int index, const cLight& light) = 0;
  virtual void EnableLight(int index, bool enable) = 0;
  virtual bool IsLightEnabled(int index) const = 0;
  virtual void EnableSpecular(bool enable) = 0;
  /// Renormalises normals after the world transform (for scaled meshes).
  virtual void EnableNormalize(bool enable) = 0;
  /// Specular highlights from the true eye direction instead of the view axis.
  virtual void EnableLocalViewer(bool enable) = 0;

  // --- Material (71-79) ---
  virtual void SetMaterialDiffuse(const cColor& color) = 0;
  virtual void SetMaterialAmbient(const cColor& color) = 0;
  virtual void SetMaterialSpecular(const cColor& color) = 0;
  virtual void SetMaterialEmissive(const cColor& color) = 0;
  /// Sharpness of the specular highlight.
  virtual void SetMaterialPower(float power) = 0;
  virtual void SetDiffuseSource(ESource source) = 0;
  virtual void SetAmbientSource(ESource source) = 0;
  virtual void SetSpecularSource(ESource source) = 0;
  virtual void SetEmissiveSource(ESource source) = 0;

  // --- Textures (80-97) ---
  /// An empty texture; the device fits the size with
  /// cVideoCaps::ValidateTextureSize and may pick a close format. Null on
  /// failure. The device owns it until DestroyTexture.
  virtual cSurface* CreateTexture(const tSize<int>& size, const cPixelFormat& format,
                                  ETextureUsage usage, EMemoryType memory) = 0;
  /// A texture holding one frame of the sprite, converted to a texture
  /// format close to the sprite's (its colour key becomes transparency).
  virtual cSurface* CreateTextureFrom(cSprite* sprite, int frame, ETextureUsage usage,
                                      EMemoryType memory) = 0;
  /// Reloads a texture's pixels from a sprite frame.
  virtual bool UpdateTexture(cSurface* texture, cSprite* sprite, int frame) = 0;
  virtual void DestroyTexture(cSurface* texture) = 0;
  virtual bool IsTextureFormatSupported(const cPixelFormat& format) const = 0;
  /// The supported texture format that scores best against the wanted one.
  virtual cPixelFormat ChooseTextureFormat(const cPixelFormat& wanted) const = 0;
  /// Null leaves the stage without a texture.
  virtual void SetTexture(int stage, cSurface* texture) = 0;
  virtual cSurface* GetTexture(int stage) const = 0;
  /// Colour operation of the stage; DisableStage ends the cascade there.
  virtual void SetTexelFunction(int stage, ETexelFunction function) = 0;
  virtual void SetTexelAlphaFunction(int stage, ETexelFunction function) = 0;
  virtual void SetTextureFilter(int stage, EFilter filter) = 0;
  virtual void SetTextureAddressMode(int stage, EAddressMode u, EAddressMode v) = 0;
  /// Which texture-coordinate set of the vertices the stage reads.
  virtual void SetTextureCoordinateSet(int stage, int set) = 0;
  virtual void SetTextureMatrix(int stage, const cMatrix4x3& matrix) = 0;
  /// The constant colour the texel functions can read.
  virtual void SetTextureFactor(const cColor& color) = 0;
  /// The 2x2 matrix that BumpEnv and BumpEnvLight apply to the bump texels.
  virtual void SetBumpEnvMatrix(int stage, float m00, float m01, float m10, float m11) = 0;
  /// Texels of a texture's colour key are not drawn.
  virtual void EnableTextureColorKey(bool enable) = 0;
  /// Shifts the mipmap level chosen; negative is sharper.
  virtual void SetMipmapBias(int stage, float bias) = 0;

  // --- Render targets (98-101) ---
  /// A surface of the swap chain, owned by the device.
  virtual cSurface* GetSurface(ESurface which) = 0;
  /// Draws into a texture created with ETextureUsage::Dynamic; null
  /// returns to the back buffer.
  virtual bool SetRenderTarget(cSurface* target) = 0;
  /// The current target; null for the back buffer.
  virtual cSurface* GetRenderTarget() const = 0;
  /// Copies a swap-chain surface into another (a screen shot).
  virtual bool CopySurface(ESurface source, cSurface* target) = 0;

  // --- Stencil buffer (102-108) ---
  virtual void EnableStencil(bool enable) = 0;
  virtual void SetStencilFunction(ECompareFunction function) = 0;
  virtual void SetStencilReference(uint32_t reference) = 0;
  /// Bits of the reference and the stored value that the test compares.
  virtual void SetStencilMask(uint32_t mask) = 0;
  virtual void SetStencilWriteMask(uint32_t mask) = 0;
  /// What happens to the stored value when the stencil test fails, when it
  /// passes but the depth test fails, and when both pass.
  virtual void SetStencilOperation(EStencil fail, EStencil depthFail, EStencil pass) = 0;
  /// Value written by Clear.
  virtual void SetClearStencil(uint32_t value) = 0;

  // --- User clip planes (109-110) ---
  /// A plane in world space; what lies behind it is clipped when enabled.
  virtual void SetClipPlane(int index, const cPlane& plane) = 0;
  virtual void EnableClipPlane(int index, bool enable) = 0;

  // --- Queries (111-112) ---
  /// Texture memory still free, in bytes.
  virtual uint32_t GetAvailableTextureMemory() const = 0;
  virtual bool IsModeSupported(int width, int height, int depth) const = 0;
};
