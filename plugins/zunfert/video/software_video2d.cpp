#include "software_video2d.h"

#include <algorithm>

#include "display_mode.h"

namespace zunfert {

cSoftwareVideo2D::cSoftwareVideo2D() = default;
cSoftwareVideo2D::~cSoftwareVideo2D() = default;

bool cSoftwareVideo2D::InitDevice(cInitInfo* info) {
  if (!info || !IsModeSupported(info->m_Width, info->m_Height, info->m_Depth)) return false;
  ShutdownDevice();
  m_Windowed = info->m_Windowed;
  m_VSync = info->m_VSync;
  m_Display.Open({info->m_Width, info->m_Height}, info->m_Depth);
  SetPalette(m_Palette);
  return true;
}

void cSoftwareVideo2D::ShutdownDevice() {
  m_Surfaces.clear();
  m_Display.Close();
}

bool cSoftwareVideo2D::ResizeDevice(int width, int height) {
  return m_Display.Resize(width, height);
}

bool cSoftwareVideo2D::SetWindowed(bool windowed) {
  m_Windowed = windowed;
  return true;
}

cSurface* cSoftwareVideo2D::CreateSurface(const tSize<int>& size, EMemoryType) {
  if (!m_Display.IsOpen() || size.width <= 0 || size.height <= 0 ||
      static_cast<uint64_t>(size.width) * size.height * m_Display.Format().GetTotalBytes() >
          GetAvailableMemory())
    return nullptr;
  m_Surfaces.push_back(std::make_unique<cSoftwareSurface>(size, m_Display.Format()));
  m_Surfaces.back()->SetPalette(m_Palette);
  return m_Surfaces.back().get();
}

cSurface* cSoftwareVideo2D::CreateSurfaceFrom(cSprite* sprite, int frame, EMemoryType memory) {
  if (!sprite || !sprite->GetFramePtr(frame)) return nullptr;
  cSurface* surface = CreateSurface(sprite->GetSize(), memory);
  if (surface && !surface->CopyFromSprite(sprite, frame)) {
    DestroySurface(surface);
    return nullptr;
  }
  return surface;
}

void cSoftwareVideo2D::DestroySurface(cSurface* surface) {
  auto it = std::find_if(m_Surfaces.begin(), m_Surfaces.end(),
                         [surface](const auto& owned) { return owned.get() == surface; });
  if (it != m_Surfaces.end()) m_Surfaces.erase(it);
}

bool cSoftwareVideo2D::Flip() {
  cSoftwareSurface* front = m_Display.Front();
  return front && front->Flip() && Output().Present(*front);
}

bool cSoftwareVideo2D::SetPalette(const cPalette& palette) {
  m_Palette = palette;
  if (m_Display.IsOpen()) {
    m_Display.Front()->SetPalette(palette);
    m_Display.Back()->SetPalette(palette);
  }
  return true;
}

bool cSoftwareVideo2D::IsModeSupported(int width, int height, int depth) const {
  return detail::IsDisplaySize(width, height) &&
         detail::DisplayFormat(depth) != cPixelFormat::Invalid;
}

uint32_t cSoftwareVideo2D::GetAvailableMemory() const {
  size_t used = 0;
  for (const auto& surface : m_Surfaces) used += surface->GetByteSize();
  return used >= kMemory ? 0 : static_cast<uint32_t>(kMemory - used);
}

}  // namespace zunfert
