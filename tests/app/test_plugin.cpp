// The stand-in for the plug-in library "Zunfert.dll" that the application
// tests link: video devices of both kinds (the sample plug-in's software
// devices, recording their set-up), the default keyboard and mouse, and the
// four image loaders. What the engine asks of them is written through
// trace, one line per call, for the tests to read back.
#include <tolmak.h>
#include <zunfert_video.h>

#include <cstdint>
#include <cstring>

namespace {

// Every input operation that the application never calls does nothing.
// clang-format off
#define NONE override {}
#define ZERO override { return {}; }

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
// clang-format on

/// A video device that writes the record it is initialised with, every
/// field in order, and answers with a pixel format of its own.
template <class Device>
class tRecordingVideo : public Device {
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

class cWindowVideo2D : public tRecordingVideo<zunfert::cSoftwareVideo2D> {
 public:
  cWindowVideo2D() { m_Format = cPixelFormat::RGB565; }
  iClassDesc* GetDescriptor() const override;
};

/// A driver derived from another driver: listed as a 2D device too.
class cFullscreenVideo2D : public cWindowVideo2D {
 public:
  iClassDesc* GetDescriptor() const override;
};

class cHardwareVideo3D : public tRecordingVideo<zunfert::cSoftwareVideo3D> {
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
