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

// libjpeg patches over corrupt or missing data with a warning; an asset that
// needs patching is refused instead.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
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

bool ReadHeader(cDecoder& d, const uint8_t* data, size_t size) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&d.info);
  d.progress.progress_monitor = CheckScans;
  d.info.progress = &d.progress;
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.info, TRUE);
  d.info.out_color_space = kArgbOut;
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
