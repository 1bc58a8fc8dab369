#include "varn_property.h"

#include "varn_error.h"

cProperty::cProperty(int32_t type, const cString& name, cObject* owner, tPropertyAccessor getter,
                     tPropertyAccessor setter)
    : m_Type(type), m_Name(name), m_Owner(owner), m_Getter(getter), m_Setter(setter) {}

void cProperty::Get(void* value) const {
  if (m_Getter) (m_Owner->*m_Getter)(value);
}

bool cProperty::Set(void* value) const {
  if (m_Setter == nullptr) return false;
  (m_Owner->*m_Setter)(value);
  return true;
}

cPropertySheet::~cPropertySheet() {
  Clear();
}

cProperty* cPropertySheet::Add(int32_t type, const cString& name, cObject* owner,
                               tPropertyAccessor getter, tPropertyAccessor setter) {
  auto* property = new cProperty(type, name, owner, getter, setter);
  try {
    m_Properties.Add(property);
  } catch (...) {
    delete property;
    throw;
  }
  return property;
}

cProperty* cPropertySheet::Find(const cString& name) const {
  for (cProperty* property : m_Properties)
    if (property->GetName() == name) return property;
  return nullptr;
}

bool cPropertySheet::Get(const cString& name, void* value) const {
  const cProperty* property = Find(name);
  if (property == nullptr) return false;
  property->Get(value);
  return true;
}

bool cPropertySheet::Set(const cString& name, void* value) const {
  const cProperty* property = Find(name);
  return property != nullptr && property->Set(value);
}

void cPropertySheet::Clear() {
  for (cProperty* property : m_Properties) delete property;
  m_Properties.Clear();
}

namespace {

const char* TypeName(int32_t type) {
  switch (type) {
    case cProperty::Int:
      return "an int32_t";
    case cProperty::Float:
      return "a float";
    case cProperty::String:
      return "a cString";
    case cProperty::Color:
      return "a cColor";
    default:
      return "a type no property holds";
  }
}

}  // namespace

bool cPropertySheet::Exchange(const cString& name, int32_t type, void* value, bool get) const {
  const cProperty* property = Find(name);
  if (property == nullptr) {
    trace("Property \"%s\" not found: the object publishes no such value (check the spelling)",
          name.c_str());
    return false;
  }
  if (property->GetType() != type) {
    trace("Property \"%s\" holds %s, but %s was given: pass %s", name.c_str(),
          TypeName(property->GetType()), TypeName(type), TypeName(property->GetType()));
    return false;
  }
  if (get) {
    property->Get(value);
    return true;
  }
  if (!property->Set(value)) {
    trace("Property \"%s\" is read-only", name.c_str());
    return false;
  }
  return true;
}
