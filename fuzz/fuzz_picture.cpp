// cBitmap::Load, or cSprite::Load when built with TOLMAK_FUZZ_SPRITE, of
// arbitrary bytes. A load either throws and leaves the picture as it was,
// or reads a record that Save writes back byte for byte.

#include <cstring>
#include <string>
#include <type_traits>

#include "fuzz_support.h"

using namespace tolmak::fuzz;

namespace {

#ifdef TOLMAK_FUZZ_SPRITE
using tPicture = cFuzzSprite;
#else
using tPicture = cBitmap;
#endif

std::string Saved(tPicture& picture) {
  cMemoryStream out;
  picture.Save(out);
  return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
}

template <class T>
int Frames(const T& picture) {
  if constexpr (std::is_base_of_v<cSprite, T>)
    return picture.GetFrames();
  else
    return 0;
}

bool SameFields(const tPicture& a, const tPicture& b) {
  return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
         a.GetPitch() == b.GetPitch() && a.GetPixelFormat() == b.GetPixelFormat() &&
         a.GetColorKey() == b.GetColorKey() && a.IsColorKeyEnabled() == b.IsColorKeyEnabled() &&
         std::memcmp(&a.GetPalette(), &b.GetPalette(), sizeof(cPalette)) == 0 &&
         Frames(a) == Frames(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  tPicture picture;
  picture.SetSize({7, 5});
  picture.SetPixelFormat(cPixelFormat::Indexed);
  picture.EnableColorKey(0x1234);
  cPalette palette;
  for (int i = 0; i < 256; ++i) palette[i] = 0x01010101u * static_cast<uint32_t>(i);
  picture.SetPalette(palette);
  const tPicture before(picture);

  cMemoryStream in(data, static_cast<uint32_t>(size));
  try {
    picture.Load(in);
  } catch (const cException&) {
    Expect(SameFields(picture, before), "a failed load leaves the picture as it was");
    return 0;
  }
  Expect(Saved(picture) == std::string(reinterpret_cast<const char*>(data), in.GetPosition()),
         "Save writes back exactly what Load read");
  Expect(picture.IsColorKeyEnabled() && picture.GetPitch() == before.GetPitch(),
         "the fields outside the stream are kept");
  if (!picture.IsPalettized())
    Expect(std::memcmp(&picture.GetPalette(), &palette, sizeof palette) == 0,
           "without a palette in the stream the old one stays");
  return 0;
}
