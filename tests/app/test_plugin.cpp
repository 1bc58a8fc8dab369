// The stand-in for the plug-in library "Zunfert.dll" that the application
// tests link: video devices of both kinds, the default keyboard and mouse,
// and the four image loaders. What the engine asks of them is written
// through trace, one line per call, for the tests to read back.
#include <tolmak.h>

#include <cstdint>
#include <cstring>

namespace {

template <class T>
T& Nil() {
  static T value;
  return value;
}

// Every device operation that the application never calls does nothing.
// clang-format off
#define NONE override {}
#define ZERO override { return {}; }
#define NIL(T) override { return Nil<T>(); }

class cInertVideo2D : public cVideo2D {
 public:
  void ShutdownDevice() NONE bool IsInitialized() const ZERO bool ResizeDevice(int,int) ZERO
  int GetWidth() const ZERO int GetHeight() const ZERO bool SetWindowed(bool) ZERO
  bool IsWindowed() const ZERO cSurface* GetFrontSurface() ZERO cSurface* GetBackSurface() ZERO
  cSurface* CreateSurface(const tSize<int>&,EMemoryType) ZERO
  cSurface* CreateSurfaceFrom(cSprite*,int,EMemoryType) ZERO void DestroySurface(cSurface*) NONE
  bool Flip() ZERO void EnableVSync(bool) NONE bool SetPalette(const cPalette&) ZERO
  const cPalette& GetPalette() const NIL(cPalette) bool IsModeSupported(int,int,int) const ZERO
  uint32_t GetAvailableMemory() const ZERO
};

class cInertVideo3D : public cVideo3D {
 public:
  void ShutdownDevice() NONE bool IsInitialized() const ZERO bool ResizeDevice(int,int) ZERO
  const cVideoCaps& GetCaps() const NIL(cVideoCaps) int GetWidth() const ZERO
  int GetHeight() const ZERO bool BeginScene() ZERO void EndScene() NONE bool Flip() ZERO
  void SetClearColor(const cColor&) NONE void SetClearDepth(float) NONE
  void Clear(bool,bool,bool) NONE bool SetWindowed(bool) ZERO bool IsWindowed() const ZERO
  void EnableVSync(bool) NONE void SetGamma(float,float,float) NONE void ResetRenderStates() NONE
  void SetViewport(int,int,int,int) NONE void GetViewport(int&,int&,int&,int&) const NONE
  void SetDepthRange(float,float) NONE void SetMatrix(EMatrix,const cMatrix4x3&) NONE
  const cMatrix4x3& GetMatrix(EMatrix) const NIL(cMatrix4x3)
  void MultiplyMatrix(EMatrix,const cMatrix4x3&) NONE void PushMatrix(EMatrix) NONE
  void PopMatrix(EMatrix) NONE
  void DrawPrimitive(EPrimitive,const cVertexBuffer&,uint32_t,uint32_t) NONE
  void DrawIndexedPrimitive(EPrimitive,const cVertexBuffer&,const cIndexBuffer&,uint32_t,uint32_t) NONE
  hVertexBuffer* CreateVertexBuffer(const cVertexBuffer&,ETextureUsage,EMemoryType) ZERO
  bool UpdateVertexBuffer(hVertexBuffer*,const cVertexBuffer&) ZERO
  void DestroyVertexBuffer(hVertexBuffer*) NONE
  hIndexBuffer* CreateIndexBuffer(const cIndexBuffer&,ETextureUsage,EMemoryType) ZERO
  bool UpdateIndexBuffer(hIndexBuffer*,const cIndexBuffer&) ZERO
  void DestroyIndexBuffer(hIndexBuffer*) NONE
  void DrawBuffer(EPrimitive,hVertexBuffer*,uint32_t,uint32_t) NONE
  void DrawIndexedBuffer(EPrimitive,hVertexBuffer*,hIndexBuffer*,uint32_t,uint32_t) NONE
  uint32_t GetPrimitivesDrawn() const ZERO void EnableDepthTest(bool) NONE
  void SetDepthFunction(ECompareFunction) NONE void EnableDepthWrite(bool) NONE
  void EnableWBuffer(bool) NONE void SetDepthBias(int) NONE void EnableAlphaTest(bool) NONE
  void SetAlphaFunction(ECompareFunction) NONE void SetAlphaReference(int) NONE
  void EnableBlending(bool) NONE void SetBlendFunction(EBlendFunction,EBlendFunction) NONE
  void SetPixelFunction(EPixelFunction) NONE void SetColorWriteMask(bool,bool,bool,bool) NONE
  void SetCulling(ECulling) NONE void SetShading(EShading) NONE
  void SetPrimitiveStyle(EPrimitiveStyle) NONE void EnableAntiAlias(bool,EAlias) NONE
  void EnableDithering(bool) NONE void EnableClipping(bool) NONE void SetPointSize(float) NONE
  void EnableFog(bool) NONE void SetFogMode(EFog) NONE void SetFogColor(const cColor&) NONE
  void SetFogRange(float,float) NONE void SetFogDensity(float) NONE void EnableLighting(bool) NONE
  void SetAmbientLight(const cColor&) NONE void SetLight(int,const cLight&) NONE
  void EnableLight(int,bool) NONE bool IsLightEnabled(int) const ZERO void EnableSpecular(bool) NONE
  void EnableNormalize(bool) NONE void EnableLocalViewer(bool) NONE
  void SetMaterialDiffuse(const cColor&) NONE void SetMaterialAmbient(const cColor&) NONE
  void SetMaterialSpecular(const cColor&) NONE void SetMaterialEmissive(const cColor&) NONE
  void SetMaterialPower(float) NONE void SetDiffuseSource(ESource) NONE
  void SetAmbientSource(ESource) NONE void SetSpecularSource(ESource) NONE
  void SetEmissiveSource(ESource) NONE
  cSurface* CreateTexture(const tSize<int>&,const cPixelFormat&,ETextureUsage,EMemoryType) ZERO
  cSurface* CreateTextureFrom(cSprite*,int,ETextureUsage,EMemoryType) ZERO
  bool UpdateTexture(cSurface*,cSprite*,int) ZERO void DestroyTexture(cSurface*) NONE
  bool IsTextureFormatSupported(const cPixelFormat&) const ZERO
  cPixelFormat ChooseTextureFormat(const cPixelFormat&) const ZERO
  void SetTexture(int,cSurface*) NONE cSurface* GetTexture(int) const ZERO
  void SetTexelFunction(int,ETexelFunction) NONE void SetTexelAlphaFunction(int,ETexelFunction) NONE
  void SetTextureFilter(int,EFilter) NONE
  void SetTextureAddressMode(int,EAddressMode,EAddressMode) NONE
  void SetTextureCoordinateSet(int,int) NONE void SetTextureMatrix(int,const cMatrix4x3&) NONE
  void SetTextureFactor(const cColor&) NONE void SetBumpEnvMatrix(int,float,float,float,float) NONE
  void EnableTextureColorKey(bool) NONE void SetMipmapBias(int,float) NONE
  cSurface* GetSurface(ESurface) ZERO bool SetRenderTarget(cSurface*) ZERO
  cSurface* GetRenderTarget() const ZERO bool CopySurface(ESurface,cSurface*) ZERO
  void EnableStencil(bool) NONE void SetStencilFunction(ECompareFunction) NONE
  void SetStencilReference(uint32_t) NONE void SetStencilMask(uint32_t) NONE
  void SetStencilWriteMask(uint32_t) NONE void SetStencilOperation(EStencil,EStencil,EStencil) NONE
  void SetClearStencil(uint32_t) NONE void SetClipPlane(int,const cPlane&) NONE
  void EnableClipPlane(int,bool) NONE uint32_t GetAvailableTextureMemory() const ZERO
  bool IsModeSupported(int,int,int) const ZERO
};

class cKeyboardStandIn : public cKeyboard {
 public:
  iClassDesc* GetDescriptor() const override;
  bool Acquire() ZERO void Unacquire() NONE bool Update() ZERO char ReadChar() ZERO
  bool IsKeyPressed(int) ZERO void FlushBuffer() NONE
};

class cMouseStandIn : public cMouse {
 public:
  iClassDesc* GetDescriptor() const override;
  bool Acquire() ZERO void Unacquire() NONE bool Update() ZERO int GetX() const ZERO
  int GetY() const ZERO int GetWheel() const ZERO void GetMotion(int&,int&) const NONE
  bool IsButtonPressed(int) const ZERO int GetButtonCount() const ZERO
  void SetPosition(int,int) NONE void SetArea(int,int,int,int) NONE void SetSensitivity(float) NONE
  void ShowCursor(bool) NONE
};

#undef NONE
#undef ZERO
#undef NIL
// clang-format on

/// A video device that writes the record it is initialised with, every
/// field in order, and answers with a pixel format of its own.
template <class Inert>
class tRecordingVideo : public Inert {
 public:
  bool InitDevice(cInitInfo* info) override {
    trace("%s InitDevice %d %d %d %d %d%d%d%d %d '%s' %d '%s' %d",
          this->GetDescriptor()->GetClassName(), info->m_Width, info->m_Height, info->m_Depth,
          info->m_BackBuffers, info->m_Windowed, info->m_DepthBuffer, info->m_VSync,
          info->m_HardwareAcceleration, info->m_Adapter, info->m_DeviceName.c_str(),
          info->m_RefreshRate, info->m_Title.c_str(), info->m_Window);
    return true;
  }
  const cPixelFormat& GetPixelFormat() const override { return m_Format; }

