#include "varn_fields.h"

#include <algorithm>

#include "varn_error.h"
#include "varn_object.h"
#include "varn_plugin.h"
#include "varn_url.h"

cString cFieldReader::Text(const char* field) {
  const int32_t length = Int(field);
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

bool cFieldReader::ReadInPieces(cString& text, int32_t length) {
  constexpr int32_t kPiece = 1 << 16;
  for (int32_t done = 0; done < length;) {
    const int32_t piece = std::min(kPiece, length - done);
    text.SetLength(done + piece);
    if (!m_Stream.ReadExact(text.GetBuffer() + done, static_cast<uint32_t>(piece))) return false;
    done += piece;
  }
  return true;
}

int32_t cFieldReader::Count(const char* items, int32_t itemBytes) {
  int32_t count = 0;
  if (!m_Stream.ReadInt32(count)) Truncated(cString::StringF("the number of %s", items).c_str());
  if (count < 0) Corrupt(cString::StringF("negative number of %s (%d)", items, count));
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && static_cast<int64_t>(count) * itemBytes > remaining)
    Corrupt(cString::StringF("%d %s cannot fit in the %lld bytes left", count, items,
                             static_cast<long long>(remaining)));
  return count;
}

uint8_t cFieldReader::Byte(const char* field) {
  return Read(field, &iInStream::ReadUInt8);
}

int32_t cFieldReader::Int(const char* field) {
  return Read(field, &iInStream::ReadInt32);
}

int32_t cFieldReader::Int(const char* field, int32_t low, int32_t high) {
  const int32_t value = Int(field);
  if (value < low || value > high)
    Corrupt(cString::StringF("%s is %d, not within %d to %d", field, value, low, high));
  return value;
}

uint32_t cFieldReader::UInt(const char* field) {
  return Read(field, &iInStream::ReadUInt32);
}

float cFieldReader::Float(const char* field) {
  return Read(field, &iInStream::ReadFloat);
}

void cFieldReader::Truncated(const char* field) const {
  throw cException(__FILE__, __LINE__,
                   cString::StringF("Truncated %s stream: %s is incomplete", m_Kind, field));
}

void cFieldReader::Corrupt(const cString& what) const {
  throw cException(__FILE__, __LINE__,
                   cString::StringF("Corrupt %s stream: %s", m_Kind, what.c_str()));
}

void cFieldWriter::Reference(const cString& location, cNamedObject& object) {
  const cUrl url(location + object.GetName());
  Text(url.GetText());
  if (!cPluginSystem::GetInstance()->SavePlugin(&object, url))
    throw cException(__FILE__, __LINE__,
                     cString::StringF("Could not store \"%s\"", url.GetText().c_str()));
}

void cFieldWriter::Check(bool written) const {
  if (!written)
    throw cException(__FILE__, __LINE__, cString::StringF("Could not write the %s stream", m_Kind));
}
