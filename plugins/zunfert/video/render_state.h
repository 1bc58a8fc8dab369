#pragma once

#include <cstdint>

#include <tolmak.h>

namespace zunfert {
class cSoftwareSurface;
}

namespace zunfert::detail {

class cMipChain;

using ECompare = cVideo3D::ECompareFunction;
using EBlend = cVideo3D::EBlendFunction;
using ETexel = cVideo3D::ETexelFunction;
using EStencilOp = cVideo3D::EStencil;

constexpr int kStages = 2;
constexpr int kLights = 8;
constexpr int kClipPlanes = 6;

/// A colour as the pipeline uses it: red, green, blue, alpha in [0, 1].
struct cRgba {
  float r = 0, g = 0, b = 0, a = 1;
};

inline cRgba ToRgba(const cColor& color) {
  return {color.GetRed(), color.GetGreen(), color.GetBlue(), color.GetAlpha()};
}

/// What the device keeps of a light: its values and its world placement.
struct cLightSlot {
  cVideo3D::ELight type = cVideo3D::ELight::Directional;
  cRgba ambient{0, 0, 0, 1}, diffuse{1, 1, 1, 1}, specular{1, 1, 1, 1};
  cVector3 position;
  /// Where the light shines (unit length): the light's +Z axis.
  cVector3 direction{0, 0, 1};
  float range = 1000.0f;
  float falloff = 1.0f;
  float attenuation[3] = {1.0f, 0.0f, 0.0f};
  /// Full cone angles in degrees: inner (full light) and outer (no light).
  float theta = 45.0f, phi = 50.0f;
};

struct cStageState {
  cSoftwareSurface* texture = nullptr;
  ETexel color = ETexel::DisableStage;
  ETexel alpha = ETexel::DisableStage;
  cVideo3D::EFilter filter = cVideo3D::EFilter::Point;
  cVideo3D::EAddressMode addressU = cVideo3D::EAddressMode::Wrap;
  cVideo3D::EAddressMode addressV = cVideo3D::EAddressMode::Wrap;
  int coordinateSet = 0;
  bool hasMatrix = false;
  cMatrix4x3 matrix;
  float bumpMatrix[4] = {1, 0, 0, 1};
  float mipmapBias = 0.0f;
  /// The texture's mipmaps, which the device brings up to date at each draw
  /// that filters the stage Trilinear; null otherwise.
  const cMipChain* mips = nullptr;
};

/// The first stage modulates the texture with the colour; the others are off.
inline cStageState FirstStage() {
  cStageState stage;
  stage.color = stage.alpha = ETexel::Mul;
  return stage;
}

/// Every render state of the 3D device with its default, in one place so
/// that ResetRenderStates is an assignment.
struct cRenderState {
  cRgba clearColor{0, 0, 0, 1};
  float clearDepth = 1.0f;
  uint32_t clearStencil = 0;
  float depthMin = 0.0f, depthMax = 1.0f;

  bool depthTest = true, depthWrite = true, wBuffer = false;
  ECompare depthFunction = ECompare::LessEqual;
  int depthBias = 0;

  bool alphaTest = false;
  ECompare alphaFunction = ECompare::Always;
  int alphaReference = 0;
  bool blending = false;
  EBlend sourceBlend = EBlend::One, destinationBlend = EBlend::Zero;
  cVideo3D::EPixelFunction pixelFunction = cVideo3D::EPixelFunction::Disable;
  bool writeMask[4] = {true, true, true, true};  // red, green, blue, alpha

  cVideo3D::ECulling culling = cVideo3D::ECulling::CounterClockwise;
  cVideo3D::EShading shading = cVideo3D::EShading::Gouraud;
  cVideo3D::EPrimitiveStyle style = cVideo3D::EPrimitiveStyle::Solid;
  bool antiAlias = false;
  cVideo3D::EAlias aliasMode = cVideo3D::EAlias::SortIndependent;
  bool dithering = false;
  bool clipping = true;
  float pointSize = 1.0f;

  bool fog = false;
  cVideo3D::EFog fogMode = cVideo3D::EFog::Linear;
  cRgba fogColor{0, 0, 0, 1};
  float fogStart = 0.0f, fogEnd = 1.0f, fogDensity = 1.0f;

  bool lighting = false;
  cRgba ambient{0, 0, 0, 1};
  cLightSlot lights[kLights];
  bool lightEnabled[kLights] = {};
  bool specular = false, normalize = false, localViewer = false;

  cRgba materialDiffuse{1, 1, 1, 1}, materialAmbient{1, 1, 1, 1};
  cRgba materialSpecular{0, 0, 0, 1}, materialEmissive{0, 0, 0, 1};
  float materialPower = 0.0f;
  cVideo3D::ESource diffuseSource = cVideo3D::ESource::Diffuse;
  cVideo3D::ESource ambientSource = cVideo3D::ESource::Material;
  cVideo3D::ESource specularSource = cVideo3D::ESource::Specular;
  cVideo3D::ESource emissiveSource = cVideo3D::ESource::Material;

  cStageState stages[kStages] = {FirstStage(), {}};
  cRgba textureFactor{1, 1, 1, 1};
  bool textureColorKey = false;

  bool stencil = false;
  ECompare stencilFunction = ECompare::Always;
  uint32_t stencilReference = 0, stencilMask = 0xFF, stencilWriteMask = 0xFF;
  EStencilOp stencilFail = EStencilOp::Keep, stencilDepthFail = EStencilOp::Keep,
             stencilPass = EStencilOp::Keep;

  cPlane clipPlanes[kClipPlanes];
  bool clipPlaneEnabled[kClipPlanes] = {};
};

}  // namespace zunfert::detail
