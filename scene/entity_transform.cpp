// Entity transforms and the deferred world-matrix pass.

#include "../math/matrix_product.h"
#include "tolmak_entity.h"

void cEntity::PivotEdited() {
  m_PivotChanged = true;
  MatrixQueue();
}

void cEntity::OffsetEdited() {
  m_OffsetChanged = true;
  MatrixQueue();
}

void cEntity::SetPivotMatrix(const cMatrix4x3& matrix) {
  m_PivotMatrix = matrix;
  PivotEdited();
}

void cEntity::SetPivotPosition(const cVector3& position) {
  SetPivotPosition(position.x, position.y, position.z);
}

void cEntity::SetPivotPosition(float x, float y, float z) {
  m_PivotMatrix.SetPosition(cVector3(x, y, z));
  PivotEdited();
}

void cEntity::MovePivot(const cVector3& distance) {
  MovePivot(distance.x, distance.y, distance.z);
}

void cEntity::MovePivot(float x, float y, float z) {
  m_PivotMatrix[3] += cVector3(x, y, z);
  PivotEdited();
}

void cEntity::RotatePivot(const cVector3& angles) {
  RotatePivot(angles.x, angles.y, angles.z);
}

void cEntity::RotatePivot(float x, float y, float z) {
  m_PivotMatrix.Rotate(x, y, z);
  PivotEdited();
}

void cEntity::ScalePivot(const cVector3& factors) {
  ScalePivot(factors.x, factors.y, factors.z);
}

void cEntity::ScalePivot(float x, float y, float z) {
  m_PivotMatrix.Scale(x, y, z);
  PivotEdited();
}

void cEntity::SetOffsetMatrix(const cMatrix4x3& matrix) {
  m_OffsetMatrix = matrix;
  OffsetEdited();
}

void cEntity::SetOffsetPosition(const cVector3& position) {
  SetOffsetPosition(position.x, position.y, position.z);
}

void cEntity::SetOffsetPosition(float x, float y, float z) {
  m_OffsetMatrix.SetPosition(cVector3(x, y, z));
  OffsetEdited();
}

void cEntity::MoveOffset(const cVector3& distance) {
  MoveOffset(distance.x, distance.y, distance.z);
}

void cEntity::MoveOffset(float x, float y, float z) {
  m_OffsetMatrix[3] += cVector3(x, y, z);
  OffsetEdited();
}

void cEntity::RotateOffset(const cVector3& angles) {
  RotateOffset(angles.x, angles.y, angles.z);
}

void cEntity::RotateOffset(float x, float y, float z) {
  m_OffsetMatrix.Rotate(x, y, z);
  OffsetEdited();
}

void cEntity::ScaleOffset(const cVector3& factors) {
  ScaleOffset(factors.x, factors.y, factors.z);
}

void cEntity::ScaleOffset(float x, float y, float z) {
  m_OffsetMatrix.Scale(x, y, z);
  OffsetEdited();
}

void cEntity::Enqueue() {
  m_QueueSlot = m_MatrixQueue.Add(this);
  m_Queued = true;
}

void cEntity::MatrixQueue() {
  if (m_Queued) return;
  Enqueue();
  // Depth-first pre-order without recursion, so that chains of any depth
  // are safe: descend into the next child not yet queued; when a node has
  // none left, go back the way the walk came.
  cEntity* node = this;
  int32_t next = 0;
  for (;;) {
    if (next < node->m_Childs.GetCount()) {
      cEntity* child = node->m_Childs[next++];
      if (child == nullptr || child->m_Queued) continue;
      child->Enqueue();
      child->m_WalkFrom = node;
      child->m_WalkResume = next;
      node = child;
      next = 0;
    } else if (node == this) {
      return;
    } else {
      next = node->m_WalkResume;
      node = node->m_WalkFrom;
    }
  }
}

void cEntity::MatrixUpdate() {
  if (m_Parent != nullptr) {
    if (!m_Parent->m_WorldChanged && !m_PivotChanged) return;
    tolmak::detail::MultiplyFastest(m_PivotMatrix, m_Parent->m_WorldMatrix, m_WorldMatrix);
  } else {
    if (!m_PivotChanged) return;
    m_WorldMatrix = m_PivotMatrix;
  }
  m_WorldChanged = true;
}

// The entities of a pass lie all over the heap; fetching them ahead hides
// the time each would cost when the sweep reaches it.
inline void cEntity::Prefetch() const {
#if defined(__GNUC__)
  __builtin_prefetch(&m_PivotMatrix);
  __builtin_prefetch(&m_WorldMatrix);
  __builtin_prefetch(&m_QueueSlot);
#endif
}

void cEntity::UpdateMatrices() {
  const int32_t count = m_MatrixQueue.GetCount();
  cEntity** queue = m_MatrixQueue.GetData();
  // An entity's world-changed flag is read only by its referrers, so it is
  // cleared as soon as the last of those queued after it has read it, while
  // the entity is still in the cache; those whose readers do not all come
  // after them wait at the front of the queue, already swept, for a short
  // second sweep. In a tree queued in pre-order that front is a stack whose
  // top is the next to be read out, so it stays short.
  constexpr int32_t kAhead = 24;
  int32_t waiting = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count && queue[i + kAhead] != nullptr) queue[i + kAhead]->Prefetch();
    cEntity* entity = queue[i];
    if (entity == nullptr) continue;
    entity->MatrixUpdate();
    entity->m_OffsetChanged = entity->m_PivotChanged = false;
    entity->m_Queued = false;
    entity->m_QueueSlot = -1;
    cEntity* parent = entity->m_Parent;
    if (parent != nullptr && parent->m_UnreadBy > 0 && --parent->m_UnreadBy == 0) {
      parent->m_WorldChanged = false;
      if (queue[waiting - 1] == parent) --waiting;
    }
    if (entity->m_Referrers == 0) {
      entity->m_WorldChanged = false;
    } else {
      entity->m_UnreadBy = entity->m_Referrers;
      queue[waiting++] = entity;
    }
  }
  for (int32_t i = 0; i < waiting; ++i) {
    queue[i]->m_WorldChanged = false;
    queue[i]->m_UnreadBy = 0;
  }
  m_MatrixQueue.Clear();
}
