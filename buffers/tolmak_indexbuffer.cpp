#include "tolmak_indexbuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "buffer_block.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TOLMAK_INDEX_SSE2 1
#endif

namespace tolmak::detail {
namespace {

constexpr char kSource[] = "tolmak_indexbuffer.cpp";
constexpr int kFirstAllocationLine = 186;
constexpr int kResizeLine = 196;
constexpr uint32_t kTrailerBytes = 5;  // minimum index, maximum, optimised flag

[[noreturn]] void ThrowOutOfMemory(bool resizing) {
  throw cException(kSource, resizing ? kResizeLine : kFirstAllocationLine, "Out of memory");
}

uint16_t Largest(const uint16_t* entries, uint32_t count) {
  uint16_t largest = 0;
  uint32_t k = 0;
#ifdef TOLMAK_INDEX_SSE2
  // Thirty-two maxima at a time, in four registers that do not wait for
  // one another. SSE2 has no unsigned 16-bit maximum, but
  // max(a, b) = b + (a - b saturated at 0).
  auto max = [](__m128i a, __m128i b) { return _mm_add_epi16(_mm_subs_epu16(a, b), b); };
  auto load = [entries](uint32_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + at));
  };
  __m128i m0 = _mm_setzero_si128(), m1 = m0, m2 = m0, m3 = m0;
  for (; count - k >= 32; k += 32) {
    m0 = max(load(k), m0);
    m1 = max(load(k + 8), m1);
    m2 = max(load(k + 16), m2);
    m3 = max(load(k + 24), m3);
  }
  uint16_t all[8];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(all), max(max(m0, m1), max(m2, m3)));
  for (uint16_t v : all) largest = std::max(largest, v);
#endif
  for (; k < count; ++k) largest = std::max(largest, entries[k]);
  return largest;
}

struct tIndexRange {
  uint16_t smallest, largest;
};

// Smallest and largest of the indices entries[k] + base, modulo 65536.
tIndexRange IndexRange(const uint16_t* entries, uint32_t count, uint16_t base) {
  tIndexRange range{0xFFFF, 0};
  uint32_t k = 0;
#ifdef TOLMAK_INDEX_SSE2
  if (count >= 8) {
    // Eight at a time. SSE2 orders 16-bit lanes as signed only; flipping
    // the top bit maps the unsigned order onto the signed one.
    const __m128i flip = _mm_set1_epi16(static_cast<int16_t>(0x8000));
    const __m128i shift = _mm_set1_epi16(static_cast<int16_t>(base));
    __m128i smallest = _mm_set1_epi16(0x7FFF), largest = flip;
    for (; count - k >= 8; k += 8) {
      const __m128i entry = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + k));
      const __m128i index = _mm_xor_si128(_mm_add_epi16(entry, shift), flip);
      smallest = _mm_min_epi16(smallest, index), largest = _mm_max_epi16(largest, index);
    }
    uint16_t lanes[2][8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[0]), _mm_xor_si128(smallest, flip));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[1]), _mm_xor_si128(largest, flip));
    range = {*std::min_element(lanes[0], lanes[0] + 8), *std::max_element(lanes[1], lanes[1] + 8)};
  }
#endif
  for (; k < count; ++k) {
    const auto index = static_cast<uint16_t>(entries[k] + base);
    range.smallest = std::min(range.smallest, index);
    range.largest = std::max(range.largest, index);
  }
  return range;
}

// The largest entry of an array, found as its pieces arrive.
class cLargestEntry final : public iBlockVisitor {
 public:
  void Visit(const void* piece, uint32_t bytes) override {
    value = std::max(value, Largest(static_cast<const uint16_t*>(piece), bytes / 2));
  }
  uint16_t value = 0;
};

}  // namespace
}  // namespace tolmak::detail

using namespace tolmak::detail;

cIndexBuffer::cIndexBuffer(uint32_t length) {
  SetLength(length);
}

cIndexBuffer::cIndexBuffer(const cIndexBuffer& other) : cIndexBuffer() {
  Copy(other);
}

cIndexBuffer::cIndexBuffer(const uint16_t* indices, uint32_t count) : cIndexBuffer() {
  Copy(indices, count);
}

cIndexBuffer::~cIndexBuffer() {
  FreeBlock(m_Data);
}

