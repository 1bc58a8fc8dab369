#include "varn_object.h"

#include "varn_crc.h"
#include "varn_property.h"

cUnknown::~cUnknown() = default;

iClassDesc::iClassDesc(iClassDesc* parent, int32_t classID, const cInterfaceID& interfaceID)
    : m_Parent(parent), m_ClassID(classID), m_InterfaceID(interfaceID) {}

iClassDesc::~iClassDesc() = default;

bool iClassDesc::IsOfType(int32_t classID) const {
  for (const iClassDesc* desc = this; desc != nullptr; desc = desc->m_Parent)
    if (desc->m_ClassID == classID) return true;
  return false;
}

VARN_DEFINE_CLASS_DESCRIPTOR(cObject, "cObject", "cObject", nullptr, cInterfaceID(0, false))

cObject::~cObject() = default;

void cObject::AddProperties(cPropertySheet*) {}

VARN_DEFINE_CLASS_DESCRIPTOR(cNamedObject, "cNamedObject", "cNamedObject", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cNamedObject::~cNamedObject() = default;

void cNamedObject::AddProperties(cPropertySheet* sheet) {
  cObject::AddProperties(sheet);
  if (sheet == nullptr) return;
  sheet->Add(cProperty::String, "Name", this, PropertyAccessor(&cNamedObject::GetPropertyName),
             PropertyAccessor(&cNamedObject::SetPropertyName));
}

void cNamedObject::GetPropertyName(void* value) {
  *static_cast<cString*>(value) = m_Name;
}

void cNamedObject::SetPropertyName(void* value) {
  m_Name = *static_cast<const cString*>(value);
}

iSerializable::~iSerializable() = default;
