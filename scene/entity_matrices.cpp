// The pool of the entities' matrix records.
//
// Records are cut in creation order from chunks, so that the records of
// entities made together lie together; freed ones are reused first. Like
// the matrix queue, the pool is used from the game's one scene thread.

#include "entity_matrices.h"

#include <new>
#include <utility>

namespace {

constexpr size_t kChunkBytes = 64 * 1024;
// Records start on cache lines (the record type is private to the entity).
constexpr std::align_val_t kChunkAlignment{128};

// A chunk's first record-sized slot links it to the chunk made before it.
struct tChunk {
  tChunk* previous;
};

tChunk* gNewestChunk = nullptr;
char* gNextSlot = nullptr;
char* gChunkEnd = nullptr;
void* gFreeSlots = nullptr;  // linked through their first bytes
int64_t gLiveRecords = 0;

void ReleaseChunks() {
  while (gNewestChunk != nullptr)
    ::operator delete(std::exchange(gNewestChunk, gNewestChunk->previous), kChunkAlignment);
  gNextSlot = gChunkEnd = nullptr;
  gFreeSlots = nullptr;
}

}  // namespace

cEntity::tMatrices* cEntity::tMatrices::New() {
  static_assert(sizeof(tMatrices) == 128 && alignof(tMatrices) <= 128, "two cache lines");
  void* slot = gFreeSlots;
  if (slot != nullptr) {
    gFreeSlots = *static_cast<void**>(slot);
  } else {
    if (gNextSlot == gChunkEnd) {
      void* memory = ::operator new(kChunkBytes, kChunkAlignment);
      gNewestChunk = new (memory) tChunk{gNewestChunk};
      gNextSlot = static_cast<char*>(memory) + sizeof(tMatrices);
      gChunkEnd = static_cast<char*>(memory) + kChunkBytes;
    }
    slot = gNextSlot;
    gNextSlot += sizeof(tMatrices);
  }
  ++gLiveRecords;
  return new (slot) tMatrices;
}

void cEntity::tMatrices::Delete(tMatrices* matrices) {
  matrices->~tMatrices();
  *reinterpret_cast<void**>(matrices) = gFreeSlots;
  gFreeSlots = matrices;
  if (--gLiveRecords == 0) ReleaseChunks();
}
