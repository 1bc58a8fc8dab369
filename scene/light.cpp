// The light: stored values, the theta/phi rule of the direct setters, and
// the property sheet through which tools and renderers reach the values.

#include "tolmak_light.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cLight, "cLight", "cLightEntity", &cEntity::m_Descriptor,
                             cInterfaceID(0, false))

cLight::cLight()
    : m_Ambient(cColor::clGray), m_Diffuse(cColor::clSilver), m_Specular(cColor::clWhite) {}

cLight::cLight(const cLight& other) : cEntity(other) {
  CopyFields(other);
}

cLight& cLight::operator=(const cLight& other) {
  if (this == &other) return *this;
  cEntity::operator=(other);
  CopyFields(other);
  return *this;
}

cLight::~cLight() = default;

void cLight::CopyFields(const cLight& other) {
  m_Type = other.m_Type;
  m_Ambient = other.m_Ambient;
  m_Diffuse = other.m_Diffuse;
  m_Specular = other.m_Specular;
  m_Range = other.m_Range;
  m_FallOff = other.m_FallOff;
  m_Constant = other.m_Constant;
  m_Linear = other.m_Linear;
  m_Quad = other.m_Quad;
  m_Theta = other.m_Theta;
  m_Phi = other.m_Phi;
  m_Priority = other.m_Priority;
}

void cLight::SetTheta(float theta) {
  if (theta > m_Phi) m_Phi = theta;
  m_Theta = theta;
}

void cLight::SetPhi(float phi) {
  if (phi < m_Theta) m_Theta = phi;
  m_Phi = phi;
}

void cLight::AddProperties(cPropertySheet* sheet) {
  cNamedObject::AddProperties(sheet);
  if (sheet == nullptr) return;
  sheet->Add(cProperty::Int, "Type", this, PropertyAccessor(&cLight::GetPropertyType), nullptr);
  sheet->Add(cProperty::Color, "Ambient", this, PropertyAccessor(&cLight::GetPropertyAmbient),
             PropertyAccessor(&cLight::SetPropertyAmbient));
  sheet->Add(cProperty::Color, "Diffuse", this, PropertyAccessor(&cLight::GetPropertyDiffuse),
             PropertyAccessor(&cLight::SetPropertyDiffuse));
  sheet->Add(cProperty::Color, "Specular", this, PropertyAccessor(&cLight::GetPropertySpecular),
             PropertyAccessor(&cLight::SetPropertySpecular));
  sheet->Add(cProperty::Float, "Range", this, PropertyAccessor(&cLight::GetPropertyRange),
             PropertyAccessor(&cLight::SetPropertyRange));
  sheet->Add(cProperty::Float, "Falloff", this, PropertyAccessor(&cLight::GetPropertyFalloff),
             PropertyAccessor(&cLight::SetPropertyFalloff));
  sheet->Add(cProperty::Float, "ConstantAttenuation", this,
             PropertyAccessor(&cLight::GetPropertyAttenuation0),
             PropertyAccessor(&cLight::SetPropertyAttenuation0));
  sheet->Add(cProperty::Float, "LinearAttenuation", this,
             PropertyAccessor(&cLight::GetPropertyAttenuation1),
             PropertyAccessor(&cLight::SetPropertyAttenuation1));
  sheet->Add(cProperty::Float, "QuadricAttenuation", this,
             PropertyAccessor(&cLight::GetPropertyAttenuation2),
             PropertyAccessor(&cLight::SetPropertyAttenuation2));
  sheet->Add(cProperty::Float, "Theta", this, PropertyAccessor(&cLight::GetPropertyTheta),
             PropertyAccessor(&cLight::SetPropertyTheta));
  sheet->Add(cProperty::Float, "Phi", this, PropertyAccessor(&cLight::GetPropertyPhi),
             PropertyAccessor(&cLight::SetPropertyPhi));
}

namespace tolmak::detail {
namespace {

void WriteFloat(void* to, float value) {
  *static_cast<float*>(to) = value;
}

float ReadFloat(const void* from) {
  return *static_cast<const float*>(from);
}

}  // namespace
}  // namespace tolmak::detail

using tolmak::detail::ReadFloat;
using tolmak::detail::WriteFloat;

void cLight::GetPropertyType(void* value) {
  *static_cast<int32_t*>(value) = m_Type;
}

void cLight::GetPropertyAmbient(void* value) {
  *static_cast<cColor*>(value) = m_Ambient;
}

void cLight::SetPropertyAmbient(void* value) {
  m_Ambient = *static_cast<const cColor*>(value);
}

void cLight::GetPropertyDiffuse(void* value) {
  *static_cast<cColor*>(value) = m_Diffuse;
}

void cLight::SetPropertyDiffuse(void* value) {
  m_Diffuse = *static_cast<const cColor*>(value);
}

void cLight::GetPropertySpecular(void* value) {
  *static_cast<cColor*>(value) = m_Specular;
}

void cLight::SetPropertySpecular(void* value) {
  m_Specular = *static_cast<const cColor*>(value);
}

void cLight::GetPropertyRange(void* value) {
  WriteFloat(value, m_Range);
}

void cLight::SetPropertyRange(void* value) {
  m_Range = ReadFloat(value);
}

void cLight::GetPropertyFalloff(void* value) {
  WriteFloat(value, m_FallOff);
}

void cLight::SetPropertyFalloff(void* value) {
  m_FallOff = ReadFloat(value);
}

void cLight::GetPropertyAttenuation0(void* value) {
  WriteFloat(value, m_Constant);
}

void cLight::SetPropertyAttenuation0(void* value) {
  m_Constant = ReadFloat(value);
}

void cLight::GetPropertyAttenuation1(void* value) {
  WriteFloat(value, m_Linear);
}

void cLight::SetPropertyAttenuation1(void* value) {
  m_Linear = ReadFloat(value);
}

void cLight::GetPropertyAttenuation2(void* value) {
  WriteFloat(value, m_Quad);
}

void cLight::SetPropertyAttenuation2(void* value) {
  m_Quad = ReadFloat(value);
}

void cLight::GetPropertyTheta(void* value) {
  WriteFloat(value, m_Theta);
}

void cLight::SetPropertyTheta(void* value) {
  m_Theta = ReadFloat(value);  // as given: the cone rule belongs to SetTheta
}

void cLight::GetPropertyPhi(void* value) {
  WriteFloat(value, m_Phi);
}

void cLight::SetPropertyPhi(void* value) {
  m_Phi = ReadFloat(value);
}
