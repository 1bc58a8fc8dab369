#pragma once

#include <cstdint>

#include "varn_export.h"
#include "varn_string.h"

class cObject;
class cPropertySheet;
class iIOStream;

/// Root of every polymorphic object of the libraries: only a virtual destructor.
class VARN_API cUnknown {
 public:
  cUnknown() = default;
  cUnknown(const cUnknown&) = default;
  cUnknown& operator=(const cUnknown&) = default;
  virtual ~cUnknown();
};

/// Identifies an interface that a class adds (serialization, compilers, ...).
class VARN_API cInterfaceID {
 public:
  constexpr cInterfaceID(uint32_t id, bool valid) : m_ID(id), m_Valid(valid) {}

  uint32_t GetID() const { return m_ID; }
  /// False for the value that means "no interface", cInterfaceID(0, false).
  bool IsValid() const { return m_Valid; }

  friend bool operator==(const cInterfaceID& a, const cInterfaceID& b) = default;

 private:
  uint32_t m_ID;
  bool m_Valid;
};

/// The interface identifier of iSerializable.
extern VARN_API const cInterfaceID idiSerializable;

/// Class descriptor: one static object per class that names the class, its
/// parent class and the interface it adds.
///
/// The virtual operations are called by the plug-in system in this order of
/// slots: destructor, CreateInstance, GetClassName, GetDescription, GetVersion.
class VARN_API iClassDesc {
 public:
  /// parent may be null for a root class; classID is gCRC32 of the class name.
  iClassDesc(iClassDesc* parent, int32_t classID, const cInterfaceID& interfaceID);
  iClassDesc(const iClassDesc&) = delete;
  iClassDesc& operator=(const iClassDesc&) = delete;
  virtual ~iClassDesc();

  /// A new object of the class, or null for a class that cannot be instantiated.
  virtual cObject* CreateInstance() const = 0;
  /// Both texts live as long as the library that defines the class.
  virtual const char* GetClassName() const = 0;
  virtual const char* GetDescription() const = 0;
  virtual float GetVersion() const = 0;

  iClassDesc* GetParent() const { return m_Parent; }
  int32_t GetClassID() const { return m_ClassID; }
  const cInterfaceID& GetInterfaceID() const { return m_InterfaceID; }
  /// True when this class or one of its ancestors has the identifier.
  bool IsOfType(int32_t classID) const;

 private:
  iClassDesc* m_Parent;
  int32_t m_ClassID;
  cInterfaceID m_InterfaceID;
};

/// Declares a class's descriptor inside its class body: the nested
/// cDescriptor, the static m_Descriptor, Descriptor() and the GetDescriptor()
/// override. API is the export macro of the library that defines the class.
#define VARN_CLASS_DESCRIPTOR(API) \
  VARN_CLASS_DESCRIPTOR_BODY(API)  \
  iClassDesc* GetDescriptor() const override;

/// The part of VARN_CLASS_DESCRIPTOR shared with the root class, which
/// declares GetDescriptor itself.
#define VARN_CLASS_DESCRIPTOR_BODY(API)          \
 public:                                         \
  class API cDescriptor : public iClassDesc {    \
   public:                                       \
    cDescriptor();                               \
    cObject* CreateInstance() const override;    \
    const char* GetClassName() const override;   \
    const char* GetDescription() const override; \
    float GetVersion() const override;           \
  };                                             \
  static cDescriptor m_Descriptor;               \
  static iClassDesc* Descriptor();

/// Defines the operations declared by VARN_CLASS_DESCRIPTOR for a class that
/// is not instantiated through its descriptor (CreateInstance gives null,
/// version 1.0). The static m_Descriptor object itself is defined where the
/// library fixes the order in which its statics are built.
#define VARN_DEFINE_CLASS_DESCRIPTOR(Class, Name, Description, ParentDesc, InterfaceID)    \
  Class::cDescriptor::cDescriptor() : iClassDesc(ParentDesc, gCRC32(Name), InterfaceID) {} \
  cObject* Class::cDescriptor::CreateInstance() const {                                    \
    return nullptr;                                                                        \
  }                                                                                        \
  const char* Class::cDescriptor::GetClassName() const {                                   \
    return Name;                                                                           \
  }                                                                                        \
  const char* Class::cDescriptor::GetDescription() const {                                 \
    return Description;                                                                    \
  }                                                                                        \
  float Class::cDescriptor::GetVersion() const {                                           \
    return 1.0f;                                                                           \
  }                                                                                        \
  iClassDesc* Class::Descriptor() {                                                        \
    return &m_Descriptor;                                                                  \
  }                                                                                        \
  iClassDesc* Class::GetDescriptor() const {                                               \
    return &m_Descriptor;                                                                  \
  }

/// Base of every object the plug-in system, a property sheet or a stream
/// must recognise. Virtual slots: destructor, GetDescriptor, AddProperties.
///
/// It carries two words for its user, copied member-wise with the object.
class VARN_API cObject : public cUnknown {
  VARN_CLASS_DESCRIPTOR_BODY(VARN_API)

 public:
  cObject() = default;
  cObject(const cObject&) = default;
  cObject& operator=(const cObject&) = default;
  ~cObject() override;

  virtual iClassDesc* GetDescriptor() const;
  /// Publishes the object's editable values; derived classes add their base
  /// class's properties first. A null sheet gets nothing.
  virtual void AddProperties(cPropertySheet* sheet);

  uint32_t GetUserData() const { return m_UserData; }
  void SetUserData(uint32_t value) { m_UserData = value; }
  uint32_t GetFlags() const { return m_Flags; }
  void SetFlags(uint32_t value) { m_Flags = value; }

 private:
  uint32_t m_UserData = 0;
  uint32_t m_Flags = 0;
};

/// An object with a name; it publishes the name as the property "Name".
class VARN_API cNamedObject : public cObject {
  VARN_CLASS_DESCRIPTOR(VARN_API)

 public:
  cNamedObject() = default;
  explicit cNamedObject(const cString& name) : m_Name(name) {}
  cNamedObject(const cNamedObject&) = default;
  cNamedObject& operator=(const cNamedObject&) = default;
  ~cNamedObject() override;

  const cString& GetName() const { return m_Name; }
  void SetName(const cString& name) { m_Name = name; }

  void AddProperties(cPropertySheet* sheet) override;

 protected:
  void GetPropertyName(void* value);
  void SetPropertyName(void* value);

 private:
  cString m_Name;
};

/// Second base of the classes that write themselves to a stream and read
/// themselves back. A failed Load throws cException and leaves the object
/// valid.
class VARN_API iSerializable {
 public:
  iSerializable() = default;
  iSerializable(const iSerializable&) = default;
  iSerializable& operator=(const iSerializable&) = default;
  virtual ~iSerializable();

  virtual void Save(iIOStream& stream) = 0;
  virtual void Load(iIOStream& stream) = 0;
};
