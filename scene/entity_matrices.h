#pragma once

#include <cstdint>

#include "../math/matrix_product.h"
#include "tolmak_entity.h"

/// What the matrix pass reads and writes of an entity, in two cache lines:
/// this one, with the pivot and the links, which the pass only reads, and
/// the line it writes, with the world matrix and the flags (Written()).
/// The records live apart from the entities, in chunks that keep each kind
/// of line in an array of its own: a pass over a large tree then streams
/// through these lines alone, as a loop over flat arrays would, and a pass
/// over a few scattered entities touches two lines of each. Records are
/// cut in creation order, so that entities made together lie together, and
/// freed ones are reused first; a record stays where it is while it lives.
/// Like the matrix queue, the pool is used from the game's one scene
/// thread.
struct alignas(64) cEntity::tMatrices {
  cMatrix4x3 pivot;
  /// The parent entity's record, null at a root.
  tMatrices* parent = nullptr;
  /// The entities whose parent this is: its children, and copies of them,
  /// which point at it without being in its list. Only these read its
  /// world-changed flag.
  int32_t referrers = 0;

  /// The record's second line, at the same index of its chunk's second
  /// array.
  struct alignas(64) tWritten {
    cMatrix4x3 world;
    bool offsetChanged = true;
    bool pivotChanged = true;
    bool worldChanged = true;
    bool queued = false;
    /// During a pass, the referrers after it in the queue that have not
    /// yet read its world-changed flag; 0 outside a pass.
    int32_t unreadBy = 0;
  };

  tWritten& Written();

  /// A record with identity matrices, no links and all three change flags
  /// set. Throws std::bad_alloc.
  static tMatrices* New();
  /// Frees the record; the pool's memory goes back to the system when its
  /// last record does.
  static void Delete(tMatrices* record);

  /// The pass over the queued records (null entries skipped), with the
  /// products of tolmak::detail's cFmaChain or cPlainChain: recomputes each
  /// world matrix whose pivot or parent's world changed, and leaves every
  /// flag clear. Inlined, so that the fma products inline into the caller
  /// compiled for them.
  template <class tChain>
  [[gnu::always_inline]] static void Pass(tMatrices** queue, int32_t count, tChain& products);

 private:
  static constexpr int32_t kRecords = 256;

  struct tChunk;
  static tChunk& ChunkOf(const tMatrices* record);
  /// Asks for both lines of a record a few entries ahead of the pass.
  /// Inlined by force: GCC takes a function whose only effect is a
  /// prefetch for one without effects, and drops the calls.
  [[gnu::always_inline]] static void Prefetch(tMatrices* record) {
#if defined(__GNUC__)
    __builtin_prefetch(record);
    __builtin_prefetch(&record->Written());
#endif
  }
  static void ReleaseChunks();

  // Plain pointers and counts: nothing to destroy at exit before the last
  // entity goes. A chunk's first record is not handed out: its parent link
  // leads to the first record of the chunk cut before.
  static inline tChunk* s_NewestChunk = nullptr;
  /// Records cut from the newest chunk: all of them when there is none.
  static inline int32_t s_RecordsCut = kRecords;
  /// Freed records, linked through their parent links.
  static inline tMatrices* s_FreeRecord = nullptr;
  static inline int64_t s_LiveRecords = 0;
};

struct cEntity::tMatrices::tChunk {
  /// Aligned to the chunk's size, so that a record's address leads to its
  /// chunk.
  alignas(kRecords * 2 * 64) tMatrices read[kRecords];
  tWritten written[kRecords];
};

inline cEntity::tMatrices::tChunk& cEntity::tMatrices::ChunkOf(const tMatrices* record) {
  static_assert(sizeof(tChunk) == alignof(tChunk));
  return *reinterpret_cast<tChunk*>(reinterpret_cast<uintptr_t>(record) &
                                    ~uintptr_t(sizeof(tChunk) - 1));
}

inline cEntity::tMatrices::tWritten& cEntity::tMatrices::Written() {
  tChunk& chunk = ChunkOf(this);
  return chunk.written[this - chunk.read];
}

template <class tChain>
inline void cEntity::tMatrices::Pass(tMatrices** queue, int32_t count, tChain& products) {
  // An entity's world-changed flag is read only by its referrers, so it is
  // cleared as soon as the last of those queued after it has read it, while
  // the record is still in the cache; those whose readers do not all come
  // after them wait at the front of the queue, already swept, for a short
  // second sweep. In a tree queued in pre-order that front is a stack whose
  // top is the next to be read out, so it stays short.
  constexpr int32_t kAhead = 32;
  int32_t waiting = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count && queue[i + kAhead] != nullptr) Prefetch(queue[i + kAhead]);
    tMatrices* const record = queue[i];
    if (record == nullptr) continue;
    tWritten& written = record->Written();
    tMatrices* const parent = record->parent;
    if (parent != nullptr) {
      tWritten& above = parent->Written();
      if (above.worldChanged || written.pivotChanged) {
        products.Multiply(record->pivot, above.world, written.world);
        written.worldChanged = true;
      }
      if (above.unreadBy > 0 && --above.unreadBy == 0) {
        above.worldChanged = false;
        if (queue[waiting - 1] == parent) --waiting;
      }
    } else if (written.pivotChanged) {
      products.Copy(record->pivot, written.world);
      written.worldChanged = true;
    }
    written.offsetChanged = written.pivotChanged = written.queued = false;
    if (record->referrers == 0) {
      written.worldChanged = false;
    } else {
      written.unreadBy = record->referrers;
      queue[waiting++] = record;
    }
  }
  for (int32_t i = 0; i < waiting; ++i) {
    tWritten& written = queue[i]->Written();
    written.worldChanged = false;
    written.unreadBy = 0;
  }
}
