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
  void Update() {
    if (parent != nullptr) {
      if (!parent->worldChanged && !pivotChanged) return;
      tolmak::detail::MultiplyFastest(pivot, parent->world, world);
    } else {
      if (!pivotChanged) return;
      world = pivot;
    }
    worldChanged = true;
  }

  /// Asks for both lines, a few entities ahead of the pass.
  void Prefetch() const {
#if defined(__GNUC__)
    __builtin_prefetch(&pivot);
    __builtin_prefetch(&world);
#endif
  }
};
