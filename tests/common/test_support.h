#pragma once

// Helpers every test program shares: the bytes of memory streams, saved
// objects and files, a scratch folder of the test's own, and the messages
// the engine traced.

#include <gtest/gtest.h>
#include <varnlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tolmak::test {

/// What was written to a memory stream.
inline std::vector<uint8_t> StreamBytes(const cMemoryStream& stream) {
  return {stream.GetData(), stream.GetData() + stream.GetSize()};
}

/// What the object writes when saved to a memory stream.
template <class Object>
std::vector<uint8_t> SavedBytes(Object&& object) {
  cMemoryStream stream;
  object.Save(stream);
  return StreamBytes(stream);
}

/// Loads the object from the bytes; a thrown exception is passed on.
template <class Object>
void LoadBytes(Object& object, const std::vector<uint8_t>& bytes) {
  cMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
  object.Load(stream);
}

/// Builds bytes field by field, little-endian, as the engine's streams write them.
struct cLEBytes {
  std::vector<uint8_t> bytes;
  cLEBytes& U8(std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) bytes.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  cLEBytes& U16(uint32_t v) { return U8({v, v >> 8}); }
  cLEBytes& U32(uint32_t v) { return U8({v, v >> 8, v >> 16, v >> 24}); }
  /// Characters as they are, without a length.
  cLEBytes& Chars(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  /// A text as WriteText stores it: its length, then its characters.
  cLEBytes& Text(std::string_view text) { return U32(uint32_t(text.size())).Chars(text); }
};

/// Bit-for-bit equality of two values, such as floats, matrices or records
/// (NaN payloads, signed zeros and padding count).
template <class T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// Runs f and expects an exception of type E whose what() contains text.
template <class E, class F>
void ExpectError(F f, const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "no error, expected \"" << text << "\"";
  } catch (const E& error) {
    EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
  }
}

/// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

/// A new folder under the temporary folder, removed with its contents at the
/// end of the scope. Test cases may run at once in parallel processes: the
/// name is random.
class cScratchFolder {
 public:
  explicit cScratchFolder(const std::string& stem)
      : m_Path(std::filesystem::temp_directory_path() /
               (stem + "_" + std::to_string(std::random_device()()))) {
    std::filesystem::create_directories(m_Path);
  }
  ~cScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
  }
  cScratchFolder(const cScratchFolder&) = delete;
  cScratchFolder& operator=(const cScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return m_Path; }
  std::filesystem::path operator/(const std::string& name) const { return m_Path / name; }
  /// The engine's URL of a file in the folder.
  cUrl Url(const std::string& name) const {
    return cUrl(cString((m_Path / name).string().c_str()));
  }
  /// Every file in the folder by name, with its contents.
  std::map<std::string, std::vector<uint8_t>> Files() const {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_Path))
      files[entry.path().filename().string()] = ReadFile(entry.path());
    return files;
  }

 private:
  std::filesystem::path m_Path;
};

/// The trace lines and the error messages shown to the player while in
/// scope, one string each.
class cMessages {
 public:
  cMessages() {
    gSetTraceSink(&Append, &traced);
    gSetErrorSink(&Append, &shown);
  }
  ~cMessages() {
    gSetTraceSink(nullptr);
    gSetErrorSink(nullptr);
  }
  cMessages(const cMessages&) = delete;
  cMessages& operator=(const cMessages&) = delete;

  std::vector<std::string> traced, shown;

 private:
  static void Append(const char* text, void* lines) {
    static_cast<std::vector<std::string>*>(lines)->push_back(text);
  }
};

}  // namespace tolmak::test
