#include <algorithm>
#include <new>

#include "../class_desc.h"
#include "sprite_pixels.h"
#include "zunfert_sprite.h"

ZUNFERT_DEFINE_CLASS(cMemorySprite, "Sprite with its frames in main memory", &cSprite::m_Descriptor)

namespace zunfert::detail {

bool GetFrameLayout(const tSize<int>& size, const cPixelFormat& format, int frames,
                    cFrameLayout& layout) {
  const size_t bytes = format.GetTotalBytes();
  if (bytes == 0 || frames < 1 || size.width < 1 || size.height < 1 ||
      size.width > cMemorySprite::kMaxDimension || size.height > cMemorySprite::kMaxDimension)
    return false;
  layout.pitch = bytes * static_cast<size_t>(size.width);
  layout.frameBytes = layout.pitch * static_cast<size_t>(size.height);
  // Both factors are bounded, so the product cannot wrap before the test.
  if (static_cast<size_t>(frames) > cMemorySprite::kMaxBytes / layout.frameBytes) return false;
  layout.totalBytes = layout.frameBytes * static_cast<size_t>(frames);
  return true;
}

namespace {

/// Turns pixels of one format into another, a row at a time.
class cConverter {
 public:
  /// False when no conversion exists between the two.
  bool Init(const cPixelFormat& from, const cPalette& palette, const cPixelFormat& to) {
    m_From = from;
    m_To = to;
    m_Palette = &palette;
    m_FromBytes = from.GetTotalBytes();
    m_ToBytes = to.GetTotalBytes();
    if (from == to) return m_FromBytes != 0;
    const bool toIndices = to == cPixelFormat::Indexed || to == cPixelFormat::IndexAlpha;
    return m_FromBytes != 0 && m_ToBytes != 0 && !toIndices && from != cPixelFormat::IndexAlpha;
  }
  uint32_t ToArgb(uint32_t pixel) const {
    return m_From == cPixelFormat::Indexed ? (*m_Palette)[static_cast<int>(pixel & 0xFF)]
                                           : m_From.ConvertToARGB(pixel);
  }
  uint32_t Convert(uint32_t pixel) const {
    return m_From == m_To ? pixel : m_To.ConvertFromARGB(ToArgb(pixel));
  }
  void Row(const uint8_t* from, uint8_t* to, int count) const {
    if (m_From == m_To) {
      std::copy_n(from, static_cast<size_t>(count) * m_FromBytes, to);
      return;
    }
    for (int x = 0; x < count; ++x, from += m_FromBytes, to += m_ToBytes)
      WritePixel(to, m_ToBytes, Convert(ReadPixel(from, m_FromBytes)));
  }
  uint32_t GetFromBytes() const { return m_FromBytes; }

 private:
  cPixelFormat m_From, m_To;
  const cPalette* m_Palette = nullptr;
  uint32_t m_FromBytes = 0, m_ToBytes = 0;
};

/// The frames of a source sprite, cut into frames of another size.
struct cCut {
  int width, height;  // of the new frames
  int columns, rows;  // new frames per source frame
};

bool CutFrames(const cSprite& source, int frameWidth, int frameHeight, cCut& cut) {
  const int width = source.GetWidth(), height = source.GetHeight();
  cut.width = frameWidth == 0 ? width : frameWidth;
  cut.height = frameHeight == 0 ? height : frameHeight;
  if (cut.width < 1 || cut.height < 1 || cut.width > width || cut.height > height) return false;
  cut.columns = width / cut.width;
  cut.rows = height / cut.height;
  return true;
}

/// Copies every source frame's cut-outs into pixels, frame after frame.
bool CopyFrames(cSprite& source, const cCut& cut, const cConverter& converter,
                const cFrameLayout& layout, std::vector<uint8_t>& pixels) {
  const size_t sourceRow =
      size_t{converter.GetFromBytes()} * static_cast<size_t>(source.GetWidth());
  if (source.GetPitch() < 0 || static_cast<size_t>(source.GetPitch()) < sourceRow) return false;
  uint8_t* to = pixels.data();
  for (int frame = 0; frame < source.GetFrames(); ++frame) {
    const auto* from = static_cast<const uint8_t*>(source.GetFramePtr(frame));
    if (from == nullptr) return false;
    for (int row = 0; row < cut.rows; ++row)
      for (int column = 0; column < cut.columns; ++column)
        for (int y = 0; y < cut.height; ++y, to += layout.pitch)
          converter.Row(from + static_cast<size_t>(row * cut.height + y) * source.GetPitch() +
                            size_t{converter.GetFromBytes()} * column * cut.width,
                        to, cut.width);
  }
  return true;
}

}  // namespace
}  // namespace zunfert::detail

