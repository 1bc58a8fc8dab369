#pragma once

#include <cstddef>

#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_vector.h"

/// A rotation quaternion: x, y, z (the vector part) and w (the scalar part),
/// four floats in this order. Angles are in radians.
///
/// Nothing keeps it unit length; only Normalize normalises. A unit
/// quaternion q rotates a row vector v to the vector part of
/// Inverse(q) * v * q, so the product a * b rotates by a first, then by b.
/// Length, Normalize, the axis-angle constructor, Exp and LnDif take their
/// square roots from the engine's fast-float tables (about 10 bits).
/// Results are evaluated in double precision and rounded once per
/// component; out-of-domain input gives non-finite values, nothing throws.
class TOLMAK_API cQuaternion {
 public:
  float x, y, z, w;

  /// (0, 0, 0, 1), built at load.
  static const cQuaternion sIdentity;

  /// Leaves the components uninitialised.
  cQuaternion() = default;
  constexpr cQuaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
  /// SetEuler(a1, a2, a3).
  cQuaternion(float a1, float a2, float a3) { SetEuler(a1, a2, a3); }
  /// The rotation by angle about axis, which need not be unit length; a
  /// zero axis gives the identity.
  cQuaternion(const cVector3& axis, float angle);
  /// The rotation by angle about the unit axis at latitude spherical.x
  /// (height above the XZ plane) and longitude spherical.y (azimuth from +Z
  /// towards +X).
  cQuaternion(const cVector2& spherical, float angle);

  cQuaternion& Identity() { return *this = cQuaternion(0, 0, 0, 1); }
  /// (Q(Z, a3) * Q(X, a2)) * Q(Y, a1), Q the axis-angle rotation: the first
  /// angle turns about Y, the second about X, the third about Z.
  cQuaternion& SetEuler(float a1, float a2, float a3);

  float Dot(const cQuaternion& q) const;
  float SquareLength() const;
  float Length() const;
  /// Scales by 1 / Length(); the zero quaternion stays zero.
  cQuaternion& Normalize();

  cQuaternion operator-() const { return {-x, -y, -z, -w}; }
  cQuaternion& operator+=(const cQuaternion& q);
  cQuaternion& operator-=(const cQuaternion& q);
  cQuaternion& operator*=(float f);

  cQuaternion Conjugate() const { return {-x, -y, -z, w}; }
  /// The conjugate divided by SquareLength(); the zero quaternion divides by zero.
  cQuaternion Inverse() const;
  /// this * this.
  cQuaternion Square() const;
  /// this * Inverse(q).
  cQuaternion operator/(const cQuaternion& q) const;
  /// v rotated: the vector part of Inverse(this) * v * this.
  cVector3 operator*(const cVector3& v) const;

  /// angle = 2 acos(w), axis = (x, y, z) / sin(angle / 2); not finite for w = +-1.
  void MakeAxisAngle(cVector3& axis, float& angle) const;
  /// (latitude, longitude) of the axis, the latitude negated against the
  /// spherical constructor and the longitude in [0, 2 pi).
  void MakeSpherical(cVector2& spherical, float& angle) const;

  /// Spherical interpolation along the shorter arc, not normalised; linear
  /// blending when 1 - cos(theta) is not above threshold.
  cQuaternion Slerp(const cQuaternion& q, float t, float threshold) const;
  /// (1 - t) this + t q, q negated when that is the shorter arc; not normalised.
  cQuaternion Lerp(const cQuaternion& q, float t) const;
  /// The logarithm (k x, k y, k z, 0) with k = theta / sin(theta).
  cQuaternion Logn() const;
  /// The exponential of the vector part; w is ignored.
  cQuaternion Exp() const;
  /// The logarithm of the rotation from this to q: Inverse(this) * q scaled
  /// to its angle.
  cQuaternion LnDif(const cQuaternion& q) const;

  /// The rotation matrix in the row-vector convention: v * GetMatrix()
  /// equals operator*(v) for any non-zero quaternion.
  cMatrix4x3 GetMatrix() const;
  /// All four components are finite numbers.
  bool IsRational() const;

  /// "(x=%8.3f, y=%8.3f, z=%8.3f, w=%8.3f)".
  cString ToString() const;
};

static_assert(sizeof(cQuaternion) == 16 && offsetof(cQuaternion, w) == 12);
