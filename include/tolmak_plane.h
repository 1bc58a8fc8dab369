#pragma once

#include <cstddef>

#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_vector.h"

class cRay;

/// The plane a x + b y + c z + d = 0: four floats a, b, c, d, in this order.
///
/// (a, b, c) is the normal, unit length when the plane was built from three
/// points; e(p) = a p.x + b p.y + c p.z + d is then the signed distance of
/// p. Sums of products are formed in double precision and rounded once. A
/// line parallel to the plane, or a zero coefficient on the axis solved
/// for, divides by zero and gives non-finite values.
class TOLMAK_API cPlane {
 public:
  /// The coordinate that GetPointOnPlane solves for.
  enum EType : int { X = 0, Y = 1, Z = 2 };

  float a, b, c, d;

  cPlane() : a(0.0f), b(0.0f), c(0.0f), d(0.0f) {}
  cPlane(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}
  /// Stores the normal as given, without normalising it.
  cPlane(const cVector3& normal, float d_) : a(normal.x), b(normal.y), c(normal.z), d(d_) {}
  /// The plane through three points with the unit normal (p1 - p2) x (p2 - p3):
  /// points running counter-clockwise seen from the normal's side. Collinear
  /// points give the normal (0, 0, 0).
  cPlane(const cVector3& p1, const cVector3& p2, const cVector3& p3);

  /// e(p), rounded to single precision, has its sign bit set (-0.0 included).
  bool IsBack(const cVector3& p) const;
  /// The opposite of IsBack: a point on the plane (e = +0.0) is in front.
  bool IsFront(const cVector3& p) const { return !IsBack(p); }

  /// The parameter t at which origin + t direction meets the plane; the
  /// second argument is a direction, not a second point.
  float Interpolate(const cVector3& origin, const cVector3& direction) const;
  float Interpolate(const cRay& r) const;
  /// Where the line through p and q meets the plane, not limited to the segment.
  cVector3 Intersect(const cVector3& p, const cVector3& q) const;
  /// The length of e(p) (a, b, c): the unsigned distance for a unit normal.
  float Distance(const cVector3& p) const;
  /// The point whose other two coordinates are u and v, solved for the
  /// coordinate axis selects; (0, 0, 0) for any other axis value.
  cVector3 GetPointOnPlane(int u, int v, EType axis) const;

  /// "%fx + %fy + %fz + %f = 0".
  cString ToString() const;
};

/// A ray: the origin Pos and the direction Dir, in this order. Dir is unit
/// length when the ray was built from two points or transformed; a
/// zero-length direction stays zero.
class TOLMAK_API cRay {
 public:
  /// The ray from `from` towards `to`.
  cRay(const cVector3& from, const cVector3& to);

  const cVector3& Pos() const { return m_Pos; }
  const cVector3& Dir() const { return m_Dir; }

  /// Pos transformed as a point, Dir as a direction and normalised again.
  cRay operator*(const cMatrix4x3& m) const;

  /// "Origin : (x=..), Direction : (x=..)".
  cString ToString() const;

 private:
  cVector3 m_Pos;
  cVector3 m_Dir;
};

static_assert(sizeof(cPlane) == 16 && offsetof(cPlane, d) == 12);
static_assert(sizeof(cRay) == 24);
