#pragma once

#include <varnlib.h>

#include "tolmak_export.h"

class cBoundingBox3;
class cBoundingSphere;
class cEntity;
class cVideo3D;

/// A named piece of geometry that entities point to. Concrete models come
/// from plug-in libraries and store their geometry after the name.
///
/// Entities hold plain pointers to their model: take it off them before
/// destroying it.
class TOLMAK_API cModel : public cNamedObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cModel() = default;
  cModel(const cModel&) = default;
  cModel& operator=(const cModel&) = default;
  ~cModel() override;

  /// Builds the device resources the model draws from.
  virtual void Compile(cVideo3D* video) = 0;
  /// Releases what Compile built.
  virtual void Release() = 0;
  /// Draws the model placed by the entity (its world and offset matrices)
  /// with the entity's materials.
  virtual void Render(cVideo3D* video, cEntity* entity) = 0;
  virtual int GetNumberOfVertices() const = 0;
  virtual int GetNumberOfFaces() const = 0;
  /// The bounds in the model's own space.
  virtual void GetBoundingBox(cBoundingBox3& box) const = 0;
  virtual void GetBoundingSphere(cBoundingSphere& sphere) const = 0;

  /// Writes the name as text: a signed 32-bit length, then its bytes.
  /// Throws cException when the write fails.
  void Save(iIOStream& stream) override;
  /// Reads the name written by Save. A truncated stream or an impossible
  /// length throws cException and leaves the name as it was.
  void Load(iIOStream& stream) override;
};
