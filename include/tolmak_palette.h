#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "tolmak_export.h"

/// The colour table of an indexed image: 256 packed 32-bit colours, whose
/// layout the palette's user fixes.
///
/// Layout: the 256 entries and nothing else (1024 bytes, first entry at the
/// object's address), so a palette and an array of 256 uint32_t are
/// interchangeable in memory. Every copy moves exactly 1024 bytes; indices
/// are not checked.
class TOLMAK_API cPalette {
 public:
  /// All entries 0.
  cPalette() : m_Entries{} {}
  cPalette(const cPalette& other) { Copy(other.m_Entries); }
  explicit cPalette(const uint32_t* entries) { Copy(entries); }
  explicit cPalette(const void* bytes) { Copy(bytes); }

  const cPalette& operator=(const cPalette& other) {
    Copy(other.m_Entries);
    return *this;
  }

  /// Takes 1024 bytes; null clears every entry.
  void Copy(const uint32_t* entries) { Copy(static_cast<const void*>(entries)); }
  void Copy(const void* bytes) {
    if (bytes == nullptr)
      Clear();
    else
      std::memmove(m_Entries, bytes, sizeof m_Entries);
  }
  /// Gives 1024 bytes; null is ignored.
  void CopyTo(void* bytes) const {
    if (bytes != nullptr) std::memmove(bytes, m_Entries, sizeof m_Entries);
  }
  void Clear() { std::memset(m_Entries, 0, sizeof m_Entries); }

  void SetColor(int index, uint32_t color) { m_Entries[index] = color; }
  uint32_t GetColor(int index) const { return m_Entries[index]; }
  uint32_t& operator[](int index) { return m_Entries[index]; }
  const uint32_t& operator[](int index) const { return m_Entries[index]; }

  operator uint32_t*() { return m_Entries; }              // NOLINT: a palette is its array
  operator const uint32_t*() const { return m_Entries; }  // NOLINT
  uint32_t* GetPtr() { return m_Entries; }
  const uint32_t* GetReadPtr() const { return m_Entries; }

  /// gHash of the 1024 bytes: equal palettes hash alike.
  uint32_t Hash() const;
  /// gCRC32 of the 1024 bytes.
  uint32_t Crc32() const;

 private:
  uint32_t m_Entries[256];
};

static_assert(sizeof(cPalette) == 1024);
static_assert(std::is_standard_layout_v<cPalette>);
