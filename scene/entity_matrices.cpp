// The pool of the entities' matrix slots.

#include "entity_matrices.h"

#include <algorithm>
#include <climits>
#include <new>

int32_t cEntity::tMatrices::New() {
  int32_t slot = s_FreeSlot;
  if (slot != kNone) {
    s_FreeSlot = Links(slot).parent;
  } else {
    if (s_SlotsCut == s_ChunkCount * kSlots) AddChunk();
    slot = s_SlotsCut++;
  }
  Pivot(slot) = World(slot) = cMatrix4x3();
  Links(slot) = tLinks();
  State(slot) = tState();
  ++s_LiveSlots;
  return slot;
}

void cEntity::tMatrices::Delete(int32_t slot) {
  Links(slot).parent = s_FreeSlot;
  s_FreeSlot = slot;
  if (--s_LiveSlots == 0) ReleaseChunks();
}

void cEntity::tMatrices::AddChunk() {
  if (s_ChunkCount == INT32_MAX / kSlots) throw std::bad_alloc();
  if (s_ChunkCount == s_ChunkCapacity) {
    const int32_t capacity = std::min(std::max(16, s_ChunkCapacity * 2), INT32_MAX / kSlots);
    tChunk** table = new tChunk*[size_t(capacity)];
    std::copy(s_Chunks, s_Chunks + s_ChunkCount, table);
    delete[] s_Chunks;
    s_Chunks = table;
    s_ChunkCapacity = capacity;
  }
  s_Chunks[s_ChunkCount] = new tChunk;
  ++s_ChunkCount;
}

void cEntity::tMatrices::ReleaseChunks() {
  for (int32_t c = 0; c < s_ChunkCount; ++c) delete s_Chunks[c];
  delete[] s_Chunks;
  s_Chunks = nullptr;
  s_ChunkCount = s_ChunkCapacity = s_SlotsCut = 0;
  s_FreeSlot = kNone;
}
