// cVertexBuffer::Load of arbitrary bytes, through a stream that knows its
// size and one that does not; then the operations a game runs on what it
// loaded.

#include <string>

#include "fuzz_support.h"

using namespace tolmak::fuzz;

namespace {

// Every operation must stay inside the blocks; the lengths are checked, the
// bytes are left to the unit tests.
void Exercise(const cVertexBuffer& loaded, uint8_t choice) {
  cVertexBuffer copy(loaded);
  Expect(Saved(copy) == Saved(loaded), "a copy saves as its source");
  const uint32_t n = loaded.GetLength();
  copy.Add(loaded);
  copy.Add(copy);
  Expect(copy.GetLength() == 4 * n, "Add appends every vertex");
  cVertexBuffer other(2, choice, static_cast<cPixelFormat::EFormat>(choice % 18));
  other.Add(loaded);
  Expect(other.GetLength() == n + 2, "Add across layouts appends every vertex");
  copy.Convert(static_cast<cPixelFormat::EFormat>((choice >> 3) % 18));
  Expect(copy.GetLength() == 4 * n, "Convert keeps the vertices");
  copy.SetLength(n / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  cMemoryStream sizedIn(data, static_cast<uint32_t>(size));
  cUnsizedStream unsizedIn(data, static_cast<uint32_t>(size));
  cVertexBuffer sized(3, 0xFF), unsized(1);
  const bool loaded = LoadBuffer(sized, sizedIn);
  Expect(LoadBuffer(unsized, unsizedIn) == loaded, "sized and unsized streams agree");
  if (!loaded) return 0;
  const std::string saved = Saved(sized);
  Expect(saved == std::string(reinterpret_cast<const char*>(data), sizedIn.GetPosition()),
         "Save writes back exactly what Load read");
  Expect(Saved(unsized) == saved, "both streams load the same buffer");
  if (sized.GetLength() <= 4096) Exercise(sized, size > 0 ? data[size - 1] : 0);
  return 0;
}
