#include <bit>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "tolmak_random.h"

void cRandom::Init(uint32_t seed) {
  static_assert(offsetof(cRandom, m_Position) == 260);
  std::srand(seed);
  for (int k = 0; k < 260; ++k) m_Table[k] = static_cast<unsigned char>(k);
  for (int i = 0; i < 1000; ++i) {
    const int a = std::rand() % 260;
    int b;
    do b = std::rand() % 260;
    while (b == a);
    std::swap(m_Table[a], m_Table[b]);
  }
}

uint32_t cRandom::Rand(int n) {
  return Step() >> ((32 - n) & 31);
}

uint32_t cRandom::Step() {
  const uint32_t p = m_Position & 0xFF;
  const uint32_t w = Word((p - 44) & 0xFF);
  const uint32_t next = (p + 4) & 0xFF;
  SetWord(next, Word(next) ^ w);
  m_Position = next;
  return w;
}

uint32_t cRandom::Word(uint32_t offset) const {
  return m_Table[offset] | static_cast<uint32_t>(m_Table[offset + 1]) << 8 |
         static_cast<uint32_t>(m_Table[offset + 2]) << 16 |
         static_cast<uint32_t>(m_Table[offset + 3]) << 24;
}

void cRandom::SetWord(uint32_t offset, uint32_t word) {
  for (int i = 0; i < 4; ++i) m_Table[offset + i] = static_cast<unsigned char>(word >> (8 * i));
}

float cRandom::dword2Float(uint32_t word) {
  return std::bit_cast<float>((word >> 9) | 0x3F800000u) - 1.0f;
}
