// What the software 3D device can do, as it reports it.
#include "software_video3d.h"

namespace zunfert {

void cSoftwareVideo3D::FillCaps() {
  using ETexel = ETexelFunction;
  cVideoCaps caps;
  caps.m_Windowed = true;
  caps.m_RenderDepth16 = caps.m_RenderDepth32 = true;
  caps.m_MaxBackBuffers = 1;
  caps.m_StencilBuffer = true;
  caps.m_DepthBits32 = true;  // a float per pixel
  caps.m_TextureStages = detail::kStages;
  caps.m_MinTextureWidth = caps.m_MinTextureHeight = 1;
  caps.m_MaxTextureWidth = caps.m_MaxTextureHeight = kMaxTextureSide;
  caps.m_NonPow2Textures = caps.m_NonSquareTextures = true;
  caps.m_MipMapping = true;
  caps.m_TextureMemory = kTextureMemory;
  caps.m_TextureColorKey = true;
  caps.m_MustSortTranslucent = true;
  caps.m_ClipPlanes = detail::kClipPlanes;
  caps.m_Lights = detail::kLights;
  for (int f = 1; f < cVideoCaps::kCompareFunctions; ++f)
    caps.m_DepthFunctions[f] = caps.m_AlphaFunctions[f] = true;
  for (int f = 1; f < cVideoCaps::kBlendFunctions; ++f)
    caps.m_SourceBlends[f] = caps.m_DestinationBlends[f] = true;
  for (ETexel f : {ETexel::DisableStage, ETexel::Mul, ETexel::Mul2X, ETexel::Mul4X, ETexel::Add,
                   ETexel::AddSigned, ETexel::AddSigned2X, ETexel::AddSmooth, ETexel::Sub,
                   ETexel::BlendAlpha, ETexel::MulAlpha_AddColor, ETexel::MulColor_AddAlpha,
                   ETexel::MulInvAlpha_AddColor, ETexel::MulInvColor_AddAlpha})
    caps.m_TexelFunctions[static_cast<int>(f)] = true;
  m_Caps = caps;
}

}  // namespace zunfert
