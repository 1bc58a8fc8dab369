#include <algorithm>
#include <string>

#include "image_fixtures.h"

namespace zunfert::test {
namespace {

struct cSample {
  const char* name;
  tDecoder decode;
  tBytes bytes;
  size_t cutsDecodeFrom = SIZE_MAX;  // RLE data may end early: the rest is index 0
};

// Small valid files of every kind the decoders meet, RLE ones included.
std::vector<cSample> Samples() {
  const cImage argb = MakeArgbPattern(13, 4);
  const cImage indexed = MakeIndexedPattern(13, 4);
  return {
      {"BMP 24", DecodeBmp, Encode(Use<EncodeBmp, EBmpEncoding::Rgb24>, argb)},
      {"BMP RLE8", DecodeBmp, Encode(Use<EncodeBmp, EBmpEncoding::Rle8>, indexed), 54 + 1024},
      {"PCX 8", DecodePcx, Encode(Use<EncodePcx, EPcxEncoding::Indexed8>, indexed)},
      {"PCX 24", DecodePcx, Encode(Use<EncodePcx, EPcxEncoding::Rgb24>, argb)},
      {"TGA 8", DecodeTga, Encode(Use<EncodeTga, ETgaEncoding::Indexed8, false>, indexed)},
      {"TGA 32 RLE", DecodeTga, Encode(Use<EncodeTga, ETgaEncoding::Argb32, true>, argb)},
      {"JPEG 75", DecodeJpeg, Encode(Use<EncodeJpeg, 75>, argb)},
      {"PNG 32", DecodePng, Encode(Use<EncodePng>, argb)},
  };
}

TEST(HostileFiles, EveryTruncationIsRefused) {
  for (const cSample& sample : Samples()) {
    ASSERT_NO_THROW(Decode(sample.decode, sample.bytes)) << sample.name;
    const std::string name = sample.name;
    const std::string format = name.substr(0, name.find(' ')) + ": ";
    for (size_t size = 0; size < sample.bytes.size(); ++size) {
      const tBytes prefix(sample.bytes.begin(), sample.bytes.begin() + size);
      if (size < sample.cutsDecodeFrom) {
        ExpectDecodeError(sample.decode, prefix, format);
        continue;
      }
      try {  // a cut between RLE codes ends the picture, one inside a code is refused
        Decode(sample.decode, prefix);
      } catch (const cImageError& error) {
        EXPECT_EQ("BMP: file is truncated", std::string(error.what()));
      }
    }
  }
}

TEST(HostileFiles, SizesOutsideTheLimitsAreRefusedBeforeAnyPixelIsRead) {
  const auto bmp = [](int32_t w, int32_t h) { return BmpHeaders(w, h, 24, 0, 0, 54).bytes; };
  ExpectDecodeError(DecodeBmp, bmp(20000, 1), "BMP: image size 20000 x 1 exceeds");
  ExpectDecodeError(DecodeBmp, bmp(1, INT32_MIN), "exceeds the limit");
  ExpectDecodeError(DecodeBmp, bmp(0, 5), "is empty");
  ExpectDecodeError(DecodePcx, PcxHeader(8, 3, 16384, 16384, 16384).bytes, "exceeds");
  cFile pcx = PcxHeader(8, 3, 1, 1, 2);
  pcx.bytes[4] = 5;  // left edge beyond the right one
  ExpectDecodeError(DecodePcx, pcx.bytes, "is empty");
  ExpectDecodeError(DecodeTga, TgaHeader({.width = 65535, .height = 65535}).bytes,
                    "TGA: image size 65535 x 65535 exceeds");

  cImageLimits narrow, few;
  narrow.maxDimension = 12;
  few.maxPixels = 51;
  for (const cSample& sample : Samples()) {
    ExpectDecodeError(sample.decode, sample.bytes, "13 x 4 exceeds the limit", narrow);
    ExpectDecodeError(sample.decode, sample.bytes, "exceeds the limit", few);
  }
}

// RLE that overruns the image, and palettes and offsets that do not fit.
TEST(HostileFiles, OverrunsBadPalettesAndOffsetsAreRefused) {
  const auto rle8 = [](std::initializer_list<uint32_t> data, int32_t height = 1) {
    cFile f = BmpHeaders(2, height, 8, 1, 1, 58);
    return f.U32(0).U8(data).bytes;
  };
  ExpectDecodeError(DecodeBmp, rle8({3, 7, 0, 1}), "past the end of a row");
  ExpectDecodeError(DecodeBmp, rle8({0, 3, 1, 2, 3, 0, 0, 1}), "past the end of a row");
  ExpectDecodeError(DecodeBmp, rle8({0, 2, 0, 2, 0, 1}), "delta moves past");
  ExpectDecodeError(DecodeBmp, rle8({0, 2, 3, 0, 0, 1}), "delta moves past");
  ExpectDecodeError(DecodeBmp, rle8({2, 7, 0, 0, 1, 7, 0, 1}), "past the last row");
  ExpectDecodeError(DecodeBmp, rle8({2, 7, 0, 1}, -1), "unsupported combination");

  cFile pcx = PcxHeader(8, 3, 1, 1, 2);  // one line of six bytes
  ExpectDecodeError(DecodePcx, pcx.U8({0xC7, 0x10}).bytes, "past the end of the image");
  cFile tga = TgaHeader({.type = 10, .width = 2});
  ExpectDecodeError(DecodeTga, tga.U8({0x82, 1, 2, 3}).bytes, "past the end of the image");

  cFile headers = BmpHeaders(1, 1, 24, 0, 0, 20);
  ExpectDecodeError(DecodeBmp, headers.U8({1, 2, 3, 0}).bytes,
                    "BMP: pixel data offset 20 points inside the headers");
  cFile palette = BmpHeaders(1, 1, 8, 0, 2, 58);
  ExpectDecodeError(DecodeBmp, palette.U32(0).U32(0).U32(0).bytes,
                    "BMP: pixel data offset 58 points inside the palette");
  // The OS/2 2.x header's own compressions 3 and 4 are the BMP Suite's
  // pal1huffmsb and rgb24rle24.

  const cTgaFields mapped{
      .type = 1, .bits = 8, .mapType = 1, .mapFirst = 200, .mapLength = 57, .mapBits = 24};
  ExpectDecodeError(DecodeTga, TgaHeader(mapped).bytes, "does not fit 8-bit indices");
  ExpectDecodeError(DecodeTga, TgaHeader({.type = 1, .bits = 8, .mapType = 1, .mapBits = 24}).bytes,
                    "does not fit 8-bit indices");
  const cTgaFields missing{.type = 1, .bits = 8, .mapFirst = 200, .mapLength = 57, .mapBits = 24};
  ExpectDecodeError(DecodeTga, TgaHeader(missing).bytes, "without a colour map");
  const cTgaFields odd{
      .type = 1, .bits = 8, .mapType = 1, .mapFirst = 200, .mapLength = 57, .mapBits = 12};
  ExpectDecodeError(DecodeTga, TgaHeader(odd).bytes, "entry size 12");

  tBytes unpaletted = Encode(Use<EncodePcx, EPcxEncoding::Indexed8>, MakeIndexedPattern(5, 5));
  unpaletted[unpaletted.size() - 769] = 0x0D;
  ExpectDecodeError(DecodePcx, unpaletted, "256-colour palette is missing");
}

// Hands out a few bytes at a time and cannot tell its length, as a pipe.
class cTrickleSource : public iByteSource {
 public:
  explicit cTrickleSource(const tBytes& bytes) : m_Memory(bytes) {}
  uint32_t Read(void* buffer, uint32_t size) override {
    return m_Memory.Read(buffer, std::min(size, 7u));
  }
  int64_t GetRemaining() const override { return -1; }

