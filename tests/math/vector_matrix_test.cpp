#include <limits>

#include "math_fixtures.h"

using namespace math_fixtures;

// Ordering compares squared lengths.
TEST(Vector, WorkedValuesAndOrdering) {
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

// Rotate and Scale work in the matrix's frame and keep the translation.
TEST(Matrix, EulerRotationRotateAndScaleTurnEachAxisTheDocumentedWayAndPrint) {
  ExpectNear(cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 90, 0), cVector3(0, 0, 1), 1e-6f);
  ExpectNear(cVector3(0, 1, 0) * cMatrix4x3::EulerRotation(90, 0, 0), cVector3(0, 0, 1), 1e-6f);
  ExpectNear(cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 0, 90), cVector3(0, 1, 0), 1e-6f);
  // X first, then Y, then Z: the combined matrix is the product of the three.
  const cMatrix4x3 combined = cMatrix4x3::EulerRotation(30, -45, 60);
  const cMatrix4x3 chained = cMatrix4x3::EulerRotation(30, 0, 0) *
                             cMatrix4x3::EulerRotation(0, -45, 0) *
                             cMatrix4x3::EulerRotation(0, 0, 60);
  for (int r = 0; r < 3; ++r) ExpectNear(combined[r], chained[r], 1e-6f);
  EXPECT_EQ(combined.GetPosition(), cVector3(0, 0, 0));

  cMatrix4x3 m;
  m.SetPosition(cVector3(1, 2, 3));
  m.Scale(2, 2, 2);
  EXPECT_EQ(m, cMatrix4x3({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}));
  m.Rotate(0, 90, 0);
  ExpectNear(m[0], cVector3(0, 0, 2), 1e-6f);
  EXPECT_EQ(m.GetPosition(), cVector3(1, 2, 3));
  cMatrix4x3 turned = cMatrix4x3::Scaling(1, 3, 1);
  turned.Rotate(0, 0, 90);  // R * S: X turns onto the scaled Y
  ExpectNear(cVector3(1, 0, 0) * turned, cVector3(0, 3, 0), 1e-6f);
  EXPECT_EQ(cMatrix4x3().ToString(),
            "[(x=1.0000, y=0.0000, z=0.0000), (x=0.0000, y=1.0000, z=0.0000), "
            "(x=0.0000, y=0.0000, z=1.0000), (x=0.0000, y=0.0000, z=0.0000)]");
}

// The product (the left matrix applied first) and the transforms run on
// faster paths; each element must stay the plain double-precision sum in its
// documented order, rounded once, bit for bit, over any floats: huge, tiny,
// denormal, infinite, signed zeros.
TEST(Matrix, FastPathsGiveThePlainDoubleSumsBitForBit) {
  std::mt19937 random(13);
  auto element = [&random] {
    uint32_t bits = random();
    if ((bits & 0x7F800000u) == 0x7F800000u) bits &= 0xFF800000u;  // no NaN: an infinity
    if (random() % 16 == 0) bits &= 0x80000000u;
    return std::bit_cast<float>(bits);
  };
  auto plain = [](const cMatrix4x3& a, const cMatrix4x3& b, int r, int c) {
    double sum = static_cast<double>(a(r, 0)) * b(0, c) + static_cast<double>(a(r, 1)) * b(1, c) +
                 static_cast<double>(a(r, 2)) * b(2, c);
    if (r == 3) sum += b(3, c);
    return std::bit_cast<uint32_t>(static_cast<float>(sum));
  };
  int mismatches = 0;
  for (int i = 0; i < 20000; ++i) {
    cMatrix4x3 a, b;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c) a(r, c) = element(), b(r, c) = element();
    const cMatrix4x3 product = a * b;
    const cVector3 point = a.GetPosition() * b, direction = b.TransformDirection(a[0]);
    for (int c = 0; c < 3; ++c) {
      mismatches += std::bit_cast<uint32_t>(point[c]) != plain(a, b, 3, c);
      mismatches += std::bit_cast<uint32_t>(direction[c]) != plain(a, b, 0, c);
      for (int r = 0; r < 4; ++r)
        mismatches += std::bit_cast<uint32_t>(product(r, c)) != plain(a, b, r, c);
    }
  }
  EXPECT_EQ(mismatches, 0);
}
