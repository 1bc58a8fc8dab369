// Entity life cycle, hierarchy and materials.

#include "tolmak_entity.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cEntity, "cEntity", "cEntity", &cNamedObject::m_Descriptor,
                             idiSerializable)

cEntity::cEntity() {
  MatrixQueue();
}

cEntity::cEntity(const cEntity& other)
    : cNamedObject(other),
      iSerializable(other),
      m_Visible(other.m_Visible),
      m_OffsetMatrix(other.m_OffsetMatrix),
      m_PivotMatrix(other.m_PivotMatrix),
      m_WorldMatrix(other.m_WorldMatrix),
      m_OffsetChanged(other.m_OffsetChanged),
      m_PivotChanged(true),
      m_WorldChanged(other.m_WorldChanged),
      m_Materials(other.m_Materials),
      m_Model(other.m_Model),
      m_Hidden(other.m_Hidden) {
  try {
    if (other.m_Parent != nullptr) other.m_Parent->LinkChild(this);
    if (other.m_World != nullptr) other.m_World->AddEntity(this);
    SetSector(other.m_Sector);
    MatrixQueue();
  } catch (...) {
    Unlink();  // no destructor runs for a constructor that throws
    throw;
  }
}

cEntity& cEntity::operator=(const cEntity& other) {
  if (this == &other) return *this;
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  m_Visible = other.m_Visible;
  m_OffsetMatrix = other.m_OffsetMatrix;
  m_PivotMatrix = other.m_PivotMatrix;
  m_WorldMatrix = other.m_WorldMatrix;
  m_OffsetChanged = other.m_OffsetChanged;
  m_PivotChanged = true;
  m_WorldChanged = other.m_WorldChanged;
  m_Materials = other.m_Materials;
  m_Model = other.m_Model;
  m_Hidden = other.m_Hidden;
  MatrixQueue();
  return *this;
}

cEntity::~cEntity() {
  Unlink();
  m_Materials.Free();
  m_Childs.Free();
}

void cEntity::Unlink() {
  if (m_Queued && m_QueueSlot < m_MatrixQueue.GetCount() && m_MatrixQueue[m_QueueSlot] == this)
    m_MatrixQueue[m_QueueSlot] = nullptr;  // the pass skips the hole
  m_Queued = false;
  m_QueueSlot = -1;
  if (m_Parent != nullptr) m_Parent->DeleteChild(this);
  ClearChilds();
  if (m_World != nullptr) m_World->DeleteEntity(this);
  SetSector(nullptr);
}

cEntity* cEntity::GetChild(int i) const {
  return i >= 0 && i < m_Childs.GetCount() ? m_Childs[i] : nullptr;
}

void cEntity::LinkChild(cEntity* child) {
  child->m_ChildSlot = m_Childs.Add(child);
  child->m_Parent = this;
}

bool cEntity::IsAncestorOrSelf(const cEntity* entity) const {
  for (const cEntity* node = this; node != nullptr; node = node->m_Parent)
    if (node == entity) return true;
  return false;
}

void cEntity::AddChild(cEntity* child) {
  if (child == nullptr || child->m_Parent == this) return;
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
  if (child == nullptr || child->m_Parent != this) return;
  const int32_t slot = child->m_ChildSlot;
  m_Childs.RemoveAt(slot);
  for (int32_t i = slot; i < m_Childs.GetCount(); ++i)
    if (m_Childs[i] != nullptr) m_Childs[i]->m_ChildSlot = i;
  child->m_Parent = nullptr;
  child->m_ChildSlot = -1;
  child->SetSector(nullptr);
}

void cEntity::ClearChilds() {
  for (cEntity* child : m_Childs) {
    if (child == nullptr) continue;
    child->m_Parent = nullptr;
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
