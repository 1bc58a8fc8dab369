#include <cmath>

#include "fastfloat_instance.h"
#include "tolmak_quaternion.h"

namespace tolmak::detail {
namespace {

constexpr double kTurn = 6.2831854820251465;         // 2 pi in single precision
constexpr double kQuarterTurn = 1.5707963705062866;  // pi / 2 in single precision

float Rounded(double value) {
  return static_cast<float>(value);
}

float FastSqrt(float x) {
  return gFastFloat.Sqrt(x);
}

double SquareLength3(double x, double y, double z) {
  return x * x + y * y + z * z;
}

/// The Hamilton product a * b.
cQuaternion Product(const cQuaternion& a, const cQuaternion& b) {
  const double ax = a.x, ay = a.y, az = a.z, aw = a.w;
  return {Rounded(aw * b.x + ax * b.w + ay * b.z - az * b.y),
          Rounded(aw * b.y - ax * b.z + ay * b.w + az * b.x),
          Rounded(aw * b.z + ax * b.y - ay * b.x + az * b.w),
          Rounded(aw * b.w - ax * b.x - ay * b.y - az * b.z)};
}

/// wp p + wq q, componentwise.
cQuaternion Blend(const cQuaternion& p, double wp, const cQuaternion& q, double wq) {
  return {Rounded(wp * p.x + wq * q.x), Rounded(wp * p.y + wq * q.y), Rounded(wp * p.z + wq * q.z),
          Rounded(wp * p.w + wq * q.w)};
}

/// (k x, k y, k z, w) of the vector part of q.
cQuaternion ScaledVector(const cQuaternion& q, double k, double w) {
  return {Rounded(k * q.x), Rounded(k * q.y), Rounded(k * q.z), Rounded(w)};
}

bool SignBitSet(float f) {
  return std::signbit(f);
}

}  // namespace
}  // namespace tolmak::detail

using namespace tolmak::detail;

cQuaternion::cQuaternion(const cVector3& axis, float angle) {
  const float s2 = Rounded(SquareLength3(axis.x, axis.y, axis.z));
  if (!(s2 > 0.0f)) {
    Identity();
    return;
  }
  const float h = angle * 0.5f;
  const float k = Rounded(std::sin(static_cast<double>(h)) / FastSqrt(s2));
  *this = {k * axis.x, k * axis.y, k * axis.z, Rounded(std::cos(static_cast<double>(h)))};
}

cQuaternion::cQuaternion(const cVector2& spherical, float angle) {
  const float h = angle * 0.5f;
  const double sh = Rounded(std::sin(static_cast<double>(h)));
  const double lat = spherical.x, lon = spherical.y;
  *this = {Rounded(sh * std::cos(lat) * std::sin(lon)), Rounded(sh * std::sin(lat)),
           Rounded(sh * std::cos(lat) * std::cos(lon)), Rounded(std::cos(static_cast<double>(h)))};
}

cQuaternion& cQuaternion::SetEuler(float a1, float a2, float a3) {
  const cQuaternion aboutY(cVector3(0, 1, 0), a1);
  const cQuaternion aboutX(cVector3(1, 0, 0), a2);
  const cQuaternion aboutZ(cVector3(0, 0, 1), a3);
  return *this = Product(Product(aboutZ, aboutX), aboutY);
}

float cQuaternion::Dot(const cQuaternion& q) const {
  return Rounded(static_cast<double>(x) * q.x + static_cast<double>(y) * q.y +
                 static_cast<double>(z) * q.z + static_cast<double>(w) * q.w);
}

float cQuaternion::SquareLength() const {
  return Dot(*this);
}

float cQuaternion::Length() const {
  return FastSqrt(SquareLength());
}

cQuaternion& cQuaternion::Normalize() {
  const double k = 1.0 / FastSqrt(SquareLength());
  return *this = ScaledVector(*this, k, k * w);
}

cQuaternion& cQuaternion::operator+=(const cQuaternion& q) {
  x += q.x, y += q.y, z += q.z, w += q.w;
  return *this;
}

cQuaternion& cQuaternion::operator-=(const cQuaternion& q) {
  x -= q.x, y -= q.y, z -= q.z, w -= q.w;
  return *this;
}

cQuaternion& cQuaternion::operator*=(float f) {
  x *= f, y *= f, z *= f, w *= f;
  return *this;
}

cQuaternion cQuaternion::Inverse() const {
  const float n = SquareLength();
  return {-x / n, -y / n, -z / n, w / n};
}

cQuaternion cQuaternion::Square() const {
  const double s = 2.0 * w;
  return ScaledVector(*this, s, static_cast<double>(w) * w - SquareLength3(x, y, z));
}

