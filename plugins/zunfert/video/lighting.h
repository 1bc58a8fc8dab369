#pragma once

#include "render_state.h"

namespace zunfert::detail {

/// The material colours one vertex is lit with, after ESource selection.
struct cMaterialColors {
  cRgba diffuse, ambient, specular, emissive;
};

/// Lighting in world space, prepared once per draw from the render state:
/// ambient, diffuse and specular terms of omni, spot and directional
/// lights, attenuated by 1 / (c + l d + q d^2) within the range, spots
/// fading between the cosines of half theta and half phi raised to the
/// falloff. Specular uses the half vector with the material power.
class cLighting {
 public:
  /// eye is the camera position, viewDirection the unit direction the
  /// camera looks along; the latter serves unless the state asks for a
  /// local viewer.
  void Prepare(const cRenderState& state, const cVector3& eye, const cVector3& viewDirection);
  /// Lit colour and specular colour of a vertex at position with normal
  /// (world space; a zero normal receives ambient and emissive light only).
  void Light(const cVector3& position, const cVector3& normal, const cMaterialColors& material,
             cRgba& color, cRgba& specular) const;

 private:
  struct cActiveLight {
    cLightSlot slot;
    float cosInner, cosOuter;
  };

  /// Attenuation and spot factor of a light at a vertex, and the unit
  /// direction towards the light; 0 when the vertex is out of reach.
  float Reach(const cActiveLight& light, const cVector3& position, cVector3& toLight) const;

  cActiveLight m_Lights[kLights];
  int m_Count = 0;
  cRgba m_Ambient;
  float m_Power = 0;
  bool m_Specular = false, m_LocalViewer = false;
  cVector3 m_Eye, m_ToViewer;
};

}  // namespace zunfert::detail
