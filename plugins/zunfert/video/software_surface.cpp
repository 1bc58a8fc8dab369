#include "software_surface.h"

#include <algorithm>
#include <utility>

#include "pixel_codec.h"

namespace zunfert {

namespace {

/// Keeps a foreign source locked for the time of a copy.
class cSourceLock {
 public:
  explicit cSourceLock(cSurface* surface) : m_Surface(surface), m_Locked(!surface->IsLocked()) {
    m_Pixels = static_cast<const uint8_t*>(m_Locked ? surface->Lock() : surface->GetPtr());
  }
  ~cSourceLock() {
    if (m_Locked) m_Surface->Unlock();
  }
  cSourceLock(const cSourceLock&) = delete;
  cSourceLock& operator=(const cSourceLock&) = delete;
  const uint8_t* Row(int y) const {
    return m_Pixels + static_cast<ptrdiff_t>(y) * m_Surface->GetPitch();
  }
  bool IsValid() const { return m_Pixels != nullptr; }

 private:
  cSurface* m_Surface;
  bool m_Locked;
  const uint8_t* m_Pixels;
};

}  // namespace

const cString& cSoftwareSurface::TypeName() {
  static const cString name("cSoftwareSurface");
  return name;
}

cSoftwareSurface::cSoftwareSurface(const tSize<int>& size, const cPixelFormat& format) {
  Allocate(size, format);
}

cSoftwareSurface::~cSoftwareSurface() = default;

void cSoftwareSurface::Allocate(const tSize<int>& size, const cPixelFormat& format) {
  const int width = std::max(size.width, 0);
  const int height = std::max(size.height, 0);
  m_Pitch = static_cast<int32_t>((static_cast<uint32_t>(width) * format.GetTotalBytes() + 3) & ~3u);
  std::vector<uint8_t>(static_cast<size_t>(m_Pitch) * height).swap(m_Pixels);
  m_Size = {width, height};
  m_PixelFormat = format;
  m_Data = m_Pixels.data();
  MarkChanged();
}

bool cSoftwareSurface::Clear(uint32_t pixel) {
  return FillRect(0, 0, m_Size.width, m_Size.height, pixel);
}

bool cSoftwareSurface::FillRect(int x, int y, int width, int height, uint32_t pixel) {
  if (m_PixelFormat.GetTotalBytes() == 0) return false;
  CompleteWork();
  MarkChanged();
  FillRows(x, y, width, height, pixel);
  return true;
}

void cSoftwareSurface::FillRows(int x, int y, int width, int height, uint32_t pixel) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, m_Size.width), y1 = std::min(y + height, m_Size.height);
  const uint32_t bytes = m_PixelFormat.GetTotalBytes();
  for (int row = y0; row < y1 && x0 < x1; ++row) {
    uint8_t* p = GetRow(row) + static_cast<size_t>(x0) * bytes;
    // Whole words where the width allows: clearing is a large part of a frame.
    if (bytes == 4) {
      std::fill_n(reinterpret_cast<uint32_t*>(p), x1 - x0, pixel);
    } else if (bytes == 2) {
      std::fill_n(reinterpret_cast<uint16_t*>(p), x1 - x0, static_cast<uint16_t>(pixel));
    } else {
      for (int i = x0; i < x1; ++i, p += bytes) detail::StorePixel(p, bytes, pixel);
    }
  }
}

bool cSoftwareSurface::Blit(int x, int y, cSurface* source) {
  return source && CopyRect(x, y, source, 0, 0, source->GetWidth(), source->GetHeight());
}

bool cSoftwareSurface::BlitRect(int x, int y, cSurface* source, int sourceX, int sourceY, int width,
                                int height) {
  return source && CopyRect(x, y, source, sourceX, sourceY, width, height);
}

bool cSoftwareSurface::CopyRect(int x, int y, cSurface* source, int sourceX, int sourceY, int width,
                                int height) {
  // Clip against the source first, then the target, moving both origins.
  int left = std::max({0, -sourceX, -x});
  int top = std::max({0, -sourceY, -y});
  width = std::min({width, source->GetWidth() - sourceX, m_Size.width - x});
  height = std::min({height, source->GetHeight() - sourceY, m_Size.height - y});
  if (width <= left || height <= top || m_PixelFormat.GetTotalBytes() == 0) return true;
  CompleteWork();
  cSourceLock lock(source);
  if (!lock.IsValid()) return false;
  MarkChanged();
  const uint32_t inBytes = source->GetPixelFormat().GetTotalBytes();
  const uint32_t outBytes = m_PixelFormat.GetTotalBytes();
  for (int row = top; row < height; ++row) {
    const uint8_t* in = lock.Row(sourceY + row) + static_cast<size_t>(sourceX + left) * inBytes;
    uint8_t* out = GetRow(y + row) + static_cast<size_t>(x + left) * outBytes;
    CopyKeyedRow(in, *source, out, width - left);
  }
  return true;
}

