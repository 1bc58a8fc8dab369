#include "varn_crc.h"

#include <array>
#include <cstring>

namespace {

// Built at compile time so that class descriptors of any library may compute
// their identifiers while the libraries are still being loaded.
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

int32_t gCRC32(const void* data, int32_t length) {
  if (data == nullptr || length <= 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t crc = 0xFFFFFFFFu;
  for (int32_t i = 0; i < length; ++i) crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return static_cast<int32_t>(crc ^ 0xFFFFFFFFu);
}

int32_t gCRC32(const char* text) {
  return text ? gCRC32(text, static_cast<int32_t>(std::strlen(text))) : 0;
}

int32_t gHash(const void* data, int32_t length) {
  uint32_t hash = 2166136261u;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (int32_t i = 0; data != nullptr && i < length; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return static_cast<int32_t>(hash);
}
