#include "tolmak_material.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cMaterial, "cMaterial", "cMaterial", &cNamedObject::m_Descriptor,
                             idiSerializable)

cMaterial::cMaterial(const cMaterial& other) : cNamedObject(other), iSerializable(other) {
  if (other.m_World != nullptr) other.m_World->AddMaterial(this);
}

cMaterial& cMaterial::operator=(const cMaterial& other) {
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  return *this;
}

cMaterial::~cMaterial() {
  if (m_World != nullptr) m_World->DeleteMaterial(this);
}
