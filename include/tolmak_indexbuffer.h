#pragma once

#include <cstdint>
#include <utility>

#include <varnlib.h>

#include "tolmak_export.h"

/// 16-bit vertex indices for indexed drawing, stored relative to a minimum
/// index, with the largest stored entry: a driver draws the vertices from
/// GetMinIndex to GetMinIndex + GetMaxIndex.
///
/// The index at a position is (stored entry + minimum index) modulo 65536.
/// The recorded maximum is at least every stored entry that was set. The
/// array is exactly 2 x length bytes from malloc/realloc, or null when empty.
/// Positions are not checked against the length.
///
/// Every allocation that fails throws cException("tolmak_indexbuffer.cpp",
/// 186 for a first array or 196 for a resize, "Out of memory") and leaves the
/// buffer as it was (Load has emptied it first).
class TOLMAK_API cIndexBuffer : public cUnknown {
 public:
  cIndexBuffer() = default;
  /// length indices whose values are not initialised.
  explicit cIndexBuffer(uint32_t length);
  cIndexBuffer(const cIndexBuffer& other);
  /// The array form of Copy.
  cIndexBuffer(const uint16_t* indices, uint32_t count);
  ~cIndexBuffer() override;

  uint32_t GetLength() const { return m_Length; }
  /// True when the buffer holds no array.
  bool IsEmpty() const { return m_Data == nullptr; }
  void Clear() { SetLength(0); }
  uint16_t GetMinIndex() const { return m_MinIndex; }
  /// The largest stored entry as last recorded, relative to the minimum index.
  uint16_t GetMaxIndex() const { return m_MaxIndex; }
  bool IsOptimized() const { return m_Optimized; }
  uint16_t operator[](int position) const { return GetIndex(static_cast<uint32_t>(position)); }
  uint16_t GetIndex(uint32_t position) const {
    return static_cast<uint16_t>(m_Data[position] + m_MinIndex);
  }
  /// The stored entries, relative to the minimum index; null when empty.
  const uint16_t* GetReadPtr() const { return m_Data; }
  /// The smallest and the largest stored entry (relative to the minimum
  /// index) of positions first to first + count - 1, which lie in the
  /// buffer; 0xFFFF and 0 for count 0. A renderer needs them for the
  /// vertices a draw reads, before it can start.
  std::pair<uint16_t, uint16_t> GetEntryRange(uint32_t first, uint32_t count) const;

  /// Stores index at position and raises the maximum to cover it. An index
  /// below the minimum index first lowers the minimum (AddToIndices), so the
  /// other positions keep their indices.
  void SetIndex(uint32_t position, uint16_t index);
  /// Resizes the array to exactly 2 x length bytes; new entries are not
  /// initialised. Shrinking recomputes the maximum from the entries kept; 0
  /// frees the array and clears every field.
  void SetLength(uint32_t length);
  /// Takes over the source's entries, minimum, maximum and optimised flag.
  void Copy(const cIndexBuffer& source);
  /// The values become the indices, with minimum index 0, not optimised. A
  /// null array or a count of 0 empties the buffer. The array must not lie in
  /// this buffer.
  void Copy(const uint16_t* indices, uint32_t count);
  /// Appends the source's indices, each stored as SetIndex stores it; the
  /// optimised flag stays. The buffer itself as source appends a copy of its
  /// own indices.
  void Add(const cIndexBuffer& source);
  /// Appends the values as indices; nothing happens for a null array or a
  /// count of 0. The array must not lie in this buffer.
  void Add(const uint16_t* indices, uint32_t count);
  cIndexBuffer& operator=(const cIndexBuffer& source);
  /// One index: the buffer becomes that index alone.
  cIndexBuffer& operator=(uint16_t index);
  cIndexBuffer& operator+=(const cIndexBuffer& source);
  cIndexBuffer& operator+=(uint16_t index);
  /// Rebases the entries so that the smallest index becomes the minimum
  /// index and the maximum spans exactly to the largest; marks the buffer
  /// optimised. The indices read back unchanged. Does nothing when empty.
  void Optimize();
  /// Length (4 bytes), the entries (2 each), minimum index (2), maximum (2),
  /// optimised flag (1): 9 + 2n bytes, little-endian.
  void Save(iOutStream& out) const;
  /// Reads what Save writes. A truncated stream, or a length whose entries
  /// would pass 4 GiB or the end of the stream, throws cException and leaves
  /// the buffer empty. A maximum below a stored entry is raised to it.
  void Load(iInStream& in);

 protected:
  /// Lowers the minimum index by delta and raises every stored entry and the
  /// maximum by as much (the maximum saturating at 65535), so every index
  /// reads back unchanged.
  void AddToIndices(uint16_t delta);

 private:
  /// AddToIndices over the first count entries only.
  void Rebase(uint32_t count, uint16_t delta);
  /// Lengthens by more entries; a total beyond 32 bits is out of memory.
  void Grow(uint32_t more);
  /// Stores count indices, entries + base each, from position first on.
  void StoreIndices(uint32_t first, const uint16_t* entries, uint32_t count, uint16_t base,
                    uint16_t largest);

  uint32_t m_Length = 0;
  uint16_t* m_Data = nullptr;
  uint16_t m_MinIndex = 0;
  uint16_t m_MaxIndex = 0;
  bool m_Optimized = false;
};

/// The handle from which video drivers derive their hardware index buffers;
/// it holds nothing.
class TOLMAK_API hIndexBuffer {
 public:
  hIndexBuffer() = default;
  hIndexBuffer(const hIndexBuffer&) = default;
  hIndexBuffer& operator=(const hIndexBuffer&) = default;
  virtual ~hIndexBuffer();
};
