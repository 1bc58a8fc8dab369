#include "tolmak_ApplicationEx.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "tolmak_video2d.h"
#include "tolmak_video3d.h"
#include "tolmak_videocaps.h"

namespace tolmak::detail {
namespace {

/// A new object of the plug-in class of that name when it is a T; an object
/// of another kind is destroyed, so a broken plug-in leaks nothing.
template <class T>
T* CreateAs(cPluginSystem* plugins, const char* className) {
  if (plugins == nullptr) return nullptr;
  cObject* object = plugins->Create(gCRC32(className));
  T* typed = dynamic_cast<T*>(object);
  if (typed == nullptr) plugins->Destroy(object);
  return typed;
}

/// Initialises the device when it is of that kind and returns its pixel
/// format through format; false for a device of another kind. A device
/// that refuses the mode is traced.
template <class Device>
bool InitDevice(cObject* video, cInitInfo& info, cPixelFormat& format) {
  auto* device = dynamic_cast<Device*>(video);
  if (device == nullptr) return false;
  if (!device->InitDevice(&info))
    trace(
        "InitVideo: the video device refused %d x %d in %d bits: the depth must be 16 or 32 and "
        "each side from 1 to what the device allows (the software device: 8192)",
        info.m_Width, info.m_Height, info.m_Depth);
  format = device->GetPixelFormat();
  return true;
}

/// Indexed by cApplicationEx::EImageType.
const char* const kLoaderClasses[] = {"cBmpSprite", "cPcxSprite", "cJpegSprite", "cTgaSprite"};

/// The loader class for an image file from its first bytes, or null.
const char* LoaderFor(const uint8_t* head, uint32_t size) {
  const auto starts = [&](std::initializer_list<uint8_t> magic) {
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), head);
  };
  if (starts({0x89, 'P', 'N', 'G'})) return "cPngSprite";
  if (starts({0xFF, 0xD8, 0xFF})) return "cJpegSprite";
  if (starts({'B', 'M'})) return "cBmpSprite";
  if (size >= 3 && head[0] == 0x0A && head[1] <= 5 && head[2] == 1) return "cPcxSprite";
  // TGA has no signature: a colour-map flag of 0 or 1 and a known image type.
  const auto tgaType = [](uint8_t t) { return (t >= 1 && t <= 3) || (t >= 9 && t <= 11); };
  if (size >= 18 && head[1] <= 1 && tgaType(head[2])) return "cTgaSprite";
  return nullptr;
}

}  // namespace
}  // namespace tolmak::detail

cApplicationEx::cApplicationEx(const cString& name) : cApplication(name) {}

cApplicationEx::~cApplicationEx() = default;

bool cApplicationEx::Init() {
  m_PluginSystem = cPluginSystem::GetInstance();
  if (!m_PluginSystem->LinkDLL("Zunfert.dll")) m_LinkError = m_PluginSystem->GetLinkError();
  return true;
}

void cApplicationEx::Exit() {
  cStreamManager::Delete();
  m_StreamManager = nullptr;
}

void cApplicationEx::EnumerateVideoDevices(EVideoType type, tArray<cString>& list) {
  list.Clear();
  m_VideoType = type;
  // The file and line are part of the engine's message.
  if (type == NoVideoType) throw cException("tolmak_ApplicationEx.cpp", 249, "Illigal VideoType");
  if (m_PluginSystem == nullptr) return;
  tArray<uint32_t> found;
  m_PluginSystem->Find(gCRC32(type == Video2D ? "cVideo2D" : "cVideo3D"), found);
  for (uint32_t classID : found)
    if (const iClassDesc* desc = m_PluginSystem->GetDescriptor(static_cast<int32_t>(classID)))
      list.Add(cString(desc->GetClassName()));
  found.Free();
}

bool cApplicationEx::Initialize(EDeviceTypes device, const cString& className) {
  using tolmak::detail::CreateAs;
  switch (device) {
    case Keyboard:
      m_Keyboard = CreateAs<cKeyboard>(m_PluginSystem, "cDefaultKeyboard");
      if (m_Keyboard == nullptr) {
        TraceMissingClass("cDefaultKeyboard");
        gShowError("Can't initialize keyboard drivers.");
      }
      return m_Keyboard != nullptr;
    case Mouse:
      m_Mouse = CreateAs<cMouse>(m_PluginSystem, "cDefaultMouse");
      if (m_Mouse == nullptr) {
        TraceMissingClass("cDefaultMouse");
        gShowError("Can't initialize mouse drivers.");
      }
      return m_Mouse != nullptr;
    case Video: {
      if (m_VideoType == NoVideoType) {
        trace(
            "Initialize(Video) before EnumerateVideoDevices: call EnumerateVideoDevices(Video3D "
            "or Video2D, list) first, which chooses the kind of video device");
        return false;
      }
      if (className.IsEmpty()) {
        trace(
            "Initialize(Video) needs the class name of a video device, one of those "
            "EnumerateVideoDevices lists");
        return false;
      }
      cObject* video = CreateAs<cObject>(m_PluginSystem, className.c_str());
      if (video == nullptr) {
        TraceMissingClass(className.c_str());
        gShowError("Can't initialize video drivers. You should install DirectX 7.0 or above");
        return false;
      }
      SetVideo(video);
      return true;
    }
    case StreamManager:
      cStreamManager::New();
      m_StreamManager = cStreamManager::GetInstance();
      return true;
  }
  return false;
}

