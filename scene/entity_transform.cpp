// Entity transforms and the deferred world-matrix pass.

#include "entity_matrices.h"
#include "tolmak_entity.h"

const cMatrix4x3& cEntity::GetPivotMatrix() const {
  return m_Matrices->pivot;
}

const cMatrix4x3& cEntity::GetWorldMatrix() const {
  return m_Matrices->world;
}

bool cEntity::IsOffsetChanged() const {
  return m_Matrices->offsetChanged;
}

bool cEntity::IsPivotChanged() const {
  return m_Matrices->pivotChanged;
}

bool cEntity::IsWorldChanged() const {
  return m_Matrices->worldChanged;
}

bool cEntity::IsQueued() const {
  return m_Matrices->queued;
}

void cEntity::PivotEdited() {
  m_Matrices->pivotChanged = true;
  MatrixQueue();
}

void cEntity::OffsetEdited() {
  m_Matrices->offsetChanged = true;
  MatrixQueue();
}

void cEntity::SetPivotMatrix(const cMatrix4x3& matrix) {
  m_Matrices->pivot = matrix;
  PivotEdited();
}

void cEntity::SetPivotPosition(const cVector3& position) {
  SetPivotPosition(position.x, position.y, position.z);
}

void cEntity::SetPivotPosition(float x, float y, float z) {
  m_Matrices->pivot.SetPosition(cVector3(x, y, z));
  PivotEdited();
}

void cEntity::MovePivot(const cVector3& distance) {
  MovePivot(distance.x, distance.y, distance.z);
}

void cEntity::MovePivot(float x, float y, float z) {
  m_Matrices->pivot[3] += cVector3(x, y, z);
  PivotEdited();
}

void cEntity::RotatePivot(const cVector3& angles) {
  RotatePivot(angles.x, angles.y, angles.z);
}

void cEntity::RotatePivot(float x, float y, float z) {
  m_Matrices->pivot.Rotate(x, y, z);
  PivotEdited();
}

void cEntity::ScalePivot(const cVector3& factors) {
  ScalePivot(factors.x, factors.y, factors.z);
}

void cEntity::ScalePivot(float x, float y, float z) {
  m_Matrices->pivot.Scale(x, y, z);
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
  const int32_t slot = m_MatrixQueue.Add(this);
  try {
    m_QueuedMatrices.Add(m_Matrices);
  } catch (...) {
    m_MatrixQueue.SetCount(slot);  // the two queues stay entry for entry
    throw;
  }
  m_QueueSlot = slot;
  m_Matrices->queued = true;
}

void cEntity::MatrixQueue() {
  if (m_Matrices->queued) return;
  Enqueue();
  // Depth-first pre-order without recursion, so that chains of any depth
  // are safe: descend into the next child not yet queued; when a node has
  // none left, go back the way the walk came.
  cEntity* node = this;
  int32_t next = 0;
  for (;;) {
    if (next < node->m_Childs.GetCount()) {
      cEntity* child = node->m_Childs[next++];
      if (child == nullptr || child->m_Matrices->queued) continue;
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

void cEntity::UpdateMatrices() {
  const int32_t count = m_QueuedMatrices.GetCount();
  tMatrices** queue = m_QueuedMatrices.GetData();
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
    node->Update();
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
  m_QueuedMatrices.Clear();
  m_MatrixQueue.Clear();
}
