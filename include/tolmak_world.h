#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_entity.h"
#include "tolmak_export.h"

class cCamera;
class cMaterial;
class cSector;
class cVideo3D;

/// A scene: it registers every entity and material that belongs to it, has
/// one root sector, selects the active camera by name and holds the video
/// device it draws with. Concrete worlds come from plug-in libraries.
///
/// An entity, a material and a sector belong to at most one world; adding
/// one that belongs to another world moves it. Destroying the world unlinks
/// them all (their world becomes null); it destroys none of them.
///
/// Copying is member-wise: the copy shares the root sector, the registered
/// entities and materials (in lists of its own), the selected camera and
/// the video device, while they keep pointing at the source. A world only
/// ever unlinks what points back at it, so a copy never disturbs the source;
/// but the source's members do not know the copy: destroy the copy before
/// them. Assignment first unlinks the world's own members.
class TOLMAK_API cWorld : public cNamedObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cWorld() = default;
  cWorld(const cWorld& other);
  cWorld& operator=(const cWorld& other);
  ~cWorld() override;

  /// Advances the scene by the time elapsed since the last frame.
  virtual void Animate(float seconds) = 0;
  /// Draws the scene with the device.
  virtual void Render(cVideo3D* video) = 0;

  /// Makes the sector the root sector; the previous one leaves the world.
  /// Null is ignored.
  void SetRootSector(cSector* sector);
  cSector* GetRootSector() const { return m_RootSector; }

  /// Registers the entity (null or registered already: nothing).
  void AddEntity(cEntity* entity);
  /// Unregisters the entity, order of the others kept (not registered:
  /// nothing). The selected camera is dropped when it is this entity.
  void DeleteEntity(cEntity* entity);
  int GetNumberOfEntities() const { return m_Entities.GetCount() - m_EntityHoles; }
  /// The registered entities in registration order.
  const tArray<cEntity*>& GetEntities();

  /// Registers the material (null or registered already: nothing).
  void AddMaterial(cMaterial* material);
  /// Unregisters the material, order of the others kept.
  void DeleteMaterial(cMaterial* material);
  const tArray<cMaterial*>& GetMaterials() const { return m_Materials; }

  /// Selects the first registered camera whose name equals the name
  /// exactly (case matters); without one the selection is unchanged. A
  /// camera is an entity whose descriptor derives from cCamera's, so its
  /// class must derive from cCamera.
  void SelectCamera(const cString& name);
  /// The selected camera, or null.
  cCamera* GetSelectedCamera() const { return m_SelectedCamera; }
  /// Empties the list (its storage kept) and appends the name of every
  /// registered camera in registration order.
  void GetCameraList(tArray<cString>& list);

  /// The device the world draws with; null until the concrete world sets it.
  cVideo3D* GetVideo() const { return m_Video; }

 protected:
  void SetVideo(cVideo3D* video) { m_Video = video; }

 private:
  friend class cEntity;
  friend class cMaterial;
  friend class cSector;

  static bool IsCamera(const cEntity* entity);
  /// Points the object at the world (or at none), keeping both worlds'
  /// lists of what points at them in step.
  static void Point(cEntity* entity, cWorld* world);
  static void Point(cMaterial* material, cWorld* world);
  static void Point(cSector* sector, cWorld* world);
  /// Where the entity sits in the registration list, or -1.
  int32_t EntityIndex(cEntity* entity) const;
  void CopyFields(const cWorld& other);
  /// Unregisters everything that points back at this world and empties the lists.
  void Unlink();
  /// Closes the holes that unregistered entities left in the list.
  void CompactEntities();

  cSector* m_RootSector = nullptr;
  tArray<cMaterial*> m_Materials;
  // Unregistering nulls the entity's slot and counts a hole; the list is
  // closed up once holes make half of it, so that destroying many entities
  // of a large world costs O(1) each while the order is kept.
  tArray<cEntity*> m_Entities;
  cCamera* m_SelectedCamera = nullptr;
  cVideo3D* m_Video = nullptr;
  int32_t m_EntityHoles = 0;
  // Set once the lists were copied from another world: they may then hold
  // members that point back at that world instead.
  bool m_SharesLists = false;
  // Everything that points at this world, registered or not (copies point
  // without being registered): the world clears their pointers when it goes.
  // Entities know their place here, so that leaving costs O(1).
  tArray<cEntity*> m_EntityRefs;
  tArray<cMaterial*> m_MaterialRefs;
  tArray<cSector*> m_SectorRefs;
};

/// A part of a world with one root entity at the top of an entity tree.
/// Concrete sectors come from plug-in libraries.
///
/// The sector knows every entity whose sector it is: destroying it gives
/// them a null sector, and the world whose root sector it is loses it.
/// Copying is member-wise (name, flag, world and root pointers); the world
/// and the root keep pointing at the source.
class TOLMAK_API cSector : public cNamedObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSector() = default;
  cSector(const cSector& other);
  cSector& operator=(const cSector& other);
  ~cSector() override;

  /// Advances the sector by the time elapsed since the last frame.
  virtual void Animate(float seconds) = 0;
  /// Draws the sector with the device.
  virtual void Render(cVideo3D* video) = 0;

  /// Makes the entity the root: the previous root gets a null sector, the
  /// new one gets this sector and is registered with the world (both stay
  /// registered). Ignored for null and while the sector has no world.
  void SetRoot(cEntity* entity);
  cEntity* GetRoot() const { return m_Root; }
  /// The world whose root sector this is, or null.
  cWorld* GetWorld() const { return m_World; }

 protected:
  /// True at construction; its meaning belongs to the concrete sector.
  bool m_Flag = true;

 private:
  friend class cEntity;
  friend class cWorld;

  void AddMember(cEntity* entity);
  void RemoveMember(cEntity* entity);

  cWorld* m_World = nullptr;
  cEntity* m_Root = nullptr;
  // Every entity whose sector this is, in no particular order.
  tArray<cEntity*> m_Members;
};