cMemorySprite::~cMemorySprite() = default;

bool cMemorySprite::Create(const tSize<int>& frameSize, int frames) {
  zunfert::detail::cFrameLayout layout;
  if (!zunfert::detail::GetFrameLayout(frameSize, m_PixelFormat, frames, layout)) return false;
  try {
    Adopt(frameSize, m_PixelFormat, frames, std::vector<uint8_t>(layout.totalBytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool cMemorySprite::CreateFrom(cSprite* source, int frameWidth, int frameHeight) {
  using namespace zunfert::detail;
  if (source == nullptr || source->GetFrames() < 1) return false;
  const cPixelFormat target =
      m_PixelFormat == cPixelFormat::Invalid ? source->GetPixelFormat() : m_PixelFormat;
  cConverter converter;
  cCut cut;
  cFrameLayout layout;
  if (!converter.Init(source->GetPixelFormat(), source->GetPalette(), target) ||
      !CutFrames(*source, frameWidth, frameHeight, cut) ||
      source->GetFrames() > INT32_MAX / cut.columns / cut.rows ||
      !GetFrameLayout({cut.width, cut.height}, target, source->GetFrames() * cut.columns * cut.rows,
                      layout))
    return false;
  try {
    std::vector<uint8_t> pixels(layout.totalBytes);
    if (!CopyFrames(*source, cut, converter, layout, pixels)) return false;
    // Everything is read from the source before this sprite changes: it may
    // be the source itself.
    const bool keyed = source->IsColorKeyEnabled();
    const uint32_t key = converter.Convert(source->GetColorKey());
    if (target == cPixelFormat::Indexed) SetPalette(source->GetPalette());
    Adopt({cut.width, cut.height}, target, source->GetFrames() * cut.columns * cut.rows,
          std::move(pixels));
    keyed ? EnableColorKey(key) : DisableColorKey();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void* cMemorySprite::GetFramePtr(int frame) {
  return const_cast<void*>(static_cast<const cMemorySprite*>(this)->GetFramePtr(frame));
}

const void* cMemorySprite::GetFramePtr(int frame) const {
  if (frame < 0 || frame >= m_Frames || m_Pixels.empty()) return nullptr;
  return m_Pixels.data() + GetFrameBytes() * static_cast<size_t>(frame);
}

void cMemorySprite::ReleaseFrames() {
  std::vector<uint8_t>().swap(m_Pixels);
  m_Frames = 0;
  m_Size = {0, 0};
  m_Pitch = 0;
}

uint32_t cMemorySprite::GetPixel(int frame, int x, int y) const {
  const auto* pixels = static_cast<const uint8_t*>(GetFramePtr(frame));
  if (pixels == nullptr || x < 0 || y < 0 || x >= m_Size.width || y >= m_Size.height) return 0;
  const uint32_t bytes = m_PixelFormat.GetTotalBytes();
  const uint32_t pixel = zunfert::detail::ReadPixel(
      pixels + static_cast<size_t>(y) * m_Pitch + size_t{bytes} * x, bytes);
  return m_PixelFormat == cPixelFormat::Indexed ? m_Palette[static_cast<int>(pixel)]
                                                : m_PixelFormat.ConvertToARGB(pixel);
}

void cMemorySprite::Adopt(const tSize<int>& size, const cPixelFormat& format, int frames,
                          std::vector<uint8_t>&& pixels) {
  m_Pixels = std::move(pixels);
  m_Size = size;
  m_PixelFormat = format;
  m_Frames = frames;
  m_Pitch = static_cast<int32_t>(format.GetTotalBytes()) * size.width;
}

void cMemorySprite::Reset() {
  ReleaseFrames();
  m_PixelFormat = cPixelFormat::Invalid;
  m_ColorKey = 0;
  m_ColorKeyEnabled = false;
  m_Palette.Clear();
}
