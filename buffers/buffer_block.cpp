#include "buffer_block.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tolmak::detail {
namespace {

tAllocationGate gGate = nullptr;

// Growth step of ReadBlock when the stream does not tell its size.
constexpr uint32_t kFirstReadChunk = 64 * 1024;

}  // namespace

tAllocationGate SetAllocationGate(tAllocationGate gate) {
  const tAllocationGate old = gGate;
  gGate = gate;
  return old;
}

void* ResizeBlock(void* block, uint64_t bytes) {
  // A zero-sized realloc would free the block; an empty layout still owns one byte.
  bytes = std::max<uint64_t>(bytes, 1);
  if (bytes > SIZE_MAX) return nullptr;
  if (gGate != nullptr && !gGate(static_cast<size_t>(bytes))) return nullptr;
  return block != nullptr ? std::realloc(block, static_cast<size_t>(bytes))
                          : std::malloc(static_cast<size_t>(bytes));
}

void FreeBlock(void* block) {
  std::free(block);
}

void WriteBlock(iOutStream& out, const void* block, size_t bytes) {
  constexpr size_t kLargestWrite = size_t{1} << 30;
  const auto* bytePtr = static_cast<const uint8_t*>(block);
  while (bytes > 0) {
    const size_t piece = std::min(bytes, kLargestWrite);
    out.Write(bytePtr, static_cast<uint32_t>(piece));
    bytePtr += piece;
    bytes -= piece;
  }
}

void* cSpareBlock::Take(uint64_t bytes) {
  if (bytes != m_Bytes) {
    FreeBlock(m_Block);
    m_Block = nullptr;
  }
  return std::exchange(m_Block, nullptr);
}

namespace {

// Reads bytes into block from offset have on, in slices that the visitor
// sees while they are still in the cache.
bool ReadSlices(iInStream& in, uint8_t* block, uint32_t have, uint32_t bytes,
                iBlockVisitor* visitor) {
  constexpr uint32_t kSlice = 16 * 1024;  // a third of a first-level data cache
  while (have < bytes) {
    const uint32_t asked = visitor != nullptr ? std::min(kSlice, bytes - have) : bytes - have;
    if (in.Read(block + have, asked) != asked) return false;
    if (visitor != nullptr) visitor->Visit(block + have, asked);
    have += asked;
  }
  return true;
}

}  // namespace

EReadResult ReadBlock(iInStream& in, uint32_t bytes, void*& block, iBlockVisitor* visitor) {
  const int64_t remaining = in.GetRemaining();
  if (remaining < 0 || bytes > remaining) {
    // Only a stream that tells its size is read in one piece.
    FreeBlock(block);
    block = nullptr;
    if (remaining >= 0) return EReadResult::kShortStream;
  }
  uint32_t have = 0;
  uint32_t want = remaining >= 0 ? bytes : std::min(bytes, kFirstReadChunk);
  for (;;) {
    void* grown = ResizeBlock(block, want);
    if (grown == nullptr) {
      FreeBlock(block);
      block = nullptr;
      return have == 0 ? EReadResult::kFirstAllocationFailed : EReadResult::kResizeFailed;
    }
    block = grown;
    if (!ReadSlices(in, static_cast<uint8_t*>(block), have, want, visitor)) {
      FreeBlock(block);
      block = nullptr;
      return EReadResult::kShortStream;
    }
    have = want;
    if (have == bytes) return EReadResult::kDone;
    want = static_cast<uint32_t>(std::min<uint64_t>(bytes, 2ull * want));
  }
}

}  // namespace tolmak::detail
