#pragma once

#include <cstdarg>
#include <cstdint>

#include "varn_export.h"

#if defined(__MINGW32__)
#define VARN_PRINTF(fmt, first) __attribute__((format(gnu_printf, fmt, first)))
#else
#define VARN_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#endif

/// A byte string with its length, always readable as zero-terminated C text.
///
/// The length counts the bytes before the terminator; the string may hold
/// zero bytes of its own (a length read from a stream is honoured as is).
/// Storage comes from the C runtime and grows only when needed.
class VARN_API cString {
 public:
  cString() = default;
  cString(const char* text);  // NOLINT: implicit, strings are passed as text everywhere
  cString(const char* bytes, int32_t length);
  cString(const cString& other);
  cString(cString&& other) noexcept;
  /// The concatenation of two strings.
  cString(const cString& first, const cString& second);
  ~cString();

  cString& operator=(const cString& other);
  cString& operator=(cString&& other) noexcept;
  cString& operator=(const char* text);

  int32_t GetLength() const { return m_Length; }
  bool IsEmpty() const { return m_Length == 0; }
  /// The text, zero-terminated; "" for an empty string, never null.
  const char* c_str() const { return m_Data ? m_Data : ""; }
  operator const char*() const { return c_str(); }  // NOLINT: reads as C text
  /// Writable bytes, valid for GetLength() bytes plus the terminator (null when empty).
  char* GetBuffer() { return m_Data; }

  /// Makes room for n bytes and sets the length to n. Bytes kept from the old
  /// contents stay; new bytes are zero. n below 0 counts as 0.
  void SetLength(int32_t n);
  void Clear() { SetLength(0); }

  /// Replaces the contents with printf-style formatted text; returns the string.
  cString& Format(const char* format, ...) VARN_PRINTF(2, 3);
  cString& FormatV(const char* format, va_list args);
  /// A new string holding printf-style formatted text.
  static cString StringF(const char* format, ...) VARN_PRINTF(1, 2);

  cString& operator+=(const cString& other);
  friend VARN_API cString operator+(const cString& a, const cString& b);
  /// Equal length and equal bytes (case matters).
  friend VARN_API bool operator==(const cString& a, const cString& b);
  friend VARN_API bool operator==(const cString& a, const char* b);
  friend bool operator==(const char* a, const cString& b) { return b == a; }
  friend bool operator!=(const cString& a, const cString& b) { return !(a == b); }
  friend bool operator!=(const cString& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const cString& b) { return !(b == a); }
  /// Byte-wise order, shorter first on a common prefix.
  friend VARN_API bool operator<(const cString& a, const cString& b);

 private:
  void Assign(const char* bytes, int32_t length);
  void Reserve(int32_t length);

  char* m_Data = nullptr;
  int32_t m_Length = 0;
  int32_t m_Capacity = 0;
};
