#pragma once

#include "pixel_pipeline.h"

namespace zunfert::detail {

/// Blends the batch's colours (in [0, 1]) with the target by the state's
/// blend functions, applies the colour write mask and stores the pixels
/// that passed and were not dropped, in the target's pixel format.
void WriteColors(const cRenderState& state, const cRasterTarget& target, cBatch& batch);

/// The blend functions that a pixel function stands for; Disable gives
/// One, Zero.
void PixelFunctionBlend(cVideo3D::EPixelFunction function, EBlend& source, EBlend& destination);

}  // namespace zunfert::detail
