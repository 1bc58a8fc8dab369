#pragma once

#include <varnlib.h>

#include "tolmak_entity.h"
#include "tolmak_export.h"
#include "tolmak_frustum.h"
#include "tolmak_matrix.h"

/// The entity through which the world is seen: an entity with a field of
/// view, a horizon and an aspect ratio, and the frustum info the renderer
/// draws with. Concrete cameras come from plug-in libraries.
///
/// The frustum info's lens always matches the three values: every setter,
/// direct or through the property sheet, passes all three to it at once
/// (horizon, field of view, aspect). Its placement changes only when
/// GetFrustumInfo is called. None of the values is validated.
///
/// The camera adds nothing to the entity stream: Save writes what a plain
/// entity writes and Load leaves the camera's own values alone; they reach
/// outside through the property sheet ("FieldOfView", "Horizon",
/// "AspectRatio", floats).
class TOLMAK_API cCamera : public cEntity {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Field of view 45 degrees, horizon 1000, aspect 4/3; the inversed matrix
  /// is the identity.
  cCamera();
  /// Copies the entity part as cEntity does, then the three values, the
  /// frustum info as it stands (nothing is recomputed) and the inversed
  /// matrix.
  cCamera(const cCamera& other);
  cCamera& operator=(const cCamera& other);
  ~cCamera() override;

  /// Horizontal opening angle in degrees.
  void SetFieldOfView(float degrees);
  /// Far distance of the viewing volume.
  void SetHorizon(float distance);
  /// Width over height.
  void SetAspect(float ratio);
  float GetFieldOfView() { return m_FieldOfView; }
  float GetHorizon() { return m_Horizon; }
  float GetAspect() { return m_Aspect; }

  /// The last product that GetFrustumInfo built from a caller's matrix.
  cMatrix4x3& GetInversedMatrix() { return m_InversedMatrix; }
  /// Places the frustum info by the world matrix W as of the last update
  /// pass (no pass is run here): by W itself when matrix is null, otherwise
  /// by W * *matrix (W applied first), which is also kept as the inversed
  /// matrix. Returns the camera's own frustum info.
  cFrustumInfo& GetFrustumInfo(cMatrix4x3* matrix);

 protected:
  /// The named object's properties, then "FieldOfView", "Horizon" and
  /// "AspectRatio".
  void AddProperties(cPropertySheet* sheet) override;

  // Each exchanges a float; the setters do what the direct setters do.
  void GetPropertyFov(void* value);
  void SetPropertyFov(void* value);
  void GetPropertyHorizon(void* value);
  void SetPropertyHorizon(void* value);
  void GetPropertyAspect(void* value);
  void SetPropertyAspect(void* value);

 private:
  /// Hands the lens to the frustum info.
  void UpdateLens();

  float m_FieldOfView;
  float m_Horizon;
  float m_Aspect;
  cFrustumInfo m_FrustumInfo;
  cMatrix4x3 m_InversedMatrix;
};
