#include <cmath>

#include "tolmak_vector.h"

namespace tolmak::detail {
namespace {

// Both vector classes share these: sums run in double precision, results are
// rounded to single precision once. A sum starts from its first product, not
// from +0, so that products that are all -0 keep their sign.
template <class V, int N>
double DotD(const V& a, const V& b) {
  double sum = static_cast<double>(a[0]) * b[0];
  for (int i = 1; i < N; ++i) sum += static_cast<double>(a[i]) * b[i];
  return sum;
}

template <class V, int N>
V& NormalizeInPlace(V& v) {
  const double squareLength = DotD<V, N>(v, v);
  if (!(squareLength > 0.0)) return v;  // zero or NaN: left as it is
  const double inverse = 1.0 / std::sqrt(squareLength);
  for (int i = 0; i < N; ++i) v[i] = static_cast<float>(v[i] * inverse);
  return v;
}

template <class V, int N>
float DistanceBetween(const V& a, const V& b) {
  double sum = 0.0;
  for (int i = 0; i < N; ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  return static_cast<float>(std::sqrt(sum));
}

}  // namespace
}  // namespace tolmak::detail

using namespace tolmak::detail;

float cVector2::GetSquareLength() const {
  return static_cast<float>(DotD<cVector2, 2>(*this, *this));
}
float cVector2::GetLength() const {
  return static_cast<float>(std::sqrt(DotD<cVector2, 2>(*this, *this)));
}
float cVector2::Dot(const cVector2& v) const {
  return static_cast<float>(DotD<cVector2, 2>(*this, v));
}
float cVector2::Distance(const cVector2& v) const {
  return DistanceBetween<cVector2, 2>(*this, v);
}
cVector2& cVector2::Normalize() {
  return NormalizeInPlace<cVector2, 2>(*this);
}
cVector2 cVector2::Normalized() const {
  return cVector2(*this).Normalize();
}
cString cVector2::ToString() const {
  return cString::StringF("(x=%0.4f, y=%0.4f)", x, y);
}

float cVector3::GetSquareLength() const {
  return static_cast<float>(DotD<cVector3, 3>(*this, *this));
}
float cVector3::GetLength() const {
  return static_cast<float>(std::sqrt(DotD<cVector3, 3>(*this, *this)));
}
float cVector3::Dot(const cVector3& v) const {
  return static_cast<float>(DotD<cVector3, 3>(*this, v));
}
float cVector3::Distance(const cVector3& v) const {
  return DistanceBetween<cVector3, 3>(*this, v);
}
cVector3& cVector3::Normalize() {
  return NormalizeInPlace<cVector3, 3>(*this);
}
cVector3 cVector3::Normalized() const {
  return cVector3(*this).Normalize();
}
cString cVector3::ToString() const {
  return cString::StringF("(x=%0.4f, y=%0.4f, z=%0.4f)", x, y, z);
}

cVector3 cVector3::Cross(const cVector3& v) const {
  const double ax = x, ay = y, az = z;
  return {static_cast<float>(ay * v.z - az * v.y), static_cast<float>(az * v.x - ax * v.z),
          static_cast<float>(ax * v.y - ay * v.x)};
}
