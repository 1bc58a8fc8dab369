#pragma once

#include <cstddef>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_plane.h"
#include "tolmak_vector.h"

/// An axis-aligned box: the minimum corner, then the maximum corner (six
/// floats).
///
/// The empty state, min = (F, F, F) and max = (-F, -F, -F) with F the
/// largest finite float, lets growing start from nothing: the first point
/// encapsulated makes the box exactly that point. Faces belong to the box.
class TOLMAK_API cBoundingBox3 {
 public:
  /// The empty state.
  cBoundingBox3();
  cBoundingBox3(const cVector3& min, const cVector3& max) : m_Min(min), m_Max(max) {}
  /// The cube of half-width r around centre.
  cBoundingBox3(const cVector3& centre, float r) { Set(centre, r); }

  void Set(const cVector3& min, const cVector3& max) { m_Min = min, m_Max = max; }
  void Init(const cVector3& min, const cVector3& max) { Set(min, max); }
  void Set(const cVector3& centre, float r);

  const cVector3& GetMin() const { return m_Min; }
  const cVector3& GetMax() const { return m_Max; }
  /// Corner i: 0 the minimum, 1 the maximum; not checked.
  cVector3& operator[](int i) { return i == 0 ? m_Min : m_Max; }
  const cVector3& operator[](int i) const { return i == 0 ? m_Min : m_Max; }

  /// False only for the exact bits of the empty state; a box inverted in
  /// any other way counts as valid.
  bool IsValid() const;
  /// The whole space: min = (-F, -F, -F), max = (F, F, F).
  void Maximize();

  /// Per axis, min = p when p <= min and max = p when p >= max.
  void Encapsulate(const cVector3& p);
  /// Each point in array order.
  void Encapsulate(const tArray<cVector3>& points);
  void Encapsulate(const cBoundingBox3& b);

  /// Moves every face out by f.
  void Widen(float f);
  cBoundingBox3 Widened(float f) const;
  void Translate(const cVector3& v) { m_Min += v, m_Max += v; }
  cBoundingBox3& operator+=(const cVector3& v) { return Translate(v), *this; }
  cBoundingBox3& operator-=(const cVector3& v) { return m_Min -= v, m_Max -= v, *this; }
  cBoundingBox3 operator+(const cVector3& v) const { return cBoundingBox3(*this) += v; }
  cBoundingBox3 operator-(const cVector3& v) const { return cBoundingBox3(*this) -= v; }

  /// abs(max - min) on X, Y and Z.
  float Width() const;
  float Height() const;
  float Depth() const;
  /// (min + max) / 2.
  cVector3 Middle() const;
  /// Half the diagonal.
  float Radius() const;
  float GetDistanceToCenter(const cVector3& p) const;

  /// min <= p <= max on all three axes.
  bool Contains(const cVector3& p) const;
  /// Both corners of b pass the point test.
  bool Contains(const cBoundingBox3& b) const;
  /// The boxes share a point; touching boxes intersect.
  bool Intersects(const cBoundingBox3& b) const;

  /// Exact comparison of the six floats.
  bool operator==(const cBoundingBox3& b) const { return m_Min == b.m_Min && m_Max == b.m_Max; }
  bool operator!=(const cBoundingBox3& b) const { return !(*this == b); }

  /// The corners' texts joined by "-".
  cString ToString() const;

 private:
  cVector3 m_Min;
  cVector3 m_Max;
};

/// A sphere: the centre, the radius and the squared radius, in this order.
///
/// Every operation that sets the radius keeps the squared radius equal to
/// radius x radius; the three-value constructor stores what it is given.
/// Point tests are strict: a point on the surface is outside.
class TOLMAK_API cBoundingSphere {
 public:
  /// Centre (0, 0, 0), radius 0.
  cBoundingSphere() : m_Radius(0.0f), m_SquareRadius(0.0f) {}
  cBoundingSphere(const cVector3& centre, float r)
      : m_Center(centre), m_Radius(r), m_SquareRadius(r * r) {}
  cBoundingSphere(const cVector3& centre, float r, float r2)
      : m_Center(centre), m_Radius(r), m_SquareRadius(r2) {}
  /// Around the box's middle, through its corners.
  explicit cBoundingSphere(const cBoundingBox3& b);

  const cVector3& GetCenter() const { return m_Center; }
  float GetRadius() const { return m_Radius; }
  float GetSquareRadius() const { return m_SquareRadius; }

  /// Grows, when p is outside, to the smallest sphere holding the old one
  /// and p: it touches the old sphere opposite p and its radius is
  /// (|p - centre| + radius) / 2.
  void Encapsulate(const cVector3& p);
  /// Each point in array order.
  void Encapsulate(const tArray<cVector3>& points);
  /// Grows the radius only, to reach p, through the fast square root; the
  /// centre never moves.
  void EncapsulateFast(const cVector3& p);
  void EncapsulateFast(const tArray<cVector3>& points);

  /// |p - centre|^2 < squared radius.
  bool Contains(const cVector3& p) const;
  /// The box's farthest corner passes the point test.
  bool Contains(const cBoundingBox3& b) const;
  /// The whole of s lies within: centre distance + s's radius <= radius.
  bool Contains(const cBoundingSphere& s) const;
  /// The distance of the centre from the plane is below the radius.
  bool Intersects(const cPlane& pl) const;
  /// The box's nearest point lies within the squared radius (touching counts).
  bool Intersects(const cBoundingBox3& b) const;
  /// The spheres share a point: centre distance <= the sum of the radii.
  bool Intersects(const cBoundingSphere& s) const;
  float GetDistanceToCenter(const cVector3& p) const { return m_Center.Distance(p); }

  /// "%s, %f": the centre's text and the radius.
  cString ToString() const;

 private:
  cVector3 m_Center;
  float m_Radius;
  float m_SquareRadius;
};

static_assert(sizeof(cBoundingBox3) == 24);
static_assert(sizeof(cBoundingSphere) == 20);
