#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "frame_output.h"
#include "pixel_codec.h"
#include "test_support.h"
#include "zunfert_image.h"

namespace zunfert::test {

/// Compares a surface with the PNG file at path, red, green and blue each
/// within kTolerance.
inline void ExpectGoldenAt(const cSurface& surface, const std::string& path,
                           const std::string& name = "picture") {
  constexpr int kTolerance = 2;
  const std::vector<uint8_t> bytes = tolmak::test::ReadFile(path);
  ASSERT_FALSE(bytes.empty()) << "no reference " << path
                              << " (set ZUNFERT_UPDATE_GOLDEN to make it)";
  cMemorySource source(bytes);
  const cImage reference = DecodePng(source);
  ASSERT_EQ(reference.GetWidth(), static_cast<uint32_t>(surface.GetWidth()));
  ASSERT_EQ(reference.GetHeight(), static_cast<uint32_t>(surface.GetHeight()));
  std::vector<uint32_t> row(reference.GetWidth());
  int bad = 0;
  for (uint32_t y = 0; y < reference.GetHeight(); ++y) {
    detail::ConvertRow(static_cast<const uint8_t*>(surface.GetPtr()) + y * surface.GetPitch(),
                       surface.GetPixelFormat(), &surface.GetPalette(),
                       reinterpret_cast<uint8_t*>(row.data()), cPixelFormat::ARGB8888,
                       surface.GetWidth());
    for (uint32_t x = 0; x < reference.GetWidth(); ++x)
      for (int shift = 0; shift < 24; shift += 8) {
        const int want = (reference.ArgbRow(y)[x] >> shift) & 0xFF;
        const int got = (row[x] >> shift) & 0xFF;
        if (std::abs(want - got) > kTolerance && bad++ < 5)
          ADD_FAILURE() << name << " differs at " << x << ", " << y << ": " << std::hex << row[x]
                        << " instead of " << reference.ArgbRow(y)[x];
      }
  }
  EXPECT_EQ(bad, 0) << name;
}

/// Compares a surface with tests/zunfert/golden/<name>.png. With
/// ZUNFERT_UPDATE_GOLDEN set the reference is written instead (look at it
/// before committing it).
inline void ExpectGolden(const cSurface& surface, const std::string& name) {
  const std::string path = std::string(ZUNFERT_GOLDEN_DIR) + "/" + name + ".png";
  if (std::getenv("ZUNFERT_UPDATE_GOLDEN")) {
    ASSERT_TRUE(WritePng(surface, path)) << path;
    return;
  }
  ExpectGoldenAt(surface, path, name);
}

}  // namespace zunfert::test
