#include <cmath>
#include <tuple>

#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

float E(const cPlane& plane, const cVector3& p) {
  return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d;
}

cVector3 Normal(const cPlane& plane) {
  return {plane.a, plane.b, plane.c};
}

}  // namespace

TEST(Plane, ThreePointsRunningCounterClockwiseFaceTheViewer) {
  const cPlane up(cVector3(0, 0, 0), cVector3(1, 0, 0), cVector3(0, 1, 0));
  EXPECT_EQ(Normal(up), cVector3(0, 0, 1));
  EXPECT_EQ(Bits(up.d), 0x80000000u);  // -0.0: the negated dot product
  EXPECT_EQ(Normal(cPlane(cVector3(0, 0, 0), cVector3(1, 1, 1), cVector3(2, 2, 2))),
            cVector3(0, 0, 0));  // collinear
  std::mt19937 random(1);
  for (int i = 0; i < 300; ++i) {
    const cVector3 p1 = RandomVector(random, 50), p2 = RandomVector(random, 50),
                   p3 = RandomVector(random, 50);
    const cPlane plane(p1, p2, p3);
    EXPECT_NEAR(Normal(plane).GetLength(), 1.0f, 1e-6f);
    for (const cVector3& p : {p1, p2, p3}) EXPECT_NEAR(E(plane, p), 0.0f, 1e-3f);
    EXPECT_GT((p2 - p1).Cross(p3 - p1).Dot(Normal(plane)), 0.0f);
  }
}

// Every dot product of the kit starts its sum from the first product, so
// products that are all -0 add up to -0, and a plane's d = -(n . p1) is +0.
TEST(Plane, SignedZerosSurviveDotProductsAndPlanes) {
  EXPECT_EQ(Bits(cVector2(-0.0f, -1.0f).Dot(cVector2(1.0f, 0.0f))), 0x80000000u);
  EXPECT_EQ(Bits(cVector3(-0.0f, -0.0f, -1.0f).Dot(cVector3(0, 0, 0))), 0x80000000u);
  EXPECT_EQ(Bits(cQuaternion(-0.0f, -0.0f, -0.0f, -1.0f).Dot(cQuaternion(0, 0, 0, 0))),
            0x80000000u);
  const cPlane down(cVector3(0, 0, 0), cVector3(0, 1, 0), cVector3(1, 0, 0));
  EXPECT_EQ(std::tuple(Bits(down.a), Bits(down.b), down.c, Bits(down.d)),
            std::tuple(0x80000000u, 0x80000000u, -1.0f, 0u));
  // On the plane e = +0: in front, not behind.
  EXPECT_TRUE(down.IsFront(cVector3(0, 0, 0)) && !down.IsBack(cVector3(0, 0, 0)));
  EXPECT_TRUE(down.IsBack(cVector3(0, 0, 1)));
}

TEST(Plane, SidesDistancesAndPointsSolvedOnEachAxis) {
  const cPlane plane(0, 1, 0, -2);
  EXPECT_TRUE(plane.IsBack(cVector3(5, 1, 5)));
  EXPECT_TRUE(cPlane(1, 1, 1, -0.0f).IsBack(cVector3(-0.0f, -0.0f, -0.0f)));  // e = -0.0
  EXPECT_EQ(plane.Distance(cVector3(0, 5, 0)), 3.0f);
  EXPECT_EQ(plane.Distance(cVector3(0, -1, 0)), 3.0f);
  EXPECT_EQ(cPlane(cVector3(0, 2, 0), -4).Distance(cVector3(0, 5, 0)), 12.0f);  // as stored
  EXPECT_EQ(cPlane(0, 0, 1, 0).ToString(), "0.000000x + 0.000000y + 1.000000z + 0.000000 = 0");

  EXPECT_EQ(cPlane(0, 2, 0, -6).GetPointOnPlane(3, 4, cPlane::EType(1)), cVector3(3, 3, 4));
  EXPECT_EQ(cPlane(0, 2, 0, -6).GetPointOnPlane(3, 4, cPlane::EType(7)), cVector3(0, 0, 0));
  const cPlane slant(2, -3, 4, 5);
  EXPECT_EQ(slant.GetPointOnPlane(1, 2, cPlane::X), cVector3(-5, 1, 2));
  for (cPlane::EType axis : {cPlane::X, cPlane::Y, cPlane::Z})
    EXPECT_NEAR(E(slant, slant.GetPointOnPlane(-7, 3, axis)), 0.0f, 1e-5f);
  EXPECT_FALSE(std::isfinite(cPlane(0, 1, 0, 0).GetPointOnPlane(1, 1, cPlane::X).x));
}

TEST(Plane, LinesMeetThePlane) {
  const cPlane plane(0, 1, 0, -2);
  EXPECT_EQ(plane.Interpolate(cRay(cVector3(0, 0, 0), cVector3(0, 4, 0))), 2.0f);
  EXPECT_FALSE(std::isfinite(plane.Interpolate(cVector3(0, 0, 0), cVector3(1, 0, 0))));
  EXPECT_FALSE(std::isfinite(plane.Intersect(cVector3(0, 0, 0), cVector3(1, 0, 0)).y));
  std::mt19937 random(2);
  for (int i = 0; i < 300; ++i) {
    const cVector3 p1 = RandomVector(random, 10), p2 = RandomVector(random, 10),
                   p3 = RandomVector(random, 10);
    const cPlane tilted(p1, p2, p3);
    const cVector3 p = RandomVector(random, 10), q = RandomVector(random, 10);
    const cVector3 hit = tilted.Intersect(p, q);
    const float t = tilted.Interpolate(p, q - p);
    EXPECT_NEAR(E(tilted, hit), 0.0f, 1e-3f * (1 + std::fabs(t)));
    ExpectNear(hit, p + (q - p) * t, 1e-3f * (1 + std::fabs(t)));
  }
}

TEST(Ray, DirectionIsUnitLengthUnlessZeroAndFollowsTransforms) {
  const cRay ray(cVector3(1, 1, 1), cVector3(1, 1, 5));
  EXPECT_EQ(ray.Dir(), cVector3(0, 0, 1));
  EXPECT_EQ(cRay(cVector3(1, 1, 1), cVector3(1, 1, 1)).Dir(), cVector3(0, 0, 0));
  EXPECT_EQ(ray.ToString(),
            "Origin : (x=1.0000, y=1.0000, z=1.0000), Direction : (x=0.0000, y=0.0000, z=1.0000)");
  const cMatrix4x3 m({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {5, 0, 0});
  const cRay moved = cRay(cVector3(0, 0, 0), cVector3(1, 0, 0)) * m;
  EXPECT_EQ(moved.Pos(), cVector3(5, 0, 0));
  EXPECT_EQ(moved.Dir(), cVector3(0, 1, 0));
  // Under scaling the direction stays unit length, along the transformed segment.
  std::mt19937 random(3);
  for (int i = 0; i < 100; ++i) {
    const cVector3 from = RandomVector(random, 10), to = RandomVector(random, 10);
    const cMatrix4x3 transform =
        cMatrix4x3::EulerRotation(10.0f * i, 20, 30) * cMatrix4x3::Scaling(2, 3, 4);
    const cRay turned = cRay(from, to) * transform;
    ExpectNear(turned.Pos(), from * transform, 1e-4f);
    ExpectNear(turned.Dir(), cRay(from * transform, to * transform).Dir(), 1e-4f);
  }
}