void cSoftwareSurface::CopyKeyedRow(const uint8_t* source, const cSurface& from, uint8_t* target,
                                    int count) {
  const cPixelFormat& format = from.GetPixelFormat();
  if (!from.IsColorKeyEnabled()) {
    detail::ConvertRow(source, format, &from.GetPalette(), target, m_PixelFormat, count);
    return;
  }
  const uint32_t inBytes = format.GetTotalBytes();
  const uint32_t outBytes = m_PixelFormat.GetTotalBytes();
  for (int i = 0; i < count; ++i, source += inBytes, target += outBytes) {
    if (detail::LoadPixel(source, inBytes) != from.GetColorKey())
      detail::ConvertRow(source, format, &from.GetPalette(), target, m_PixelFormat, 1);
  }
}

bool cSoftwareSurface::StretchBlit(int x, int y, int width, int height, cSurface* source) {
  if (!source || width <= 0 || height <= 0) return source != nullptr;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, m_Size.width), y1 = std::min(y + height, m_Size.height);
  if (x0 >= x1 || y0 >= y1 || m_PixelFormat.GetTotalBytes() == 0) return true;
  CompleteWork();
  cSourceLock lock(source);
  if (!lock.IsValid()) return false;
  MarkChanged();
  const uint32_t inBytes = source->GetPixelFormat().GetTotalBytes();
  const uint32_t outBytes = m_PixelFormat.GetTotalBytes();
  for (int row = y0; row < y1; ++row) {
    // Pixel centres map to pixel centres.
    const int64_t sy = (int64_t{2 * (row - y) + 1} * source->GetHeight()) / (2 * int64_t{height});
    const uint8_t* in = lock.Row(static_cast<int>(sy));
    uint8_t* out = GetRow(row) + static_cast<size_t>(x0) * outBytes;
    for (int column = x0; column < x1; ++column, out += outBytes) {
      const int64_t sx =
          (int64_t{2 * (column - x) + 1} * source->GetWidth()) / (2 * int64_t{width});
      CopyKeyedRow(in + sx * inBytes, *source, out, 1);
    }
  }
  return true;
}

bool cSoftwareSurface::CopyFromSprite(cSprite* sprite, int frame) {
  const uint8_t* pixels =
      sprite ? static_cast<const uint8_t*>(sprite->GetFramePtr(frame)) : nullptr;
  if (!pixels || sprite->GetPixelFormat().GetTotalBytes() == 0) return false;
  CompleteWork();
  const cPixelFormat format = m_PixelFormat;
  Allocate(sprite->GetSize(), format);
  for (int row = 0; row < m_Size.height; ++row)
    detail::ConvertRow(pixels + static_cast<ptrdiff_t>(row) * sprite->GetPitch(),
                       sprite->GetPixelFormat(), &sprite->GetPalette(), GetRow(row), m_PixelFormat,
                       m_Size.width);
  if (sprite->IsColorKeyEnabled())
    EnableColorKey(detail::FromArgb(
        m_PixelFormat,
        detail::ToArgb(sprite->GetPixelFormat(), &sprite->GetPalette(), sprite->GetColorKey())));
  else
    DisableColorKey();
  return true;
}

bool cSoftwareSurface::Flip() {
  auto* other = dynamic_cast<cSoftwareSurface*>(m_Attached);
  if (!other || other->m_Size.width != m_Size.width || other->m_Size.height != m_Size.height ||
      other->m_PixelFormat != m_PixelFormat)
    return false;
  CompleteWork();
  other->CompleteWork();
  m_Pixels.swap(other->m_Pixels);
  m_Data = m_Pixels.data();
  other->m_Data = other->m_Pixels.data();
  MarkChanged();
  other->MarkChanged();
  return true;
}

bool cSoftwareSurface::LockSurface() {
  CompleteWork();
  m_Data = m_Pixels.data();
  return true;
}

bool cSoftwareSurface::UnlockSurface() {
  MarkChanged();  // the pixels may have been written while locked
  return true;
}

}  // namespace zunfert
