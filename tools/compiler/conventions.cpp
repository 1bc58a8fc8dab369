#include "conventions.h"

#include <cmath>

namespace tolmak::detail {
namespace {

cVector3 ToVector(const aiVector3D& v) {
  return cVector3(v.x, v.y, v.z);
}

bool IsUsable(const cVector3& v) {
  return std::isfinite(v.GetLength()) && v.GetLength() > 1e-6f;
}

}  // namespace

cMatrix4x3 ToMatrix(const aiMatrix4x4& m) {
  return cMatrix4x3({m.a1, m.b1, m.c1}, {m.a2, m.b2, m.c2}, {m.a3, m.b3, m.c3}, {m.a4, m.b4, m.c4});
}

cMatrix4x3 LookFrame(const aiVector3D& position, const aiVector3D& direction,
                     const aiVector3D& up) {
  cVector3 z = ToVector(direction);
  z = IsUsable(z) ? z.Normalized() : cVector3(0, 0, 1);
  cVector3 y = ToVector(up);
  y = y - z * y.Dot(z);
  if (!IsUsable(y)) {
    const cVector3 any = std::fabs(z.y) < 0.9f ? cVector3(0, 1, 0) : cVector3(0, 0, 1);
    y = any - z * any.Dot(z);
  }
  y = y.Normalized();
  return cMatrix4x3(y.Cross(z), y, z, ToVector(position));
}

}  // namespace tolmak::detail