 protected:
  cPixelFormat m_Format;
};

class cWindowVideo2D : public tRecordingVideo<cInertVideo2D> {
 public:
  cWindowVideo2D() { m_Format = cPixelFormat::RGB565; }
  iClassDesc* GetDescriptor() const override;
};

/// A driver derived from another driver: listed as a 2D device too.
class cFullscreenVideo2D : public cWindowVideo2D {
 public:
  iClassDesc* GetDescriptor() const override;
};

class cHardwareVideo3D : public tRecordingVideo<cInertVideo3D> {
 public:
  cHardwareVideo3D() { m_Format = cPixelFormat::ARGB8888; }
  iClassDesc* GetDescriptor() const override;
};

const char* const kLoaderNames[] = {"cBmpSprite", "cPcxSprite", "cJpegSprite", "cTgaSprite"};

/// An image loader, and a sprite a game loads images into, that writes its
/// creation, what it reads, what it is given and its destruction. Its width
/// becomes the number of bytes read; a file holding "throw" makes Load throw.
template <int Type>
class tLoader : public cSprite {
 public:
  tLoader() { trace("create %s", kLoaderNames[Type]); }
  ~tLoader() override { trace("destroy %s", kLoaderNames[Type]); }
  iClassDesc* GetDescriptor() const override;

