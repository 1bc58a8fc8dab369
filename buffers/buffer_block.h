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

enum class EReadResult { kDone, kShortStream, kFirstAllocationFailed, kResizeFailed };
/// Reads exactly bytes into a new block, which it stores in block. Refuses
/// a size beyond what the stream says it holds before allocating; when the
/// stream cannot tell, the block grows with what arrives, so that a hostile
/// size never costs more than twice the bytes actually present. On failure
/// block is null and nothing is left allocated.
EReadResult ReadBlock(iInStream& in, uint32_t bytes, void*& block);

}  // namespace tolmak::detail
