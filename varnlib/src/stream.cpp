#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "varn_stream.h"

namespace {

template <class T>
bool ReadLittleEndian(iInStream& stream, T& value) {
  uint8_t bytes[sizeof(T)];
  if (!stream.ReadExact(bytes, sizeof bytes)) return false;
  T result = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    result |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
  value = result;
  return true;
}

template <class T>
bool WriteLittleEndian(iOutStream& stream, T value) {
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return stream.Write(bytes, sizeof bytes) == sizeof bytes;
}

}  // namespace

iInStream::~iInStream() = default;

bool iInStream::ReadUInt8(uint8_t& value) {
  return ReadExact(&value, 1);
}
bool iInStream::ReadUInt16(uint16_t& value) {
  return ReadLittleEndian(*this, value);
}
bool iInStream::ReadUInt32(uint32_t& value) {
  return ReadLittleEndian(*this, value);
}

bool iInStream::ReadInt32(int32_t& value) {
  uint32_t bits;
  if (!ReadUInt32(bits)) return false;
  value = static_cast<int32_t>(bits);
  return true;
}

bool iInStream::ReadFloat(float& value) {
  uint32_t bits;
  if (!ReadUInt32(bits)) return false;
  std::memcpy(&value, &bits, sizeof value);
  return true;
}

bool iInStream::ReadText(cString& text) {
  int32_t length;
  if (!ReadInt32(length) || length < 0) return false;
  const int64_t remaining = GetRemaining();
  if (remaining >= 0 && length > remaining) return false;
  cString read;
  read.SetLength(length);
  if (!ReadExact(read.GetBuffer(), static_cast<uint32_t>(length))) return false;
  text = static_cast<cString&&>(read);
  return true;
}

iOutStream::~iOutStream() = default;

bool iOutStream::WriteUInt8(uint8_t value) {
  return Write(&value, 1) == 1;
}
bool iOutStream::WriteUInt16(uint16_t value) {
  return WriteLittleEndian(*this, value);
}
bool iOutStream::WriteUInt32(uint32_t value) {
  return WriteLittleEndian(*this, value);
}
bool iOutStream::WriteInt32(int32_t value) {
  return WriteUInt32(static_cast<uint32_t>(value));
}

bool iOutStream::WriteFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return WriteUInt32(bits);
}

bool iOutStream::WriteText(const cString& text) {
  const auto length = static_cast<uint32_t>(text.GetLength());
  return WriteInt32(text.GetLength()) && Write(text.c_str(), length) == length;
}

cMemoryStream::cMemoryStream(const cUrl& url) : m_Url(url) {}

cMemoryStream::cMemoryStream(const void* data, uint32_t size, const cUrl& url) : m_Url(url) {
  Write(data, size);
  if (m_Size != size) throw std::bad_alloc();
  m_Position = 0;
}

cMemoryStream::~cMemoryStream() {
  std::free(m_Data);
}

uint32_t cMemoryStream::Read(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, m_Size - m_Position);
  if (count) std::memcpy(buffer, m_Data + m_Position, count);
  m_Position += count;
  return count;
}

int64_t cMemoryStream::GetRemaining() const {
  return m_Size - m_Position;
}

uint32_t cMemoryStream::Write(const void* buffer, uint32_t size) {
  const uint64_t end = static_cast<uint64_t>(m_Position) + size;
  if (end > UINT32_MAX) return 0;
  if (end > m_Capacity) {
    const uint64_t capacity =
        std::min<uint64_t>(std::max<uint64_t>(end, 2ull * m_Capacity), UINT32_MAX);
    void* data = std::realloc(m_Data, capacity);
    if (data == nullptr) return 0;
    m_Data = static_cast<uint8_t*>(data);
    m_Capacity = static_cast<uint32_t>(capacity);
  }
  if (size) std::memcpy(m_Data + m_Position, buffer, size);
  m_Position = static_cast<uint32_t>(end);
  m_Size = std::max(m_Size, m_Position);
  return size;
}

void cMemoryStream::Seek(uint32_t position) {
  m_Position = std::min(position, m_Size);
}
