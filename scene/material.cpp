#include "tolmak_material.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cMaterial, "cMaterial", "cMaterial", &cNamedObject::m_Descriptor,
                             idiSerializable)

cMaterial::cMaterial(const cMaterial& other) : cNamedObject(other), iSerializable(other) {
  cWorld::Point(this, other.m_World);
}

cMaterial& cMaterial::operator=(const cMaterial& other) {
  if (this == &other) return *this;
  if (m_World != nullptr) m_World->DeleteMaterial(this);
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  cWorld::Point(this, other.m_World);
  return *this;
}

cMaterial::~cMaterial() {
  if (m_World != nullptr) m_World->DeleteMaterial(this);
  cWorld::Point(this, nullptr);
}
