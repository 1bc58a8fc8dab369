#pragma once

// References in the plug-in's scene streams, and the copy of an engine
// entity record that lets a class read its own fields, which
// follow that record, before the entity changes.

#include <cstdint>

#include <tolmak.h>

namespace zunfert::detail {

/// An optional reference: a byte, then, when the byte is 1, the URL where
/// the object is stored. Writing stores the object there; a null object
/// writes the byte 0 alone. Reading gives the URL, empty when there is none.
void WriteOptionalReference(cSceneWriter& writer, const cString& location, cNamedObject* object);
cString ReadOptionalReference(cSceneReader& reader, const char* field);

/// Re-creates the object stored at url: null when url is empty or cannot be
/// loaded. An object of another class is destroyed and refused as corrupt.
template <class T>
T* LoadReferenced(cSceneReader& reader, const cString& url, const char* kind) {
  if (url.IsEmpty()) return nullptr;
  cObject* object = cPluginSystem::GetInstance()->LoadPlugin(cUrl(url));
  T* typed = dynamic_cast<T*>(object);
  if (object != nullptr && typed == nullptr) {
    cPluginSystem::GetInstance()->Destroy(object);
    reader.Corrupt(cString::StringF("\"%s\" is not %s", url.c_str(), kind));
  }
  return typed;
}

/// The engine's entity record copied from a stream into memory, field by
/// field, consuming exactly its bytes. The copy stops at the first field
/// that does not add up (a negative or impossible length, the end of the
/// stream); loading the copy then reports that fault.
class cEntityRecord {
 public:
  explicit cEntityRecord(iIOStream& stream);
  cEntityRecord(const cEntityRecord&) = delete;
  cEntityRecord& operator=(const cEntityRecord&) = delete;

  bool IsComplete() const { return m_Complete; }
  /// The copy at its start, with the URL of the stream it came from.
  cMemoryStream& GetCopy() { return m_Copy; }

 private:
  bool Bytes(uint32_t count);
  bool Int(int32_t& value);
  bool Text();
  /// A count of texts that each need at least their 4-byte length.
  bool Texts();

  iIOStream& m_Stream;
  cMemoryStream m_Copy;
  bool m_Complete = false;
};

/// The hidden flag, which the engine's entity stream leaves out: the first
/// of the fields that the library's entity classes add to it.
inline void WriteHidden(cSceneWriter& writer, const cEntity& entity) {
  writer.Byte(entity.IsHidden() ? 1 : 0);
}
inline bool ReadHidden(cSceneReader& reader) {
  const uint8_t hidden = reader.Byte("the hidden flag");
  if (hidden > 1) reader.Corrupt(cString::StringF("the hidden flag is %u", hidden));
  return hidden != 0;
}
inline void SetHidden(cEntity& entity, bool hidden) {
  hidden ? entity.Hide() : entity.Show();
}

/// Loads an entity whose class stores fields of its own after the entity
/// record: copies the record, lets readOwn read the class's fields from the
/// stream, then loads the entity from the copy. Anything wrong throws
/// before the entity changed; the caller applies its fields afterwards.
template <class tReadOwn>
void LoadEntityWithOwnFields(cEntity& entity, iIOStream& stream, tReadOwn readOwn) {
  cEntityRecord record(stream);
  if (record.IsComplete()) readOwn(stream);
  entity.cEntity::Load(record.GetCopy());
  if (!record.IsComplete())
    throw cException(__FILE__, __LINE__, "Corrupt entity stream: a field does not add up");
}

}  // namespace zunfert::detail
