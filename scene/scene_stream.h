#pragma once

// Field readers and writers shared by the entity and model streams.

#include <cstdint>

#include <varnlib.h>

#include "tolmak_matrix.h"

namespace tolmak::detail {

/// Reads the fields of a scene stream. Streams come from outside the
/// process: every failure throws cException naming the stream and the
/// field, and nothing is allocated beyond what the stream really holds.
class cSceneReader {
 public:
  /// kind names the stream in messages ("entity", "model").
  cSceneReader(iInStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  /// A text: a signed 32-bit length, then that many bytes.
  cString Text(const char* field);
  /// A signed 32-bit number of items ("material references") that each
  /// take at least itemBytes bytes of the rest of the stream.
  int32_t Count(const char* items, int32_t itemBytes);
  uint8_t Byte(const char* field);
  /// Twelve floats, row by row.
  cMatrix4x3 Matrix(const char* field);

 private:
  [[noreturn]] void Truncated(const cString& field) const;
  [[noreturn]] void Corrupt(const cString& what) const;
  /// Reads a text of unknown size piece by piece, so that a hostile length
  /// costs no more memory than the bytes that really arrive.
  bool ReadInPieces(cString& text, int32_t length);

  iInStream& m_Stream;
  const char* m_Kind;
};

/// Writes the fields of a scene stream; a failed write throws cException.
class cSceneWriter {
 public:
  cSceneWriter(iOutStream& stream, const char* kind) : m_Stream(stream), m_Kind(kind) {}

  void Text(const cString& text);
  void Int(int32_t value);
  void Byte(uint8_t value);
  void Matrix(const cMatrix4x3& matrix);

 private:
  void Check(bool written) const;

  iOutStream& m_Stream;
  const char* m_Kind;
};

}  // namespace tolmak::detail
