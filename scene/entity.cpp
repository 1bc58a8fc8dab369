// Entity life cycle, hierarchy and materials.

#include "entity_matrices.h"
#include "tolmak_entity.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cEntity, "cEntity", "cEntity", &cNamedObject::m_Descriptor,
                             idiSerializable)

cEntity::cEntity() : m_Matrices(tMatrices::New()), m_WorldMatrix(m_Matrices->Written().world) {
  try {
    MatrixQueue();
  } catch (...) {
    tMatrices::Delete(m_Matrices);  // no destructor runs for a constructor that throws
    throw;
  }
}

cEntity::cEntity(const cEntity& other)
    : cNamedObject(other),
      iSerializable(other),
      m_Matrices(tMatrices::New()),
      m_WorldMatrix(m_Matrices->Written().world) {
  try {
    m_Childs = other.m_Childs;  // here, so that a failure frees the record too
    m_Materials = other.m_Materials;
    CopyFields(other);
    SetSector(other.m_Sector);  // the sector then clears the copy's pointer if it goes first
    MatrixQueue();
  } catch (...) {
    LeaveQueue();  // no destructor runs for a constructor that throws
    Detach();
    tMatrices::Delete(m_Matrices);
    throw;
  }
}

cEntity& cEntity::operator=(const cEntity& other) {
  if (this == &other) return *this;
  Detach();
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  m_Childs = other.m_Childs;
  m_Materials = other.m_Materials;
  CopyFields(other);
  SetSector(other.m_Sector);
  MatrixQueue();
  return *this;
}

void cEntity::CopyFields(const cEntity& other) {
  m_Visible = other.m_Visible;
  m_OffsetMatrix = other.m_OffsetMatrix;
  m_Matrices->pivot = other.m_Matrices->pivot;
  const tMatrices::tWritten& from = other.m_Matrices->Written();
  tMatrices::tWritten& to = m_Matrices->Written();
  to.world = from.world;
  to.offsetChanged = from.offsetChanged;
  to.pivotChanged = from.pivotChanged;
  to.worldChanged = from.worldChanged;
  cWorld::Point(this, other.m_World);
  SetParent(other.m_Parent);
  m_Model = other.m_Model;
  m_Hidden = other.m_Hidden;
  // The copy sits in none of the source's lists.
  m_ChildSlot = m_WorldSlot = -1;
}

cEntity::~cEntity() {
  LeaveQueue();
  Detach();
  m_Materials.Free();
  m_Childs.Free();
  tMatrices::Delete(m_Matrices);
}

void cEntity::LeaveQueue() {
  bool& queued = m_Matrices->Written().queued;
  if (queued && m_QueueSlot < m_MatrixQueue.GetCount() && m_MatrixQueue[m_QueueSlot] == this) {
    m_MatrixQueue[m_QueueSlot] = nullptr;  // the pass skips the hole
    m_QueuedMatrices[m_QueueSlot] = nullptr;
  }
  queued = false;
  m_QueueSlot = -1;
}

void cEntity::Detach() {
  if (m_Parent != nullptr) m_Parent->DeleteChild(this);
  SetParent(nullptr);
  ClearChilds();
  if (m_World != nullptr) m_World->DeleteEntity(this);
  cWorld::Point(this, nullptr);
  SetSector(nullptr);
}

cEntity* cEntity::GetChild(int i) const {
  return i >= 0 && i < m_Childs.GetCount() ? m_Childs[i] : nullptr;
}

void cEntity::SetParent(cEntity* parent) {
  if (m_Parent != nullptr) --m_Parent->m_Matrices->referrers;
  m_Parent = parent;
  m_Matrices->parent = parent != nullptr ? parent->m_Matrices : nullptr;
  if (parent != nullptr) ++parent->m_Matrices->referrers;
}

void cEntity::LinkChild(cEntity* child) {
  child->m_ChildSlot = m_Childs.Add(child);
  child->SetParent(this);
}

bool cEntity::IsAncestorOrSelf(const cEntity* entity) const {
  // A copy points at a parent that does not list it, so parent links can
  // form a loop; Brent's cycle check ends the walk then.
  const cEntity* mark = this;
  int32_t steps = 0, limit = 1;
  for (const cEntity* node = this; node != nullptr; node = node->m_Parent) {
    if (node == entity) return true;
    if (node->m_Parent == mark) return false;
    if (++steps == limit) {
      mark = node->m_Parent;
      steps = 0;
      limit *= 2;
    }
  }
  return false;
}

int32_t cEntity::ChildIndex(cEntity* child) const {
  const int32_t slot = child->m_ChildSlot;
  if (child->m_Parent == this && slot >= 0 && slot < m_Childs.GetCount() && m_Childs[slot] == child)
    return slot;
  return m_Childs.IndexOf(child);  // a copy's list holds children that are not its own
}

void cEntity::AddChild(cEntity* child) {
  if (child == nullptr || ChildIndex(child) >= 0) return;
  // Only an entity with children can be an ancestor: building a chain leaf
  // by leaf needs no walk up the tree.
  if (child == this || (child->m_Childs.GetCount() > 0 && IsAncestorOrSelf(child)))
    throw cException(__FILE__, __LINE__,
                     "AddChild: an entity cannot become a child of itself or of its descendant");
  if (child->m_Parent != nullptr) child->m_Parent->DeleteChild(child);
  LinkChild(child);
  if (m_World != nullptr) m_World->AddEntity(child);
  child->SetSector(m_Sector);
}

void cEntity::DeleteChild(cEntity* child) {
  if (child == nullptr) return;
  const int32_t slot = ChildIndex(child);
  if (slot < 0) return;
  m_Childs.RemoveAt(slot);
  for (int32_t i = slot; i < m_Childs.GetCount(); ++i)
    if (m_Childs[i] != nullptr && m_Childs[i]->m_Parent == this) m_Childs[i]->m_ChildSlot = i;
  if (child->m_Parent != this) return;
  child->SetParent(nullptr);
  child->m_ChildSlot = -1;
  child->SetSector(nullptr);
}

void cEntity::ClearChilds() {
  for (cEntity* child : m_Childs) {
    if (child == nullptr || child->m_Parent != this) continue;
    child->SetParent(nullptr);
    child->m_ChildSlot = -1;
  }
  m_Childs.Clear();
}

void cEntity::SetSector(cSector* sector) {
  if (m_Sector == sector) return;
  if (m_Sector != nullptr) m_Sector->RemoveMember(this);
  m_Sector = nullptr;
  if (sector != nullptr) sector->AddMember(this);
  m_Sector = sector;
}

cMaterial* cEntity::GetMaterial(int i) const {
  const int32_t count = m_Materials.GetCount();
  return count > 0 && i >= 0 ? m_Materials[i % count] : nullptr;
}

void cEntity::AddMaterial(cMaterial* material) {
  if (!m_Materials.AddUnique(material)) return;
  if (m_World != nullptr) m_World->AddMaterial(material);
}

void cEntity::DeleteMaterial(cMaterial* material) {
  m_Materials.Delete(material);
}