void cIndexBuffer::SetLength(uint32_t length) {
  if (length == m_Length) return;
  if (length == 0) {
    FreeBlock(std::exchange(m_Data, nullptr));
    m_Length = 0;
    m_MinIndex = m_MaxIndex = 0;
    m_Optimized = false;
    return;
  }
  void* block = ResizeBlock(m_Data, 2ull * length);
  if (block == nullptr) ThrowOutOfMemory(m_Data != nullptr);
  if (m_Data == nullptr) {
    m_MinIndex = m_MaxIndex = 0;
    m_Optimized = false;
  }
  m_Data = static_cast<uint16_t*>(block);
  if (length < m_Length) m_MaxIndex = Largest(m_Data, length);
  m_Length = length;
}

void cIndexBuffer::Grow(uint32_t more) {
  if (more > UINT32_MAX - m_Length) ThrowOutOfMemory(m_Data != nullptr);
  SetLength(m_Length + more);
}

void cIndexBuffer::AddToIndices(uint16_t delta) {
  Rebase(m_Length, delta);
}

// Entries of indices that do not wrap stay below 65536 - minimum index, so
// raising them by at most the minimum index cannot wrap them either.
void cIndexBuffer::Rebase(uint32_t count, uint16_t delta) {
  for (uint32_t k = 0; k < count; ++k) m_Data[k] = static_cast<uint16_t>(m_Data[k] + delta);
  m_MinIndex = static_cast<uint16_t>(m_MinIndex - delta);
  m_MaxIndex = static_cast<uint16_t>(std::min(m_MaxIndex + delta, 0xFFFF));
}

void cIndexBuffer::SetIndex(uint32_t position, uint16_t index) {
  if (index < m_MinIndex) AddToIndices(static_cast<uint16_t>(m_MinIndex - index));
  const auto entry = static_cast<uint16_t>(index - m_MinIndex);
  m_Data[position] = entry;
  m_MaxIndex = std::max(m_MaxIndex, entry);
}

void cIndexBuffer::Copy(const cIndexBuffer& source) {
  if (&source == this) return;
  if (source.IsEmpty()) {
    SetLength(0);
    return;
  }
  SetLength(source.m_Length);
  std::memcpy(m_Data, source.m_Data, 2 * static_cast<size_t>(m_Length));
  m_MinIndex = source.m_MinIndex;
  m_MaxIndex = source.m_MaxIndex;
  m_Optimized = source.m_Optimized;
}

void cIndexBuffer::Copy(const uint16_t* indices, uint32_t count) {
  if (indices == nullptr || count == 0) {
    SetLength(0);
    return;
  }
  SetLength(count);
  std::memcpy(m_Data, indices, 2 * static_cast<size_t>(count));
  m_MinIndex = 0;
  m_MaxIndex = Largest(m_Data, count);
  m_Optimized = false;
}

// Adding is SetIndex for each new index in turn. Lowering the minimum once,
// to the smallest new index, before storing any, ends in the same entries,
// minimum and maximum, and lets a whole run be copied or shifted at once.
void cIndexBuffer::Add(const cIndexBuffer& source) {
  if (source.IsEmpty()) return;
  const uint32_t first = m_Length, count = source.m_Length;
  const tIndexRange range = IndexRange(source.m_Data, count, source.m_MinIndex);
  Grow(count);
  if (range.smallest < m_MinIndex)
    Rebase(first, static_cast<uint16_t>(m_MinIndex - range.smallest));
  // Read the source only now: if it is this buffer, its array has moved and been rebased.
  StoreIndices(first, source.m_Data, count, source.m_MinIndex, range.largest);
}

void cIndexBuffer::Add(const uint16_t* indices, uint32_t count) {
  if (indices == nullptr || count == 0) return;
  const uint32_t first = m_Length;
  const tIndexRange range = IndexRange(indices, count, 0);
  Grow(count);
  if (range.smallest < m_MinIndex)
    Rebase(first, static_cast<uint16_t>(m_MinIndex - range.smallest));
  StoreIndices(first, indices, count, 0, range.largest);
}

void cIndexBuffer::StoreIndices(uint32_t first, const uint16_t* entries, uint32_t count,
                                uint16_t base, uint16_t largest) {
  uint16_t* out = m_Data + first;
  const auto shift = static_cast<uint16_t>(base - m_MinIndex);
  if (shift == 0) {
    std::memcpy(out, entries, 2 * static_cast<size_t>(count));
  } else {
    for (uint32_t k = 0; k < count; ++k) out[k] = static_cast<uint16_t>(entries[k] + shift);
  }
  m_MaxIndex = std::max(m_MaxIndex, static_cast<uint16_t>(largest - m_MinIndex));
}

