#pragma once

#include <cstdint>

#include "varn_array.h"
#include "varn_crc.h"
#include "varn_error.h"
#include "varn_export.h"
#include "varn_object.h"
#include "varn_string.h"
#include "varn_url.h"

class cPluginSystem;

/// Name of the function a plug-in library exports to register its classes.
#define VARN_PLUGIN_ENTRY_POINT "VarnRegisterPlugin"

/// Declares that function in a plug-in library:
///   VARN_PLUGIN_REGISTER(plugins) { plugins->Register(&gMyClass); }
#if defined(_WIN32)
#define VARN_PLUGIN_REGISTER(plugins) \
  extern "C" __declspec(dllexport) void VarnRegisterPlugin(cPluginSystem* plugins)
#else
#define VARN_PLUGIN_REGISTER(plugins) \
  extern "C" __attribute__((visibility("default"))) void VarnRegisterPlugin(cPluginSystem* plugins)
#endif

/// The descriptor of a class that the plug-in system creates: CreateInstance
/// gives a new T. The name and description must outlive the descriptor
/// (string literals do).
template <class T>
class tPluginClassDesc : public iClassDesc {
 public:
  tPluginClassDesc(const char* name, const char* description, iClassDesc* parent,
                   const cInterfaceID& interfaceID = cInterfaceID(0, false))
      : iClassDesc(parent, gCRC32(name), interfaceID), m_Name(name), m_Description(description) {}

  cObject* CreateInstance() const override { return new T; }
  const char* GetClassName() const override { return m_Name; }
  const char* GetDescription() const override { return m_Description; }
  float GetVersion() const override { return 1.0f; }

 private:
  const char* m_Name;
  const char* m_Description;
};

/// The registry of plug-in classes: it creates objects by class identifier,
/// answers "which classes derive from this one", links plug-in libraries and
/// stores objects together with their class so they can be re-created.
///
/// Plug-in libraries stay loaded until the process ends, so registered
/// descriptors never dangle.
class VARN_API cPluginSystem {
 public:
  static cPluginSystem* GetInstance();

  /// Loads a plug-in library and calls its VarnRegisterPlugin. A Windows
  /// name "Name.dll" is mapped to the platform's own ("libName.so"). A name
  /// without a folder is looked for in the search folders, then beside the
  /// base library, then on the loader's path. Linking the same library
  /// again registers nothing more. False when the library or its entry
  /// point cannot be found.
  bool LinkDLL(const cString& fileName);
  /// Why the last LinkDLL failed: the library's platform name and every
  /// place searched; empty after a LinkDLL that succeeded.
  const cString& GetLinkError() const;
  /// Adds a folder that LinkDLL searches before the base library's own, in
  /// the order added (a program or a test brings its plug-ins from
  /// elsewhere). An empty or already added folder is ignored.
  void AddSearchFolder(const cString& folder);

  /// Registers a class; false for null or an identifier already registered.
  bool Register(iClassDesc* descriptor);
  /// Removes a class; false when it was not registered.
  bool Unregister(iClassDesc* descriptor);

  /// A new object of a registered class, or null.
  cObject* Create(int32_t classID);
  /// A new object of the class named, typed: throws cException naming the
  /// class when no linked library registers it or it is not a T (nothing
  /// is left behind).
  template <class T>
  T* Create(const cString& className) {
    cObject* object = CreateNamed(className);
    if (T* typed = dynamic_cast<T*>(object)) return typed;
    Destroy(object);
    throw cException(__FILE__, __LINE__,
                     cString("Plug-in class \"", className) + "\" is not of the type asked for");
  }
  /// Destroys an object made by Create or LoadPlugin (null is ignored).
  void Destroy(cObject* object);
  /// Appends to result the identifiers of the registered classes that
  /// derive from the class, in registration order (the class itself is not
  /// listed). The storage comes from realloc; the caller frees it.
  void Find(int32_t classID, tArray<uint32_t>& result);
  /// The descriptor of a registered class or of an ancestor of one, or null.
  iClassDesc* GetDescriptor(int32_t classID);

  /// Stores a serializable object at the URL: its class identifier (signed
  /// 32-bit) followed by what its Save writes. False when the object is null
  /// or not serializable, there is no stream manager, or the stream cannot be
  /// opened or written. The objects stored inside its Save form one group
  /// with it (cStreamManager::BeginGroup): when any of them fails, or Save
  /// throws, none of their streams replaces what was there before.
  bool SavePlugin(cObject* object, const cUrl& url);
  /// Re-creates an object stored by SavePlugin; null when the URL cannot be
  /// read or names an unknown class. An exception from the object's Load is
  /// passed on after the object was destroyed.
  cObject* LoadPlugin(const cUrl& url);

  /// How deeply SavePlugin and LoadPlugin may nest (an object stored inside
  /// the Save of another). Deeper nesting throws cException: a scene with a
  /// cycle of references or an absurd depth is refused, never a stack overflow.
  static constexpr int32_t kMaxNesting = 1000;

  /// How many objects one LoadPlugin may re-create, those loaded inside it
  /// included. Files that name each other several times over multiply:
  /// eight files of a hundred references each would ask for 10^14 objects.
  /// Beyond the limit LoadPlugin throws cException.
  static constexpr int32_t kDefaultLoadLimit = 1 << 20;
  /// Sets that limit (at least 1); returns the old one.
  int32_t SetLoadLimit(int32_t objects);

  cPluginSystem(const cPluginSystem&) = delete;
  cPluginSystem& operator=(const cPluginSystem&) = delete;

 private:
  struct cImpl;
  class cNestingGuard;

  bool SaveStream(iSerializable& object, int32_t classID, const cUrl& url);
  /// Create by name; throws for a class that is not registered.
  cObject* CreateNamed(const cString& className);

  cPluginSystem();
  ~cPluginSystem();

  cImpl* m_Impl;
};
