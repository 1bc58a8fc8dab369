#pragma once

#include <cstddef>

#include <varnlib.h>

#include "tolmak_export.h"

/// A 2-component single-precision vector: x, y, in this order.
///
/// Operations of several terms (dot products, lengths) are summed in double
/// precision and rounded to single precision once.
class TOLMAK_API cVector2 {
 public:
  float x, y;

  cVector2() : x(0.0f), y(0.0f) {}
  cVector2(float x_, float y_) : x(x_), y(y_) {}
  /// From two consecutive floats; null gives the zero vector.
  explicit cVector2(const float* v) : x(v ? v[0] : 0.0f), y(v ? v[1] : 0.0f) {}

  void Set(float x_, float y_) { x = x_, y = y_; }
  void Zero() { x = y = 0.0f; }

  cVector2 operator+(const cVector2& v) const { return {x + v.x, y + v.y}; }
  cVector2 operator-(const cVector2& v) const { return {x - v.x, y - v.y}; }
  cVector2 operator*(const cVector2& v) const { return {x * v.x, y * v.y}; }
  cVector2 operator/(const cVector2& v) const { return {x / v.x, y / v.y}; }
  cVector2 operator+(float f) const { return {x + f, y + f}; }
  cVector2 operator-(float f) const { return {x - f, y - f}; }
  cVector2 operator*(float f) const { return {x * f, y * f}; }
  /// True division by f (not a multiplication by its reciprocal).
  cVector2 operator/(float f) const { return {x / f, y / f}; }
  cVector2& operator+=(const cVector2& v) { return *this = *this + v; }
  cVector2& operator-=(const cVector2& v) { return *this = *this - v; }
  cVector2& operator*=(const cVector2& v) { return *this = *this * v; }
  cVector2& operator/=(const cVector2& v) { return *this = *this / v; }
  cVector2& operator+=(float f) { return *this = *this + f; }
  cVector2& operator-=(float f) { return *this = *this - f; }
  cVector2& operator*=(float f) { return *this = *this * f; }
  cVector2& operator/=(float f) { return *this = *this / f; }
  cVector2 operator-() const { return {-x, -y}; }

  /// Exact comparison of the components.
  bool operator==(const cVector2& v) const { return x == v.x && y == v.y; }
  bool operator!=(const cVector2& v) const { return !(*this == v); }
  /// The ordering operators compare squared lengths: vectors of equal length
  /// are neither < nor > each other, and both <= and >= hold.
  bool operator<(const cVector2& v) const { return GetSquareLength() < v.GetSquareLength(); }
  bool operator<=(const cVector2& v) const { return GetSquareLength() <= v.GetSquareLength(); }
  bool operator>(const cVector2& v) const { return GetSquareLength() > v.GetSquareLength(); }
  bool operator>=(const cVector2& v) const { return GetSquareLength() >= v.GetSquareLength(); }

  float GetLength() const;
  float GetSquareLength() const;
  float Dot(const cVector2& v) const;
  /// Length of the difference.
  float Distance(const cVector2& v) const;
  /// Multiplies by 1/length in place; a vector of length zero (or NaN) is left as it is.
  cVector2& Normalize();
  cVector2 Normalized() const;

  /// Component i (0 = x); the index is not checked.
  float& operator[](int i) { return (&x)[i]; }
  float operator[](int i) const { return (&x)[i]; }

  /// "(x=%0.4f, y=%0.4f)".
  cString ToString() const;
};

/// A 3-component single-precision vector: x, y, z, in this order; a point
/// or direction, multiplied as a row vector on the left of a matrix.
///
/// Operations of several terms (dot and cross products, lengths) are summed
/// in double precision and rounded to single precision once.
class TOLMAK_API cVector3 {
 public:
  float x, y, z;

  cVector3() : x(0.0f), y(0.0f), z(0.0f) {}
  cVector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  /// From three consecutive floats; null gives the zero vector.
  explicit cVector3(const float* v) : x(v ? v[0] : 0.0f), y(v ? v[1] : 0.0f), z(v ? v[2] : 0.0f) {}

  void Set(float x_, float y_, float z_) { x = x_, y = y_, z = z_; }
  void Zero() { x = y = z = 0.0f; }

  cVector3 operator+(const cVector3& v) const { return {x + v.x, y + v.y, z + v.z}; }
  cVector3 operator-(const cVector3& v) const { return {x - v.x, y - v.y, z - v.z}; }
  cVector3 operator*(const cVector3& v) const { return {x * v.x, y * v.y, z * v.z}; }
  cVector3 operator/(const cVector3& v) const { return {x / v.x, y / v.y, z / v.z}; }
  cVector3 operator+(float f) const { return {x + f, y + f, z + f}; }
  cVector3 operator-(float f) const { return {x - f, y - f, z - f}; }
  cVector3 operator*(float f) const { return {x * f, y * f, z * f}; }
  /// True division by f (not a multiplication by its reciprocal).
  cVector3 operator/(float f) const { return {x / f, y / f, z / f}; }
  cVector3& operator+=(const cVector3& v) { return *this = *this + v; }
  cVector3& operator-=(const cVector3& v) { return *this = *this - v; }
  cVector3& operator*=(const cVector3& v) { return *this = *this * v; }
  cVector3& operator/=(const cVector3& v) { return *this = *this / v; }
  cVector3& operator+=(float f) { return *this = *this + f; }
  cVector3& operator-=(float f) { return *this = *this - f; }
  cVector3& operator*=(float f) { return *this = *this * f; }
  cVector3& operator/=(float f) { return *this = *this / f; }
  cVector3 operator-() const { return {-x, -y, -z}; }

  /// Exact comparison of the components.
  bool operator==(const cVector3& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const cVector3& v) const { return !(*this == v); }
  /// The ordering operators compare squared lengths: vectors of equal length
  /// are neither < nor > each other, and both <= and >= hold.
  bool operator<(const cVector3& v) const { return GetSquareLength() < v.GetSquareLength(); }
  bool operator<=(const cVector3& v) const { return GetSquareLength() <= v.GetSquareLength(); }
  bool operator>(const cVector3& v) const { return GetSquareLength() > v.GetSquareLength(); }
  bool operator>=(const cVector3& v) const { return GetSquareLength() >= v.GetSquareLength(); }

  float GetLength() const;
  float GetSquareLength() const;
  float Dot(const cVector3& v) const;
  /// Length of the difference.
  float Distance(const cVector3& v) const;
  /// (y v.z - z v.y, z v.x - x v.z, x v.y - y v.x).
  cVector3 Cross(const cVector3& v) const;
  /// Multiplies by 1/length in place; a vector of length zero (or NaN) is left as it is.
  cVector3& Normalize();
  cVector3 Normalized() const;

  /// Component i (0 = x); the index is not checked.
  float& operator[](int i) { return (&x)[i]; }
  float operator[](int i) const { return (&x)[i]; }

  /// "(x=%0.4f, y=%0.4f, z=%0.4f)".
  cString ToString() const;
};

static_assert(sizeof(cVector2) == 8 && offsetof(cVector2, y) == 4);
static_assert(sizeof(cVector3) == 12 && offsetof(cVector3, y) == 4 && offsetof(cVector3, z) == 8);