std::pair<uint16_t, uint16_t> cIndexBuffer::GetEntryRange(uint32_t first, uint32_t count) const {
  const tIndexRange range = IndexRange(m_Data + first, count, 0);
  return {range.smallest, range.largest};
}

cIndexBuffer& cIndexBuffer::operator=(const cIndexBuffer& source) {
  Copy(source);
  return *this;
}

cIndexBuffer& cIndexBuffer::operator=(uint16_t index) {
  Copy(&index, 1);
  return *this;
}

cIndexBuffer& cIndexBuffer::operator+=(const cIndexBuffer& source) {
  Add(source);
  return *this;
}

cIndexBuffer& cIndexBuffer::operator+=(uint16_t index) {
  Add(&index, 1);
  return *this;
}

void cIndexBuffer::Optimize() {
  if (m_Length == 0) return;
  const tIndexRange range = IndexRange(m_Data, m_Length, m_MinIndex);
  const auto shift = static_cast<uint16_t>(m_MinIndex - range.smallest);
  for (uint32_t k = 0; k < m_Length; ++k) m_Data[k] = static_cast<uint16_t>(m_Data[k] + shift);
  m_MinIndex = range.smallest;
  m_MaxIndex = static_cast<uint16_t>(range.largest - range.smallest);
  m_Optimized = true;
}

void cIndexBuffer::Save(iOutStream& out) const {
  out.WriteUInt32(m_Length);
  if (m_Data != nullptr) WriteBlock(out, m_Data, 2 * static_cast<size_t>(m_Length));
  out.WriteUInt16(m_MinIndex);
  out.WriteUInt16(m_MaxIndex);
  out.WriteUInt8(m_Optimized ? 1 : 0);
}

void cIndexBuffer::Load(iInStream& in) {
  // Emptied at once, but the array is kept aside for a load of the same size.
  cSpareBlock spare(std::exchange(m_Data, nullptr), 2ull * m_Length);
  m_Length = 0;
  m_MinIndex = m_MaxIndex = 0;
  m_Optimized = false;
  uint32_t length = 0;
  if (!in.ReadUInt32(length))
    throw cException(kSource, __LINE__, "Index buffer stream ends inside its length");
  const uint64_t bytes = 2ull * length;
  if (bytes > UINT32_MAX)
    throw cException(
        kSource, __LINE__,
        cString::StringF("Index buffer stream claims %u indices, more than 4 GiB", length));
  const int64_t remaining = in.GetRemaining();
  if (remaining >= 0 && bytes + kTrailerBytes > static_cast<uint64_t>(remaining))
    throw cException(kSource, __LINE__, "Index buffer stream is shorter than its length says");
  // Read into a buffer aside: a failure leaves this one empty.
  cIndexBuffer loaded;
  cLargestEntry largest;
  if (length > 0) {
    void* block = spare.Take(bytes);
    switch (ReadBlock(in, static_cast<uint32_t>(bytes), block, &largest)) {
      case EReadResult::kDone:
        break;
      case EReadResult::kShortStream:
        throw cException(kSource, __LINE__, "Index buffer stream ends before its last index");
      case EReadResult::kFirstAllocationFailed:
        ThrowOutOfMemory(false);
      case EReadResult::kResizeFailed:
        ThrowOutOfMemory(true);
    }
    loaded.m_Data = static_cast<uint16_t*>(block);
    loaded.m_Length = length;
  }
  uint16_t minIndex = 0, maxIndex = 0;
  uint8_t optimized = 0;
  if (!in.ReadUInt16(minIndex) || !in.ReadUInt16(maxIndex) || !in.ReadUInt8(optimized))
    throw cException(kSource, __LINE__, "Index buffer stream ends before its minimum and maximum");
  if (length == 0) return;  // an empty buffer keeps every field 0
  m_Data = std::exchange(loaded.m_Data, nullptr);
  m_Length = std::exchange(loaded.m_Length, 0);
  m_MinIndex = minIndex;
  // A maximum below a stored entry would let a driver draw too few vertices.
  m_MaxIndex = std::max(maxIndex, largest.value);
  m_Optimized = optimized != 0;
}

hIndexBuffer::~hIndexBuffer() = default;
