#pragma once

// Shared by the codecs: the bounds-checked reader, the writer, size checks
// and the pixel helpers that more than one format needs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zunfert_image.h"

namespace zunfert::detail {

/// Throws cImageError("<format>: <what>").
[[noreturn]] void Fail(const char* format, std::string_view what);

/// The whole source, refused when longer than the input limit.
std::vector<uint8_t> ReadAll(iByteSource& source, const char* format, const cImageLimits& limits);

/// Refuses a size that is empty, negative or beyond the limits.
void CheckSize(const char* format, int64_t width, int64_t height, const cImageLimits& limits);

/// a * b, refused when it does not fit a size_t.
size_t Multiply(const char* format, size_t a, size_t b);

/// Refuses an image that the encoders cannot write: empty, a side beyond
/// 65535, or true colour where an indexed encoding needs indices.
void CheckEncodable(const cImage& image, const char* format, bool needIndexed);

/// The image itself when it is true colour, else its conversion kept in storage.
const cImage& AsArgb(const cImage& image, cImage& storage);

/// Sends bytes to the sink, refusing a short write.
void WriteAll(iByteSink& sink, const char* format, const uint8_t* data, size_t size);

/// Little-endian reads over a byte range; a read past its end throws
/// "file is truncated".
class cByteReader {
 public:
  cByteReader(const uint8_t* data, size_t size, const char* format)
      : m_Data(data), m_Size(size), m_Format(format) {}

  uint8_t U8() { return *Take(1); }
  uint16_t U16();
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  /// The next count bytes, skipped over.
  const uint8_t* Take(size_t count);
  void Skip(size_t count) { Take(count); }
  void Seek(size_t position);
  size_t GetPosition() const { return m_Position; }
  size_t GetRemaining() const { return m_Size - m_Position; }
  [[noreturn]] void Fail(std::string_view what) const { detail::Fail(m_Format, what); }

 private:
  const uint8_t* m_Data;
  size_t m_Size;
  size_t m_Position = 0;
  const char* m_Format;
};

/// Little-endian writes into memory, sent to the sink at the end in one piece.
class cByteWriter {
 public:
  void U8(uint32_t value) { m_Bytes.push_back(static_cast<uint8_t>(value)); }
  void U16(uint32_t value);
  void U32(uint32_t value);
  void Bytes(const uint8_t* data, size_t size) { m_Bytes.insert(m_Bytes.end(), data, data + size); }
  void Zeros(size_t count) { m_Bytes.resize(m_Bytes.size() + count); }
  /// Overwrites a 32-bit field written earlier.
  void Patch32(size_t offset, uint32_t value);
  size_t GetSize() const { return m_Bytes.size(); }
  void Flush(iByteSink& sink, const char* format) const {
    WriteAll(sink, format, m_Bytes.data(), m_Bytes.size());
  }

 private:
  std::vector<uint8_t> m_Bytes;
};

inline uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

/// A field of bits bits (1 to 32) scaled to 0..255 with rounding.
inline uint32_t ScaleTo8(uint32_t value, uint32_t bits) {
  const uint64_t max = (uint64_t{1} << bits) - 1;
  return static_cast<uint32_t>((value * uint64_t{255} + max / 2) / max);
}

/// Pixel x of a row packed most significant bits first, bits being 1, 2, 4 or 8.
inline uint8_t UnpackBits(const uint8_t* row, size_t x, unsigned bits) {
  const size_t bit = x * bits;
  return static_cast<uint8_t>((row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1));
}

/// Run-length encoders' scanners over pixels of size bytes each: how many of
/// the count pixels from p on repeat the first (at most limit), and how many
/// come before the next pair of equal pixels (at least 1, at most limit).
size_t CountRun(const uint8_t* p, size_t count, size_t size, size_t limit);
size_t CountLiteral(const uint8_t* p, size_t count, size_t size, size_t limit);

}  // namespace zunfert::detail
