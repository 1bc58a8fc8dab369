#pragma once

#include <cstdint>
#include <type_traits>

#include "varn_array.h"
#include "varn_export.h"
#include "varn_object.h"
#include "varn_string.h"

/// A getter or setter of a published value: a member function of the owner
/// that writes the value to, or reads it from, the memory it is given.
using tPropertyAccessor = void (cObject::*)(void*);

/// Turns a derived class's accessor into the form a property sheet keeps.
template <class T>
tPropertyAccessor PropertyAccessor(void (T::*accessor)(void*)) {
  return static_cast<tPropertyAccessor>(accessor);
}

/// One published value of an object.
class VARN_API cProperty {
 public:
  /// Type codes: what the accessors exchange.
  enum EType : int32_t {
    Int = 3,          ///< 32-bit signed integer
    Float = 8,        ///< 32-bit float
    String = 0x1008,  ///< cString
    Color = 0x100C,   ///< the engine's cColor
  };

  cProperty(int32_t type, const cString& name, cObject* owner, tPropertyAccessor getter,
            tPropertyAccessor setter);

  int32_t GetType() const { return m_Type; }
  const cString& GetName() const { return m_Name; }
  cObject* GetOwner() const { return m_Owner; }
  /// A property without a setter can only be read.
  bool IsReadOnly() const { return m_Setter == nullptr; }

  /// Calls the getter, which writes the value to the memory given.
  void Get(void* value) const;
  /// Calls the setter with the value; false for a read-only property.
  bool Set(void* value) const;

 private:
  int32_t m_Type;
  cString m_Name;
  cObject* m_Owner;
  tPropertyAccessor m_Getter;
  tPropertyAccessor m_Setter;
};

/// The type code of a property holding a T, for the typed path; 0 for a
/// type no property holds. Libraries add their own value types.
template <class T>
struct tPropertyType : std::integral_constant<int32_t, 0> {};
template <>
struct tPropertyType<int32_t> : std::integral_constant<int32_t, cProperty::Int> {};
template <>
struct tPropertyType<float> : std::integral_constant<int32_t, cProperty::Float> {};
template <>
struct tPropertyType<cString> : std::integral_constant<int32_t, cProperty::String> {};

/// The editable values of one or more objects, in the order they were added.
class VARN_API cPropertySheet {
 public:
  cPropertySheet() = default;
  cPropertySheet(const cPropertySheet&) = delete;
  cPropertySheet& operator=(const cPropertySheet&) = delete;
  ~cPropertySheet();

  /// Adds a property; a null setter makes it read-only. The sheet owns the
  /// property; the pointer stays valid until Clear or destruction.
  cProperty* Add(int32_t type, const cString& name, cObject* owner, tPropertyAccessor getter,
                 tPropertyAccessor setter);

  int32_t GetCount() const { return m_Properties.GetCount(); }
  cProperty* GetProperty(int32_t index) const { return m_Properties[index]; }
  /// The first property with the name (exact match), or null.
  cProperty* Find(const cString& name) const;
  /// Reads the named property; false when there is none.
  bool Get(const cString& name, void* value) const;
  /// Writes the named property; false when there is none or it is read-only.
  bool Set(const cString& name, void* value) const;
  void Clear();

  /// The typed path: writes the named property from a value of its own type
  /// (text may be given as const char*). A missing or read-only property,
  /// or a value of another type, is refused with a trace line naming the
  /// property and the types, and gives false.
  template <class T>
  bool SetValue(const cString& name, const T& value) const {
    if constexpr (!std::is_same_v<T, cString> && std::is_convertible_v<const T&, const char*>) {
      return SetValue(name, cString(value));
    } else {
      T copy = value;
      return Exchange(name, tPropertyType<T>::value, &copy, false);
    }
  }
  /// Reads the named property into a value of its own type; refused like
  /// SetValue.
  template <class T>
  bool GetValue(const cString& name, T& value) const {
    return Exchange(name, tPropertyType<T>::value, &value, true);
  }

 private:
  /// Gets or sets the property after checking its name and type.
  bool Exchange(const cString& name, int32_t type, void* value, bool get) const;

  tArray<cProperty*> m_Properties;
};

/// Sets one property of an object through its sheet, by the typed path.
template <class T>
bool gSetProperty(cObject* object, const cString& name, const T& value) {
  if (object == nullptr) return false;
  cPropertySheet sheet;
  object->AddProperties(&sheet);
  return sheet.SetValue(name, value);
}
