#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"
#include "zunfert_image.h"

namespace zunfert::test {

using tDecoder = cImage (*)(iByteSource&, const cImageLimits&);
using tBytes = std::vector<uint8_t>;

inline cImage Decode(tDecoder decode, const tBytes& bytes, const cImageLimits& limits = {}) {
  cMemorySource source(bytes);
  return decode(source, limits);
}

/// An encoder with its variant arguments bound: Use<EncodeTga, ETgaEncoding::Rgb24, true>.
template <auto kEncode, auto... kArguments>
void Use(const cImage& image, iByteSink& sink) {
  kEncode(image, sink, kArguments...);
}

inline tBytes Encode(void (*encode)(const cImage&, iByteSink&), const cImage& image) {
  cMemorySink sink;
  encode(image, sink);
  return sink.GetBytes();
}

/// An encoding with the decoder and the sprite loader class that read it.
struct cVariant {
  const char* name;
  void (*encode)(const cImage&, iByteSink&);
  tDecoder decode;
  const char* loader;
  bool indexed;  // the encoding takes and gives back indices
  bool keepsAlpha;
};

// clang-format off
inline const cVariant kLossless[] = {
    {"BmpRgb24", Use<EncodeBmp, EBmpEncoding::Rgb24>, DecodeBmp, "cBmpSprite", false, false},
    {"BmpIndexed8", Use<EncodeBmp, EBmpEncoding::Indexed8>, DecodeBmp, "cBmpSprite", true, false},
    {"BmpRle8", Use<EncodeBmp, EBmpEncoding::Rle8>, DecodeBmp, "cBmpSprite", true, false},
    {"PcxIndexed8", Use<EncodePcx, EPcxEncoding::Indexed8>, DecodePcx, "cPcxSprite", true, false},
    {"PcxRgb24", Use<EncodePcx, EPcxEncoding::Rgb24>, DecodePcx, "cPcxSprite", false, false},
    {"TgaIndexed8", Use<EncodeTga, ETgaEncoding::Indexed8, false>, DecodeTga, "cTgaSprite", true, true},
    {"TgaIndexed8Rle", Use<EncodeTga, ETgaEncoding::Indexed8, true>, DecodeTga, "cTgaSprite", true, true},
    {"TgaRgb24", Use<EncodeTga, ETgaEncoding::Rgb24, false>, DecodeTga, "cTgaSprite", false, false},
    {"TgaRgb24Rle", Use<EncodeTga, ETgaEncoding::Rgb24, true>, DecodeTga, "cTgaSprite", false, false},
    {"TgaArgb32", Use<EncodeTga, ETgaEncoding::Argb32, false>, DecodeTga, "cTgaSprite", false, true},
    {"TgaArgb32Rle", Use<EncodeTga, ETgaEncoding::Argb32, true>, DecodeTga, "cTgaSprite", false, true},
    {"Png", Use<EncodePng>, DecodePng, "cPngSprite", false, true},
};
// clang-format on

/// Names the variant in test listings instead of dumping its bytes.
inline void PrintTo(const cVariant& variant, std::ostream* out) {
  *out << variant.name;
}

/// Builds hand-made files field by field, little-endian.
using cFile = tolmak::test::cLEBytes;
using tolmak::test::ExpectError;

/// The 54 bytes of a BMP's file and info headers.
inline cFile BmpHeaders(int32_t width, int32_t height, uint32_t bits, uint32_t compression,
                        uint32_t colours, uint32_t dataOffset) {
  cFile f;
  f.U8({'B', 'M'}).U32(0).U32(0).U32(dataOffset).U32(40);
  f.U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height)).U16(1).U16(bits);
  return f.U32(compression).U32(0).U32(2835).U32(2835).U32(colours).U32(0);
}

