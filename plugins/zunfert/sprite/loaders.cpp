// The sprite loaders: image files decoded through the codecs of the plug-in
// library into one frame of a memory sprite.

#include <new>

#include "../class_desc.h"
#include "sprite_pixels.h"
#include "zunfert_image.h"
#include "zunfert_sprite.h"

ZUNFERT_DEFINE_CLASS(cBmpSprite, "BMP image loader", &cSprite::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cPcxSprite, "PCX image loader", &cSprite::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cTgaSprite, "TGA image loader", &cSprite::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cJpegSprite, "JPEG image loader", &cSprite::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cPngSprite, "PNG image loader", &cSprite::m_Descriptor)

namespace zunfert::detail {
namespace {

/// The codecs' byte source over an engine stream.
class cStreamSource : public iByteSource {
 public:
  explicit cStreamSource(iInStream& stream) : m_Stream(stream) {}
  uint32_t Read(void* buffer, uint32_t size) override { return m_Stream.Read(buffer, size); }
  int64_t GetRemaining() const override { return m_Stream.GetRemaining(); }

 private:
  iInStream& m_Stream;
};

using tDecoder = cImage (*)(iByteSource&, const cImageLimits&);

tDecoder Decoder(cMemorySprite::EImageFile type) {
  using EImageFile = cMemorySprite::EImageFile;
  switch (type) {
    case EImageFile::Bmp:
      return DecodeBmp;
    case EImageFile::Pcx:
      return DecodePcx;
    case EImageFile::Tga:
      return DecodeTga;
    case EImageFile::Jpeg:
      return DecodeJpeg;
    case EImageFile::Png:
      return DecodePng;
  }
  return nullptr;
}

/// The image's pixels as the sprite holds them: indices, or ARGB 8888
/// words least significant byte first.
std::vector<uint8_t> SpritePixels(const cImage& image) {
  if (image.IsIndexed()) return image.GetIndices();
  std::vector<uint8_t> pixels(image.GetArgb().size() * 4);
  for (size_t i = 0; i < image.GetArgb().size(); ++i)
    WritePixel(&pixels[4 * i], 4, image.GetArgb()[i]);
  return pixels;
}

}  // namespace
}  // namespace zunfert::detail

void cMemorySprite::LoadImageFile(iIOStream& stream, EImageFile type) {
  using namespace zunfert;
  Reset();
  try {
    detail::cStreamSource source(stream);
    cImage image = detail::Decoder(type)(source, cImageLimits{});
    const cPixelFormat format = image.IsIndexed() ? cPixelFormat::Indexed : cPixelFormat::ARGB8888;
    const tSize<int> size{static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight())};
    std::vector<uint8_t> pixels = detail::SpritePixels(image);
    m_Palette.Copy(image.GetPalette().data());
    Adopt(size, format, 1, std::move(pixels));
  } catch (const cImageError& error) {
    Reset();
    throw cException(__FILE__, __LINE__, error.what());
  } catch (const std::bad_alloc&) {
    Reset();
    throw cException(__FILE__, __LINE__, "Out of memory");
  }
}

void cBmpSprite::Load(iIOStream& stream) {
  LoadImageFile(stream, EImageFile::Bmp);
}
void cPcxSprite::Load(iIOStream& stream) {
  LoadImageFile(stream, EImageFile::Pcx);
}
void cTgaSprite::Load(iIOStream& stream) {
  LoadImageFile(stream, EImageFile::Tga);
}
void cJpegSprite::Load(iIOStream& stream) {
  LoadImageFile(stream, EImageFile::Jpeg);
}
void cPngSprite::Load(iIOStream& stream) {
  LoadImageFile(stream, EImageFile::Png);
}
