#pragma once

#include <bit>
#include <cstdint>

#include "tolmak_export.h"

/// Single-precision bit tricks and table-driven approximations.
///
/// Every object carries its own tables, 7424 32-bit entries followed by a
/// ready flag, in this order: square root (2048), fraction and exponent
/// tables of the power -1/2 (1024, 512), of the power -1 (1024, 512), sine
/// (1024), tangent (1024) and the reciprocals of 0..255 (256). Construction
/// only clears the flag; call InitLUT once before any table-driven
/// operation, after which the object is read-only and may be shared between
/// threads. Nothing checks the flag and nothing throws: out-of-range input
/// gives whatever the formulas give.
///
/// Integer angles run 1024 steps to the full turn (256 is a right angle) and
/// wrap by their low 10 bits.
class TOLMAK_API cFastFloat {
 public:
  cFastFloat() : m_Ready(false) {}

  /// Builds every table and sets the ready flag; may be called again.
  void InitLUT();

  // Bit access and sign. These read the argument's bit pattern only.
  uint32_t Bin(float f) const { return std::bit_cast<uint32_t>(f); }
  float Float(uint32_t bits) const { return std::bit_cast<float>(bits); }
  float OR(float f, int bits) const { return Float(Bin(f) | static_cast<uint32_t>(bits)); }
  float XOR(float f, int bits) const { return Float(Bin(f) ^ static_cast<uint32_t>(bits)); }
  float AND(float f, int bits) const { return Float(Bin(f) & static_cast<uint32_t>(bits)); }
  int Fraction(float f) const { return static_cast<int>(Bin(f) & 0x7FFFFFu); }
  /// The biased exponent; the sign does not show.
  unsigned char Exponent(float f) const { return static_cast<unsigned char>(Bin(f) >> 23); }
  uint32_t SignMask(float f) const { return Bin(f) & 0x80000000u; }
  /// 1 when the sign bit is set, also for -0.0 and negative NaNs.
  int SignBit(float f) const { return static_cast<int>(Bin(f) >> 31); }
  bool IsNegative(float f) const { return SignBit(f) != 0; }
  bool IsPositive(float f) const { return SignBit(f) == 0; }
  /// -1, 0 or +1; either zero gives 0 and a NaN gives -1.
  int Sign(float x) const { return x > 0.0f ? 1 : (x == 0.0f ? 0 : -1); }
  /// -1 below -eps, +1 above eps, 0 in between and for a NaN.
  int Sign(float x, float eps) const { return x < -eps ? -1 : (x > eps ? 1 : 0); }
  float Abs(float f) const { return Float(Bin(f) & 0x7FFFFFFFu); }
  float Neg(float f) const { return Float(Bin(f) ^ 0x80000000u); }
  float MakeNeg(float f) const { return Float(Bin(f) | 0x80000000u); }

  // Classification by bits, without a floating-point compare.
  bool IsInfinite(float f) const { return (Bin(f) & 0x7FFFFFFFu) == 0x7F800000u; }
  /// Not infinite: a NaN counts as finite.
  bool IsFinite(float f) const { return !IsInfinite(f); }
  bool IsANumber(float f) const { return (Bin(f) & 0x7F800000u) != 0x7F800000u; }
  bool IsNAN(float f) const { return !IsANumber(f) && Fraction(f) != 0; }
  /// Neither infinite nor NaN: zeros and denormals included.
  bool IsRational(float f) const { return !IsInfinite(f) && IsANumber(f); }
  /// abs(x) < 2^(n+1): the biased exponent is at most 127 + n.
  bool IsNearZero(float x, int n) const { return Exponent(x) <= 127 + n; }
  /// The single-precision difference a - b passes IsNearZero(n).
  bool IsNear(float a, float b, int n) const { return IsNearZero(a - b, n); }
  /// Identical bit patterns: +0.0 and -0.0 differ, a NaN equals its copy.
  bool IsEqual(const float& a, const float& b) const { return Bin(a) == Bin(b); }
  bool IsNotEqual(const float& a, const float& b) const { return Bin(a) != Bin(b); }

