// JPEG and PNG files written straight through libjpeg and zlib, so that they
// hold what our own encoders never write: ink colours, 16-bit samples,
// gamma chunks, stray bytes.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>
#include <zlib.h>

#include "image_fixtures.h"

namespace zunfert::test {
namespace {

/// A 16 x 32 JPEG of four-component ink, stored as the colour space says.
tBytes InkJpeg(J_COLOR_SPACE stored, const std::vector<uint8_t>& ink) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &data, &size);
  info.image_width = 16;
  info.image_height = 32;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < 32) {
    JSAMPROW row = const_cast<uint8_t*>(&ink[info.next_scanline * 64]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const tBytes bytes(data, data + size);
  std::free(data);
  return bytes;
}

// libjpeg's writer marks both with Adobe's APP14, whose ink is inverted:
// stored 255 is no ink.
TEST(JpegFiles, CmykAndYcckComeBackAsRgb) {
  std::vector<uint8_t> ink(16 * 32 * 4);
  for (size_t i = 0; i < 512; ++i) {
    const bool red = i < 256;  // top half red ink, bottom half half-tone black
    const uint8_t pixel[4] = {255, uint8_t(red ? 0 : 255), uint8_t(red ? 0 : 255),
                              uint8_t(red ? 255 : 127)};
    std::copy(pixel, pixel + 4, &ink[4 * i]);
  }
  for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
    const cImage image = Decode(DecodeJpeg, InkJpeg(stored, ink));
    for (uint32_t y : {0u, 7u, 24u, 31u})  // away from the seam, which upsampling blurs
      for (uint32_t x = 0; x < 16; ++x)
        ASSERT_LE(ChannelError(y < 16 ? 0xFFFF0000 : 0xFF7F7F7F, image.GetPixel(x, y)), 3)
            << stored << ": " << x << ", " << y;
  }
}

TEST(JpegFiles, StrayBytesBeforeAMarkerStillDecode) {
  const tBytes clean = Encode(Use<EncodeJpeg, 90>, MakeArgbPattern(24, 8));
  tBytes stray = clean;
  const uint8_t quantTables[] = {0xFF, 0xDB};
  const auto marker = std::search(stray.begin(), stray.end(), quantTables, quantTables + 2);
  ASSERT_NE(marker, stray.end());
  stray.insert(marker, {0x00, 0x13, 0x37});
  ExpectSameImage(Decode(DecodeJpeg, clean), Decode(DecodeJpeg, stray));
}

tBytes BigEndian(uint32_t value) {
  return {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
}

tBytes Chunk(const std::string& type, const tBytes& data) {
  // Assembled whole rather than grown: MinGW's 32-bit GCC 12 misreads the
  // growth of a 4-byte vector as an out-of-bounds copy.
  tBytes chunk(8 + data.size());
  const tBytes length = BigEndian(static_cast<uint32_t>(data.size()));
  std::copy(length.begin(), length.end(), chunk.begin());
  std::copy(type.begin(), type.end(), chunk.begin() + 4);
  std::copy(data.begin(), data.end(), chunk.begin() + 8);
  const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
  const tBytes tail = BigEndian(static_cast<uint32_t>(crc));
  chunk.insert(chunk.end(), tail.begin(), tail.end());
  return chunk;
}

/// A one-row grey PNG; the row is given with its filter byte.
tBytes GreyPng(uint32_t bits, uint32_t width, const tBytes& row, const tBytes& extra = {}) {
  tBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  tBytes header = BigEndian(width);
  const tBytes height = BigEndian(1);
  header.insert(header.end(), height.begin(), height.end());
  header.insert(header.end(), {uint8_t(bits), 0, 0, 0, 0});
  uLongf size = compressBound(static_cast<uLong>(row.size()));
  tBytes packed(size);
  compress(packed.data(), &size, row.data(), static_cast<uLong>(row.size()));
  packed.resize(size);
  for (const tBytes& chunk :
       {Chunk("IHDR", header), extra, Chunk("IDAT", packed), Chunk("IEND", {})})
    png.insert(png.end(), chunk.begin(), chunk.end());
  return png;
}

// Textures hold the stored values: no gamma is applied, 16-bit samples are
// rounded to 8 bits, and what follows the IEND chunk is never read.
TEST(PngFiles, GiveTheStoredValuesAndIgnoreWhatFollowsTheEnd) {
  const std::vector<uint32_t> expected = {0xFF1A1A1A, 0xFF1B1B1B};
  const tBytes sixteen = GreyPng(16, 2, {0, 0x1A, 0x1A, 0x1A, 0xFF});
  EXPECT_EQ(expected, Decode(DecodePng, sixteen).GetArgb());
  const tBytes linear = GreyPng(8, 2, {0, 0x1A, 0x1B}, Chunk("gAMA", BigEndian(100000)));
  EXPECT_EQ(expected, Decode(DecodePng, linear).GetArgb());

  tBytes trailing = sixteen;
  trailing.push_back('\n');
  EXPECT_EQ(expected, Decode(DecodePng, trailing).GetArgb());
  trailing.resize(trailing.size() + 100, 0xEE);
  EXPECT_EQ(expected, Decode(DecodePng, trailing).GetArgb());
  ExpectDecodeError(DecodePng, tBytes(sixteen.begin(), sixteen.end() - 12),
                    "PNG: file is truncated");
}

}  // namespace
}  // namespace zunfert::test