void cApplicationEx::InitVideo(uint16_t width, uint16_t height, uint8_t depth, bool flag, int value,
                               const cString& title) {
  cObject* video = GetVideo();
  if (video == nullptr) {
    trace("InitVideo without a video device: call Initialize(Video, name) first");
    return;
  }
  cInitInfo info;
  info.m_Width = width;
  info.m_Height = height;
  info.m_Depth = depth;
  info.m_Windowed = flag;
  info.m_Title = title.IsEmpty() ? GetApplicationName() : title;
  if (value != 0) info.m_Window = value;
  using tolmak::detail::InitDevice;
  if (m_VideoType == Video2D)
    InitDevice<cVideo2D>(video, info, m_PixelFormat);
  else
    InitDevice<cVideo3D>(video, info, m_PixelFormat);
}

bool cApplicationEx::LoadImage(EImageType type, const cString& fileName, cSprite* sprite,
                               int frameWidth, int frameHeight) {
  if (sprite == nullptr || type < Bmp || type > Tga) return false;
  return LoadWith(tolmak::detail::kLoaderClasses[type], fileName, sprite, frameWidth, frameHeight);
}

bool cApplicationEx::LoadImage(const cString& fileName, cSprite* sprite, int frameWidth,
                               int frameHeight) {
  if (sprite == nullptr) return false;
  iIOStream* stream = OpenImage(fileName);
  if (stream == nullptr) return false;
  uint8_t head[18] = {};
  const uint32_t size = stream->Read(head, sizeof head);
  stream->Close();
  const char* loader = tolmak::detail::LoaderFor(head, size);
  if (loader == nullptr) {
    trace("LoadImage: \"%s\" is no BMP, PCX, TGA, JPEG or PNG file", fileName.c_str());
    return false;
  }
  return LoadWith(loader, fileName, sprite, frameWidth, frameHeight);
}

bool cApplicationEx::StartVideo(EVideoType type, const cString& className, uint16_t width,
                                uint16_t height, uint8_t depth) {
  tArray<cString> drivers;
  EnumerateVideoDevices(type, drivers);
  if (!Initialize(Video, className)) return false;
  if (m_StreamManager == nullptr) Initialize(StreamManager);
  InitVideo(width, height, depth, true, 0);
  if (auto* video = dynamic_cast<cVideo2D*>(GetVideo())) return video->IsInitialized();
  return GetVideo3D() != nullptr && GetVideo3D()->IsInitialized();
}

cVideo3D* cApplicationEx::GetVideo3D() const {
  return dynamic_cast<cVideo3D*>(GetVideo());
}

bool cApplicationEx::SetFrameOutput(const cString& pattern) {
  cObject* video = GetVideo();
  if (video == nullptr) {
    trace("SetFrameOutput without a video device: call Initialize(Video, name) first");
    return false;
  }
  return gSetProperty(video, "Output", pattern);
}

iIOStream* cApplicationEx::OpenImage(const cString& fileName) {
  if (m_StreamManager == nullptr) {
    trace("LoadImage(\"%s\") without a stream manager: call Initialize(StreamManager) first",
          fileName.c_str());
    return nullptr;
  }
  iIOStream* stream = m_StreamManager->Open(cUrl(fileName), cStreamManager::OpenRead);
  if (stream == nullptr)
    trace("LoadImage: cannot open \"%s\" (no such file, or not readable)", fileName.c_str());
  return stream;
}

void cApplicationEx::TraceMissingClass(const char* className) const {
  if (!m_LinkError.IsEmpty())
    trace(
        "%s: put it beside libvarnlib or on the loader's path, or add its folder with "
        "cPluginSystem::AddSearchFolder before Init",
        m_LinkError.c_str());
  else
    trace(
        "No plug-in class \"%s\" of the right kind is registered (check the spelling; "
        "EnumerateVideoDevices lists the video devices)",
        className);
}

bool cApplicationEx::LoadWith(const char* loaderClass, const cString& fileName, cSprite* sprite,
                              int frameWidth, int frameHeight) {
  cSprite* loader = tolmak::detail::CreateAs<cSprite>(m_PluginSystem, loaderClass);
  if (loader == nullptr) {
    TraceMissingClass(loaderClass);
    return false;
  }
  m_ImageStream = OpenImage(fileName);
  if (m_ImageStream == nullptr) {
    m_PluginSystem->Destroy(loader);
    return false;
  }
  try {
    static_cast<iSerializable*>(loader)->Load(*m_ImageStream);
    std::exchange(m_ImageStream, nullptr)->Close();
    sprite->SetPixelFormat(m_PixelFormat);
    sprite->CreateFrom(loader, frameWidth, frameHeight);
  } catch (...) {
    m_PluginSystem->Destroy(loader);
    if (m_ImageStream != nullptr) std::exchange(m_ImageStream, nullptr)->Close();
    throw;
  }
  m_PluginSystem->Destroy(loader);
  return true;
}
