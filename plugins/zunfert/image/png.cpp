// The encoder: libpng's simplified interface keeps its error jumps inside the
// library and reports failures as a result and a message.

#include <bit>

#include <png.h>

#include "codec_io.h"

namespace zunfert {
namespace {

constexpr char kFormat[] = "PNG";
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
