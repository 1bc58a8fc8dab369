// World and sector bookkeeping: who belongs where, kept consistent from both
// ends so that destroying either side leaves no dangling pointer.

#include "tolmak_camera.h"
#include "tolmak_material.h"
#include "tolmak_world.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cWorld, "cWorld", "cWorld", &cNamedObject::m_Descriptor,
                             idiSerializable)
VARN_DEFINE_CLASS_DESCRIPTOR(cSector, "cSector", "cSector", &cNamedObject::m_Descriptor,
                             idiSerializable)

cWorld::cWorld(const cWorld& other) : cNamedObject(other), iSerializable(other) {
  CopyFields(other);
}

cWorld& cWorld::operator=(const cWorld& other) {
  if (this == &other) return *this;
  Unlink();
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  CopyFields(other);
  return *this;
}

void cWorld::CopyFields(const cWorld& other) {
  m_RootSector = other.m_RootSector;
  m_Materials = other.m_Materials;
  m_Entities.Clear();
  for (cEntity* entity : other.m_Entities)
    if (entity != nullptr) m_Entities.Add(entity);
  m_SelectedCamera = other.m_SelectedCamera;
  m_Video = other.m_Video;
  m_SharesLists = true;
}

cWorld::~cWorld() {
  Unlink();
  m_Entities.Free();
  m_Materials.Free();
  m_EntityRefs.Free();
  m_MaterialRefs.Free();
  m_SectorRefs.Free();
}

void cWorld::Point(cEntity* entity, cWorld* world) {
  if (entity->m_World == world) return;
  if (cWorld* old = entity->m_World) {
    // The last reference takes the leaver's place.
    cEntity* last = old->m_EntityRefs[old->m_EntityRefs.GetCount() - 1];
    old->m_EntityRefs[entity->m_WorldRefSlot] = last;
    last->m_WorldRefSlot = entity->m_WorldRefSlot;
    old->m_EntityRefs.RemoveAt(old->m_EntityRefs.GetCount() - 1);
  }
  entity->m_World = nullptr;
  entity->m_WorldRefSlot = -1;
  if (world == nullptr) return;
  entity->m_WorldRefSlot = world->m_EntityRefs.Add(entity);
  entity->m_World = world;
}

void cWorld::Point(cMaterial* material, cWorld* world) {
  if (material->m_World == world) return;
  if (material->m_World != nullptr) material->m_World->m_MaterialRefs.Delete(material);
  material->m_World = nullptr;
  if (world != nullptr) world->m_MaterialRefs.Add(material);
  material->m_World = world;
}

void cWorld::Point(cSector* sector, cWorld* world) {
  if (sector->m_World == world) return;
  if (cWorld* old = sector->m_World) {
    old->m_SectorRefs.Delete(sector);
    // A sector that leaves a world (moved, assigned over, destroyed) is no
    // longer that world's root.
    if (old->m_RootSector == sector) old->m_RootSector = nullptr;
  }
  sector->m_World = nullptr;
  if (world != nullptr) world->m_SectorRefs.Add(sector);
  sector->m_World = world;
}

void cWorld::Unlink() {
  // Only what points back is touched: a copied list may name objects that
  // are gone already.
  for (cEntity* entity : m_EntityRefs) {
    entity->m_World = nullptr;
    entity->m_WorldSlot = entity->m_WorldRefSlot = -1;
  }
  for (cMaterial* material : m_MaterialRefs) material->m_World = nullptr;
  for (cSector* sector : m_SectorRefs) sector->m_World = nullptr;
  m_EntityRefs.Clear();
  m_MaterialRefs.Clear();
  m_SectorRefs.Clear();
  m_RootSector = nullptr;
  m_Entities.Clear();
  m_EntityHoles = 0;
  m_Materials.Clear();
  m_SelectedCamera = nullptr;
}

void cWorld::SetRootSector(cSector* sector) {
  if (sector == nullptr || sector == m_RootSector) return;
  // A sector is the root of one world at a time: Point takes it from the last.
  if (m_RootSector != nullptr && m_RootSector->m_World == this) Point(m_RootSector, nullptr);
  m_RootSector = sector;
  Point(sector, this);
}

