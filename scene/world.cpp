// World and sector bookkeeping: who belongs where, kept consistent from both
// ends so that destroying either side leaves no dangling pointer.

#include "tolmak_material.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cWorld, "cWorld", "cWorld", &cNamedObject::m_Descriptor,
                             idiSerializable)
VARN_DEFINE_CLASS_DESCRIPTOR(cSector, "cSector", "cSector", &cNamedObject::m_Descriptor,
                             idiSerializable)

cWorld::cWorld(const cWorld& other)
    : cNamedObject(other), iSerializable(other), m_Video(other.m_Video) {}

cWorld& cWorld::operator=(const cWorld& other) {
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  m_Video = other.m_Video;
  return *this;
}

cWorld::~cWorld() {
  if (m_RootSector != nullptr) m_RootSector->m_World = nullptr;
  for (cEntity* entity : m_Entities) {
    if (entity == nullptr) continue;
    entity->m_World = nullptr;
    entity->m_WorldSlot = -1;
  }
  for (cMaterial* material : m_Materials) material->m_World = nullptr;
  m_Entities.Free();
  m_Materials.Free();
}

void cWorld::SetRootSector(cSector* sector) {
  if (sector == nullptr || sector == m_RootSector) return;
  // A sector is the root of one world at a time.
  if (sector->m_World != nullptr) sector->m_World->m_RootSector = nullptr;
  if (m_RootSector != nullptr) m_RootSector->m_World = nullptr;
  m_RootSector = sector;
  sector->m_World = this;
}

void cWorld::AddEntity(cEntity* entity) {
  if (entity == nullptr || entity->m_World == this) return;
  const int32_t slot = m_Entities.Add(entity);
  if (entity->m_World != nullptr) entity->m_World->DeleteEntity(entity);
  entity->m_World = this;
  entity->m_WorldSlot = slot;
}

void cWorld::DeleteEntity(cEntity* entity) {
  if (entity == nullptr || entity->m_World != this) return;
  m_Entities[entity->m_WorldSlot] = nullptr;
  ++m_EntityHoles;
  entity->m_World = nullptr;
  entity->m_WorldSlot = -1;
  if (reinterpret_cast<cEntity*>(m_SelectedCamera) == entity) m_SelectedCamera = nullptr;
  if (2 * m_EntityHoles >= m_Entities.GetCount()) CompactEntities();
}

void cWorld::CompactEntities() {
  int32_t kept = 0;
  for (int32_t i = 0; i < m_Entities.GetCount(); ++i) {
    cEntity* entity = m_Entities[i];
    if (entity == nullptr) continue;
    entity->m_WorldSlot = kept;
    m_Entities[kept++] = entity;
  }
  m_Entities.SetCount(kept);
  m_EntityHoles = 0;
}

const tArray<cEntity*>& cWorld::GetEntities() {
  if (m_EntityHoles > 0) CompactEntities();
  return m_Entities;
}

void cWorld::AddMaterial(cMaterial* material) {
  if (material == nullptr || material->m_World == this) return;
  m_Materials.Add(material);
  if (material->m_World != nullptr) material->m_World->DeleteMaterial(material);
  material->m_World = this;
}

void cWorld::DeleteMaterial(cMaterial* material) {
  if (material == nullptr || material->m_World != this) return;
  m_Materials.Delete(material);
  material->m_World = nullptr;
}

bool cWorld::IsCamera(const cEntity* entity) {
  return entity != nullptr && entity->GetDescriptor()->IsOfType(gCRC32("cCamera"));
}

void cWorld::SelectCamera(const cString& name) {
  for (cEntity* entity : m_Entities) {
    if (IsCamera(entity) && entity->GetName() == name) {
      // cCamera is only declared here; its cEntity part is its only base,
      // at the start of the object.
      m_SelectedCamera = reinterpret_cast<cCamera*>(entity);
      return;
    }
  }
}

void cWorld::GetCameraList(tArray<cString>& list) {
  list.Clear();
  for (cEntity* entity : m_Entities)
    if (IsCamera(entity)) list.Add(entity->GetName());
}

cSector::cSector(const cSector& other)
    : cNamedObject(other), iSerializable(other), m_Flag(other.m_Flag) {}

cSector& cSector::operator=(const cSector& other) {
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  m_Flag = other.m_Flag;
  return *this;
}

cSector::~cSector() {
  if (m_World != nullptr) m_World->m_RootSector = nullptr;
  for (cEntity* entity : m_Members) {
    entity->m_Sector = nullptr;
    entity->m_SectorSlot = -1;
  }
  m_Members.Free();
}

void cSector::SetRoot(cEntity* entity) {
  if (entity == nullptr || m_World == nullptr) return;
  if (m_Root != nullptr && m_Root != entity) m_Root->SetSector(nullptr);
  entity->SetSector(this);
  m_Root = entity;
  m_World->AddEntity(entity);
}

void cSector::AddMember(cEntity* entity) {
  entity->m_SectorSlot = m_Members.Add(entity);
}

void cSector::RemoveMember(cEntity* entity) {
  if (m_Root == entity) m_Root = nullptr;
  // Members have no order: the last one takes the leaver's place.
  const int32_t slot = entity->m_SectorSlot;
  cEntity* last = m_Members[m_Members.GetCount() - 1];
  m_Members[slot] = last;
  last->m_SectorSlot = slot;
  m_Members.RemoveAt(m_Members.GetCount() - 1);
  entity->m_SectorSlot = -1;
}
