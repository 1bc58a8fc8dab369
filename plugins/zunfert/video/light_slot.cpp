// SetLight: what the device keeps of a scene light.
#include <tolmak_light.h>

#include "software_video3d.h"

namespace zunfert {

void cSoftwareVideo3D::SetLight(int index, const cLight& light) {
  // The colour getters are not const members, though they only read.
  cLight& source = const_cast<cLight&>(light);
  detail::cLightSlot slot;
  switch (light.GetType()) {
    case static_cast<int>(ELight::Omni):
      slot.type = ELight::Omni;
      break;
    case static_cast<int>(ELight::Spot):
      slot.type = ELight::Spot;
      break;
    default:
      slot.type = ELight::Directional;
  }
  slot.ambient = detail::ToRgba(source.GetAmbient());
  slot.diffuse = detail::ToRgba(source.GetDiffuse());
  slot.specular = detail::ToRgba(source.GetSpecular());
  const cMatrix4x3& world = light.GetWorldMatrix();
  slot.position = world[3];
  slot.direction = world[2];
  slot.range = light.GetRange();
  slot.falloff = light.GetFallOff();
  slot.attenuation[0] = light.GetConstant();
  slot.attenuation[1] = light.GetLinear();
  slot.attenuation[2] = light.GetQuad();
  slot.theta = light.GetTheta();
  slot.phi = light.GetPhi();
  SetLightValues(index, slot);
}

}  // namespace zunfert
