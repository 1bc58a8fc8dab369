#include "scene_stream.h"

#include <algorithm>

namespace tolmak::detail {

cString cSceneReader::Text(const char* field) {
  int32_t length = 0;
  if (!m_Stream.ReadInt32(length)) Truncated(field);
  if (length < 0) Corrupt(cString::StringF("%s has a negative length (%d)", field, length));
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && length > remaining)
    Corrupt(cString::StringF("%s is %d bytes long but only %lld are left", field, length,
                             static_cast<long long>(remaining)));
  cString text;
  if (remaining >= 0) {
    text.SetLength(length);
    if (!m_Stream.ReadExact(text.GetBuffer(), static_cast<uint32_t>(length))) Truncated(field);
  } else if (!ReadInPieces(text, length)) {
    Truncated(field);
  }
  return text;
}

bool cSceneReader::ReadInPieces(cString& text, int32_t length) {
  constexpr int32_t kPiece = 1 << 16;
  for (int32_t done = 0; done < length;) {
    const int32_t piece = std::min(kPiece, length - done);
    text.SetLength(done + piece);
    if (!m_Stream.ReadExact(text.GetBuffer() + done, static_cast<uint32_t>(piece))) return false;
    done += piece;
  }
  return true;
}

int32_t cSceneReader::Count(const char* items, int32_t itemBytes) {
  int32_t count = 0;
  if (!m_Stream.ReadInt32(count)) Truncated(cString::StringF("the number of %s", items));
  if (count < 0) Corrupt(cString::StringF("negative number of %s (%d)", items, count));
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && static_cast<int64_t>(count) * itemBytes > remaining)
    Corrupt(cString::StringF("%d %s cannot fit in the %lld bytes left", count, items,
                             static_cast<long long>(remaining)));
  return count;
}

uint8_t cSceneReader::Byte(const char* field) {
  uint8_t value = 0;
  if (!m_Stream.ReadUInt8(value)) Truncated(field);
  return value;
}

cMatrix4x3 cSceneReader::Matrix(const char* field) {
  cMatrix4x3 matrix;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (!m_Stream.ReadFloat(matrix(r, c))) Truncated(field);
  return matrix;
}

void cSceneReader::Truncated(const cString& field) const {
  throw cException(
      __FILE__, __LINE__,
      cString::StringF("Truncated %s stream: %s is incomplete", m_Kind, field.c_str()));
}

void cSceneReader::Corrupt(const cString& what) const {
  throw cException(__FILE__, __LINE__,
                   cString::StringF("Corrupt %s stream: %s", m_Kind, what.c_str()));
}

void cSceneWriter::Text(const cString& text) {
  Check(m_Stream.WriteText(text));
}
void cSceneWriter::Int(int32_t value) {
  Check(m_Stream.WriteInt32(value));
}
void cSceneWriter::Byte(uint8_t value) {
  Check(m_Stream.WriteUInt8(value));
}

void cSceneWriter::Matrix(const cMatrix4x3& matrix) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) Check(m_Stream.WriteFloat(matrix(r, c)));
}

void cSceneWriter::Check(bool written) const {
  if (!written)
    throw cException(__FILE__, __LINE__, cString::StringF("Could not write the %s stream", m_Kind));
}

}  // namespace tolmak::detail
