#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_matrix.h"

class cMaterial;
class cModel;
class cSector;
class cVideo3D;
class cWorld;

/// A node of the scene: a named, serializable object in a tree of entities,
/// registered with a world and a sector, carrying a model and materials.
///
/// Transforms. The pivot places the entity relative to its parent; the
/// offset is a second local transform kept for the code that draws the
/// model and never enters the world matrix. Every edit of either marks the
/// entity and puts it and its subtree on one process-wide queue, in
/// depth-first pre-order; UpdateMatrices, once per frame, computes the world
/// matrices of everything queued in queue order and empties the queue.
/// Between an edit and that pass the world matrix holds its old value.
///
/// Links. Parent, children, world, sector, materials and model are plain
/// pointers; the entity owns none of the objects. AddChild, the world and
/// the sector keep their links consistent from both ends: an entity linked
/// through them has one parent, world and sector, its parent holds it in its
/// children, and destroying an entity, its world or its sector unlinks the
/// other side. Materials and models do not know which entities use them:
/// take them off the entities before destroying them.
///
/// Copies. A copy shares its source's parent, world, sector, children,
/// materials and model as plain pointers without being added to any of
/// them, and an entity never unlinks what does not point back at it, so
/// copies cannot disturb the originals. The parent and the world do not
/// know the copy, though: destroy copies before them, or give copies links
/// of their own (AddChild, AddEntity).
///
/// Edits and the update pass must come from one thread.
class TOLMAK_API cEntity : public cNamedObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Identity matrices, visible, not hidden, all three change flags set, no
  /// links; the new entity is queued for the next pass.
  cEntity();
  /// A member-wise copy: name, matrices, change flags, parent, world and
  /// sector pointers, the children and materials as lists of pointers (with
  /// storage of their own, sized to the source's counts), model, hidden and
  /// visible flags. The copy is not added to the parent's children or to the
  /// world; it is put on the matrix queue, so its world matrix is computed
  /// at the next pass.
  cEntity(const cEntity& other);
  /// The same member-wise copy into this entity. Its old links go first:
  /// it leaves its parent's children, its world and its sector, and its
  /// children lose it as their parent. It stays on, or is put on, the queue.
  cEntity& operator=(const cEntity& other);
  /// Leaves the matrix queue, the parent (DeleteChild), the world and the
  /// sector; the children stay alive with a null parent.
  ~cEntity() override;

  /// Advances the entity's own behaviour by the time elapsed since the last
  /// frame; implemented by the concrete entity classes.
  virtual void Animate(float seconds) = 0;
  /// Draws the entity with the device; implemented by the concrete classes.
  virtual void Render(cVideo3D* video) = 0;

  // Pivot: the transform relative to the parent. Every edit sets the
  // pivot-changed flag and queues the entity and its subtree.

  const cMatrix4x3& GetPivotMatrix() const;
  /// Row 3 of the pivot matrix.
  const cVector3& GetPivotPosition() const { return GetPivotMatrix().GetPosition(); }
  void SetPivotMatrix(const cMatrix4x3& matrix);
  void SetPivotPosition(const cVector3& position);
  void SetPivotPosition(float x, float y, float z);
  /// Adds to the position, componentwise.
  void MovePivot(const cVector3& distance);
  void MovePivot(float x, float y, float z);
  /// Pivot = EulerRotation(x, y, z) * pivot, angles in degrees; the position
  /// is kept.
  void RotatePivot(const cVector3& angles);
  void RotatePivot(float x, float y, float z);
  /// Multiplies the axis rows 0, 1, 2 by x, y, z; the position is kept.
  void ScalePivot(const cVector3& factors);
  void ScalePivot(float x, float y, float z);

  // Offset: the same operations on the offset matrix; they set the
  // offset-changed flag and queue the entity too.

  const cMatrix4x3& GetOffsetMatrix() const { return m_OffsetMatrix; }
  const cVector3& GetOffsetPosition() const { return m_OffsetMatrix.GetPosition(); }
  void SetOffsetMatrix(const cMatrix4x3& matrix);
  void SetOffsetPosition(const cVector3& position);
  void SetOffsetPosition(float x, float y, float z);
  void MoveOffset(const cVector3& distance);
  void MoveOffset(float x, float y, float z);
  void RotateOffset(const cVector3& angles);
  void RotateOffset(float x, float y, float z);
  void ScaleOffset(const cVector3& factors);
  void ScaleOffset(float x, float y, float z);

  /// The pivot combined with the parent's world matrix, as of the last pass.
  const cMatrix4x3& GetWorldMatrix() const;
  bool IsOffsetChanged() const;
  bool IsPivotChanged() const;
  /// Set when the world matrix was recomputed in the pass under way.
  bool IsWorldChanged() const;
  bool IsQueued() const;

  /// Runs one update pass: every queued entity, in queue order, gets
  /// pivot * parent's world (or its pivot alone at a root) when its pivot or
  /// its parent's world changed; then every queued entity's flags are
  /// cleared and the queue emptied, its storage kept. A child queued before
  /// its parent is therefore computed from the parent's old world matrix.
  /// One linear sweep; it allocates nothing, and it touches only the
  /// entities' matrix records (pivot, world matrix, flags: two cache lines
  /// each, pooled in creation order), never the entities themselves.
  static void UpdateMatrices();
  /// The entities waiting for the next pass, in queue order. An entity
  /// destroyed while waiting leaves a null entry, skipped by the pass.
  static const tArray<cEntity*>& GetMatrixQueue() { return m_MatrixQueue; }

  // Hierarchy.

  cEntity* GetParent() const { return m_Parent; }
  int GetNumberOfChilds() const { return m_Childs.GetCount(); }
  /// Child i, or null when i is out of range (or the entry is one left
  /// null by a failed load).
  cEntity* GetChild(int i) const;
  /// Every child whose parent this entity is gets a null parent; their world
  /// and sector are kept. The list's storage stays allocated.
  void ClearChilds();
  /// Appends the child (null or in the list already: nothing). A child of
  /// another parent is taken from it first. The child is registered with
  /// this entity's world, if it has one, and takes this entity's sector.
  /// The child is not queued: its world matrix follows the new parent at the
  /// next pass in which it or the parent is edited. Throws cException when
  /// the child is this entity or one of its ancestors.
  void AddChild(cEntity* child);
  /// Removes the child from the list (order of the others kept); when this
  /// entity is its parent it gets a null parent and sector, and it stays
  /// registered with the world. Not in the list: nothing.
  void DeleteChild(cEntity* child);

  // Materials and model (not owned).

  int GetNumberOfMaterials() const { return m_Materials.GetCount(); }
  /// Material i modulo the count: the index wraps around. Null when there
  /// is no material or i is negative.
  cMaterial* GetMaterial(int i) const;
  /// Empties the list; its storage stays allocated.
  void ClearMaterials() { m_Materials.Clear(); }
  /// Appends the material (null or present: nothing) and registers it with
  /// this entity's world, if it has one.
  void AddMaterial(cMaterial* material);
  /// Removes the material, order of the others kept; the world is not told.
  void DeleteMaterial(cMaterial* material);
  void SetModel(cModel* model) { m_Model = model; }
  cModel* GetModel() const { return m_Model; }

  cWorld* GetWorld() const { return m_World; }
  cSector* GetSector() const { return m_Sector; }

  // Visibility.

  void Hide() { m_Hidden = true; }
  void Show() { m_Hidden = false; }
  bool IsHidden() const { return m_Hidden; }
  /// True from construction; changed only by copying and Load.
  bool IsVisible() const { return m_Visible; }

  /// Writes the entity stream: name, pivot, offset, visible flag, then the
  /// materials, the model and the children by URL (the stream's location
  /// followed by the object's name), each stored there through
  /// cPluginSystem::SavePlugin, children recursively. Null entries are
  /// skipped. Throws cException when a write or a store fails.
  void Save(iIOStream& stream) override;
  /// Reads the entity stream and re-creates the referenced objects through
  /// cPluginSystem::LoadPlugin, appending them to the lists already held.
  /// Each loaded child gets this entity as its parent, so the loaded tree
  /// composes its world matrices; it is neither registered with a world nor
  /// given a sector, and loaded materials are not registered either. A
  /// reference that cannot be loaded leaves a null entry. Nothing is queued
  /// (an entity made for loading was queued by its constructor).
  ///
  /// A truncated or malformed stream, or a referenced object of the wrong
  /// kind, throws cException; the entity is then left exactly as it was and
  /// everything loaded for it is destroyed.
  void Load(iIOStream& stream) override;

 private:
  friend class cWorld;
  friend class cSector;

  /// Puts the entity and its subtree (depth-first pre-order) on the queue,
  /// skipping entities already there together with their subtrees. Walks
  /// the tree without recursion.
  void MatrixQueue();
  void Enqueue();
  void PivotEdited();
  void OffsetEdited();

  /// Points the entity at a new parent, keeping both parents' referrer
  /// counts.
  void SetParent(cEntity* parent);
  void LinkChild(cEntity* child);
  /// Where the child sits in the children list, or -1.
  int32_t ChildIndex(cEntity* child) const;
  /// Appends what Load re-created; all or nothing.
  void AdoptLoaded(const tArray<cMaterial*>& materials, const tArray<cEntity*>& children);
  void SetSector(cSector* sector);
  bool IsAncestorOrSelf(const cEntity* entity) const;
  /// Takes the entity's slot on the queue out of the next pass.
  void LeaveQueue();
  /// Leaves the parent, the children, the world and the sector.
  void Detach();
  /// Copies every field but the queue state and the sector, which the
  /// constructors and the assignment handle themselves.
  void CopyFields(const cEntity& other);

  bool m_Visible = true;
  bool m_Hidden = false;
  cSector* m_Sector = nullptr;
  cWorld* m_World = nullptr;

  /// The pivot, the world matrix and the change and queued flags, with what
  /// the pass needs of the links: a record of the entity's own, kept in a
  /// pool where the pass finds it without touching the entity.
  struct tMatrices;
  tMatrices* m_Matrices;
  cEntity* m_Parent = nullptr;

  // Where the entity sits in the lists that hold it, so that leaving them
  // costs O(1) (queue, sector) or needs no search (parent, world).
  int32_t m_QueueSlot = -1;
  int32_t m_ChildSlot = -1;
  int32_t m_WorldSlot = -1;
  int32_t m_WorldRefSlot = -1;
  int32_t m_SectorSlot = -1;

  cMatrix4x3 m_OffsetMatrix;
  tArray<cEntity*> m_Childs;
  tArray<cMaterial*> m_Materials;
  cModel* m_Model = nullptr;
  // The queue's walk of a subtree comes back this way: a copy lists children
  // that are not its own, so the tree's parent links cannot lead it back.
  cEntity* m_WalkFrom = nullptr;
  int32_t m_WalkResume = 0;

  static tArray<cEntity*> m_MatrixQueue;
  /// The queued entities' records, entry for entry: what the pass walks.
  static tArray<tMatrices*> m_QueuedMatrices;

 protected:
  /// The pivot combined with the parent's world matrix, read by the classes
  /// that place things by it (GetWorldMatrix's, in the matrix record).
  const cMatrix4x3& m_WorldMatrix;
};
