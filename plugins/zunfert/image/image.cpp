#include <algorithm>
#include <cstring>
#include <string>

#include "zunfert_image.h"

namespace zunfert {
namespace {

size_t PixelCount(uint32_t width, uint32_t height) {
  if (height != 0 && width > SIZE_MAX / sizeof(uint32_t) / height)
    throw cImageError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels does not fit in memory");
  return size_t{width} * height;
}

}  // namespace

cImage cImage::MakeArgb(uint32_t width, uint32_t height) {
  cImage image;
  image.m_Argb.resize(PixelCount(width, height));
  image.m_Width = width;
  image.m_Height = height;
  return image;
}

cImage cImage::MakeIndexed(uint32_t width, uint32_t height) {
  cImage image;
  image.m_Indices.resize(PixelCount(width, height));
  image.m_Width = width;
  image.m_Height = height;
  image.m_Indexed = true;
  image.m_Palette.fill(0xFF000000);
  return image;
}

uint32_t cImage::GetPixel(uint32_t x, uint32_t y) const {
  const size_t at = size_t{y} * m_Width + x;
  return m_Indexed ? m_Palette[m_Indices[at]] : m_Argb[at];
}

cImage cImage::ToArgb() const {
  if (!m_Indexed) return *this;
  cImage image = MakeArgb(m_Width, m_Height);
  std::transform(m_Indices.begin(), m_Indices.end(), image.m_Argb.begin(),
                 [this](uint8_t index) { return m_Palette[index]; });
  return image;
}

uint32_t cMemorySource::Read(void* buffer, uint32_t size) {
  const size_t count = std::min<size_t>(size, m_Size - m_Position);
  if (count > 0) std::memcpy(buffer, m_Data + m_Position, count);
  m_Position += count;
  return static_cast<uint32_t>(count);
}

uint32_t cMemorySink::Write(const void* buffer, uint32_t size) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  m_Bytes.insert(m_Bytes.end(), bytes, bytes + size);
  return size;
}

}  // namespace zunfert
