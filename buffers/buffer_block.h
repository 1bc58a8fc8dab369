#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"

// The buffers hand their blocks to drivers and streams as they lie in memory,
// and those are little-endian; a big-endian port must swap them first.
static_assert(std::endian::native == std::endian::little,
              "vertex and index blocks are stored and streamed little-endian");

namespace tolmak::detail {

/// Says whether an allocation of that many bytes may go ahead; a test
/// installs one to make the buffers' allocations fail on demand.
using tAllocationGate = bool (*)(size_t bytes);
/// Installs the gate (null lets every allocation go ahead); returns the old one.
TOLMAK_API tAllocationGate SetAllocationGate(tAllocationGate gate);

/// The block resized to bytes (at least one byte), or allocated when block is
/// null: realloc/malloc behind the gate. Null on failure, block untouched.
void* ResizeBlock(void* block, uint64_t bytes);
void FreeBlock(void* block);

/// Writes the block through as few stream writes as the 32-bit sizes allow.
void WriteBlock(iOutStream& out, const void* block, size_t bytes);

/// A buffer's old block, kept while it loads: reading into the same memory
/// again spares a fresh block's page faults, which cost more than the copy.
/// Freed unless taken.
class cSpareBlock {
 public:
  cSpareBlock(void* block, uint64_t bytes) : m_Block(block), m_Bytes(bytes) {}
  cSpareBlock(const cSpareBlock&) = delete;
  cSpareBlock& operator=(const cSpareBlock&) = delete;
  ~cSpareBlock() { FreeBlock(m_Block); }
  /// The block if it holds exactly bytes; otherwise it is freed and null
  /// returned. Either way the spare is empty afterwards.
  void* Take(uint64_t bytes);

 private:
  void* m_Block;
  uint64_t m_Bytes;
};

/// Sees a block piece by piece as ReadBlock reads it, while each piece is
/// still in the cache.
class iBlockVisitor {
 public:
  virtual void Visit(const void* piece, uint32_t bytes) = 0;

 protected:
  ~iBlockVisitor() = default;
};

enum class EReadResult { kDone, kShortStream, kFirstAllocationFailed, kResizeFailed };
/// Reads exactly bytes into a block, which it stores in block: the one
/// block holds on entry (null, or a block of exactly bytes bytes to reuse)
/// or a new one. Refuses a size beyond what the stream says it holds before
/// allocating; when the stream cannot tell, the block grows with what
/// arrives, so that a hostile size never costs more than twice the bytes
/// actually present. On failure block is null and nothing is left allocated.
/// A visitor sees every byte read, in order, in pieces of an even size but
/// for the last.
EReadResult ReadBlock(iInStream& in, uint32_t bytes, void*& block,
                      iBlockVisitor* visitor = nullptr);

}  // namespace tolmak::detail
