#pragma once

#include "../math/matrix_product.h"
#include "tolmak_entity.h"

/// The part of an entity that the matrix pass reads and writes: its pivot,
/// world matrix, change flags and the links the pass follows, in two cache
/// lines. The records live apart from the entities, in pools filled in
/// creation order, so that a pass over a large tree streams through these
/// lines alone: touching any line of each entity instead makes the memory
/// stream whole entities.
struct alignas(64) cEntity::tMatrices {
  // The first line is only read by the pass.
  cMatrix4x3 pivot;
  /// The parent entity's record, null at a root.
  tMatrices* parent = nullptr;
  /// The entities whose parent this is: its children, and copies of them,
  /// which point at it without being in its list. Only these read its
  /// world-changed flag.
  int32_t referrers = 0;

  // The second line is the pass's to write.
  alignas(64) cMatrix4x3 world;
  bool offsetChanged = true;
  bool pivotChanged = true;
  bool worldChanged = true;
  bool queued = false;
  /// During a pass, the referrers after it in the queue that have not yet
  /// read its world-changed flag; 0 outside a pass.
  int32_t unreadBy = 0;

  /// A record with identity matrices and all three change flags set, from
  /// the pool. Throws std::bad_alloc.
  static tMatrices* New();
  /// Returns the record to the pool; the pool's memory goes back to the
  /// system when its last record does.
  static void Delete(tMatrices* matrices);

  /// Recomputes the world matrix when the pivot or the parent's world
  /// changed, and then sets the world-changed flag.
  template <class tChain>
  [[gnu::always_inline]] void Update(tChain& products) {
    if (parent != nullptr) {
      if (!parent->worldChanged && !pivotChanged) return;
      products.Multiply(pivot, parent->world, world);
    } else {
      if (!pivotChanged) return;
      products.Copy(pivot, world);
    }
    worldChanged = true;
  }

  /// The pass over the queued records (null entries skipped), with the
  /// products of tolmak::detail's cFmaChain or cPlainChain.
  /// Inlined, so that the fma products inline into the caller compiled for
  /// them.
  template <class tChain>
  [[gnu::always_inline]] static void Pass(tMatrices** queue, int32_t count, tChain& products);

  /// Asks for both lines, a few entities ahead of the pass.
  void Prefetch() const {
#if defined(__GNUC__)
    __builtin_prefetch(&pivot);
    __builtin_prefetch(&world);
#endif
  }
};

template <class tChain>
inline void cEntity::tMatrices::Pass(tMatrices** queue, int32_t count, tChain& products) {
  // An entity's world-changed flag is read only by its referrers, so it is
  // cleared as soon as the last of those queued after it has read it, while
  // the record is still in the cache; those whose readers do not all come
  // after them wait at the front of the queue, already swept, for a short
  // second sweep. In a tree queued in pre-order that front is a stack whose
  // top is the next to be read out, so it stays short.
  constexpr int32_t kAhead = 24;
  int32_t waiting = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count && queue[i + kAhead] != nullptr) queue[i + kAhead]->Prefetch();
    tMatrices* node = queue[i];
    if (node == nullptr) continue;
    node->Update(products);
    node->offsetChanged = node->pivotChanged = false;
    node->queued = false;
    tMatrices* parent = node->parent;
    if (parent != nullptr && parent->unreadBy > 0 && --parent->unreadBy == 0) {
      parent->worldChanged = false;
      if (queue[waiting - 1] == parent) --waiting;
    }
    if (node->referrers == 0) {
      node->worldChanged = false;
    } else {
      node->unreadBy = node->referrers;
      queue[waiting++] = node;
    }
  }
  for (int32_t i = 0; i < waiting; ++i) {
    queue[i]->worldChanged = false;
    queue[i]->unreadBy = 0;
  }
}
