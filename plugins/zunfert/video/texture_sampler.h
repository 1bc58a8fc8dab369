#pragma once

#include <cstdint>

#include "render_state.h"

namespace zunfert::detail {

/// The texels of an ARGB8888 texture as the sampler reads them.
struct cTextureView {
  const uint32_t* texels = nullptr;
  int width = 0, height = 0;
  int pitch = 0;  // texels per row
};

/// How a stage samples: filter and addressing of each axis.
struct cSamplerState {
  bool bilinear = false;
  cVideo3D::EAddressMode u = cVideo3D::EAddressMode::Wrap;
  cVideo3D::EAddressMode v = cVideo3D::EAddressMode::Wrap;
};

/// A texture's texels as the sampler reads them.
cTextureView ViewOf(const cSoftwareSurface& texture);

/// How a stage samples its texture.
inline cSamplerState SamplerOf(const cStageState& stage) {
  return {stage.filter != cVideo3D::EFilter::Point, stage.addressU, stage.addressV};
}

/// Coordinates stay within what 32-bit texel positions with 8 fraction bits hold.
constexpr float kCoordinateLimit = 1 << 22;

/// Whether both axes wrap over powers of two, where a mask does the addressing.
inline bool MasksWrap(const cTextureView& texture, const cSamplerState& sampler) {
  return sampler.u == cVideo3D::EAddressMode::Wrap && sampler.v == cVideo3D::EAddressMode::Wrap &&
         (texture.width & (texture.width - 1)) == 0 && (texture.height & (texture.height - 1)) == 0;
}

class cMipChain;

/// Samples count texels at the texture coordinates u, v (0 to 1 across the
/// texture, texel centres at half-texel steps) into red, green, blue and
/// alpha in [0, 1]. Bilinear weights have 8 bits of precision.
void SampleTexture(const cTextureView& texture, const cSamplerState& sampler, const float* u,
                   const float* v, int count, float* r, float* g, float* b, float* a);

/// Trilinear sampling: lod is each pixel's level of detail (log2 of the
/// texels it spans). At or below 0 this is the bilinear sample of the
/// texture itself, bit for bit; above, the bilinear samples of the two
/// levels around lod, mixed by its fraction; past the last level, that
/// level's.
void SampleMipmapped(const cMipChain& mips, const cSamplerState& sampler, const float* u,
                     const float* v, const float* lod, int count, float* r, float* g, float* b,
                     float* a);

/// The texel index for coordinate i (in texels, any integer) on an axis of
/// size texels under an addressing mode.
int AddressTexel(cVideo3D::EAddressMode mode, int i, int size);

}  // namespace zunfert::detail
