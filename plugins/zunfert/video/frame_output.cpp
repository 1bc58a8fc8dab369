#include "frame_output.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "pixel_codec.h"
#include "zunfert_image.h"

namespace zunfert {

void cFrameOutput::SetPattern(const cString& pattern) {
  m_Writer.Wait();
  m_Pattern = pattern;
  m_Frames = 0;
}

std::string cFrameOutput::FileName(uint32_t frame) const {
  const std::string pattern(m_Pattern.c_str());
  const size_t at = pattern.find('%');
  if (at == std::string::npos) return pattern;
  size_t end = at + 1;
  size_t width = 0;
  if (end + 1 < pattern.size() && pattern[end] == '0' &&
      std::isdigit(static_cast<unsigned char>(pattern[end + 1]))) {
    width = static_cast<size_t>(pattern[end + 1] - '0');
    end += 2;
  }
  if (end >= pattern.size() || pattern[end] != 'd') return pattern;
  std::string number = std::to_string(frame);
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return pattern.substr(0, at) + number + pattern.substr(end + 1);
}

bool cFrameOutput::Present(const cSurface& surface) {
  if (m_Pattern.IsEmpty()) return true;
  const auto* pixels = static_cast<const uint8_t*>(surface.GetPtr());
  if (!pixels || surface.GetWidth() <= 0 || surface.GetHeight() <= 0) return false;
  const auto width = static_cast<uint32_t>(surface.GetWidth());
  const auto height = static_cast<uint32_t>(surface.GetHeight());
  uint32_t* frame = m_Writer.NextFrame(width, height);
  for (uint32_t y = 0; y < height; ++y)
    detail::ConvertRow(pixels + static_cast<size_t>(y) * surface.GetPitch(),
                       surface.GetPixelFormat(), &surface.GetPalette(),
                       reinterpret_cast<uint8_t*>(frame + size_t{y} * width),
                       cPixelFormat::ARGB8888, surface.GetWidth());
  // A frame whose file failed gives its number to this one.
  const bool before = m_Writer.Wait();
  if (!before) --m_Frames;
  m_Writer.Write(FileName(m_Frames++));
  return before;
}

uint32_t cFrameOutput::GetFrameCount() const {
  if (!m_Writer.Wait()) --m_Frames;
  return m_Frames;
}

bool WritePng(const cSurface& surface, const std::string& fileName) {
  const auto* pixels = static_cast<const uint8_t*>(surface.GetPtr());
  if (!pixels || surface.GetWidth() <= 0 || surface.GetHeight() <= 0) return false;
  cImage image = cImage::MakeArgb(static_cast<uint32_t>(surface.GetWidth()),
                                  static_cast<uint32_t>(surface.GetHeight()));
  for (uint32_t y = 0; y < image.GetHeight(); ++y) {
    uint32_t* row = image.ArgbRow(y);
    detail::ConvertRow(pixels + static_cast<size_t>(y) * surface.GetPitch(),
                       surface.GetPixelFormat(), &surface.GetPalette(),
                       reinterpret_cast<uint8_t*>(row), cPixelFormat::ARGB8888, surface.GetWidth());
    for (uint32_t x = 0; x < image.GetWidth(); ++x) row[x] |= 0xFF000000u;
  }
  try {
    cMemorySink sink;
    EncodePng(image, sink);
    const std::filesystem::path path(fileName);
    std::error_code ignored;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(sink.GetBytes().data()),
               static_cast<std::streamsize>(sink.GetBytes().size()));
    return static_cast<bool>(file);
  } catch (const cImageError&) {
    return false;
  }
}

}  // namespace zunfert
