#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fastfloat_instance.h"
#include "tolmak_bounds.h"

namespace {

constexpr float kLargest = std::numeric_limits<float>::max();  // bits 7F7FFFFF

float Rounded(double value) {
  return static_cast<float>(value);
}

/// |p - q|^2 summed in double precision.
double SquareDistance(const cVector3& p, const cVector3& q) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) {
    const double d = static_cast<double>(p[i]) - q[i];
    sum += d * d;
  }
  return sum;
}

bool SameBits(const cVector3& v, float f) {
  const uint32_t bits = std::bit_cast<uint32_t>(f);
  return std::bit_cast<uint32_t>(v.x) == bits && std::bit_cast<uint32_t>(v.y) == bits &&
         std::bit_cast<uint32_t>(v.z) == bits;
}

}  // namespace

cBoundingBox3::cBoundingBox3()
    : m_Min(kLargest, kLargest, kLargest), m_Max(-kLargest, -kLargest, -kLargest) {
  static_assert(offsetof(cBoundingBox3, m_Max) == 12);
}

void cBoundingBox3::Set(const cVector3& centre, float r) {
  m_Min = centre - r;
  m_Max = centre + r;
}

bool cBoundingBox3::IsValid() const {
  return !(SameBits(m_Min, kLargest) && SameBits(m_Max, -kLargest));
}

void cBoundingBox3::Maximize() {
  m_Min.Set(-kLargest, -kLargest, -kLargest);
  m_Max.Set(kLargest, kLargest, kLargest);
}

void cBoundingBox3::Encapsulate(const cVector3& p) {
  for (int i = 0; i < 3; ++i) {
    if (p[i] <= m_Min[i]) m_Min[i] = p[i];
    if (p[i] >= m_Max[i]) m_Max[i] = p[i];
  }
}

void cBoundingBox3::Encapsulate(const tArray<cVector3>& points) {
  for (const cVector3& p : points) Encapsulate(p);
}

void cBoundingBox3::Encapsulate(const cBoundingBox3& b) {
  for (int i = 0; i < 3; ++i) {
    if (b.m_Min[i] < m_Min[i]) m_Min[i] = b.m_Min[i];
    if (b.m_Max[i] > m_Max[i]) m_Max[i] = b.m_Max[i];
  }
}

void cBoundingBox3::Widen(float f) {
  m_Min -= f;
  m_Max += f;
}

cBoundingBox3 cBoundingBox3::Widened(float f) const {
  cBoundingBox3 widened(*this);
  widened.Widen(f);
  return widened;
}

float cBoundingBox3::Width() const {
  return std::fabs(m_Max.x - m_Min.x);
}
float cBoundingBox3::Height() const {
  return std::fabs(m_Max.y - m_Min.y);
}
float cBoundingBox3::Depth() const {
  return std::fabs(m_Max.z - m_Min.z);
}

cVector3 cBoundingBox3::Middle() const {
  cVector3 middle;
  for (int i = 0; i < 3; ++i) middle[i] = Rounded((static_cast<double>(m_Min[i]) + m_Max[i]) * 0.5);
  return middle;
}

float cBoundingBox3::Radius() const {
  return Rounded(std::sqrt(SquareDistance(m_Max, m_Min)) * 0.5);
}

float cBoundingBox3::GetDistanceToCenter(const cVector3& p) const {
  return Middle().Distance(p);
}

bool cBoundingBox3::Contains(const cVector3& p) const {
  for (int i = 0; i < 3; ++i)
    if (!(m_Min[i] <= p[i] && p[i] <= m_Max[i])) return false;
  return true;
}

bool cBoundingBox3::Contains(const cBoundingBox3& b) const {
  return Contains(b.m_Min) && Contains(b.m_Max);
}

bool cBoundingBox3::Intersects(const cBoundingBox3& b) const {
  for (int i = 0; i < 3; ++i)
    if (m_Min[i] > b.m_Max[i] || m_Max[i] < b.m_Min[i]) return false;
  return true;
}

cString cBoundingBox3::ToString() const {
  return m_Min.ToString() + "-" + m_Max.ToString();
}

cBoundingSphere::cBoundingSphere(const cBoundingBox3& b)
    : m_Center(b.Middle()), m_Radius(b.Radius()) {
  static_assert(offsetof(cBoundingSphere, m_Radius) == 12);
  static_assert(offsetof(cBoundingSphere, m_SquareRadius) == 16);
  m_SquareRadius = m_Radius * m_Radius;
}

void cBoundingSphere::Encapsulate(const cVector3& p) {
  const cVector3 v = p - m_Center;
  if (!(v.GetSquareLength() > m_SquareRadius)) return;
  // w runs from the old sphere's far side, shortened by the old radius, to p.
  const cVector3 w = v - v.Normalized() * m_Radius;
  const cVector3 half = w * 0.5f;
  m_Center += half;
  m_Radius = half.GetLength() + m_Radius;
  m_SquareRadius = m_Radius * m_Radius;
}

void cBoundingSphere::Encapsulate(const tArray<cVector3>& points) {
  for (const cVector3& p : points) Encapsulate(p);
}

void cBoundingSphere::EncapsulateFast(const cVector3& p) {
  const float squareDistance = Rounded(SquareDistance(p, m_Center));
  if (!(squareDistance > m_SquareRadius)) return;
  m_SquareRadius = squareDistance;
  m_Radius = tolmak::detail::gFastFloat.Sqrt(squareDistance);
}

void cBoundingSphere::EncapsulateFast(const tArray<cVector3>& points) {
  for (const cVector3& p : points) EncapsulateFast(p);
}

bool cBoundingSphere::Contains(const cVector3& p) const {
  return Rounded(SquareDistance(p, m_Center)) < m_SquareRadius;
}

bool cBoundingSphere::Contains(const cBoundingBox3& b) const {
  cVector3 farthest;
  for (int i = 0; i < 3; ++i) {
    const double toMin = std::fabs(static_cast<double>(b.GetMin()[i]) - m_Center[i]);
    const double toMax = std::fabs(static_cast<double>(b.GetMax()[i]) - m_Center[i]);
    farthest[i] = toMin > toMax ? b.GetMin()[i] : b.GetMax()[i];
  }
  return Contains(farthest);
}

bool cBoundingSphere::Contains(const cBoundingSphere& s) const {
  return std::sqrt(SquareDistance(s.m_Center, m_Center)) + s.m_Radius <= m_Radius;
}

bool cBoundingSphere::Intersects(const cPlane& pl) const {
  return pl.Distance(m_Center) < m_Radius;
}

bool cBoundingSphere::Intersects(const cBoundingBox3& b) const {
  double s = 0.0;
  for (int i = 0; i < 3; ++i) {
    const double c = m_Center[i], lo = b.GetMin()[i], hi = b.GetMax()[i];
    if (lo <= c) {
      if (hi < c) s += (c - hi) * (c - hi);
    } else {
      s += (c - lo) * (c - lo);
    }
    if (s > m_SquareRadius) return false;
  }
  return true;
}

bool cBoundingSphere::Intersects(const cBoundingSphere& s) const {
  return std::sqrt(SquareDistance(s.m_Center, m_Center)) <=
         static_cast<double>(m_Radius) + s.m_Radius;
}

cString cBoundingSphere::ToString() const {
  cString text;
  text.Format("%s, %f", m_Center.ToString().c_str(), static_cast<double>(m_Radius));
  return text;
}
