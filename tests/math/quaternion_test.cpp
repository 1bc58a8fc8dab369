#include <algorithm>
#include <cmath>
#include <limits>

#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

constexpr float kPi = 3.14159265f;
// The fast square root carries about 10 bits; the exponential multiplies
// its error by up to pi.
constexpr float kFastTolerance = 2e-3f;
constexpr float kExpTolerance = 4e-3f;

cQuaternion Scaled(cQuaternion q, float k) {
  return q *= k;
}
cQuaternion About(float x, float y, float z, float angle) {
  return {cVector3(x, y, z), angle};
}

}  // namespace

TEST(Quaternion, WorkedValuesSphericalAnglesAndTheIdentitysAxis) {
  ExpectNear(About(0, 0, 0, 1.0f), cQuaternion(0, 0, 0, 1), 0.0f);
  const cQuaternion half = About(0, 0, 2, kPi);  // the axis is normalised
  EXPECT_EQ(half.z, 1.0f);
  EXPECT_NEAR(half.w, 0.0f, 1e-7f);
  ExpectNear(About(0, 0, 1, kPi / 2) * cVector3(1, 0, 0), cVector3(0, -1, 0), 1e-6f);
  // Rational only when all components are finite.
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_TRUE(cQuaternion(1, -2, 0, 1e30f).IsRational());
  EXPECT_FALSE(cQuaternion(0, 0, inf, 1).IsRational());
  EXPECT_FALSE(cQuaternion(0, 0, 0, 0).Inverse().IsRational());
  EXPECT_EQ(cQuaternion(1.5f, -2.25f, 1000.125f, 0).ToString(),
            "(x=   1.500, y=  -2.250, z=1000.125, w=   0.000)");

  cVector2 spherical;
  float a;
  cQuaternion(cVector2(0.3f, 1.0f), 1.0f).MakeSpherical(spherical, a);
  // The latitude comes back negated.
  ExpectNear(cVector3(spherical.x, spherical.y, a), cVector3(-0.3f, 1.0f, 1.0f), 1e-5f);
  cQuaternion(cVector2(0.0f, -1.0f), 2.0f).MakeSpherical(spherical, a);
  EXPECT_NEAR(spherical.y, 6.2831855f - 1.0f, 1e-5f);  // longitudes lie in [0, 2 pi)
  cQuaternion(cVector2(1.5707964f, 0.7f), 2.0f).MakeSpherical(spherical, a);
  EXPECT_EQ(spherical.y, 0.0f);  // straight up: no longitude
  cVector3 axis;
  cQuaternion::sIdentity.MakeAxisAngle(axis, a);
  EXPECT_FALSE(std::isfinite(axis.x));
}

TEST(Quaternion, RotationsMatrixProductsLogarithmAndAxisAngleAgree) {
  std::mt19937 random(1);
  std::uniform_real_distribution<float> angle(-kPi, kPi), turn(0.2f, 3.0f);
  for (int i = 0; i < 300; ++i) {
    const cQuaternion p = RandomRotation(random), q = RandomRotation(random);
    const cVector3 v = RandomVector(random, 10.0f);
    const cVector3 turned = p * v;
    // Length and Normalize take the fast square root.
    cQuaternion scaled = Scaled(p, 7.0f);
    EXPECT_NEAR(scaled.Length(), 7.0f, 7.0f * kFastTolerance);
    EXPECT_NEAR(scaled.Normalize().SquareLength(), 1.0f, 2 * kFastTolerance);
    EXPECT_NEAR(turned.GetLength(), v.GetLength(), 1e-4f);
    ExpectNear(p.Inverse() * turned, v, 1e-4f);
    // Any scale of p is the same rotation, for the matrix as for operator*.
    ExpectNear(v * Scaled(p, 3.5f).GetMatrix(), turned, 1e-4f);
    const cMatrix4x3 m = p.GetMatrix();
    EXPECT_NEAR(m[0].Cross(m[1]).Dot(m[2]), 1.0f, 1e-5f);  // a proper rotation
    // Products apply the left rotation first.
    ExpectNear(p.Square() * v, p * turned, 1e-4f);
    ExpectNear((p / q) * v, q.Inverse() * turned, 1e-4f);
    ExpectNear(p.Conjugate(), p.Inverse(), 1e-6f);
    // SetEuler: about Z by the third angle, then X by the second, then Y by the first.
    const float a1 = angle(random), a2 = angle(random), a3 = angle(random);
    const cVector3 chained = About(0, 1, 0, a1) * (About(1, 0, 0, a2) * (About(0, 0, 1, a3) * v));
    ExpectNear(cQuaternion(a1, a2, a3) * v, chained, 1e-4f);
    // Logn and Exp are inverse; LnDif is the logarithm of the rotation from p to q.
    EXPECT_EQ(q.Logn().w, 0.0f);
    ExpectNear(q.Logn().Exp(), q, kExpTolerance);
    const cQuaternion r = p.Dot(q) < 0.0f ? -q : q;
    ExpectNear(p.LnDif(r), (p.Inverse() / r.Inverse()).Logn(), kExpTolerance);
    const cVector3 axis = v.Normalized();
    const float a = turn(random);
    cVector3 back;
    float backAngle;
    cQuaternion(axis, a).MakeAxisAngle(back, backAngle);
    EXPECT_NEAR(backAngle, a, kFastTolerance);
    ExpectNear(back, axis, kFastTolerance);
  }
  ExpectNear(cQuaternion(0, 0, 0, -3).Exp(), cQuaternion(0, 0, 0, 1), 0.0f);
}

TEST(Quaternion, SlerpFollowsTheShorterGreatArc) {
  ExpectNear(cQuaternion(0, 0, 0, 1).Slerp(cQuaternion(0, 0, 1, 0), 0.5f, 0.001f),
             cQuaternion(0, 0, 0.70710677f, 0.70710677f), 1e-6f);
  std::mt19937 random(4);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 300; ++i) {
    const cQuaternion p = RandomRotation(random), q = RandomRotation(random);
    const cQuaternion nearQ = p.Dot(q) < 0.0f ? -q : q;
    ExpectNear(p.Slerp(q, 0.0f, 0.001f), p, 1e-5f);
    ExpectNear(p.Slerp(q, 1.0f, 0.001f), nearQ, 1e-5f);
    const float t = unit(random);
    const cQuaternion s = p.Slerp(q, t, 0.001f);
    EXPECT_NEAR(s.SquareLength(), 1.0f, 1e-5f);
    // The angle from p grows linearly along the arc.
    const float whole = std::acos(std::fabs(p.Dot(q)));
    EXPECT_NEAR(std::acos(std::min(1.0f, std::fabs(p.Dot(s)))), t * whole, 2e-3f);
    // The same rotation from either sign; a rotation with itself stays put.
    ExpectNear(p.Slerp(-p, t, 0.0f), p, 1e-6f);
    ExpectNear(p.Lerp(-p, t), p, 1e-6f);
    ExpectNear(p.Slerp(p, t, 0.0f), p, 1e-4f);
    ExpectNear(p.Lerp(q, t) -= Scaled(p, 1 - t), Scaled(nearQ, t), 1e-6f);
  }
}
