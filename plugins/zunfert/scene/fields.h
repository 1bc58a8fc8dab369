#pragma once

// Field readers and writers of the plug-in's scene streams, and the copy of
// an engine entity record that lets a class read its own fields, which
// follow that record, before the entity changes.

#include <cstdint>

#include <tolmak.h>

namespace zunfert::detail {

/// Reads fields from a stream that comes from outside the process: every
/// failure throws cException naming the stream's kind and the field, and
/// nothing is allocated beyond what the stream really holds.
class cFieldReader {
 public:
  /// kind names the stream in messages ("light", "material").
  cFieldReader(iInStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  cString Text(const char* field);
  uint8_t Byte(const char* field);
  int32_t Int(const char* field);
  /// An int that must lie within [low, high].
  int32_t Int(const char* field, int32_t low, int32_t high);
  uint32_t UInt(const char* field);
  float Float(const char* field);
  cVector3 Vector(const char* field);
  /// Alpha, red, green, blue.
  cColor Color(const char* field);
  /// A reference: a byte, then the URL text when the byte is 1. Empty
  /// when there is none.
  cString Reference(const char* field);

  [[noreturn]] void Corrupt(const cString& what) const;

 private:
  [[noreturn]] void Truncated(const char* field) const;
  iInStream& m_Stream;
  const char* m_Kind;
};

/// Writes fields; a failed write throws cException.
class cFieldWriter {
 public:
  cFieldWriter(iOutStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  void Text(const cString& text) { Check(m_Stream.WriteText(text)); }
  void Byte(uint8_t value) { Check(m_Stream.WriteUInt8(value)); }
  void Int(int32_t value) { Check(m_Stream.WriteInt32(value)); }
  void UInt(uint32_t value) { Check(m_Stream.WriteUInt32(value)); }
  void Float(float value) { Check(m_Stream.WriteFloat(value)); }
  void Vector(const cVector3& v);
  void Color(const cColor& color);
  /// Writes the byte and the URL (location + the object's name), then
  /// stores the object there through cPluginSystem::SavePlugin; a null
  /// object writes the byte 0 alone.
  void Reference(const cString& location, cNamedObject* object);

 private:
  void Check(bool written) const;
  iOutStream& m_Stream;
  const char* m_Kind;
};

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
inline void WriteHidden(cFieldWriter& writer, const cEntity& entity) {
  writer.Byte(entity.IsHidden() ? 1 : 0);
}
inline bool ReadHidden(cFieldReader& reader) {
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