  void Load(iIOStream& stream) override {
    char text[64] = {};
    const uint32_t size = stream.Read(text, sizeof text - 1);
    trace("%s Load %s '%s'", kLoaderNames[Type], stream.GetUrl().GetText().c_str(), text);
    if (std::strcmp(text, "throw") == 0) throw cException(__FILE__, __LINE__, "unreadable image");
    SetWidth(static_cast<int>(size));
  }
  bool Create(const tSize<int>&, int) override { return false; }
  void SetPixelFormat(const cPixelFormat& format) override {
    trace("%s SetPixelFormat %s", kLoaderNames[Type], format.GetShortName().c_str());
    cSprite::SetPixelFormat(format);
  }
  bool CreateFrom(cSprite* source, int frameWidth, int frameHeight) override {
    trace("%s CreateFrom %s %d %d %d", kLoaderNames[Type], source->GetDescriptor()->GetClassName(),
          source->GetWidth(), frameWidth, frameHeight);
    return true;
  }
  void* GetFramePtr(int) override { return nullptr; }
  void ReleaseFrames() override {}
};

tPluginClassDesc<cWindowVideo2D> gWindowVideo2D("cWindowVideo2D", "", &cVideo2D::m_Descriptor);
tPluginClassDesc<cFullscreenVideo2D> gFullscreenVideo2D("cFullscreenVideo2D", "", &gWindowVideo2D);
tPluginClassDesc<cHardwareVideo3D> gHardwareVideo3D("cHardwareVideo3D", "",
                                                    &cVideo3D::m_Descriptor);
tPluginClassDesc<cKeyboardStandIn> gKeyboard("cDefaultKeyboard", "", &cKeyboard::m_Descriptor);
tPluginClassDesc<cMouseStandIn> gMouse("cDefaultMouse", "", &cMouse::m_Descriptor);
tPluginClassDesc<tLoader<0>> gBmp(kLoaderNames[0], "", &cSprite::m_Descriptor);
tPluginClassDesc<tLoader<1>> gPcx(kLoaderNames[1], "", &cSprite::m_Descriptor);
tPluginClassDesc<tLoader<2>> gJpeg(kLoaderNames[2], "", &cSprite::m_Descriptor);
tPluginClassDesc<tLoader<3>> gTga(kLoaderNames[3], "", &cSprite::m_Descriptor);
iClassDesc* const kLoaders[] = {&gBmp, &gPcx, &gJpeg, &gTga};

// clang-format off
iClassDesc* cWindowVideo2D::GetDescriptor() const { return &gWindowVideo2D; }
iClassDesc* cFullscreenVideo2D::GetDescriptor() const { return &gFullscreenVideo2D; }
iClassDesc* cHardwareVideo3D::GetDescriptor() const { return &gHardwareVideo3D; }
iClassDesc* cKeyboardStandIn::GetDescriptor() const { return &gKeyboard; }
iClassDesc* cMouseStandIn::GetDescriptor() const { return &gMouse; }
template <int Type> iClassDesc* tLoader<Type>::GetDescriptor() const { return kLoaders[Type]; }
// clang-format on

}  // namespace

// The drivers of each kind are registered apart, so that the order found
// is the order registered and not an accident of grouping.
VARN_PLUGIN_REGISTER(plugins) {
  iClassDesc* const order[] = {
      &gWindowVideo2D, &gKeyboard, &gHardwareVideo3D, &gMouse, &gFullscreenVideo2D, &gBmp, &gPcx,
      &gJpeg,          &gTga};
  for (iClassDesc* desc : order) plugins->Register(desc);
}
