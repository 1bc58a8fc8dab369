#include <limits>

#include "math_fixtures.h"

TEST(Vector, WorkedValues) {
  cVector3 zero;
  zero.Normalize();
  EXPECT_EQ(zero, cVector3(0, 0, 0));
  EXPECT_EQ(cVector2().Normalized(), cVector2(0, 0));
  EXPECT_TRUE(std::isnan(cVector3(std::numeric_limits<float>::quiet_NaN(), 0, 0).Normalized().x));
  EXPECT_EQ(cVector3(0, 3, 4).Normalized(), cVector3(0, 0.6f, 0.8f));
  // Null arrays give the zero vector.
  EXPECT_EQ(cVector2(static_cast<const float*>(nullptr)), cVector2());
  EXPECT_EQ(cVector3(static_cast<const float*>(nullptr)), cVector3());
  const float xyz[] = {1, 2, 3};
  cVector3 v(xyz);
  v += cVector3(1, 1, 1);
  v *= 2.0f;
  EXPECT_EQ(v, cVector3(4, 6, 8));
  EXPECT_EQ(v / cVector3(2, 3, 4), cVector3(2, 2, 2));
  EXPECT_EQ(-v - 1.0f, cVector3(-5, -7, -9));
  // 1/3 multiplied back differs from a true division in the last bit for 10.
  EXPECT_EQ((cVector2(10, 1) / 3.0f).x, 10.0f / 3.0f);
  EXPECT_EQ(cVector3(1, 2, 3).ToString(), "(x=1.0000, y=2.0000, z=3.0000)");
  EXPECT_EQ(cVector2(-0.5f, 10).ToString(), "(x=-0.5000, y=10.0000)");
}

TEST(Vector, OrderingComparesSquaredLengths) {
  const cVector2 a(3, 0), b(0, 3);
  EXPECT_TRUE(!(a == b) && !(a < b) && !(a > b) && a <= b && a >= b);
  EXPECT_TRUE(cVector3(1, 2, 3) < cVector3(4, 0, 0));  // 14 < 16
  EXPECT_FALSE(cVector3(4, 0, 0) <= cVector3(1, 2, 3));
}

TEST(Vector, MultiTermResultsAreRoundedOnceFromDoublePrecision) {
  // In single precision 1e8 + 1 is 1e8, so a float sum would give 0.
  EXPECT_EQ(cVector3(1e8f, 1, -1e8f).Dot(cVector3(1, 1, 1)), 1.0f);
  EXPECT_EQ(cVector2(1e8f, 1).Dot(cVector2(1, 1)), 100000001.0f);
  const cVector3 cross = cVector3(1e8f, 1, 0).Cross(cVector3(1e8f, 1.5f, 0));
  EXPECT_EQ(cross.z, 50000000.0f);  // 1.5e8 - 1e8, exact only without an intermediate rounding
  EXPECT_EQ(cVector3(2, 3, 6).GetLength(), 7.0f);
  EXPECT_EQ(cVector3(1, 1, 1).Distance(cVector3(3, 4, 7)), 7.0f);
}