 private:
  cMemorySource m_Memory;
};

TEST(HostileFiles, InputLimitHoldsWhetherOrNotTheLengthIsKnown) {
  for (const cSample& sample : Samples()) {
    cTrickleSource trickle(sample.bytes);
    ExpectSameImage(Decode(sample.decode, sample.bytes), sample.decode(trickle, {}));
    cImageLimits limits;
    limits.maxInputBytes = sample.bytes.size() - 1;
    ExpectDecodeError(sample.decode, sample.bytes, "larger than the input limit", limits);
    cTrickleSource again(sample.bytes);
    ExpectError<cImageError>([&] { sample.decode(again, limits); }, "larger than the input limit");
  }
}

class cShortSink : public iByteSink {
 public:
  uint32_t Write(const void*, uint32_t size) override { return size / 2; }
};

TEST(Encoders, RefuseWhatTheyCannotWrite) {
  cMemorySink sink;
  ExpectError<cImageError>([&] { EncodePng(cImage(), sink); }, "PNG: cannot write an empty image");
  ExpectError<cImageError>(
      [&] { EncodeTga(cImage::MakeArgb(65536, 1), sink, ETgaEncoding::Rgb24, false); },
      "too large");
  ExpectError<cImageError>([&] { EncodeBmp(MakeArgbPattern(2, 2), sink, EBmpEncoding::Rle8); },
                           "BMP: an indexed encoding needs an indexed image");
  EXPECT_TRUE(sink.GetBytes().empty());
  cShortSink shortSink;
  ExpectError<cImageError>([&] { EncodeJpeg(MakeArgbPattern(8, 8), shortSink); },
                           "JPEG: could not write");
  ExpectError<cImageError>(
      [&] { EncodePcx(MakeArgbPattern(8, 8), shortSink, EPcxEncoding::Rgb24); },
      "PCX: could not write");
}

}  // namespace
}  // namespace zunfert::test