cQuaternion cQuaternion::operator/(const cQuaternion& q) const {
  return Product(*this, q.Inverse());
}

cVector3 cQuaternion::operator*(const cVector3& v) const {
  const cQuaternion rotated = Product(Product(Inverse(), cQuaternion(v.x, v.y, v.z, 0)), *this);
  return {rotated.x, rotated.y, rotated.z};
}

void cQuaternion::MakeAxisAngle(cVector3& axis, float& angle) const {
  angle = Rounded(2.0 * std::acos(static_cast<double>(w)));
  const double s = std::sin(angle * 0.5);
  axis.Set(Rounded(x / s), Rounded(y / s), Rounded(z / s));
}

void cQuaternion::MakeSpherical(cVector2& spherical, float& angle) const {
  cVector3 axis;
  MakeAxisAngle(axis, angle);
  const float latitude = Rounded(-std::asin(static_cast<double>(axis.y)));
  float longitude = 0.0f;
  const double az = axis.z, ax = axis.x;
  if (!(Rounded(az * az + ax * ax) < 0.0001f)) {
    double lon = std::atan2(ax, az);
    if (lon < 0.0) lon += kTurn;
    longitude = Rounded(lon);
  }
  spherical.Set(latitude, longitude);
}

cQuaternion cQuaternion::Slerp(const cQuaternion& q, float t, float threshold) const {
  float c = Dot(q);
  double sign = 1.0;
  if (SignBitSet(c)) c = -c, sign = -1.0;  // the shorter arc
  double w0 = 1.0 - static_cast<double>(t), w1 = t;
  if (1.0f - c > threshold) {
    const float theta = Rounded(std::acos(static_cast<double>(c)));
    const float r = Rounded(1.0 / std::sin(static_cast<double>(theta)));
    w0 = Rounded(std::sin((1.0 - t) * theta) * r);
    w1 = Rounded(std::sin(static_cast<double>(t) * theta) * r);
  } else {
    w0 = Rounded(w0);
  }
  return Blend(*this, w0, q, w1 * sign);
}

cQuaternion cQuaternion::Lerp(const cQuaternion& q, float t) const {
  const double wq = SignBitSet(Dot(q)) ? -static_cast<double>(t) : t;
  return Blend(*this, Rounded(1.0 - t), q, wq);
}

cQuaternion cQuaternion::Logn() const {
  const double theta = std::acos(static_cast<double>(w));
  const double s = std::sin(theta);
  const double k = std::fabs(Rounded(s)) >= 0.0001f ? theta / s : 1.0;
  return ScaledVector(*this, k, 0.0);
}

cQuaternion cQuaternion::Exp() const {
  const float theta = FastSqrt(Rounded(SquareLength3(x, y, z)));
  const double k = theta >= 0.0001f ? std::sin(static_cast<double>(theta)) / theta : 1.0;
  return ScaledVector(*this, k, std::cos(static_cast<double>(theta)));
}

cQuaternion cQuaternion::LnDif(const cQuaternion& q) const {
  const cQuaternion d = Product(Inverse(), q);
  const float v = FastSqrt(Rounded(SquareLength3(d.x, d.y, d.z)));
  const double c = static_cast<double>(Dot(q)) /
                   (static_cast<double>(FastSqrt(q.Dot(q))) * FastSqrt(Dot(*this)));
  const double theta = c != 0.0 ? std::atan(v / c) : kQuarterTurn;
  const double k = v != 0.0f ? theta / v : theta;
  return ScaledVector(d, k, 0.0);
}

cMatrix4x3 cQuaternion::GetMatrix() const {
  // The rows are the images of the axes under operator*; dividing by the
  // squared length makes the matrix a pure rotation for any scale, as the
  // inverse in operator* does.
  const double qx = x, qy = y, qz = z, qw = w;
  const double s = 2.0 / (qx * qx + qy * qy + qz * qz + qw * qw);
  const double xx = s * qx * qx, yy = s * qy * qy, zz = s * qz * qz;
  const double xy = s * qx * qy, xz = s * qx * qz, yz = s * qy * qz;
  const double wx = s * qw * qx, wy = s * qw * qy, wz = s * qw * qz;
  return cMatrix4x3({Rounded(1.0 - yy - zz), Rounded(xy - wz), Rounded(xz + wy)},
                    {Rounded(xy + wz), Rounded(1.0 - xx - zz), Rounded(yz - wx)},
                    {Rounded(xz - wy), Rounded(yz + wx), Rounded(1.0 - xx - yy)}, {0, 0, 0});
}

bool cQuaternion::IsRational() const {
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && std::isfinite(w);
}

cString cQuaternion::ToString() const {
  return cString::StringF("(x=%8.3f, y=%8.3f, z=%8.3f, w=%8.3f)", x, y, z, w);
}
