#include "tolmak_ApplicationEx.h"

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
/// format through format; false for a device of another kind.
template <class Device>
bool InitDevice(cObject* video, cInitInfo& info, cPixelFormat& format) {
  auto* device = dynamic_cast<Device*>(video);
  if (device == nullptr) return false;
  device->InitDevice(&info);
  format = device->GetPixelFormat();
  return true;
}

/// Indexed by cApplicationEx::EImageType.
const char* const kLoaderClasses[] = {"cBmpSprite", "cPcxSprite", "cJpegSprite", "cTgaSprite"};

}  // namespace
}  // namespace tolmak::detail

cApplicationEx::cApplicationEx(const cString& name) : cApplication(name) {}

cApplicationEx::~cApplicationEx() = default;

bool cApplicationEx::Init() {
  m_PluginSystem = cPluginSystem::GetInstance();
  m_PluginSystem->LinkDLL("Zunfert.dll");
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
      if (m_Keyboard == nullptr) gShowError("Can't initialize keyboard drivers.");
      return m_Keyboard != nullptr;
    case Mouse:
      m_Mouse = CreateAs<cMouse>(m_PluginSystem, "cDefaultMouse");
      if (m_Mouse == nullptr) gShowError("Can't initialize mouse drivers.");
      return m_Mouse != nullptr;
    case Video: {
      if (className.IsEmpty() || m_VideoType == NoVideoType) return false;
      cObject* video = CreateAs<cObject>(m_PluginSystem, className.c_str());
      if (video == nullptr) {
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
  if (video == nullptr) return;
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
  using tolmak::detail::kLoaderClasses;
  if (sprite == nullptr || type < Bmp || type > Tga) return false;
  cSprite* loader = tolmak::detail::CreateAs<cSprite>(m_PluginSystem, kLoaderClasses[type]);
  if (loader == nullptr) return false;
  m_ImageStream =
      m_StreamManager ? m_StreamManager->Open(cUrl(fileName), cStreamManager::OpenRead) : nullptr;
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
