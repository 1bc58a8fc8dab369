#pragma once

#include <cstdint>

#include "../math/matrix_product.h"
#include "tolmak_entity.h"

/// What the matrix pass reads and writes of the entities: pivots, world
/// matrices, links and change flags, kept apart from the entities in chunks
/// of slots, each kind in an array of its own. A pass over a large tree then
/// streams through the bytes it uses and no others, as a loop over flat
/// arrays would, where one record per entity would bring in whole cache
/// lines of fields it does not touch. Slots are cut in creation order, so
/// that entities made together lie together, and freed ones are reused
/// first. A slot's matrices stay where they are while it lives. Like the
/// matrix queue, the pool is used from the game's one scene thread.
struct cEntity::tMatrices {
  static constexpr int32_t kNone = -1;

  struct tLinks {
    /// The parent entity's slot, kNone at a root.
    int32_t parent = kNone;
    /// The entities whose parent this is: its children, and copies of
    /// them, which point at it without being in its list. Only these read
    /// its world-changed flag.
    int32_t referrers = 0;
  };

  struct tState {
    bool offsetChanged = true;
    bool pivotChanged = true;
    bool worldChanged = true;
    bool queued = false;
    /// During a pass, the referrers after it in the queue that have not
    /// yet read its world-changed flag; 0 outside a pass.
    int32_t unreadBy = 0;
  };

  /// A slot with identity matrices, no links and all three change flags
  /// set. Throws std::bad_alloc.
  static int32_t New();
  /// Frees the slot; the pool's memory goes back to the system when its
  /// last slot does.
  static void Delete(int32_t slot);

  static cMatrix4x3& Pivot(int32_t slot) { return ChunkOf(slot).pivot[Index(slot)]; }
  static cMatrix4x3& World(int32_t slot) { return ChunkOf(slot).world[Index(slot)]; }
  static tLinks& Links(int32_t slot) { return ChunkOf(slot).links[Index(slot)]; }
  static tState& State(int32_t slot) { return ChunkOf(slot).state[Index(slot)]; }

  /// The pass over the queued slots (kNone entries skipped), with the
  /// products of tolmak::detail's cFmaChain or cPlainChain: recomputes each
  /// world matrix whose pivot or parent's world changed, and leaves every
  /// flag clear. Inlined, so that the fma products inline into the caller
  /// compiled for them.
  template <class tChain>
  [[gnu::always_inline]] static void Pass(int32_t* queue, int32_t count, tChain& products);

 private:
  static constexpr int32_t kShift = 8;
  static constexpr int32_t kSlots = 1 << kShift;

  struct tChunk {
    cMatrix4x3 pivot[kSlots];
    cMatrix4x3 world[kSlots];
    tLinks links[kSlots];
    tState state[kSlots];
  };

  static int32_t Index(int32_t slot) { return slot & (kSlots - 1); }
  /// The slot's chunk in a copy of the table (the pass keeps one: its flag
  /// stores may alias anything, so the table itself would be read again).
  static tChunk& ChunkOf(int32_t slot, tChunk* const* chunks = s_Chunks) {
    return *chunks[slot >> kShift];
  }
  /// Asks for everything the pass touches of a slot, a few entries ahead.
  static void Prefetch(const tChunk& chunk, int32_t k) {
#if defined(__GNUC__)
    __builtin_prefetch(&chunk.pivot[k]);
    __builtin_prefetch(&chunk.world[k]);
    __builtin_prefetch(&chunk.links[k]);
    __builtin_prefetch(&chunk.state[k]);
#endif
  }
  static void AddChunk();
  static void ReleaseChunks();

  // Plain pointers and counts: nothing to destroy at exit before the last
  // entity goes.
  static inline tChunk** s_Chunks = nullptr;
  static inline int32_t s_ChunkCount = 0;
  static inline int32_t s_ChunkCapacity = 0;
  static inline int32_t s_SlotsCut = 0;
  /// Freed slots, linked through their parent links.
  static inline int32_t s_FreeSlot = kNone;
  static inline int32_t s_LiveSlots = 0;
};

template <class tChain>
inline void cEntity::tMatrices::Pass(int32_t* queue, int32_t count, tChain& products) {
  tChunk* const* const chunks = s_Chunks;
  // An entity's world-changed flag is read only by its referrers, so it is
  // cleared as soon as the last of those queued after it has read it, while
  // the slot is still in the cache; those whose readers do not all come
  // after them wait at the front of the queue, already swept, for a short
  // second sweep. In a tree queued in pre-order that front is a stack whose
  // top is the next to be read out, so it stays short.
  constexpr int32_t kAhead = 16;
  int32_t waiting = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count && queue[i + kAhead] != kNone) {
      const int32_t ahead = queue[i + kAhead];
      Prefetch(ChunkOf(ahead, chunks), Index(ahead));
    }
    const int32_t slot = queue[i];
    if (slot == kNone) continue;
    tChunk& chunk = ChunkOf(slot, chunks);
    const int32_t k = Index(slot);
    tState& state = chunk.state[k];
    const tLinks links = chunk.links[k];
    if (links.parent != kNone) {
      tChunk& above = ChunkOf(links.parent, chunks);
      const int32_t j = Index(links.parent);
      tState& parent = above.state[j];
      if (parent.worldChanged || state.pivotChanged) {
        products.Multiply(chunk.pivot[k], above.world[j], chunk.world[k]);
        state.worldChanged = true;
      }
      if (parent.unreadBy > 0 && --parent.unreadBy == 0) {
        parent.worldChanged = false;
        if (queue[waiting - 1] == links.parent) --waiting;
      }
    } else if (state.pivotChanged) {
      products.Copy(chunk.pivot[k], chunk.world[k]);
      state.worldChanged = true;
    }
    state.offsetChanged = state.pivotChanged = state.queued = false;
    if (links.referrers == 0) {
      state.worldChanged = false;
    } else {
      state.unreadBy = links.referrers;
      queue[waiting++] = slot;
    }
  }
  for (int32_t i = 0; i < waiting; ++i) {
    tState& state = ChunkOf(queue[i], chunks).state[Index(queue[i])];
    state.worldChanged = false;
    state.unreadBy = 0;
  }
}
