#include "fields.h"

#include <algorithm>

namespace zunfert::detail {

cString cFieldReader::Text(const char* field) {
  int32_t length = 0;
  if (!m_Stream.ReadInt32(length)) Truncated(field);
  if (length < 0) Corrupt(cString::StringF("%s has a negative length (%d)", field, length));
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && length > remaining)
    Corrupt(cString::StringF("%s is %d bytes long but only %lld are left", field, length,
                             static_cast<long long>(remaining)));
  // Piece by piece, so that a length the stream does not hold costs no more
  // memory than the bytes that really arrive.
  constexpr int32_t kPiece = 1 << 16;
  cString text;
  for (int32_t done = 0; done < length;) {
    const int32_t piece = std::min(kPiece, length - done);
    text.SetLength(done + piece);
    if (!m_Stream.ReadExact(text.GetBuffer() + done, static_cast<uint32_t>(piece)))
      Truncated(field);
    done += piece;
  }
  return text;
}

uint8_t cFieldReader::Byte(const char* field) {
  uint8_t value = 0;
  if (!m_Stream.ReadUInt8(value)) Truncated(field);
  return value;
}

int32_t cFieldReader::Int(const char* field) {
  int32_t value = 0;
  if (!m_Stream.ReadInt32(value)) Truncated(field);
  return value;
}

int32_t cFieldReader::Int(const char* field, int32_t low, int32_t high) {
  const int32_t value = Int(field);
  if (value < low || value > high)
    Corrupt(cString::StringF("%s is %d, not within %d to %d", field, value, low, high));
  return value;
}

uint32_t cFieldReader::UInt(const char* field) {
  uint32_t value = 0;
  if (!m_Stream.ReadUInt32(value)) Truncated(field);
  return value;
}

float cFieldReader::Float(const char* field) {
  float value = 0;
  if (!m_Stream.ReadFloat(value)) Truncated(field);
  return value;
}

cVector3 cFieldReader::Vector(const char* field) {
  cVector3 v;
  for (int i = 0; i < 3; ++i) v[i] = Float(field);
  return v;
}

cColor cFieldReader::Color(const char* field) {
  float argb[4];
  for (float& channel : argb) channel = Float(field);
  return cColor(argb[0], argb[1], argb[2], argb[3]);
}

cString cFieldReader::Reference(const char* field) {
  const uint8_t present = Byte(field);
  if (present > 1) Corrupt(cString::StringF("%s has the flag %u", field, present));
  return present ? Text(field) : cString();
}

void cFieldReader::Truncated(const char* field) const {
  throw cException(__FILE__, __LINE__,
                   cString::StringF("Truncated %s stream: %s is incomplete", m_Kind, field));
}

void cFieldReader::Corrupt(const cString& what) const {
  throw cException(__FILE__, __LINE__,
                   cString::StringF("Corrupt %s stream: %s", m_Kind, what.c_str()));
}

void cFieldWriter::Vector(const cVector3& v) {
  for (int i = 0; i < 3; ++i) Float(v[i]);
}

void cFieldWriter::Color(const cColor& color) {
  float alpha, red, green, blue;
  color.GetARGB(alpha, red, green, blue);
  for (float channel : {alpha, red, green, blue}) Float(channel);
}

void cFieldWriter::Reference(const cString& location, cNamedObject* object) {
  Byte(object != nullptr ? 1 : 0);
  if (object == nullptr) return;
  const cUrl url(location + object->GetName());
  Text(url.GetText());
  if (!cPluginSystem::GetInstance()->SavePlugin(object, url))
    throw cException(__FILE__, __LINE__,
                     cString::StringF("Could not store \"%s\"", url.GetText().c_str()));
}

void cFieldWriter::Check(bool written) const {
  if (!written)
    throw cException(__FILE__, __LINE__, cString::StringF("Could not write the %s stream", m_Kind));
}

cEntityRecord::cEntityRecord(iIOStream& stream) : m_Stream(stream), m_Copy(stream.GetUrl()) {
  // Name, pivot and offset matrices, visible flag, materials, model, children.
  m_Complete = Text() && Bytes(2 * 48 + 1) && Texts();
  uint8_t hasModel = 0;
  if (m_Complete) {
    m_Complete = m_Stream.ReadUInt8(hasModel) && m_Copy.WriteUInt8(hasModel);
    m_Complete = m_Complete && (hasModel == 0 || Text()) && Texts();
  }
  m_Copy.Seek(0);
}

bool cEntityRecord::Bytes(uint32_t count) {
  // Small: entity loads nest as deep as the plug-in system lets them.
  uint8_t buffer[256];
  while (count > 0) {
    const uint32_t piece = std::min<uint32_t>(count, sizeof buffer);
    const uint32_t got = m_Stream.Read(buffer, piece);
    m_Copy.Write(buffer, got);
    if (got != piece) return false;
    count -= piece;
  }
  return true;
}

bool cEntityRecord::Int(int32_t& value) {
  if (!m_Stream.ReadInt32(value)) return false;
  m_Copy.WriteInt32(value);
  return true;
}

bool cEntityRecord::Text() {
  int32_t length = 0;
  if (!Int(length) || length < 0) return false;
  const int64_t remaining = m_Stream.GetRemaining();
  return (remaining < 0 || length <= remaining) && Bytes(static_cast<uint32_t>(length));
}

bool cEntityRecord::Texts() {
  int32_t count = 0;
  if (!Int(count) || count < 0) return false;
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && int64_t{count} * 4 > remaining) return false;
  for (int32_t i = 0; i < count; ++i)
    if (!Text()) return false;
  return true;
}

}  // namespace zunfert::detail
