#include "varn_string.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

cString::cString(const char* text) {
  Assign(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

cString::cString(const char* bytes, int32_t length) {
  Assign(bytes, bytes ? length : 0);
}

cString::cString(const cString& other) {
  Assign(other.m_Data, other.m_Length);
}

cString::cString(cString&& other) noexcept
    : m_Data(other.m_Data), m_Length(other.m_Length), m_Capacity(other.m_Capacity) {
  other.m_Data = nullptr;
  other.m_Length = other.m_Capacity = 0;
}

cString::cString(const cString& first, const cString& second) {
  Reserve(first.m_Length + second.m_Length);
  if (first.m_Length) std::memcpy(m_Data, first.m_Data, static_cast<size_t>(first.m_Length));
  if (second.m_Length)
    std::memcpy(m_Data + first.m_Length, second.m_Data, static_cast<size_t>(second.m_Length));
  m_Length = first.m_Length + second.m_Length;
  if (m_Data) m_Data[m_Length] = '\0';
}

cString::~cString() {
  std::free(m_Data);
}

cString& cString::operator=(const cString& other) {
  if (this != &other) Assign(other.m_Data, other.m_Length);
  return *this;
}

cString& cString::operator=(cString&& other) noexcept {
  if (this != &other) {
    std::free(m_Data);
    m_Data = other.m_Data;
    m_Length = other.m_Length;
    m_Capacity = other.m_Capacity;
    other.m_Data = nullptr;
    other.m_Length = other.m_Capacity = 0;
  }
  return *this;
}

cString& cString::operator=(const char* text) {
  // The text may point into this string: copy through a temporary.
  cString copy(text);
  return *this = static_cast<cString&&>(copy);
}

void cString::Reserve(int32_t length) {
  if (length <= m_Capacity && m_Data) return;
  char* data = static_cast<char*>(std::realloc(m_Data, static_cast<size_t>(length) + 1));
  if (data == nullptr) throw std::bad_alloc();
  m_Data = data;
  m_Capacity = length;
}

void cString::Assign(const char* bytes, int32_t length) {
  if (length <= 0) {
    m_Length = 0;
    if (m_Data) m_Data[0] = '\0';
    return;
  }
  Reserve(length);
  std::memmove(m_Data, bytes, static_cast<size_t>(length));
  m_Length = length;
  m_Data[length] = '\0';
}

void cString::SetLength(int32_t n) {
  n = std::max(n, 0);
  if (n > 0 || m_Data) {
    Reserve(n);
    if (n > m_Length) std::memset(m_Data + m_Length, 0, static_cast<size_t>(n - m_Length));
    m_Data[n] = '\0';
  }
  m_Length = n;
}

cString& cString::FormatV(const char* format, va_list args) {
  va_list probe;
  va_copy(probe, args);
  const int needed = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (needed <= 0) {
    SetLength(0);
    return *this;
  }
  cString text;
  text.SetLength(needed);
  std::vsnprintf(text.m_Data, static_cast<size_t>(needed) + 1, format, args);
  return *this = static_cast<cString&&>(text);
}

cString& cString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
  return *this;
}

cString cString::StringF(const char* format, ...) {
  cString text;
  va_list args;
  va_start(args, format);
  text.FormatV(format, args);
  va_end(args);
  return text;
}

cString& cString::operator+=(const cString& other) {
  if (&other == this) return *this = cString(*this, other);
  if (other.m_Length == 0) return *this;
  const int32_t length = m_Length + other.m_Length;
  if (length > m_Capacity) Reserve(std::max(length, m_Capacity * 2));  // amortised appends
  std::memcpy(m_Data + m_Length, other.m_Data, static_cast<size_t>(other.m_Length));
  m_Length = length;
  m_Data[length] = '\0';
  return *this;
}

cString operator+(const cString& a, const cString& b) {
  return cString(a, b);
}

bool operator==(const cString& a, const cString& b) {
  return a.m_Length == b.m_Length &&
         (a.m_Length == 0 || std::memcmp(a.m_Data, b.m_Data, static_cast<size_t>(a.m_Length)) == 0);
}

bool operator==(const cString& a, const char* b) {
  const size_t length = b ? std::strlen(b) : 0;
  return static_cast<size_t>(a.m_Length) == length &&
         (length == 0 || std::memcmp(a.m_Data, b, length) == 0);
}

bool operator<(const cString& a, const cString& b) {
  const int32_t common = std::min(a.m_Length, b.m_Length);
  const int order = common ? std::memcmp(a.m_Data, b.m_Data, static_cast<size_t>(common)) : 0;
  return order < 0 || (order == 0 && a.m_Length < b.m_Length);
}
