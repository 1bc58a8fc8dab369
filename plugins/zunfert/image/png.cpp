// libpng's simplified interface keeps its error jumps inside the library and
// reports failures as a result and a message.

#include <bit>
#include <cstring>

#include <png.h>

#include "codec_io.h"

namespace zunfert {
namespace {

constexpr char kFormat[] = "PNG";
// The closing chunk: no data, its type, its CRC.
constexpr uint8_t kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
// The format whose bytes in memory are 0xAARRGGBB words.
constexpr png_uint_32 kArgbFormat =
    std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;

// Owns what libpng allocated for an image until the image is done with.
struct cPngImage {
  cPngImage() {
    image.version = PNG_IMAGE_VERSION;
    image.format = kArgbFormat;
  }
  ~cPngImage() { png_image_free(&image); }
  cPngImage(const cPngImage&) = delete;
  cPngImage& operator=(const cPngImage&) = delete;

  png_image image{};
};

}  // namespace

cImage DecodePng(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  // libpng stops reading after the pixels; a file cut after them is still cut.
  if (bytes.size() < sizeof kEnd ||
      std::memcmp(bytes.data() + bytes.size() - sizeof kEnd, kEnd, sizeof kEnd) != 0)
    detail::Fail(kFormat, "file is truncated");
  cPngImage png;
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size()))
    detail::Fail(kFormat, png.image.message);
  detail::CheckSize(kFormat, png.image.width, png.image.height, limits);
  png.image.format = kArgbFormat;
  cImage image = cImage::MakeArgb(png.image.width, png.image.height);
  if (!png_image_finish_read(&png.image, nullptr, image.ArgbRow(0), 0, nullptr))
    detail::Fail(kFormat, png.image.message);
  return image;
}

void EncodePng(const cImage& image, iByteSink& sink) {
  detail::CheckEncodable(image, kFormat, false);
  cImage storage;
  const cImage& argb = detail::AsArgb(image, storage);
  cPngImage png;
  png.image.width = argb.GetWidth();
  png.image.height = argb.GetHeight();
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png.image);
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, argb.ArgbRow(0), 0, nullptr))
    detail::Fail(kFormat, png.image.message);
  detail::WriteAll(sink, kFormat, bytes.data(), size);
}

}  // namespace zunfert
