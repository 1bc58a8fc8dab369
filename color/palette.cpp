#include <varnlib.h>

#include "tolmak_palette.h"

uint32_t cPalette::Hash() const {
  return static_cast<uint32_t>(gHash(m_Entries, static_cast<int32_t>(sizeof m_Entries)));
}

uint32_t cPalette::Crc32() const {
  return static_cast<uint32_t>(gCRC32(m_Entries, static_cast<int32_t>(sizeof m_Entries)));
}
