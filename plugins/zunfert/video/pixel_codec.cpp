#include "pixel_codec.h"

namespace zunfert::detail {

uint32_t FromArgb(const cPixelFormat& format, uint32_t argb) {
  if (format == cPixelFormat::Indexed || format == cPixelFormat::IndexAlpha) {
    // No palette search: an indexed target gets the grey level, which is what
    // a grey ramp palette shows.
    const uint32_t grey =
        (((argb >> 16) & 0xFF) * 77 + ((argb >> 8) & 0xFF) * 150 + (argb & 0xFF) * 29) >> 8;
    return format == cPixelFormat::Indexed ? grey : grey | (argb >> 24) << 8;
  }
  return format.ConvertFromARGB(argb);
}

void ConvertRow(const uint8_t* source, const cPixelFormat& sourceFormat, const cPalette* palette,
                uint8_t* target, const cPixelFormat& targetFormat, int count) {
  const uint32_t inBytes = sourceFormat.GetTotalBytes();
  const uint32_t outBytes = targetFormat.GetTotalBytes();
  if (sourceFormat == targetFormat) {
    std::memcpy(target, source, static_cast<size_t>(count) * inBytes);
    return;
  }
  for (int i = 0; i < count; ++i, source += inBytes, target += outBytes) {
    const uint32_t pixel = LoadPixel(source, inBytes);
    StorePixel(target, outBytes, FromArgb(targetFormat, ToArgb(sourceFormat, palette, pixel)));
  }
}

}  // namespace zunfert::detail
