#include <algorithm>
#include <cmath>
#include <limits>

#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

constexpr float kLargest = std::numeric_limits<float>::max();

tArray<cVector3> RandomPoints(std::mt19937& random, int count, float range) {
  tArray<cVector3> points;
  for (int i = 0; i < count; ++i) points.Add(RandomVector(random, range));
  return points;
}

cBoundingBox3 Box(float x0, float y0, float z0, float x1, float y1, float z1) {
  return {cVector3(x0, y0, z0), cVector3(x1, y1, z1)};
}

}  // namespace

TEST(BoundingBox, EmptyStateMeasuresAndTests) {
  cBoundingBox3 box;
  EXPECT_FALSE(box.IsValid());
  EXPECT_TRUE(Bits(box[0].x) == 0x7F7FFFFFu && Bits(box[1].z) == 0xFF7FFFFFu);
  box.Encapsulate(tArray<cVector3>());
  EXPECT_FALSE(box.IsValid());
  box.Encapsulate(cVector3(1, 2, 3));
  EXPECT_TRUE(box.IsValid());
  EXPECT_EQ(box, Box(1, 2, 3, 1, 2, 3));
  box.Maximize();
  EXPECT_EQ(box, Box(-kLargest, -kLargest, -kLargest, kLargest, kLargest, kLargest));
  EXPECT_EQ(box.Middle(), cVector3(0, 0, 0));
  EXPECT_TRUE(Box(1, 1, 1, 0, 0, 0).IsValid());  // inverted, but not the empty state

  const cBoundingBox3 unit = Box(0, 0, 0, 1, 1, 1);
  EXPECT_TRUE(unit.Contains(cVector3(1, 1, 1)) && unit.Contains(cVector3(0, 0.5f, 1)));
  EXPECT_FALSE(unit.Contains(cVector3(0, 0.5f, 1.0001f)));
  EXPECT_TRUE(unit.Intersects(Box(1, 1, 1, 2, 2, 2)));  // touching
  EXPECT_FALSE(unit.Intersects(Box(1, 1, 1.5f, 2, 2, 2)));
  EXPECT_EQ(Box(3, 0, 0, 1, 0, 0).Width(), 2.0f);
  EXPECT_EQ(Box(0, 0, 0, 2, 2, 2).Radius(), std::sqrt(3.0f));
  EXPECT_EQ(Box(0, 0, 0, 2, 4, 6).GetDistanceToCenter(cVector3(1, 2, 7)), 4.0f);
  const cBoundingBox3 cube(cVector3(1, 2, 3), 0.5f);
  EXPECT_EQ(cube, Box(0.5f, 1.5f, 2.5f, 1.5f, 2.5f, 3.5f));
  EXPECT_EQ(cube.Widened(0.5f), Box(0, 1, 2, 2, 3, 4));
  cBoundingBox3 moved = cube + cVector3(1, 1, 1);
  EXPECT_EQ(moved -= cVector3(2, 3, 4), cube - cVector3(1, 2, 3));
  EXPECT_EQ(moved += cVector3(1, 2, 3), cube);
  EXPECT_EQ(unit.ToString(), "(x=0.0000, y=0.0000, z=0.0000)-(x=1.0000, y=1.0000, z=1.0000)");
}

TEST(BoundingBox, EncapsulatesExactlyItsPoints) {
  std::mt19937 random(1);
  for (int round = 0; round < 50; ++round) {
    const tArray<cVector3> points = RandomPoints(random, 20, 100);
    cBoundingBox3 box, other;
    box.Encapsulate(points);
    cVector3 lo = points[0], hi = points[0];
    for (const cVector3& p : points) {
      EXPECT_TRUE(box.Contains(p));
      for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], p[i]), hi[i] = std::max(hi[i], p[i]);
    }
    EXPECT_EQ(box, cBoundingBox3(lo, hi));
    other.Encapsulate(RandomPoints(random, 5, 200));
    cBoundingBox3 both = box;
    both.Encapsulate(other);
    EXPECT_TRUE(both.Contains(box) && both.Contains(other) && both.Intersects(box));
    EXPECT_EQ(box.Intersects(other), other.Intersects(box));
    EXPECT_FALSE(box.Intersects(box + cVector3(0, 0, box.Depth() + 1)));
  }
}

