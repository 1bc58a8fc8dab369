#pragma once

#include <cstddef>
#include <cstdint>

#include "tolmak_pixelformat.h"

namespace tolmak::detail {

// Convert runs of pixels in place, as ConvertToARGB and ConvertFromARGB do one
// by one, with the conversion chosen once for the whole run.
void PixelsToARGB(cPixelFormat::EFormat format, uint32_t* pixels, size_t count);
void PixelsFromARGB(cPixelFormat::EFormat format, uint32_t* pixels, size_t count);

}  // namespace tolmak::detail
