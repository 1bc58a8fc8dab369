// The 3D device's textures: memory surfaces in ARGB8888 and the stage states.
#include <algorithm>

#include "software_video3d.h"

namespace zunfert {

cSurface* cSoftwareVideo3D::CreateTexture(const tSize<int>& size, const cPixelFormat& format,
                                          ETextureUsage usage, EMemoryType) {
  const tSize<int> fitted = m_Caps.ValidateTextureSize(size);
  const cPixelFormat chosen = ChooseTextureFormat(format);
  if (fitted.width <= 0 || fitted.height <= 0 ||
      static_cast<uint64_t>(fitted.width) * fitted.height * chosen.GetTotalBytes() >
          GetAvailableTextureMemory())
    return nullptr;
  m_Textures.push_back({std::make_unique<cSoftwareSurface>(fitted, chosen), usage, nullptr});
  cSoftwareSurface* texture = m_Textures.back().surface.get();
  texture->SetPendingWork(&m_RunFinisher);
  return texture;
}

cSurface* cSoftwareVideo3D::CreateTextureFrom(cSprite* sprite, int frame, ETextureUsage usage,
                                              EMemoryType memory) {
  if (!sprite || !sprite->GetFramePtr(frame)) return nullptr;
  cSurface* texture = CreateTexture(sprite->GetSize(), sprite->GetPixelFormat(), usage, memory);
  if (texture && !UpdateTexture(texture, sprite, frame)) {
    DestroyTexture(texture);
    return nullptr;
  }
  return texture;
}

bool cSoftwareVideo3D::UpdateTexture(cSurface* texture, cSprite* sprite, int frame) {
  const cTexture* owned = FindTexture(texture);
  if (!owned) return false;
  // The frame converted at its own size keeps its key; the keyed texels
  // are then skipped by the stretch and stay transparent black.
  cSoftwareSurface picture({0, 0}, cPixelFormat::ARGB8888);
  if (!picture.CopyFromSprite(sprite, frame)) return false;
  cSoftwareSurface& surface = *owned->surface;
  surface.Clear(0);
  return surface.StretchBlit(0, 0, surface.GetWidth(), surface.GetHeight(), &picture);
}

void cSoftwareVideo3D::DestroyTexture(cSurface* texture) {
  auto it = std::find_if(m_Textures.begin(), m_Textures.end(), [texture](const cTexture& owned) {
    return owned.surface.get() == texture;
  });
  if (it == m_Textures.end()) return;
  FinishRun();
  for (auto& stage : m_State.stages)
    if (stage.texture == texture) stage.texture = nullptr;
  if (m_Target == texture) SetRenderTarget(nullptr);
  m_Textures.erase(it);
}

bool cSoftwareVideo3D::IsTextureFormatSupported(const cPixelFormat& format) const {
  return format == cPixelFormat::ARGB8888;
}

cPixelFormat cSoftwareVideo3D::ChooseTextureFormat(const cPixelFormat&) const {
  return cPixelFormat::ARGB8888;  // the one format the sampler reads
}

const cSoftwareVideo3D::cTexture* cSoftwareVideo3D::FindTexture(const cSurface* surface) const {
  for (const cTexture& texture : m_Textures)
    if (texture.surface.get() == surface) return &texture;
  return nullptr;
}

void cSoftwareVideo3D::SetTexture(int stage, cSurface* texture) {
  if (!IsStage(stage)) return;
  const cTexture* owned = FindTexture(texture);
  m_State.stages[stage].texture = owned ? owned->surface.get() : nullptr;
}

cSurface* cSoftwareVideo3D::GetTexture(int stage) const {
  return IsStage(stage) ? m_State.stages[stage].texture : nullptr;
}

void cSoftwareVideo3D::PrepareMipmaps() {
  for (detail::cStageState& stage : m_State.stages) {
    stage.mips = nullptr;
    if (!stage.texture || stage.filter != EFilter::Trilinear) continue;
    for (cTexture& texture : m_Textures) {
      if (texture.surface.get() != stage.texture) continue;
      if (!texture.mips) texture.mips = std::make_unique<detail::cMipChain>();
      // Queued draws may still read the levels.
      if (!texture.mips->IsCurrent(*texture.surface)) FinishRun();
      texture.mips->Update(*texture.surface);
      stage.mips = texture.mips.get();
      break;
    }
  }
}

void cSoftwareVideo3D::SetTexelFunction(int stage, ETexelFunction function) {
  if (IsStage(stage)) m_State.stages[stage].color = function;
}

void cSoftwareVideo3D::SetTexelAlphaFunction(int stage, ETexelFunction function) {
  if (IsStage(stage)) m_State.stages[stage].alpha = function;
}

void cSoftwareVideo3D::SetTextureFilter(int stage, EFilter filter) {
  if (IsStage(stage)) m_State.stages[stage].filter = filter;
}

void cSoftwareVideo3D::SetTextureAddressMode(int stage, EAddressMode u, EAddressMode v) {
  if (!IsStage(stage)) return;
  m_State.stages[stage].addressU = u;
  m_State.stages[stage].addressV = v;
}

void cSoftwareVideo3D::SetTextureCoordinateSet(int stage, int set) {
  if (IsStage(stage)) m_State.stages[stage].coordinateSet = std::clamp(set, 0, 15);
}

void cSoftwareVideo3D::SetTextureMatrix(int stage, const cMatrix4x3& matrix) {
  if (!IsStage(stage)) return;
  m_State.stages[stage].matrix = matrix;
  m_State.stages[stage].hasMatrix = matrix != cMatrix4x3();
}

void cSoftwareVideo3D::SetTextureFactor(const cColor& color) {
  m_State.textureFactor = detail::ToRgba(color);
}

void cSoftwareVideo3D::SetBumpEnvMatrix(int stage, float m00, float m01, float m10, float m11) {
  if (!IsStage(stage)) return;
  float* m = m_State.stages[stage].bumpMatrix;
  m[0] = m00, m[1] = m01, m[2] = m10, m[3] = m11;
}

void cSoftwareVideo3D::SetMipmapBias(int stage, float bias) {
  if (IsStage(stage)) m_State.stages[stage].mipmapBias = bias;
}

uint32_t cSoftwareVideo3D::GetAvailableTextureMemory() const {
  size_t used = 0;
  for (const cTexture& texture : m_Textures) used += texture.surface->GetByteSize();
  return used >= kTextureMemory ? 0 : static_cast<uint32_t>(kTextureMemory - used);
}

}  // namespace zunfert
