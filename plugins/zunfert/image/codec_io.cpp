#include "codec_io.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zunfert::detail {

void Fail(const char* format, std::string_view what) {
  throw cImageError(std::string(format) + ": " + std::string(what));
}

std::vector<uint8_t> ReadAll(iByteSource& source, const char* format, const cImageLimits& limits) {
  constexpr size_t kChunk = size_t{1} << 16;
  const uint64_t limit = limits.maxInputBytes;
  const int64_t remaining = source.GetRemaining();
  if (remaining > 0 && static_cast<uint64_t>(remaining) > limit)
    Fail(format, "file is larger than the input limit");
  std::vector<uint8_t> bytes;
  if (remaining > 0) bytes.reserve(static_cast<size_t>(remaining));
  for (;;) {
    // One byte beyond the limit is enough to know the source is too long.
    const size_t old = bytes.size();
    const uint64_t room = limit - old;
    const size_t want = room >= kChunk ? kChunk : static_cast<size_t>(room) + 1;
    bytes.resize(old + want);
    const uint32_t got = source.Read(bytes.data() + old, static_cast<uint32_t>(want));
    bytes.resize(old + std::min<size_t>(got, want));
    if (got == 0) return bytes;
    if (bytes.size() > limit) Fail(format, "file is larger than the input limit");
  }
}

void CheckSize(const char* format, int64_t width, int64_t height, const cImageLimits& limits) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width <= 0 || height <= 0) Fail(format, "image size " + size + " is empty");
  if (static_cast<uint64_t>(width) > limits.maxDimension ||
      static_cast<uint64_t>(height) > limits.maxDimension ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > limits.maxPixels)
    Fail(format, "image size " + size + " exceeds the limit");
}

size_t Multiply(const char* format, size_t a, size_t b) {
  if (b != 0 && a > SIZE_MAX / b) Fail(format, "image data size overflows");
  return a * b;
}

void CheckEncodable(const cImage& image, const char* format, bool needIndexed) {
  if (image.GetWidth() == 0 || image.GetHeight() == 0) Fail(format, "cannot write an empty image");
  if (image.GetWidth() > 65535 || image.GetHeight() > 65535)
    Fail(format, "image is too large for the format");
  if (needIndexed && !image.IsIndexed()) Fail(format, "an indexed encoding needs an indexed image");
}

const cImage& AsArgb(const cImage& image, cImage& storage) {
  if (!image.IsIndexed()) return image;
  storage = image.ToArgb();
  return storage;
}

void WriteAll(iByteSink& sink, const char* format, const uint8_t* data, size_t size) {
  while (size > 0) {
    const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(size, uint32_t{1} << 30));
    if (sink.Write(data, chunk) != chunk) Fail(format, "could not write the file");
    data += chunk;
    size -= chunk;
  }
}

uint16_t cByteReader::U16() {
  const uint8_t* p = Take(2);
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t cByteReader::U32() {
  const uint8_t* p = Take(4);
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

const uint8_t* cByteReader::Take(size_t count) {
  if (count > m_Size - m_Position) Fail("file is truncated");
  const uint8_t* p = m_Data + m_Position;
  m_Position += count;
  return p;
}

void cByteReader::Seek(size_t position) {
  if (position > m_Size) Fail("file is truncated");
  m_Position = position;
}

void cByteWriter::U16(uint32_t value) {
  U8(value);
  U8(value >> 8);
}

void cByteWriter::U32(uint32_t value) {
  U16(value);
  U16(value >> 16);
}

void cByteWriter::Patch32(size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) m_Bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

size_t CountRun(const uint8_t* p, size_t count, size_t size, size_t limit) {
  size_t run = 1;
  while (run < count && run < limit && std::memcmp(p, p + run * size, size) == 0) ++run;
  return run;
}

size_t CountLiteral(const uint8_t* p, size_t count, size_t size, size_t limit) {
  size_t run = 1;
  while (run < count && run < limit &&
         !(run + 1 < count && std::memcmp(p + run * size, p + (run + 1) * size, size) == 0))
    ++run;
  return run;
}

}  // namespace zunfert::detail
