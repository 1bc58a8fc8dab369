#include "../class_desc.h"
#include "fields.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cDefaultCamera, "Camera", &cCamera::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cOmniLight, "Omni light", &cLight::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cSpotLight, "Spot light", &cLight::m_Descriptor)
ZUNFERT_DEFINE_CLASS(cDirectionalLight, "Directional light", &cLight::m_Descriptor)

cDefaultCamera::~cDefaultCamera() = default;
cDefaultLight::~cDefaultLight() = default;
cOmniLight::~cOmniLight() = default;
cSpotLight::~cSpotLight() = default;
cDirectionalLight::~cDirectionalLight() = default;

void cDefaultCamera::Save(iIOStream& stream) {
  cEntity::Save(stream);
  cSceneWriter writer(stream, "camera");
  zunfert::detail::WriteHidden(writer, *this);
  writer.Float(GetFieldOfView());
  writer.Float(GetHorizon());
  writer.Float(GetAspect());
}

void cDefaultCamera::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  bool hidden = false;
  float lens[3];
  LoadEntityWithOwnFields(*this, stream, [&](iIOStream& own) {
    cSceneReader reader(own, "camera");
    hidden = ReadHidden(reader);
    for (float& value : lens) value = reader.Float("the lens");
  });
  SetHidden(*this, hidden);
  SetFieldOfView(lens[0]);
  SetHorizon(lens[1]);
  SetAspect(lens[2]);
}

namespace zunfert::detail {
namespace {

struct cLightValues {
  bool hidden;
  cColor colors[3];
  float floats[7];  // range, falloff, the three attenuations, theta, phi
  int32_t priority;
};

}  // namespace
}  // namespace zunfert::detail

void cDefaultLight::Save(iIOStream& stream) {
  cEntity::Save(stream);
  cSceneWriter writer(stream, "light");
  zunfert::detail::WriteHidden(writer, *this);
  for (const cColor& color : {GetAmbient(), GetDiffuse(), GetSpecular()}) writer.Color(color);
  for (float value :
       {GetRange(), GetFallOff(), GetConstant(), GetLinear(), GetQuad(), GetTheta(), GetPhi()})
    writer.Float(value);
  writer.Int(GetPriority());
}

void cDefaultLight::Load(iIOStream& stream) {
  zunfert::detail::cLightValues values;
  zunfert::detail::LoadEntityWithOwnFields(*this, stream, [&values](iIOStream& own) {
    cSceneReader reader(own, "light");
    values.hidden = zunfert::detail::ReadHidden(reader);
    for (cColor& color : values.colors) color = reader.Color("a colour");
    for (float& value : values.floats) value = reader.Float("a light value");
    values.priority = reader.Int("the priority");
  });
  zunfert::detail::SetHidden(*this, values.hidden);
  SetAmbient(values.colors[0]);
  SetDiffuse(values.colors[1]);
  SetSpecular(values.colors[2]);
  SetRange(values.floats[0]);
  SetFallOff(values.floats[1]);
  SetConstant(values.floats[2]);
  SetLinear(values.floats[3]);
  SetQuad(values.floats[4]);
  // The property setters store as given, without the theta/phi rule.
  SetPropertyTheta(&values.floats[5]);
  SetPropertyPhi(&values.floats[6]);
  SetPriority(values.priority);
}