TEST(BoundingSphere, GrowthKeepsEveryPoint) {
  cBoundingSphere exact(cVector3(0, 0, 0), 1), fast(cVector3(0, 0, 0), 1);
  EXPECT_FALSE(exact.Contains(cVector3(1, 0, 0)));  // the surface is outside
  exact.Encapsulate(cVector3(3, 0, 0));
  EXPECT_EQ(exact.GetCenter(), cVector3(1, 0, 0));
  EXPECT_TRUE(exact.GetRadius() == 2.0f && exact.GetSquareRadius() == 4.0f);
  fast.EncapsulateFast(cVector3(3, 0, 0));
  EXPECT_EQ(fast.GetCenter(), cVector3(0, 0, 0));
  EXPECT_TRUE(fast.GetRadius() == 2.9999998f && fast.GetSquareRadius() == 9.0f);
  std::mt19937 random(2);
  for (int round = 0; round < 50; ++round) {
    const tArray<cVector3> points = RandomPoints(random, 30, 50);
    cBoundingSphere grown(points[0], 0), radial(points[0], 0);
    grown.Encapsulate(points);
    radial.EncapsulateFast(points);
    EXPECT_EQ(radial.GetCenter(), points[0]);
    for (const cVector3& p : points) {
      EXPECT_LE(grown.GetDistanceToCenter(p), grown.GetRadius() * (1 + 1e-5f));
      EXPECT_LE(radial.GetDistanceToCenter(p), radial.GetRadius() * (1 + 1.0f / 1024));
    }
    EXPECT_EQ(grown.GetSquareRadius(), grown.GetRadius() * grown.GetRadius());
  }
}

TEST(BoundingSphere, BuiltAroundABoxTestedAgainstBoxesPlanesAndSpheresAndPrinted) {
  const cBoundingSphere unit(cVector3(0, 0, 0), 1), two(cVector3(0, 0, 0), 2);
  EXPECT_TRUE(unit.Intersects(Box(1, 0, 0, 2, 1, 1)));  // touching
  EXPECT_FALSE(unit.Intersects(Box(1.5f, 0, 0, 2, 1, 1)));
  EXPECT_FALSE(unit.Intersects(cPlane(1, 0, 0, -1)));  // at exactly the radius
  EXPECT_TRUE(unit.Intersects(cPlane(1, 0, 0, -0.5f)));
  std::mt19937 random(3);
  for (int i = 0; i < 500; ++i) {  // against the distance to the box's nearest point
    cBoundingBox3 box;
    box.Encapsulate(RandomVector(random, 5)), box.Encapsulate(RandomVector(random, 5));
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) sum += std::pow(std::clamp(0.0f, box[0][k], box[1][k]), 2);
    if (std::fabs(sum - 1.0) > 1e-5) {
      EXPECT_EQ(unit.Intersects(box), sum < 1.0);
    }
  }
  EXPECT_TRUE(two.Contains(Box(-1, -1, -1, 1, 1, 1)));
  EXPECT_FALSE(two.Contains(Box(0, 0, 0, 1.2f, 1.2f, 1.2f)));
  // The corner near the centre is inside, the farthest is not.
  EXPECT_FALSE(two.Contains(Box(-1.9f, -1.9f, -1.9f, 0.1f, 0.1f, 0.1f)));
  EXPECT_TRUE(two.Contains(cBoundingSphere(cVector3(1, 0, 0), 1)));  // touching from inside
  EXPECT_FALSE(two.Contains(cBoundingSphere(cVector3(1, 0, 0), 1.5f)));
  EXPECT_FALSE(unit.Contains(two));
  EXPECT_TRUE(unit.Intersects(cBoundingSphere(cVector3(3, 0, 0), 2)));  // touching
  EXPECT_TRUE(unit.Intersects(cBoundingSphere(cVector3(2.5f, 0, 0), 2)));
  EXPECT_FALSE(unit.Intersects(cBoundingSphere(cVector3(3.5f, 0, 0), 2)));
  const cBoundingSphere around(Box(0, 0, 0, 2, 2, 2));
  EXPECT_EQ(around.GetCenter(), cVector3(1, 1, 1));
  EXPECT_EQ(around.GetRadius(), std::sqrt(3.0f));
  EXPECT_EQ(cBoundingSphere(cVector3(0, 0, 0), 2, 5).GetSquareRadius(), 5.0f);
  EXPECT_EQ(cBoundingSphere(cVector3(1, 2, 3), 4).ToString(),
            "(x=1.0000, y=2.0000, z=3.0000), 4.000000");
}
