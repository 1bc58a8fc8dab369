#include "image_fixtures.h"

namespace zunfert::test {
namespace {

class LosslessRoundTrip : public testing::TestWithParam<cVariant> {};

// 1 x 1, odd widths (row padding), and 700 pixels wide so that runs exceed
// every RLE packet limit (63, 128, 255).
TEST_P(LosslessRoundTrip, GivesBackEveryPixelAtEverySize) {
  const cVariant& variant = GetParam();
  const uint32_t alphaOr = variant.keepsAlpha ? 0 : 0xFF000000;
  for (auto [width, height] : {std::pair{1u, 1u}, {3u, 2u}, {17u, 5u}, {700u, 3u}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const cImage source =
        variant.indexed ? MakeIndexedPattern(width, height) : MakeArgbPattern(width, height);
    const cImage decoded = Decode(variant.decode, Encode(variant.encode, source));
    EXPECT_EQ(variant.indexed, decoded.IsIndexed());
    ExpectSameImage(source, decoded, alphaOr);
    if (variant.indexed) continue;
    // True-colour encodings take indexed images through the palette.
    const cImage paletted = MakeIndexedPattern(width, height);
    ExpectSameImage(paletted, Decode(variant.decode, Encode(variant.encode, paletted)), alphaOr);
  }
}

INSTANTIATE_TEST_SUITE_P(Codecs, LosslessRoundTrip, testing::ValuesIn(kLossless),
                         [](const auto& info) { return std::string(info.param.name); });

// Red across, green down, blue constant: a swapped channel or a flipped
// image misses by far more than the tolerance.
cImage MakeGradient(uint32_t width, uint32_t height) {
  cImage image = cImage::MakeArgb(width, height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      image.ArgbRow(y)[x] =
          0x80000040u | (x * 255 / (width - 1)) << 16 | (y * 255 / (height - 1)) << 8;
  return image;
}

/// Against a's pixels made opaque, as JPEG gives them back.
int LargestChannelError(const cImage& a, const cImage& b) {
  int largest = 0;
  for (uint32_t y = 0; y < a.GetHeight(); ++y)
    for (uint32_t x = 0; x < a.GetWidth(); ++x)
      largest = std::max(largest, ChannelError(a.GetPixel(x, y) | 0xFF000000, b.GetPixel(x, y)));
  return largest;
}

TEST(JpegRoundTrip, StaysWithinToleranceComesBackOpaqueAndTakesIndexedImages) {
  const cImage source = MakeGradient(61, 47);
  const cImage fine = Decode(DecodeJpeg, Encode(Use<EncodeJpeg, 95>, source));
  ASSERT_TRUE(fine.GetWidth() == 61 && fine.GetHeight() == 47);
  EXPECT_FALSE(fine.IsIndexed());
  EXPECT_LE(LargestChannelError(source, fine), 6);
  EXPECT_GT(LargestChannelError(source, Decode(DecodeJpeg, Encode(Use<EncodeJpeg, 10>, source))),
            LargestChannelError(source, fine));

  // Through its palette, an indexed picture makes the same file as its twin.
  const cImage twin = MakeGradient(16, 16);
  cImage indexed = cImage::MakeIndexed(16, 16);
  for (uint32_t i = 0; i < 256; ++i) {
    indexed.IndexRow(i / 16)[i % 16] = static_cast<uint8_t>(i);
    indexed.GetPalette()[i] = twin.GetPixel(i % 16, i / 16);
  }
  EXPECT_EQ(Encode(Use<EncodeJpeg, 90>, twin), Encode(Use<EncodeJpeg, 90>, indexed));
}

}  // namespace
}  // namespace zunfert::test
