#pragma once

#include <cstdint>

#include "tolmak_export.h"

/// A small, fast, seedable pseudo-random generator; each object is an
/// independent generator.
///
/// It holds a 260-byte table, read as little-endian 32-bit words at byte
/// offsets, and a position (only its low byte is used), starting at 0.
/// Seeding shuffles the table through the C runtime's srand and rand, so a
/// seed gives the same sequence only with the same runtime, and seeding
/// from several threads at once interleaves their rand sequences. Every
/// draw is one step, a single XOR of two table words: a lagged XOR
/// generator x(n) = x(n - 12) XOR x(n - 64) on 64 words.
class TOLMAK_API cRandom {
 public:
  explicit cRandom(uint32_t seed = 0) : m_Position(0) { Init(seed); }

  /// Reshuffles the table; the position is kept.
  void Init(uint32_t seed);

  /// The top n bits of one step's word for n = 1..32; n = 0 gives the whole word.
  uint32_t Rand(int n);
  /// A value in [0, 1 - 2^-23] from the step word's top 23 bits.
  float RandF() { return dword2Float(Step()); }
  /// True when the step word's top bit is clear.
  bool RandBool() { return (Step() & 0x80000000u) == 0; }

 private:
  uint32_t Step();
  uint32_t Word(uint32_t offset) const;
  void SetWord(uint32_t offset, uint32_t word);
  /// The float with the word's top 23 bits as the fraction of [1, 2), minus 1.
  static float dword2Float(uint32_t word);

  unsigned char m_Table[260];
  uint32_t m_Position;
};

static_assert(sizeof(cRandom) == 264);
