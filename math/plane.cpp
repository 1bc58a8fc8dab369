#include <cmath>

#include "tolmak_plane.h"

namespace {

float Rounded(double value) {
  return static_cast<float>(value);
}

/// n . p + d in double precision, n the plane's normal.
double Evaluate(const cPlane& plane, double x, double y, double z) {
  return plane.a * x + plane.b * y + plane.c * z + plane.d;
}

/// n . v in double precision: the rate at which e changes along v.
double NormalDot(const cPlane& plane, double x, double y, double z) {
  return plane.a * x + plane.b * y + plane.c * z;
}

}  // namespace

cPlane::cPlane(const cVector3& p1, const cVector3& p2, const cVector3& p3) {
  cVector3 n = (p1 - p2).Cross(p2 - p3);
  n.Normalize();
  a = n.x, b = n.y, c = n.z;
  d = -n.Dot(p1);
}

bool cPlane::IsBack(const cVector3& p) const {
  return std::signbit(Rounded(Evaluate(*this, p.x, p.y, p.z)));
}

float cPlane::Interpolate(const cVector3& origin, const cVector3& direction) const {
  return Rounded(-Evaluate(*this, origin.x, origin.y, origin.z) /
                 NormalDot(*this, direction.x, direction.y, direction.z));
}

float cPlane::Interpolate(const cRay& r) const {
  return Interpolate(r.Pos(), r.Dir());
}

cVector3 cPlane::Intersect(const cVector3& p, const cVector3& q) const {
  const double ux = static_cast<double>(q.x) - p.x, uy = static_cast<double>(q.y) - p.y,
               uz = static_cast<double>(q.z) - p.z;
  const double t = -Evaluate(*this, p.x, p.y, p.z) / NormalDot(*this, ux, uy, uz);
  return {Rounded(p.x + t * ux), Rounded(p.y + t * uy), Rounded(p.z + t * uz)};
}

float cPlane::Distance(const cVector3& p) const {
  const double e = Evaluate(*this, p.x, p.y, p.z);
  const double normal = std::sqrt(static_cast<double>(a) * a + static_cast<double>(b) * b +
                                  static_cast<double>(c) * c);
  return Rounded(std::fabs(e) * normal);
}

cVector3 cPlane::GetPointOnPlane(int u, int v, EType axis) const {
  const double fu = u, fv = v;
  switch (static_cast<int>(axis)) {
    case X:
      return {Rounded(-(b * fu + c * fv + d) / a), static_cast<float>(u), static_cast<float>(v)};
    case Y:
      return {static_cast<float>(u), Rounded(-(a * fu + c * fv + d) / b), static_cast<float>(v)};
    case Z:
      return {static_cast<float>(u), static_cast<float>(v), Rounded(-(a * fu + b * fv + d) / c)};
  }
  return {0, 0, 0};
}

cString cPlane::ToString() const {
  return cString::StringF("%fx + %fy + %fz + %f = 0", a, b, c, d);
}

cRay::cRay(const cVector3& from, const cVector3& to) : m_Pos(from), m_Dir(to - from) {
  m_Dir.Normalize();
}

cRay cRay::operator*(const cMatrix4x3& m) const {
  cRay ray(*this);
  ray.m_Pos = m.TransformPoint(m_Pos);
  ray.m_Dir = m.TransformDirection(m_Dir);
  ray.m_Dir.Normalize();
  return ray;
}

cString cRay::ToString() const {
  return cString("Origin : ") + m_Pos.ToString() + ", Direction : " + m_Dir.ToString();
}
