#include "lighting.h"

#include <cmath>

namespace zunfert::detail {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

float Dot(const cVector3& a, const cVector3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

cVector3 Unit(const cVector3& v) {
  const float length = std::sqrt(Dot(v, v));
  return length > 0 ? cVector3(v.x / length, v.y / length, v.z / length) : v;
}

}  // namespace

void cLighting::Prepare(const cRenderState& state, const cVector3& eye,
                        const cVector3& viewDirection) {
  m_Count = 0;
  for (int i = 0; i < kLights; ++i) {
    if (!state.lightEnabled[i]) continue;
    cActiveLight& light = m_Lights[m_Count++];
    light.slot = state.lights[i];
    light.slot.direction = Unit(light.slot.direction);
    light.cosInner = std::cos(light.slot.theta * 0.5f * kDegreesToRadians);
    light.cosOuter = std::cos(light.slot.phi * 0.5f * kDegreesToRadians);
  }
  m_Ambient = state.ambient;
  m_Power = state.materialPower;
  m_Specular = state.specular;
  m_LocalViewer = state.localViewer;
  m_Eye = eye;
  m_ToViewer = -Unit(viewDirection);
}

float cLighting::Reach(const cActiveLight& light, const cVector3& position,
                       cVector3& toLight) const {
  const cLightSlot& slot = light.slot;
  if (slot.type == cVideo3D::ELight::Directional) {
    toLight = -slot.direction;
    return 1.0f;
  }
  const cVector3 offset(slot.position.x - position.x, slot.position.y - position.y,
                        slot.position.z - position.z);
  const float distance = std::sqrt(Dot(offset, offset));
  if (distance > slot.range) return 0.0f;
  toLight = distance > 0 ? cVector3(offset.x / distance, offset.y / distance, offset.z / distance)
                         : -slot.direction;
  const float divisor = slot.attenuation[0] + slot.attenuation[1] * distance +
                        slot.attenuation[2] * distance * distance;
  float reach = divisor > 0 ? 1.0f / divisor : 1.0f;
  if (slot.type == cVideo3D::ELight::Spot) {
    const float rho = -Dot(toLight, slot.direction);
    if (rho <= light.cosOuter) return 0.0f;
    if (rho < light.cosInner) {
      const float t = (rho - light.cosOuter) / (light.cosInner - light.cosOuter);
      reach *= slot.falloff == 1.0f ? t : std::pow(t, slot.falloff);
    }
  }
  return reach;
}

void cLighting::Light(const cVector3& position, const cVector3& normal,
                      const cMaterialColors& material, cRgba& color, cRgba& specular) const {
  float ambient[3] = {m_Ambient.r, m_Ambient.g, m_Ambient.b};
  float diffuse[3] = {0, 0, 0};
  float shine[3] = {0, 0, 0};
  const cVector3 toViewer =
      m_LocalViewer
          ? Unit(cVector3(m_Eye.x - position.x, m_Eye.y - position.y, m_Eye.z - position.z))
          : m_ToViewer;
  for (int i = 0; i < m_Count; ++i) {
    const cLightSlot& slot = m_Lights[i].slot;
    cVector3 toLight;
    const float reach = Reach(m_Lights[i], position, toLight);
    if (reach <= 0) continue;
    ambient[0] += reach * slot.ambient.r;
    ambient[1] += reach * slot.ambient.g;
    ambient[2] += reach * slot.ambient.b;
    const float facing = Dot(normal, toLight);
    if (facing <= 0) continue;
    diffuse[0] += reach * facing * slot.diffuse.r;
    diffuse[1] += reach * facing * slot.diffuse.g;
    diffuse[2] += reach * facing * slot.diffuse.b;
    if (!m_Specular) continue;
    const float highlight = Dot(normal, Unit(toLight + toViewer));
    if (highlight <= 0) continue;
    const float term = reach * std::pow(highlight, m_Power);
    shine[0] += term * slot.specular.r;
    shine[1] += term * slot.specular.g;
    shine[2] += term * slot.specular.b;
  }
  color.r = material.emissive.r + material.ambient.r * ambient[0] + material.diffuse.r * diffuse[0];
  color.g = material.emissive.g + material.ambient.g * ambient[1] + material.diffuse.g * diffuse[1];
  color.b = material.emissive.b + material.ambient.b * ambient[2] + material.diffuse.b * diffuse[2];
  color.a = material.diffuse.a;
  specular = {material.specular.r * shine[0], material.specular.g * shine[1],
              material.specular.b * shine[2], 0.0f};
}

}  // namespace zunfert::detail
