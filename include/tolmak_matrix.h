#pragma once

#include <cstddef>

#include "tolmak_export.h"
#include "tolmak_vector.h"

/// An affine transform: four rows of three floats. Rows 0 to 2 are the
/// images of the X, Y and Z axes, row 3 the translation; the fourth column
/// (0, 0, 0, 1) is implied. Points are row vectors on the left, so A * B
/// applies A first, then B. Angles are in degrees.
///
/// Products and transforms are summed in double precision and each element
/// is rounded to single precision once.
class TOLMAK_API cMatrix4x3 {
 public:
  /// The identity.
  cMatrix4x3() : m_Rows{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}} {}
  cMatrix4x3(const cVector3& x, const cVector3& y, const cVector3& z, const cVector3& translation)
      : m_Rows{x, y, z, translation} {}

  static cMatrix4x3 Identity() { return cMatrix4x3(); }
  void SetIdentity() { *this = cMatrix4x3(); }

  /// Row r (0 to 2 the axes, 3 the translation); not checked.
  cVector3& operator[](int r) { return m_Rows[r]; }
  const cVector3& operator[](int r) const { return m_Rows[r]; }
  /// Element (row r, column c); not checked.
  float& operator()(int r, int c) { return m_Rows[r][c]; }
  float operator()(int r, int c) const { return m_Rows[r][c]; }

  const cVector3& GetPosition() const { return m_Rows[3]; }
  void SetPosition(const cVector3& position) { m_Rows[3] = position; }

  /// The product this * m: this transform first, then m.
  cMatrix4x3 operator*(const cMatrix4x3& m) const;
  cMatrix4x3& operator*=(const cMatrix4x3& m) { return *this = *this * m; }

  /// The point p transformed (translation added). Inline, so that a loop
  /// over many points keeps the matrix in registers.
  cVector3 TransformPoint(const cVector3& p) const {
    return cVector3(PointSum(p, 0), PointSum(p, 1), PointSum(p, 2));
  }
  /// The direction d transformed (translation ignored).
  cVector3 TransformDirection(const cVector3& d) const {
    return cVector3(DirectionSum(d, 0), DirectionSum(d, 1), DirectionSum(d, 2));
  }

  /// The rotation Rx(ax) * Ry(ay) * Rz(az), angles in degrees: X first, then
  /// Y, then Z. With row vectors a positive angle about X carries +Y towards
  /// +Z and about Z carries +X towards +Y; about Y it carries +X towards +Z.
  static cMatrix4x3 EulerRotation(float ax, float ay, float az);
  /// The identity with the diagonal sx, sy, sz.
  static cMatrix4x3 Scaling(float sx, float sy, float sz);
  /// The pivot of an object at eye looking at target: its +Z points at the
  /// target and its +Y as near to up as it can (a camera's view direction
  /// and top). A view straight along up turns up to +Z; eye on target keeps
  /// the axes of the identity.
  static cMatrix4x3 LookAt(const cVector3& eye, const cVector3& target,
                           const cVector3& up = cVector3(0, 1, 0));

  /// this = EulerRotation(ax, ay, az) * this: rotates in the matrix's own
  /// frame; the translation row is kept.
  cMatrix4x3& Rotate(float ax, float ay, float az);
  /// this = Scaling(sx, sy, sz) * this: rows 0, 1, 2 are multiplied by sx,
  /// sy, sz; the translation row is kept.
  cMatrix4x3& Scale(float sx, float sy, float sz);

  /// Exact comparison of the twelve elements.
  bool operator==(const cMatrix4x3& m) const;
  bool operator!=(const cMatrix4x3& m) const { return !(*this == m); }

  /// The four rows' texts in brackets: "[(x=..), (x=..), (x=..), (x=..)]".
  cString ToString() const;

 private:
  /// Column c of p times the linear part, summed in double precision.
  double Sum(const cVector3& p, int c) const {
    return static_cast<double>(p.x) * m_Rows[0][c] + static_cast<double>(p.y) * m_Rows[1][c] +
           static_cast<double>(p.z) * m_Rows[2][c];
  }
  float DirectionSum(const cVector3& d, int c) const { return static_cast<float>(Sum(d, c)); }
  float PointSum(const cVector3& p, int c) const {
    return static_cast<float>(Sum(p, c) + m_Rows[3][c]);
  }

  cVector3 m_Rows[4];
};

/// The point p transformed by m.
inline cVector3 operator*(const cVector3& p, const cMatrix4x3& m) {
  return m.TransformPoint(p);
}

static_assert(sizeof(cMatrix4x3) == 48 && alignof(cMatrix4x3) == 4);
