// The 3D device's render-state setters that do more than store a value.
#include <algorithm>

#include "pixel_output.h"
#include "software_video3d.h"

namespace zunfert {

void cSoftwareVideo3D::SetAlphaReference(int reference) {
  m_State.alphaReference = std::clamp(reference, 0, 255);
}

void cSoftwareVideo3D::SetBlendFunction(EBlendFunction source, EBlendFunction destination) {
  m_State.sourceBlend = source;
  m_State.destinationBlend = destination;
}

void cSoftwareVideo3D::SetPixelFunction(EPixelFunction function) {
  m_State.pixelFunction = function;
  m_State.blending = function != EPixelFunction::Disable;
  detail::PixelFunctionBlend(function, m_State.sourceBlend, m_State.destinationBlend);
}

void cSoftwareVideo3D::SetColorWriteMask(bool red, bool green, bool blue, bool alpha) {
  m_State.writeMask[0] = red, m_State.writeMask[1] = green;
  m_State.writeMask[2] = blue, m_State.writeMask[3] = alpha;
}

void cSoftwareVideo3D::EnableAntiAlias(bool enable, EAlias mode) {
  m_State.antiAlias = enable;
  m_State.aliasMode = mode;
}

void cSoftwareVideo3D::SetFogColor(const cColor& color) {
  m_State.fogColor = detail::ToRgba(color);
}

void cSoftwareVideo3D::SetFogRange(float start, float end) {
  m_State.fogStart = start;
  m_State.fogEnd = end;
}

void cSoftwareVideo3D::SetAmbientLight(const cColor& color) {
  m_State.ambient = detail::ToRgba(color);
}

void cSoftwareVideo3D::EnableLight(int index, bool enable) {
  if (index >= 0 && index < detail::kLights) m_State.lightEnabled[index] = enable;
}

bool cSoftwareVideo3D::IsLightEnabled(int index) const {
  return index >= 0 && index < detail::kLights && m_State.lightEnabled[index];
}

void cSoftwareVideo3D::SetMaterialDiffuse(const cColor& color) {
  m_State.materialDiffuse = detail::ToRgba(color);
}
void cSoftwareVideo3D::SetMaterialAmbient(const cColor& color) {
  m_State.materialAmbient = detail::ToRgba(color);
}
void cSoftwareVideo3D::SetMaterialSpecular(const cColor& color) {
  m_State.materialSpecular = detail::ToRgba(color);
}
void cSoftwareVideo3D::SetMaterialEmissive(const cColor& color) {
  m_State.materialEmissive = detail::ToRgba(color);
}

void cSoftwareVideo3D::SetStencilFunction(ECompareFunction function) {
  m_State.stencilFunction = function;
}

void cSoftwareVideo3D::SetStencilOperation(EStencil fail, EStencil depthFail, EStencil pass) {
  m_State.stencilFail = fail;
  m_State.stencilDepthFail = depthFail;
  m_State.stencilPass = pass;
}

void cSoftwareVideo3D::SetClipPlane(int index, const cPlane& plane) {
  if (index >= 0 && index < detail::kClipPlanes) m_State.clipPlanes[index] = plane;
}

void cSoftwareVideo3D::EnableClipPlane(int index, bool enable) {
  if (index >= 0 && index < detail::kClipPlanes) m_State.clipPlaneEnabled[index] = enable;
}

}  // namespace zunfert