int32_t cWorld::EntityIndex(cEntity* entity) const {
  const int32_t slot = entity->m_WorldSlot;
  if (entity->m_World == this && slot >= 0 && slot < m_Entities.GetCount() &&
      m_Entities[slot] == entity)
    return slot;
  // Only a list copied from another world holds entities that do not point
  // back at it; otherwise the check above is the whole answer.
  return m_SharesLists ? m_Entities.IndexOf(entity) : -1;
}

void cWorld::AddEntity(cEntity* entity) {
  if (entity == nullptr || EntityIndex(entity) >= 0) return;
  const int32_t slot = m_Entities.Add(entity);
  if (entity->m_World != nullptr && entity->m_World != this) entity->m_World->DeleteEntity(entity);
  Point(entity, this);
  entity->m_WorldSlot = slot;
}

void cWorld::DeleteEntity(cEntity* entity) {
  if (entity == nullptr) return;
  const int32_t slot = EntityIndex(entity);
  if (slot < 0) return;
  m_Entities[slot] = nullptr;
  ++m_EntityHoles;
  if (entity->m_World == this) {
    entity->m_WorldSlot = -1;
    Point(entity, nullptr);
  }
  if (m_SelectedCamera == entity) m_SelectedCamera = nullptr;
  if (2 * m_EntityHoles >= m_Entities.GetCount()) CompactEntities();
}

void cWorld::CompactEntities() {
  int32_t kept = 0;
  for (int32_t i = 0; i < m_Entities.GetCount(); ++i) {
    cEntity* entity = m_Entities[i];
    if (entity == nullptr) continue;
    if (entity->m_World == this) entity->m_WorldSlot = kept;
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
  if (material == nullptr || m_Materials.Contains(material)) return;
  m_Materials.Add(material);
  if (material->m_World != nullptr && material->m_World != this)
    material->m_World->DeleteMaterial(material);
  Point(material, this);
}

void cWorld::DeleteMaterial(cMaterial* material) {
  if (!m_Materials.Delete(material)) return;
  if (material->m_World == this) Point(material, nullptr);
}

bool cWorld::IsCamera(const cEntity* entity) {
  return entity != nullptr && entity->GetDescriptor()->IsOfType(cCamera::m_Descriptor.GetClassID());
}

void cWorld::SelectCamera(const cString& name) {
  for (cEntity* entity : m_Entities) {
    if (IsCamera(entity) && entity->GetName() == name) {
      m_SelectedCamera = static_cast<cCamera*>(entity);
      return;
    }
  }
  trace(
      "SelectCamera: world \"%s\" has no camera named \"%s\" (check the spelling; a "
      "camera counts once it is in the tree under the root sector)",
      GetName().c_str(), name.c_str());
}

void cWorld::GetCameraList(tArray<cString>& list) {
  list.Clear();
  for (cEntity* entity : m_Entities)
    if (IsCamera(entity)) list.Add(entity->GetName());
}

cSector::cSector(const cSector& other)
    : cNamedObject(other), iSerializable(other), m_Flag(other.m_Flag), m_Root(other.m_Root) {
  cWorld::Point(this, other.m_World);
}

cSector& cSector::operator=(const cSector& other) {
  cNamedObject::operator=(other);
  iSerializable::operator=(other);
  m_Flag = other.m_Flag;
  cWorld::Point(this, other.m_World);
  m_Root = other.m_Root;
  return *this;
}

cSector::~cSector() {
  cWorld::Point(this, nullptr);
  for (cEntity* entity : m_Members) {
    entity->m_Sector = nullptr;
    entity->m_SectorSlot = -1;
  }
  m_Members.Free();
}

void cSector::SetRoot(cEntity* entity) {
  if (entity == nullptr) return;
  if (m_World == nullptr) {
    trace(
        "SetRoot on sector \"%s\" before it belongs to a world: call the world's "
        "SetRootSector(sector) first; the root was not set",
        GetName().c_str());
    return;
  }
  if (m_Root != nullptr && m_Root != entity && m_Root->m_Sector == this) m_Root->SetSector(nullptr);
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
