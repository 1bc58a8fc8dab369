// cIndexBuffer::Load of arbitrary bytes, through a stream that knows its
// size and one that does not; then the index operations, checked against
// the indices as loaded.

#include <string>
#include <vector>

#include "fuzz_support.h"

using namespace tolmak::fuzz;

namespace {

std::vector<uint16_t> Indices(const cIndexBuffer& buffer) {
  std::vector<uint16_t> indices(buffer.GetLength());
  for (uint32_t k = 0; k < buffer.GetLength(); ++k) indices[k] = buffer.GetIndex(k);
  return indices;
}

void ExpectValidMaximum(const cIndexBuffer& buffer) {
  const uint16_t* entries = buffer.GetReadPtr();
  for (uint32_t k = 0; k < buffer.GetLength(); ++k)
    Expect(entries[k] <= buffer.GetMaxIndex(), "the maximum covers every stored entry");
}

// Adding, storing below the minimum and optimising keep every index that
// was there, whatever minimum and maximum the stream claimed.
void Exercise(const cIndexBuffer& loaded, uint16_t low) {
  const std::vector<uint16_t> before = Indices(loaded);
  cIndexBuffer b(loaded);
  b += b;
  b += low;
  b.SetIndex(0, low);
  std::vector<uint16_t> expected = before;
  expected.insert(expected.end(), before.begin(), before.end());
  expected.push_back(low);
  if (!expected.empty()) expected[0] = low;
  Expect(Indices(b) == expected, "Add and SetIndex keep the earlier indices");
  ExpectValidMaximum(b);
  b.Optimize();
  Expect(Indices(b) == expected, "Optimize keeps the indices");
  ExpectValidMaximum(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  cMemoryStream sizedIn(data, static_cast<uint32_t>(size));
  cUnsizedStream unsizedIn(data, static_cast<uint32_t>(size));
  const uint16_t earlier[] = {4, 9};
  cIndexBuffer sized(earlier, 2), unsized(earlier, 2);
  const bool loaded = LoadBuffer(sized, sizedIn);
  Expect(LoadBuffer(unsized, unsizedIn) == loaded, "sized and unsized streams agree");
  if (!loaded) return 0;
  const std::string saved = Saved(sized);
  Expect(Saved(unsized) == saved, "both streams load the same buffer");
  ExpectValidMaximum(sized);
  const std::string read(reinterpret_cast<const char*>(data), sizedIn.GetPosition());
  if (sized.IsEmpty()) {
    Expect(saved == std::string(9, '\0'), "an empty buffer keeps every field 0");
    return 0;
  }
  // Only the maximum may differ from what was read: it is raised to cover
  // the entries.
  const size_t maxAt = read.size() - 3;
  auto maximum = [&](const std::string& s) {
    return static_cast<uint16_t>(uint8_t(s[maxAt]) | uint8_t(s[maxAt + 1]) << 8);
  };
  Expect(saved.size() == read.size() && saved.compare(0, maxAt, read, 0, maxAt) == 0 &&
             maximum(saved) >= maximum(read) && saved[maxAt + 2] == (read[maxAt + 2] != 0),
         "Save writes back what Load read");
  if (sized.GetLength() <= 4096)
    Exercise(sized, static_cast<uint16_t>(data[size - 1] | data[size - 2] << 8));
  return 0;
}
