// The pool of the entities' matrix records.

#include "entity_matrices.h"

cEntity::tMatrices* cEntity::tMatrices::New() {
  static_assert(sizeof(tMatrices) == 64 && sizeof(tWritten) == 64, "a cache line each");
  tMatrices* record = s_FreeRecord;
  if (record != nullptr) {
    s_FreeRecord = record->parent;
  } else {
    if (s_RecordsCut == kRecords) {
      tChunk* chunk = new tChunk;
      chunk->read[0].parent = s_NewestChunk != nullptr ? s_NewestChunk->read : nullptr;
      s_NewestChunk = chunk;
      s_RecordsCut = 1;
    }
    record = &s_NewestChunk->read[s_RecordsCut++];
  }
  *record = tMatrices();
  record->Written() = tWritten();
  ++s_LiveRecords;
  return record;
}

void cEntity::tMatrices::Delete(tMatrices* record) {
  record->parent = s_FreeRecord;
  s_FreeRecord = record;
  if (--s_LiveRecords == 0) ReleaseChunks();
}

void cEntity::tMatrices::ReleaseChunks() {
  while (s_NewestChunk != nullptr) {
    tMatrices* const previous = s_NewestChunk->read[0].parent;
    delete s_NewestChunk;
    s_NewestChunk = previous != nullptr ? &ChunkOf(previous) : nullptr;
  }
  s_RecordsCut = kRecords;
  s_FreeRecord = nullptr;
}
