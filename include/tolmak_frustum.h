#pragma once

#include <cstdint>

#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_plane.h"
#include "tolmak_vector.h"

/// A camera's placement and lens, with the view and projection matrices
/// derived from them on demand.
///
/// Fields in order: the cached projection and view ("rotation") matrices,
/// their dirty flags (rotation first), the camera's world matrix (rows X, Y,
/// Z its axes, row 3 its position; it looks along +Z), the far distance and
/// the lens slopes left, right, top, bottom. The near plane is at distance
/// 1. The getters rebuild a cache whose flag is set, so a const object
/// read through them must not be shared between threads.
class TOLMAK_API cFrustumInfo {
 public:
  /// Identity camera; far 1000, field of view 76 degrees, aspect 1.
  cFrustumInfo();

  /// Places the camera; marks the view matrix for rebuilding.
  void Set(const cMatrix4x3& m);
  /// Sets the lens: fov in degrees across the width, aspect = width / height.
  /// The vertical half-angle is the horizontal one divided by the aspect, as
  /// an angle. Marks the projection for rebuilding.
  void Set(float farDistance, float fov, float aspect);
  void Set(const cMatrix4x3& m, float farDistance, float fov, float aspect);

  /// The view matrix: a world point p maps to ((p - T).(-X), (p - T).Y,
  /// (p - T).(-Z)) with the camera's axes normalised, so the camera's +Z
  /// becomes the view's -z.
  const cMatrix4x3& GetRotation() const;
  /// The off-centre perspective projection with the near plane at 1 and the
  /// slopes as its extents; the fourth column (0, 0, -1, 0) is implied.
  const cMatrix4x3& GetProjection() const;

  const cMatrix4x3& GetCamera() const { return m_Camera; }
  float GetFar() const { return m_Far; }
  /// -tan of the horizontal half-angle.
  float GetLeft() const { return m_Left; }
  float GetRight() const { return m_Right; }
  /// tan of the vertical half-angle.
  float GetTop() const { return m_Top; }
  float GetBottom() const { return m_Bottom; }

 private:
  void BuildRotation() const;
  void BuildProjection() const;

  mutable cMatrix4x3 m_Projection;
  mutable cMatrix4x3 m_Rotation;
  mutable bool m_RotationDirty;
  mutable bool m_ProjectionDirty;
  cMatrix4x3 m_Camera;
  float m_Far;
  float m_Left, m_Right;
  float m_Top, m_Bottom;
};

/// The six planes of a camera's view volume in world space, in the index
/// order far, near, top, bottom, right, left, followed by a vector that
/// construction zeroes and copies carry along.
///
/// Every plane's normal faces into the volume (for a camera frame with
/// X x Y = Z, rotations included). ClipCode sets bit i (far 0x01, near
/// 0x02, top 0x04, bottom 0x08, right 0x10, left 0x20) when the point is on
/// or inside plane i, so a point lies in the volume exactly when all six
/// bits are set, which is what Contains answers.
class TOLMAK_API cFrustum {
 public:
  /// Six planes (0, 0, 0, 0).
  cFrustum() = default;

  /// Rebuilds the planes from the info's camera matrix, far distance and
  /// slopes; the cached matrices and their flags are not touched.
  void Set(const cFrustumInfo& info);
  /// Plane i (0..5); not checked.
  const cPlane& GetPlane(int i) const { return m_Planes[i]; }

  /// Bit i set when e_i(p), rounded to single precision, has its sign bit
  /// clear; bits 6..31 are 0.
  uint32_t ClipCode(const cVector3& p) const;
  /// ClipCode(p) == 0x3F, stopping at the first plane that fails.
  bool Contains(const cVector3& p) const;

 private:
  cPlane m_Planes[6];
  cVector3 m_Reserved;
};

static_assert(sizeof(cFrustumInfo) == 168);
static_assert(sizeof(cFrustum) == 6 * 16 + 12);
