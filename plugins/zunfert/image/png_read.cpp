// The decoder goes through libpng's full interface: the simplified one
// converts gamma and takes 16-bit samples as linear light, where a texture
// loader wants the stored values. libpng reports errors by longjmp back into
// the small step function that called it; those hold no object with a
// destructor, and everything that owns memory lives in DecodePng.

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "codec_io.h"

namespace zunfert {
namespace {

constexpr char kFormat[] = "PNG";

struct cReader {
  cReader(const uint8_t* bytes, size_t count) : data(bytes), size(count) {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~cReader() { png_destroy_read_struct(&png, &info, nullptr); }
  cReader(const cReader&) = delete;
  cReader& operator=(const cReader&) = delete;

  [[noreturn]] static void OnError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<cReader*>(png_get_error_ptr(png));
    std::snprintf(reader->message, sizeof reader->message, "%s", message);
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp) {}

  static void Read(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<cReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position) png_error(png, "file is truncated");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
  }

  png_structp png = nullptr;
  png_infop info = nullptr;
  char message[256] = "";
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

// Only the chunks that make the picture are read: the others (text,
// profiles, gamma) are skipped unread, so that no chunk can make libpng
// allocate or inflate what its length claims.
bool ReadHeader(cReader& r) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_set_read_fn(r.png, &r, cReader::Read);
  png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(r.png, r.info);
  return true;
}

// Every layout becomes 8-bit ARGB words: palettes and low depths expanded,
// 16-bit samples rounded, grey spread, opaque alpha added where none is.
// Reads through the IEND chunk, so that a file cut anywhere is refused and
// bytes after it are never looked at.
bool ReadPixels(cReader& r, png_bytepp rows) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_set_expand(r.png);
  png_set_scale_16(r.png);
  png_set_gray_to_rgb(r.png);
  png_set_filler(r.png, 0xFF, PNG_FILLER_AFTER);
  if constexpr (std::endian::native == std::endian::little)
    png_set_bgr(r.png);
  else
    png_set_swap_alpha(r.png);
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  png_read_image(r.png, rows);
  png_read_end(r.png, nullptr);
  return true;
}

}  // namespace

cImage DecodePng(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  cReader reader(bytes.data(), bytes.size());
  if (reader.info == nullptr) throw std::bad_alloc();
  if (!ReadHeader(reader)) detail::Fail(kFormat, reader.message);
  const png_uint_32 width = png_get_image_width(reader.png, reader.info);
  const png_uint_32 height = png_get_image_height(reader.png, reader.info);
  detail::CheckSize(kFormat, width, height, limits);
  cImage image = cImage::MakeArgb(width, height);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(image.ArgbRow(y));
  if (!ReadPixels(reader, rows.data())) detail::Fail(kFormat, reader.message);
  return image;
}

}  // namespace zunfert
