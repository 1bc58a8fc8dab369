#include <gtest/gtest.h>
#include <tolmak.h>

#include <bit>
#include <cstdint>
#include <random>

namespace {

void ExpectNear(const cVector3& actual, const cVector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-6f);
  EXPECT_NEAR(actual.y, expected.y, 1e-6f);
  EXPECT_NEAR(actual.z, expected.z, 1e-6f);
}

cMatrix4x3 RandomMatrix(std::mt19937& random) {
  std::uniform_real_distribution<float> value(-100.0f, 100.0f);
  cMatrix4x3 m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) m(r, c) = value(random);
  return m;
}

}  // namespace

TEST(Matrix, IdentityIsNeutralOnEitherSide) {
  std::mt19937 random(7);
  for (int i = 0; i < 100; ++i) {
    const cMatrix4x3 m = RandomMatrix(random);
    EXPECT_EQ(cMatrix4x3() * m, m);
    EXPECT_EQ(m * cMatrix4x3::Identity(), m);
  }
}

TEST(Matrix, ProductAppliesTheLeftMatrixFirst) {
  cMatrix4x3 translate;
  translate.SetPosition(cVector3(5, 0, 0));
  const cMatrix4x3 rotate = cMatrix4x3::EulerRotation(0, 0, 90);  // +X towards +Y
  ExpectNear(cVector3(1, 0, 0) * (translate * rotate), cVector3(0, 6, 0));
  ExpectNear(cVector3(1, 0, 0) * (rotate * translate), cVector3(5, 1, 0));
  ExpectNear((translate * rotate).GetPosition(), cVector3(0, 5, 0));
  ExpectNear((rotate * translate).GetPosition(), cVector3(5, 0, 0));
}

TEST(Matrix, ProductAgreesWithTransformingThroughBothMatrices) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-10.0f, 10.0f);
  for (int i = 0; i < 200; ++i) {
    const cMatrix4x3 a = RandomMatrix(random), b = RandomMatrix(random);
    const cVector3 p(value(random), value(random), value(random));
    const cVector3 once = p * (a * b), twice = (p * a) * b;
    const cVector3 moved = a.TransformDirection(p) + a.GetPosition();
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(once[c], twice[c], 1e-3f * (1.0f + std::fabs(twice[c])));
      EXPECT_NEAR(moved[c], (p * a)[c], 1e-4f * (1.0f + std::fabs(moved[c])));
    }
  }
}

TEST(Matrix, ElementsAreRoundedOnceFromDoublePrecision) {
  const cMatrix4x3 a({1e8f, 1, -1e8f}, {0, 1, 0}, {0, 0, 1}, {1e8f, 1, -1e8f});
  const cMatrix4x3 b({1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 0, 0});
  const cMatrix4x3 product = a * b;
  EXPECT_EQ(product(0, 0), 1.0f);  // a single-precision sum would give 0
  EXPECT_EQ(product(3, 0), 1.0f);
  EXPECT_EQ(cVector3(1e8f, 1, -1e8f) * b, cVector3(1, 1, -1e8f));
}

TEST(Matrix, EulerRotationTurnsEachAxisTheDocumentedWay) {
  ExpectNear(cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 90, 0), cVector3(0, 0, 1));
  ExpectNear(cVector3(0, 1, 0) * cMatrix4x3::EulerRotation(90, 0, 0), cVector3(0, 0, 1));
  ExpectNear(cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 0, 90), cVector3(0, 1, 0));
  // X first, then Y, then Z: the combined matrix is the product of the three.
  const cMatrix4x3 combined = cMatrix4x3::EulerRotation(30, -45, 60);
  const cMatrix4x3 chained = cMatrix4x3::EulerRotation(30, 0, 0) *
                             cMatrix4x3::EulerRotation(0, -45, 0) *
                             cMatrix4x3::EulerRotation(0, 0, 60);
  for (int r = 0; r < 3; ++r) ExpectNear(combined[r], chained[r]);
  EXPECT_EQ(combined.GetPosition(), cVector3(0, 0, 0));
}

TEST(Matrix, RotateAndScaleWorkInTheMatrixFrameAndKeepTheTranslation) {
  cMatrix4x3 m;
  m.SetPosition(cVector3(1, 2, 3));
  m.Scale(2, 2, 2);
  EXPECT_EQ(m, cMatrix4x3({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}));
  m.Rotate(0, 90, 0);
  ExpectNear(m[0], cVector3(0, 0, 2));
  EXPECT_EQ(m.GetPosition(), cVector3(1, 2, 3));
  cMatrix4x3 turned = cMatrix4x3::Scaling(1, 3, 1);
  turned.Rotate(0, 0, 90);  // R * S: X turns onto the scaled Y
  ExpectNear(cVector3(1, 0, 0) * turned, cVector3(0, 3, 0));
}

TEST(Matrix, PrintsItsRows) {
  EXPECT_EQ(cMatrix4x3().ToString(),
            "[(x=1.0000, y=0.0000, z=0.0000), (x=0.0000, y=1.0000, z=0.0000), "
            "(x=0.0000, y=0.0000, z=1.0000), (x=0.0000, y=0.0000, z=0.0000)]");
}

// The product and the transforms run on faster paths; each element must stay
// the plain double-precision sum in its documented order, rounded once, bit
// for bit, over any floats: huge, tiny, denormal, infinite, signed zeros.
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
