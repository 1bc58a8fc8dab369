#pragma once

#include <gtest/gtest.h>
#include <tolmak.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace math_fixtures {

inline uint32_t Bits(float f) {
  return std::bit_cast<uint32_t>(f);
}
inline float FromBits(uint32_t bits) {
  return std::bit_cast<float>(bits);
}

inline void ExpectNear(const cVector3& actual, const cVector3& expected, float tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear(const cQuaternion& actual, const cQuaternion& expected, float tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
  EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline cVector3 RandomVector(std::mt19937& random, float range) {
  std::uniform_real_distribution<float> value(-range, range);
  const float x = value(random), y = value(random);
  return {x, y, value(random)};
}

/// A unit quaternion, uniformly distributed over rotations.
inline cQuaternion RandomRotation(std::mt19937& random) {
  std::normal_distribution<double> gauss;
  double q[4], sum = 0.0;
  for (double& c : q) {
    c = gauss(random);
    sum += c * c;
  }
  const double k = 1.0 / std::sqrt(sum);
  return {static_cast<float>(q[0] * k), static_cast<float>(q[1] * k), static_cast<float>(q[2] * k),
          static_cast<float>(q[3] * k)};
}

}  // namespace math_fixtures
