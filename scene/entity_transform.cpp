// Entity transforms and the deferred world-matrix pass.

#include "entity_matrices.h"
#include "tolmak_entity.h"

const cMatrix4x3& cEntity::GetPivotMatrix() const {
  return m_Matrices->pivot;
}

const cMatrix4x3& cEntity::GetWorldMatrix() const {
  return m_Matrices->Written().world;
}

bool cEntity::IsOffsetChanged() const {
  return m_Matrices->Written().offsetChanged;
}

bool cEntity::IsPivotChanged() const {
  return m_Matrices->Written().pivotChanged;
}

bool cEntity::IsWorldChanged() const {
  return m_Matrices->Written().worldChanged;
}

bool cEntity::IsQueued() const {
  return m_Matrices->Written().queued;
}

void cEntity::PivotEdited() {
  m_Matrices->Written().pivotChanged = true;
  MatrixQueue();
}

void cEntity::OffsetEdited() {
  m_Matrices->Written().offsetChanged = true;
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
  m_Matrices->Written().queued = true;
}

void cEntity::MatrixQueue() {
  if (m_Matrices->Written().queued) return;
  Enqueue();
  // Depth-first pre-order without recursion, so that chains of any depth
  // are safe: descend into the next child not yet queued; when a node has
  // none left, go back the way the walk came.
  cEntity* node = this;
  int32_t next = 0;
  for (;;) {
    if (next < node->m_Childs.GetCount()) {
      cEntity* child = node->m_Childs[next++];
      if (child == nullptr || child->m_Matrices->Written().queued) continue;
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

namespace {

#ifdef TOLMAK_RUNTIME_AVX
// Compiled for the fma instructions, so that the chain of products is
// inlined and keeps its registers.
template <class tRecord>
__attribute__((target("avx,fma"))) void PassWithFma(tRecord** queue, int32_t count) {
  tolmak::detail::cFmaChain products;
  tRecord::Pass(queue, count, products);
}
#endif

}  // namespace

void cEntity::UpdateMatrices() {
  const int32_t count = m_QueuedMatrices.GetCount();
  if (count > 0) {
#ifdef TOLMAK_RUNTIME_AVX
    if (tolmak::detail::CpuHasAvxFma()) {
      PassWithFma(m_QueuedMatrices.GetData(), count);
    } else
#endif
    {
      tolmak::detail::cPlainChain products;
      tMatrices::Pass(m_QueuedMatrices.GetData(), count, products);
    }
  }
  m_QueuedMatrices.Clear();
  m_MatrixQueue.Clear();
}