  /// Float to fixed point by adding a magic double: the low 20 bits of the
  /// upper half of x + M. Rounding adds 0.4375 of the last unit, so an exact
  /// half rounds down. floor(x + 0.4375) for 0 <= x < 2^20.
  uint32_t Fixed20_0(float x) const { return UpperBits(x, 0x4130000070000000ull); }
  uint32_t DWordRound(float x) const { return Fixed20_0(x); }
  /// 12 integer and 8 fraction bits: floor(256 x + 0.4375) for 0 <= x < 4096.
  uint32_t Fixed12_8(float x) const { return UpperBits(x, 0x40B0000070000000ull); }
  /// 4 integer and 16 fraction bits: floor(65536 x + 0.4375) for 0 <= x < 16.
  uint32_t Fixed4_16(float x) const { return UpperBits(x, 0x4030000070000000ull); }
  /// floor(x) for 0 <= x < 2^20.
  uint32_t DWord(float x) const {
    return UpperBits(x, std::bit_cast<uint64_t>(static_cast<double>(1048576.0f)));
  }

  // Library functions, evaluated in double precision and rounded once.
  float Pow(float x, float y) const;
  float Mod(float x, float y) const;
  float ArcSin(float x) const;
  float ArcCos(float x) const;
  float ArcTan(float x) const;
  /// atan2(y, x): the first argument is the numerator.
  float ArcTan2(float y, float x) const;
  /// Sine and cosine of an angle in radians.
  void SinCos(float a, float& s, float& c) const;
  /// 0 below 0 (and for a NaN), 1 above 1, (3 - 2x) x x in between.
  float SmoothStep(float x) const;

  // Table-driven operations: one or two table reads and at most one
  // multiplication, no branch and no call. The arguments' fractions are
  // truncated to 10 bits, so results carry a relative error below 2^-10.

  /// Square root; Sqrt(0) is about 7.7e-20, not 0.
  float Sqrt(float x) const {
    const uint32_t bits = Bin(x);
    return Float(m_SqrtTable[(bits >> 13) & 0x7FF] + ((bits >> 1) & 0x7F800000u));
  }
  /// 1 / sqrt(x), never too small in magnitude; a NaN for negative x.
  float OneOverSqrt(float x) const {
    const uint32_t bits = Bin(x);
    return m_FractionHalf[(bits >> 13) & 0x3FF] * m_ExponentHalf[bits >> 23];
  }
  /// 1 / x, never too small in magnitude, with the sign of x.
  float OneOver(float x) const {
    const uint32_t bits = Bin(x);
    return m_FractionOne[(bits >> 13) & 0x3FF] * m_ExponentOne[bits >> 23];
  }
  /// 1 / n from the table; 1.0 for n = 0.
  float OneOver(unsigned char n) const { return m_SmallReciprocal[n]; }
  /// The table for 0..255 (1.0 for 0); any other n, negative ones
  /// included, by a division in double precision.
  float OneOver(int n) const {
    return static_cast<uint32_t>(n) < 256u ? m_SmallReciprocal[n] : static_cast<float>(1.0 / n);
  }
  /// The table without a range check, for n in 0..255; any other n is
  /// taken modulo 256 and never reads outside the table.
  float OneOverSmall(int n) const { return m_SmallReciprocal[n & 255]; }
  /// Angles wrap modulo 1024 for every int, negative ones included.
  float Sin(int a) const { return m_Sin[a & 1023]; }
  float Cos(int a) const { return m_Sin[(static_cast<uint32_t>(a) + 256u) & 1023u]; }
  void SinCos(int a, float& s, float& c) const { s = Sin(a), c = Cos(a); }
  /// Large but finite at the quarter turns.
  float Tan(int a) const { return m_Tan[a & 1023]; }

 private:
  /// Fills one pair of power tables: fraction[k] = (1 + k/1024)^power and
  /// exponent[j] = pow(the float with bits j << 23, power).
  void CreatePowerLUT(float* fraction, float* exponent, float power);
  void CreateSqrtLUT();
  void CreateTrigonometryLUT();
  void CreateReciprocalLUT();

  static uint32_t UpperBits(float x, uint64_t magic) {
    const double sum = static_cast<double>(x) + std::bit_cast<double>(magic);
    return static_cast<uint32_t>(std::bit_cast<uint64_t>(sum) >> 32) & 0xFFFFFu;
  }

  uint32_t m_SqrtTable[2048];
  float m_FractionHalf[1024];
  float m_ExponentHalf[512];
  float m_FractionOne[1024];
  float m_ExponentOne[512];
  float m_Sin[1024];
  float m_Tan[1024];
  float m_SmallReciprocal[256];
  bool m_Ready;
};

static_assert(sizeof(cFastFloat) == 7424 * 4 + 4);
