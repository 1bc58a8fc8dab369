// The decoders against the formats' byte layouts: files written field by
// field, and JPEG and PNG files written straight through libjpeg and zlib,
// so that they hold what our own encoders never write: ink colours, 16-bit
// samples, gamma chunks, stray bytes.
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

/// A one-row grey PNG under 256 pixels wide; the row is given with its filter byte.
tBytes GreyPng(uint8_t bits, uint8_t width, const tBytes& row, const tBytes& extra = {}) {
  tBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const tBytes header = {0, 0, 0, width, 0, 0, 0, 1, bits, 0, 0, 0, 0};
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
  trailing.resize(trailing.size() + 100, 0xEE);
  EXPECT_EQ(expected, Decode(DecodePng, trailing).GetArgb());
}

cImage TwoByTwo() {
  cImage image = cImage::MakeArgb(2, 2);
  const uint32_t pixels[] = {0x11223344, 0xFF0A0B0C, 0xFF010203, 0xFF040506};
  std::copy(pixels, pixels + 4, image.ArgbRow(0));
  return image;
}

// The encoders' output against the formats' byte layouts, so that an encoder
// and a decoder cannot agree on a private mistake.
TEST(EncoderLayout, BmpTgaAndPcxFilesAreByteExact) {
  cFile bmp = BmpHeaders(2, 2, 24, 0, 0, 54);
  bmp.U8({3, 2, 1, 6, 5, 4, 0, 0, 0x44, 0x33, 0x22, 0x0C, 0x0B, 0x0A, 0, 0});  // bottom row first
  bmp.bytes[2] = 70;
  bmp.bytes[34] = 16;
  EXPECT_EQ(bmp.bytes, Encode(Use<EncodeBmp, EBmpEncoding::Rgb24>, TwoByTwo()));

  cFile tga = TgaHeader({.width = 2, .height = 2, .bits = 32, .descriptor = 0x28});
  tga.U32(0x11223344).U32(0xFF0A0B0C).U32(0xFF010203).U32(0xFF040506);
  EXPECT_EQ(tga.bytes, Encode(Use<EncodeTga, ETgaEncoding::Argb32, false>, TwoByTwo()));

  cImage indexed = cImage::MakeIndexed(3, 1);
  indexed.IndexRow(0)[0] = indexed.IndexRow(0)[1] = 0xC5;
  indexed.IndexRow(0)[2] = 7;
  indexed.GetPalette()[0xC5] = 0xFF123456;
  const tBytes pcx = Encode(Use<EncodePcx, EPcxEncoding::Indexed8>, indexed);
  ASSERT_EQ(128u + 4 + 769, pcx.size());
  cFile expected = PcxHeader(8, 1, 3, 1, 4);
  expected.U8({0xC2, 0xC5, 7, 0, 0x0C});  // a run of two, a literal, the even-length pad
  EXPECT_EQ(expected.bytes, tBytes(pcx.begin(), pcx.begin() + 133));
  EXPECT_EQ(tBytes({0x12, 0x34, 0x56}),
            tBytes(pcx.begin() + 133 + 3 * 0xC5, pcx.begin() + 136 + 3 * 0xC5));
}

// OS/2 2.x headers, 2-bit pixels and palettes cut short by the pixel offset
// are the BMP Suite's questionable files (conformance_test.cpp); these are
// what it lacks.
TEST(BmpLayouts, RleDataMayEndWithoutTheEndMarkerAndIndicesPastThePaletteAreBlack) {
  cFile rle = BmpHeaders(2, 2, 8, 1, 8, 86);
  rle.bytes.resize(86);
  rle.U8({2, 7});  // the bottom row, and nothing more
  EXPECT_EQ(tBytes({0, 0, 7, 7}), Decode(DecodeBmp, rle.bytes).GetIndices());
  cFile eight = BmpHeaders(3, 1, 8, 0, 1, 58);
  eight.U32(0x00102030).U8({0, 9, 255, 0});
  EXPECT_EQ(std::vector<uint32_t>({0xFF102030, 0xFF000000, 0xFF000000}),
            Decode(DecodeBmp, eight.bytes).ToArgb().GetArgb());
}

