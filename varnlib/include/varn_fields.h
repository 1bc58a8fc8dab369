#pragma once

#include <cstdint>

#include "varn_export.h"
#include "varn_stream.h"
#include "varn_string.h"

class cNamedObject;

/// Reads the fields of a stream that comes from outside the process. Every
/// failure throws cException naming the stream's kind and the field
/// ("Truncated entity stream: the name is incomplete"), and nothing is
/// allocated beyond what the stream really holds.
class VARN_API cFieldReader {
 public:
  /// kind names the stream in messages ("entity", "light").
  cFieldReader(iInStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  /// A text: a signed 32-bit length, then that many bytes.
  cString Text(const char* field);
  /// A signed 32-bit number of items ("child references") that each take
  /// at least itemBytes bytes of the rest of the stream.
  int32_t Count(const char* items, int32_t itemBytes);
  uint8_t Byte(const char* field);
  int32_t Int(const char* field);
  /// An int that must lie within [low, high].
  int32_t Int(const char* field, int32_t low, int32_t high);
  uint32_t UInt(const char* field);
  float Float(const char* field);

  /// Throws "Corrupt <kind> stream: <what>".
  [[noreturn]] void Corrupt(const cString& what) const;

 private:
  [[noreturn]] void Truncated(const char* field) const;
  /// One value through the stream's typed reader; a short stream is truncated.
  template <class T>
  T Read(const char* field, bool (iInStream::*read)(T&)) {
    T value{};
    if (!(m_Stream.*read)(value)) Truncated(field);
    return value;
  }
  /// Reads a text from a stream that cannot tell its size piece by piece,
  /// so that a hostile length costs no more memory than the bytes that
  /// really arrive.
  bool ReadInPieces(cString& text, int32_t length);

  iInStream& m_Stream;
  const char* m_Kind;
};

/// Writes the fields of a stream; a failed write throws cException.
class VARN_API cFieldWriter {
 public:
  cFieldWriter(iOutStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  void Text(const cString& text) { Check(m_Stream.WriteText(text)); }
  void Byte(uint8_t value) { Check(m_Stream.WriteUInt8(value)); }
  void Int(int32_t value) { Check(m_Stream.WriteInt32(value)); }
  void UInt(uint32_t value) { Check(m_Stream.WriteUInt32(value)); }
  void Float(float value) { Check(m_Stream.WriteFloat(value)); }
  /// Writes the URL location + the object's name as a text and stores the
  /// object there through cPluginSystem::SavePlugin.
  void Reference(const cString& location, cNamedObject& object);

 private:
  void Check(bool written) const;

  iOutStream& m_Stream;
  const char* m_Kind;
};
