#include <cmath>
#include <cstddef>

#include "tolmak_fastfloat.h"

namespace {

// 2 pi rounded to single precision (bits 40C90FDB), used as a double: the
// tables' full turn is slightly larger than 2 pi.
constexpr double kTurn = 6.2831854820251465;

float Rounded(double value) {
  return static_cast<float>(value);
}

}  // namespace

void cFastFloat::InitLUT() {
  static_assert(offsetof(cFastFloat, m_FractionHalf) == 2048 * 4);
  static_assert(offsetof(cFastFloat, m_ExponentHalf) == 3072 * 4);
  static_assert(offsetof(cFastFloat, m_FractionOne) == 3584 * 4);
  static_assert(offsetof(cFastFloat, m_ExponentOne) == 4608 * 4);
  static_assert(offsetof(cFastFloat, m_Sin) == 5120 * 4);
  static_assert(offsetof(cFastFloat, m_Tan) == 6144 * 4);
  static_assert(offsetof(cFastFloat, m_SmallReciprocal) == 7168 * 4);
  static_assert(offsetof(cFastFloat, m_Ready) == 7424 * 4);

  CreateSqrtLUT();
  CreateTrigonometryLUT();
  CreateReciprocalLUT();
  CreatePowerLUT(m_FractionOne, m_ExponentOne, -1.0f);
  CreatePowerLUT(m_FractionHalf, m_ExponentHalf, -0.5f);
  m_Ready = true;
}

void cFastFloat::CreateSqrtLUT() {
  // Entry i serves arguments with an even biased exponent (the fraction is
  // scaled by 2 under the root), entry 1024 + i those with an odd one. The
  // biases 2^-64 and 2^-63 undo the halved exponent that Sqrt adds.
  const double root2 = std::sqrt(2.0);
  for (uint32_t i = 0; i < 1024; ++i) {
    const double v = std::sqrt(Float(0x3F800000u | (i << 13)));  // the single-precision root
    m_SqrtTable[i] = Bin(Rounded(v * root2 * 0x1p-64));
    m_SqrtTable[1024 + i] = Bin(Rounded(v * 0x1p-63));
  }
}

void cFastFloat::CreateTrigonometryLUT() {
  for (int i = 0; i < 1024; ++i) {
    const double angle = i * kTurn * 0.0009765625;
    m_Sin[i] = Rounded(std::sin(angle));
    m_Tan[i] = Rounded(std::tan(angle));
  }
}

void cFastFloat::CreateReciprocalLUT() {
  m_SmallReciprocal[0] = 1.0f;
  for (int n = 1; n < 256; ++n) m_SmallReciprocal[n] = Rounded(1.0 / n);
}

void cFastFloat::CreatePowerLUT(float* fraction, float* exponent, float power) {
  // Signed zeros and infinities (entries 0, 255, 256, 511) take what the C
  // library's pow gives; denormals share the zero entries.
  const double p = power;
  for (uint32_t j = 0; j < 512; ++j)
    exponent[j] = Rounded(std::pow(static_cast<double>(Float(j << 23)), p));
  for (uint32_t k = 0; k < 1024; ++k)
    fraction[k] = Rounded(std::pow(static_cast<double>(Float(0x3F800000u + k * 0x2000u)), p));
}

float cFastFloat::Pow(float x, float y) const {
  return Rounded(std::pow(x, static_cast<double>(y)));
}
float cFastFloat::Mod(float x, float y) const {
  return Rounded(std::fmod(x, static_cast<double>(y)));
}
float cFastFloat::ArcSin(float x) const {
  return Rounded(std::asin(static_cast<double>(x)));
}
float cFastFloat::ArcCos(float x) const {
  return Rounded(std::acos(static_cast<double>(x)));
}
float cFastFloat::ArcTan(float x) const {
  return Rounded(std::atan(static_cast<double>(x)));
}
float cFastFloat::ArcTan2(float y, float x) const {
  return Rounded(std::atan2(y, static_cast<double>(x)));
}

void cFastFloat::SinCos(float a, float& s, float& c) const {
  s = Rounded(std::sin(static_cast<double>(a)));
  c = Rounded(std::cos(static_cast<double>(a)));
}

float cFastFloat::SmoothStep(float x) const {
  if (!(x >= 0.0f)) return 0.0f;
  if (x > 1.0f) return 1.0f;
  const double d = x;
  return Rounded((3.0 - 2.0 * d) * d * d);
}