TEST(TgaLayouts, OriginsGreyRleSixteenBitAndColourMapOffset) {
  for (uint32_t descriptor : {0x00u, 0x30u}) {  // bottom-left, then top-right
    cFile f = TgaHeader({.width = 2, .height = 2, .descriptor = descriptor});
    f.U8({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    const std::vector<uint32_t> expected =
        descriptor == 0 ? std::vector<uint32_t>{0xFF090807, 0xFF0C0B0A, 0xFF030201, 0xFF060504}
                        : std::vector<uint32_t>{0xFF060504, 0xFF030201, 0xFF0C0B0A, 0xFF090807};
    EXPECT_EQ(expected, Decode(DecodeTga, f.bytes).GetArgb()) << descriptor;
  }

  cFile grey = TgaHeader({.type = 11, .width = 3, .height = 2, .bits = 8});
  grey.U8({0x83, 0x50, 0x01, 0x10, 0x20});  // a run across the line end, two raw pixels
  const cImage g = Decode(DecodeTga, grey.bytes);
  EXPECT_EQ(tBytes({0x50, 0x50, 0x50, 0x50, 0x10, 0x20}), g.GetIndices());
  EXPECT_EQ(0xFF505050u, g.GetPalette()[0x50]);

  const cTgaFields fields{.type = 1,
                          .width = 2,
                          .bits = 8,
                          .idLength = 3,
                          .mapType = 1,
                          .mapFirst = 10,
                          .mapLength = 2,
                          .mapBits = 24};
  cFile mapped = TgaHeader(fields);
  mapped.U8({'i', 'd', '!', 1, 2, 3, 4, 5, 6, 10, 11});
  const cImage m = Decode(DecodeTga, mapped.bytes);
  EXPECT_EQ(tBytes({10, 11}), m.GetIndices());
  EXPECT_EQ(0xFF030201u, m.GetPalette()[10]);
  EXPECT_EQ(0xFF060504u, m.GetPalette()[11]);
}

/// A TGA 2.0 extension area and footer whose attributes type is type.
tBytes WithExtension(const tBytes& file, uint32_t type) {
  cFile f{file};
  const uint32_t offset = static_cast<uint32_t>(file.size());
  f.bytes.resize(offset + 494);
  return f.U8({type}).U32(offset).U32(0).Chars("TRUEVISION-XFILE.").U8({0}).bytes;
}

// Alpha counts where the header declares it, some pixel uses it and no
// extension area calls it absent or undefined; grey may carry it second.
TEST(TgaLayouts, AlphaRulesAndGreyWithAlpha) {
  struct {
    uint32_t descriptor, second, firstAlpha;
  } const sixteen[] = {{0x21, 0x83E0, 0}, {0x20, 0x83E0, 255}, {0x21, 0x03E0, 255}};
  for (const auto& c : sixteen) {
    cFile f = TgaHeader({.width = 2, .bits = 16, .descriptor = c.descriptor});
    f.U16(0x7C00).U16(c.second);
    EXPECT_EQ(std::vector<uint32_t>({c.firstAlpha << 24 | 0xFF0000, 0xFF00FF00}),
              Decode(DecodeTga, f.bytes).GetArgb())
        << c.descriptor << " " << c.second;
  }
  cFile argb = TgaHeader({.width = 2, .bits = 32, .descriptor = 0x28});
  argb.U32(0x40102030).U32(0x00405060);
  for (uint32_t type : {0u, 2u, 3u}) {
    const uint32_t alpha = type == 3 ? 0x40 : 0xFF;
    EXPECT_EQ(
        std::vector<uint32_t>({alpha << 24 | 0x102030, (type == 3 ? 0 : 0xFF000000) | 0x405060}),
        Decode(DecodeTga, WithExtension(argb.bytes, type)).GetArgb())
        << type;
  }
  cFile grey = TgaHeader({.type = 3, .width = 2, .bits = 16, .descriptor = 0x28});
  grey.U8({0x40, 0x80, 0x10, 0xFF});
  const cImage g = Decode(DecodeTga, grey.bytes);
  EXPECT_FALSE(g.IsIndexed());
  EXPECT_EQ(std::vector<uint32_t>({0x80404040, 0xFF101010}), g.GetArgb());
}

TEST(PcxLayouts, BitPlanesPackedPixelsAndFourPlaneColour) {
  cFile mono = PcxHeader(1, 1, 10, 2, 2);
  mono.U8({0xC1, 0xFF, 0xC1, 0xC0, 0xAA, 0x80});
  const cImage m = Decode(DecodePcx, mono.bytes);
  EXPECT_EQ(tBytes({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}), m.GetIndices());
  EXPECT_EQ(0xFFFFFFFFu, m.GetPalette()[1]);

  tBytes ega(48);
  ega[33] = 0x11, ega[34] = 0x22, ega[35] = 0x33;  // entry 11
  cFile sixteen = PcxHeader(1, 4, 3, 1, 2, ega);
  sixteen.U8({0xA0, 0, 0x60, 0, 0, 0, 0x20, 0});  // planes 0 to 3 of one line
  const cImage s = Decode(DecodePcx, sixteen.bytes);
  EXPECT_EQ(tBytes({1, 2, 11}), s.GetIndices());
  EXPECT_EQ(0xFF112233u, s.GetPalette()[11]);

  cFile two = PcxHeader(2, 1, 4, 1, 2, ega);  // one plane of 2 or 4 bits: the header palette
  two.U8({0x1B, 0});
  EXPECT_EQ(tBytes({0, 1, 2, 3}), Decode(DecodePcx, two.bytes).GetIndices());
  cFile four = PcxHeader(4, 1, 3, 1, 2, ega);
  four.U8({0x1B, 0x30});
  const cImage f = Decode(DecodePcx, four.bytes);
  EXPECT_EQ(tBytes({1, 11, 3}), f.GetIndices());
  EXPECT_EQ(0xFF112233u, f.GetPalette()[11]);

  cFile rgba = PcxHeader(8, 4, 1, 1, 2);
  rgba.U8({0x10, 0, 0x20, 0, 0x30, 0, 0x40, 0});
  EXPECT_EQ(std::vector<uint32_t>({0x40102030}), Decode(DecodePcx, rgba.bytes).GetArgb());
}

}  // namespace
}  // namespace zunfert::test