/// The 128-byte PCX header of an RLE file; ega holds up to 48 palette bytes.
inline cFile PcxHeader(uint32_t bits, uint32_t planes, uint32_t width, uint32_t height,
                       uint32_t bytesPerLine, tBytes ega = {}) {
  cFile f;
  f.U8({0x0A, 5, 1, bits}).U16(0).U16(0).U16(width - 1).U16(height - 1).U16(72).U16(72);
  ega.resize(48);
  f.bytes.insert(f.bytes.end(), ega.begin(), ega.end());
  f.U8({0, planes}).U16(bytesPerLine).U16(1);
  f.bytes.resize(128);
  return f;
}

/// The 18-byte TGA header.
struct cTgaFields {
  uint32_t type = 2, width = 1, height = 1, bits = 24, descriptor = 0x20;
  uint32_t idLength = 0, mapType = 0, mapFirst = 0, mapLength = 0, mapBits = 0;
};
inline cFile TgaHeader(const cTgaFields& t) {
  cFile f;
  f.U8({t.idLength, t.mapType, t.type}).U16(t.mapFirst).U16(t.mapLength).U8({t.mapBits});
  return f.U32(0).U16(t.width).U16(t.height).U8({t.bits, t.descriptor});
}

/// Runs of 280 pixels (longer than any RLE packet) between stretches of
/// single pixels with the odd pair among them; every channel and alpha vary,
/// and alpha is never 0 everywhere (a TGA reads that as opaque).
inline uint32_t PatternValue(uint32_t x, uint32_t y) {
  const uint32_t column = x % 400;
  if (column >= 10 && column < 290) return (y * 7 + x / 400 + 1) * 0x01030507u;
  const uint32_t source = x % 5 == 4 ? x - 1 : x;
  uint32_t h = (source * 73856093u) ^ (y * 19349663u) ^ 0x9E3779B9u;
  h ^= h >> 13;
  return h * 2654435761u;
}

inline cImage MakeArgbPattern(uint32_t width, uint32_t height) {
  cImage image = cImage::MakeArgb(width, height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) image.ArgbRow(y)[x] = PatternValue(x, y);
  return image;
}

/// Distinct palette entries, so that equal colours mean equal indices.
inline cImage MakeIndexedPattern(uint32_t width, uint32_t height) {
  cImage image = cImage::MakeIndexed(width, height);
  for (uint32_t i = 0; i < 256; ++i) image.GetPalette()[i] = (255 - i) << 24 | i * 0x010305u;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      image.IndexRow(y)[x] = static_cast<uint8_t>(PatternValue(x, y) >> 5);
  return image;
}

/// Compares through the palette, and compares indices when both are indexed.
inline void ExpectSameImage(const cImage& expected, const cImage& actual, uint32_t alphaOr = 0) {
  ASSERT_EQ(expected.GetWidth(), actual.GetWidth());
  ASSERT_EQ(expected.GetHeight(), actual.GetHeight());
  if (expected.IsIndexed() && actual.IsIndexed()) {
    EXPECT_EQ(expected.GetIndices(), actual.GetIndices());
  }
  for (uint32_t y = 0; y < expected.GetHeight(); ++y)
    for (uint32_t x = 0; x < expected.GetWidth(); ++x)
      ASSERT_EQ(expected.GetPixel(x, y) | alphaOr, actual.GetPixel(x, y)) << x << ", " << y;
}

/// The largest difference of one channel (alpha included) between two pixels.
inline int ChannelError(uint32_t a, uint32_t b) {
  int largest = 0;
  for (int shift = 0; shift < 32; shift += 8)
    largest = std::max(largest, std::abs(int(a >> shift & 255) - int(b >> shift & 255)));
  return largest;
}

/// Decodes bytes expecting a cImageError whose message contains text.
inline void ExpectDecodeError(tDecoder decode, const tBytes& bytes, const std::string& text,
                              const cImageLimits& limits = {}) {
  ExpectError<cImageError>([&] { Decode(decode, bytes, limits); }, text);
}

}  // namespace zunfert::test
