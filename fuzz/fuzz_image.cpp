// One image decoder of the plug-in (TOLMAK_FUZZ_DECODER names it) on
// arbitrary bytes. A decode either throws cImageError or gives a picture
// whose pixels all exist and survive a lossless round trip through BMP.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "zunfert_image.h"

using namespace zunfert;
using tolmak::fuzz::Expect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Lower than the defaults, so that a run spends its time on the formats'
  // logic rather than on filling large pictures.
  cImageLimits limits;
  limits.maxDimension = 4096;
  limits.maxPixels = uint64_t{1} << 20;
  limits.maxInputBytes = uint64_t{1} << 20;
  cMemorySource source(data, size);
  cImage image;
  try {
    image = TOLMAK_FUZZ_DECODER(source, limits);
  } catch (const cImageError&) {
    return 0;
  }
  const uint64_t pixels = uint64_t{image.GetWidth()} * image.GetHeight();
  Expect(image.GetWidth() > 0 && image.GetHeight() > 0 && image.GetWidth() <= limits.maxDimension &&
             image.GetHeight() <= limits.maxDimension && pixels <= limits.maxPixels,
         "the picture fits the limits");
  Expect((image.IsIndexed() ? image.GetIndices().size() : image.GetArgb().size()) == pixels,
         "every pixel is stored");
  if (pixels > 65536) return 0;
  cMemorySink sink;
  EncodeBmp(image, sink, EBmpEncoding::Rgb24);
  cMemorySource again(sink.GetBytes());
  const cImage decoded = DecodeBmp(again);
  Expect(decoded.GetWidth() == image.GetWidth() && decoded.GetHeight() == image.GetHeight(),
         "the round trip keeps the size");
  for (uint32_t y = 0; y < image.GetHeight(); ++y)
    for (uint32_t x = 0; x < image.GetWidth(); ++x)
      Expect(((decoded.GetPixel(x, y) ^ image.GetPixel(x, y)) & 0xFFFFFF) == 0,
             "the round trip keeps every colour");
  return 0;
}
