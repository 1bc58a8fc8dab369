// libjpeg reports errors by calling error_exit, which must not return. We
// longjmp back into the small step function that started the library call.
// Those step functions hold no object with a destructor, so the jump skips
// no C++ clean-up; everything that owns memory lives in the callers, which
// turn a failed step into a cImageError.

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "codec_io.h"

namespace zunfert {
namespace {

constexpr char kFormat[] = "JPEG";
constexpr int kMaxScans = 1000;  // bounds the work a progressive file can ask for

// Byte orders that put 0xAARRGGBB words in memory.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
constexpr J_COLOR_SPACE kArgbIn = kLittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
constexpr J_COLOR_SPACE kArgbOut = kLittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;

struct cJpegErrors {
  jpeg_error_mgr manager;  // first: libjpeg hands back a pointer to it
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Jump(j_common_ptr info) {
  std::longjmp(reinterpret_cast<cJpegErrors*>(info->err)->jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
  (*info->err->format_message)(info, reinterpret_cast<cJpegErrors*>(info->err)->message);
  Jump(info);
}

// libjpeg patches over lost or damaged compressed data with a warning; a
// picture that needs such patching is refused. These warnings leave the
// picture whole: stray bytes before a marker, odd marker contents, an odd
// scan order.
bool KeepsPixels(int code) {
  return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
         code == JWRN_BOGUS_ICC || code == JWRN_NOT_SEQUENTIAL || code == JWRN_BOGUS_PROGRESSION;
}

void EmitMessage(j_common_ptr info, int level) {
  if (level < 0 && !KeepsPixels(info->err->msg_code)) ErrorExit(info);
}

void CheckScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxScans) return;
  std::snprintf(reinterpret_cast<cJpegErrors*>(info->err)->message, JMSG_LENGTH_MAX,
                "more than %d scans", kMaxScans);
  Jump(info);
}

jpeg_error_mgr* InitErrors(cJpegErrors& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = ErrorExit;
  manager->emit_message = EmitMessage;
  return manager;
}

struct cDecoder {
  cDecoder() { info.err = InitErrors(errors); }
  ~cDecoder() { jpeg_destroy_decompress(&info); }  // harmless before create
  cDecoder(const cDecoder&) = delete;
  cDecoder& operator=(const cDecoder&) = delete;

  jpeg_decompress_struct info{};
  cJpegErrors errors{};
  jpeg_progress_mgr progress{};
};

bool IsInk(const jpeg_decompress_struct& info) {
  return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// Ink values come four bytes a pixel, in the row that then holds the ARGB
// words. Adobe's writers store them inverted (255 is no ink), which their
// APP14 marker tells.
void InkToArgb(uint32_t* row, uint32_t width, bool inverted) {
  const auto scale = [](uint32_t a, uint32_t b) { return (a * b + 127) / 255; };
  auto* ink = reinterpret_cast<uint8_t*>(row);
  for (uint32_t x = 0; x < width; ++x, ink += 4) {
    uint32_t c = ink[0], m = ink[1], y = ink[2], k = ink[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    row[x] = detail::PackArgb(255, scale(c, k), scale(m, k), scale(y, k));
  }
}

bool ReadHeader(cDecoder& d, const uint8_t* data, size_t size) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&d.info);
  d.progress.progress_monitor = CheckScans;
  d.info.progress = &d.progress;
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.info, TRUE);
  d.info.out_color_space = IsInk(d.info) ? JCS_CMYK : kArgbOut;
  return true;
}

bool ReadPixels(cDecoder& d, cImage& image) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_start_decompress(&d.info);
  while (d.info.output_scanline < d.info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(image.ArgbRow(d.info.output_scanline));
    jpeg_read_scanlines(&d.info, &row, 1);
  }
  jpeg_finish_decompress(&d.info);
  return true;
}

// Compressed bytes grow in a malloc'd block that the encoder frees, so a
// jump out of the library leaks nothing.
struct cDestination {
  jpeg_destination_mgr manager;  // first: libjpeg hands back a pointer to it
  JOCTET* data;
  size_t capacity;
};

void Grow(j_compress_ptr info) {
  auto* d = reinterpret_cast<cDestination*>(info->dest);
  const size_t capacity = d->capacity == 0 ? 4096 : d->capacity * 2;
  auto* data = static_cast<JOCTET*>(std::realloc(d->data, capacity));
  if (data == nullptr) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  d->manager.next_output_byte = data + d->capacity;
  d->manager.free_in_buffer = capacity - d->capacity;
  d->data = data;
  d->capacity = capacity;
}

void InitDestination(j_compress_ptr info) {
  Grow(info);
}
boolean EmptyBuffer(j_compress_ptr info) {
  Grow(info);
  return TRUE;
}
void TermDestination(j_compress_ptr) {}

struct cEncoder {
  cEncoder() {
    info.err = InitErrors(errors);
    destination.manager.init_destination = InitDestination;
    destination.manager.empty_output_buffer = EmptyBuffer;
    destination.manager.term_destination = TermDestination;
  }
  ~cEncoder() {
    jpeg_destroy_compress(&info);
    std::free(destination.data);
  }
  cEncoder(const cEncoder&) = delete;
  cEncoder& operator=(const cEncoder&) = delete;
  size_t GetSize() const { return destination.capacity - destination.manager.free_in_buffer; }

  jpeg_compress_struct info{};
  cJpegErrors errors{};
  cDestination destination{};
};

bool Compress(cEncoder& e, const cImage& image, int quality) {
  if (setjmp(e.errors.jump)) return false;
  jpeg_create_compress(&e.info);
  e.info.dest = &e.destination.manager;
  e.info.image_width = image.GetWidth();
  e.info.image_height = image.GetHeight();
  e.info.input_components = 4;
  e.info.in_color_space = kArgbIn;
  jpeg_set_defaults(&e.info);
  jpeg_set_quality(&e.info, quality, TRUE);
  jpeg_start_compress(&e.info, TRUE);
  while (e.info.next_scanline < e.info.image_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(image.ArgbRow(e.info.next_scanline)));
    jpeg_write_scanlines(&e.info, &row, 1);
  }
  jpeg_finish_compress(&e.info);
  return true;
}

}  // namespace

cImage DecodeJpeg(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  cDecoder decoder;
  if (!ReadHeader(decoder, bytes.data(), bytes.size()))
    detail::Fail(kFormat, decoder.errors.message);
  detail::CheckSize(kFormat, decoder.info.image_width, decoder.info.image_height, limits);
  cImage image = cImage::MakeArgb(decoder.info.image_width, decoder.info.image_height);
  if (!ReadPixels(decoder, image)) detail::Fail(kFormat, decoder.errors.message);
  if (IsInk(decoder.info))
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
      InkToArgb(image.ArgbRow(y), image.GetWidth(), decoder.info.saw_Adobe_marker);
  return image;
}

void EncodeJpeg(const cImage& image, iByteSink& sink, int quality) {
  detail::CheckEncodable(image, kFormat, false);
  cImage storage;
  const cImage& argb = detail::AsArgb(image, storage);
  cEncoder encoder;
  if (!Compress(encoder, argb, quality)) detail::Fail(kFormat, encoder.errors.message);
  detail::WriteAll(sink, kFormat, encoder.destination.data, encoder.GetSize());
}

}  // namespace zunfert
