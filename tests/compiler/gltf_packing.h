#pragma once

// How glTF files carry binary data: base64 data URIs and the binary file
// layout. Shared by the tests, the fuzz seeds and the benchmark, which all
// write glTF files of their own.

#include <cstdint>
#include <string>

namespace tolmak::test {

/// The bytes as base64 text, for a "data:" URI.
inline std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t word = 0;
    for (size_t k = 0; k < 3; ++k)
      word = word << 8 | (i + k < bytes.size() ? static_cast<uint8_t>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k)
      text += k <= bytes.size() - i ? kDigits[word >> (18 - 6 * k) & 63] : '=';
  }
  return text;
}

/// A binary glTF file: the header, the JSON chunk padded with spaces and
/// the buffer chunk (its length a multiple of 4 by the caller's layout).
inline std::string BinaryGltf(std::string json, const std::string& buffer) {
  const auto word = [](uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
  };
  json.resize((json.size() + 3) / 4 * 4, ' ');
  return "glTF" + word(2) + word(static_cast<uint32_t>(12 + 8 + json.size() + 8 + buffer.size())) +
         word(static_cast<uint32_t>(json.size())) + "JSON" + json +
         word(static_cast<uint32_t>(buffer.size())) + std::string("BIN\0", 4) + buffer;
}

}  // namespace tolmak::test
