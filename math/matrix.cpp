#include <cmath>

#include "matrix_product.h"
#include "tolmak_matrix.h"

namespace {

// pi/180 rounded to single precision (bits 3C8EFA35).
constexpr float kDegreesToRadians = 0.017453292f;

}  // namespace

cMatrix4x3 cMatrix4x3::operator*(const cMatrix4x3& m) const {
  cMatrix4x3 product;
  tolmak::detail::MultiplyFastest(*this, m, product);
  return product;
}

cMatrix4x3 cMatrix4x3::EulerRotation(float ax, float ay, float az) {
  const double a = static_cast<double>(ax) * kDegreesToRadians;
  const double b = static_cast<double>(ay) * kDegreesToRadians;
  const double c = static_cast<double>(az) * kDegreesToRadians;
  const double ca = std::cos(a), sa = std::sin(a);
  const double cb = std::cos(b), sb = std::sin(b);
  const double cc = std::cos(c), sc = std::sin(c);
  auto f = [](double v) { return static_cast<float>(v); };
  // Rx(a) * Ry(b) * Rz(c), multiplied out.
  return cMatrix4x3({f(cc * cb), f(sc * cb), f(sb)},
                    {f(-sc * ca - cc * sb * sa), f(cc * ca - sc * sb * sa), f(cb * sa)},
                    {f(sc * sa - cc * sb * ca), f(-sc * sb * ca - cc * sa), f(cb * ca)}, {0, 0, 0});
}

cMatrix4x3 cMatrix4x3::LookAt(const cVector3& eye, const cVector3& target, const cVector3& up) {
  const cVector3 view = target - eye;
  if (view.GetSquareLength() == 0)
    return cMatrix4x3(cVector3(1, 0, 0), cVector3(0, 1, 0), cVector3(0, 0, 1), eye);
  const cVector3 z = view.Normalized();
  cVector3 x = up.Cross(z);
  if (x.GetSquareLength() < 1e-12f) x = cVector3(0, 0, 1).Cross(z);
  if (x.GetSquareLength() < 1e-12f) x = cVector3(0, 1, 0).Cross(z);
  x = x.Normalized();
  return cMatrix4x3(x, z.Cross(x), z, eye);
}

cMatrix4x3 cMatrix4x3::Scaling(float sx, float sy, float sz) {
  return cMatrix4x3({sx, 0, 0}, {0, sy, 0}, {0, 0, sz}, {0, 0, 0});
}

cMatrix4x3& cMatrix4x3::Rotate(float ax, float ay, float az) {
  const cVector3 translation = m_Rows[3];
  *this = EulerRotation(ax, ay, az) * *this;
  m_Rows[3] = translation;  // exact even when the matrix holds infinities
  return *this;
}

cMatrix4x3& cMatrix4x3::Scale(float sx, float sy, float sz) {
  // S * M with S diagonal: each axis row times its factor, the translation kept.
  m_Rows[0] *= sx;
  m_Rows[1] *= sy;
  m_Rows[2] *= sz;
  return *this;
}

bool cMatrix4x3::operator==(const cMatrix4x3& m) const {
  return m_Rows[0] == m.m_Rows[0] && m_Rows[1] == m.m_Rows[1] && m_Rows[2] == m.m_Rows[2] &&
         m_Rows[3] == m.m_Rows[3];
}

cString cMatrix4x3::ToString() const {
  return cString::StringF("[%s, %s, %s, %s]", m_Rows[0].ToString().c_str(),
                          m_Rows[1].ToString().c_str(), m_Rows[2].ToString().c_str(),
                          m_Rows[3].ToString().c_str());
}
