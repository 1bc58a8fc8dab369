#include <memory>
#include <tuple>

#include "pixel_support.h"
#include "plugin_fixtures.h"
#include "test_support.h"

namespace zunfert::test {
namespace {

class SpriteTest : public PluginTest {
 protected:
  /// Loads the bytes with the loader class through a memory file of the
  /// stream manager, as cApplicationEx::LoadImage does.
  static void LoadFile(cMemorySprite& loader, const tBytes& bytes) {
    const cUrl url(cString("mem://images/picture"));
    cStreamManager::GetInstance()->SetMemoryFile(url, bytes.data(),
                                                 static_cast<uint32_t>(bytes.size()));
    const std::unique_ptr<iIOStream, void (*)(iIOStream*)> stream(
        cStreamManager::GetInstance()->Open(url, cStreamManager::OpenRead),
        [](iIOStream* opened) { opened->Close(); });
    ASSERT_NE(stream, nullptr);
    loader.Load(*stream);
  }

  static cMemorySprite* Loaded(const char* loader, const tBytes& bytes) {
    cMemorySprite* sprite = Create<cMemorySprite>(loader);
    if (sprite != nullptr) LoadFile(*sprite, bytes);
    return sprite;
  }
};

// Each loader gives exactly its decoder's picture, which the codec round
// trips check against the source.
TEST_F(SpriteTest, EveryEncodedVariantLoadsAsItsDecoderReadsIt) {
  std::vector<cVariant> variants(std::begin(kLossless), std::end(kLossless));
  variants.push_back({"Jpeg", Use<EncodeJpeg, 95>, DecodeJpeg, "cJpegSprite", false, false});
  for (const cVariant& variant : variants) {
    SCOPED_TRACE(variant.name);
    const cImage source = variant.indexed ? MakeIndexedPattern(37, 11) : MakeArgbPattern(37, 11);
    const tBytes file = Encode(variant.encode, source);
    const cImage decoded = Decode(variant.decode, file);
    cMemorySprite* sprite = Loaded(variant.loader, file);
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(std::tuple(sprite->GetPixelFormat().GetFormat(), sprite->GetFrames(),
                         sprite->GetWidth(), sprite->GetHeight(), sprite->GetPitch()),
              std::tuple(variant.indexed ? cPixelFormat::Indexed : cPixelFormat::ARGB8888, 1, 37,
                         11, 37 * (variant.indexed ? 1 : 4)));
    for (uint32_t y = 0; y < 11; ++y)
      for (uint32_t x = 0; x < 37; ++x)
        ASSERT_EQ(decoded.GetPixel(x, y), sprite->GetPixel(0, int(x), int(y))) << x << ", " << y;
    const auto* indices = static_cast<const uint8_t*>(sprite->GetFramePtr(0));
    if (variant.indexed) {
      EXPECT_EQ(source.GetIndices(), tBytes(indices, indices + 37 * 11));
    }
    Destroy(sprite);
  }
}

// Each conversion against the pixel format's own, and each frame cut from
// its place in the source, for every true-colour format; an indexed source
// keeps its indices and palette or goes through the palette.
TEST_F(SpriteTest, CreateFromConvertsEveryFormatCutsFramesAndKeepsIndices) {
  cMemorySprite* source = Loaded(
      "cTgaSprite", Encode(Use<EncodeTga, ETgaEncoding::Argb32, false>, MakeArgbPattern(13, 9)));
  source->EnableColorKey(source->GetPixel(0, 5, 5));
  for (int f = cPixelFormat::Alpha; f < cPixelFormat::Invalid; ++f) {
    const cPixelFormat format(static_cast<cPixelFormat::EFormat>(f));
    SCOPED_TRACE(format.GetShortName().c_str());
    cMemorySprite target;
    target.SetPixelFormat(format);
    if (f == cPixelFormat::IndexAlpha) {
      EXPECT_FALSE(target.CreateFrom(source, 4, 3));
      continue;
    }
    ASSERT_TRUE(target.CreateFrom(source, 4, 3));
    ASSERT_EQ(9, target.GetFrames());  // three by three; the 13th column is left out
    EXPECT_EQ(format.ConvertFromARGB(source->GetColorKey()), target.GetColorKey());
    EXPECT_TRUE(target.IsColorKeyEnabled());
    const uint32_t bytes = format.GetTotalBytes();
    for (int frame = 0; frame < 9; ++frame)
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
          const auto* p = static_cast<const uint8_t*>(target.GetFramePtr(frame)) +
                          y * target.GetPitch() + x * bytes;
          ASSERT_EQ(
              format.ConvertFromARGB(source->GetPixel(0, frame % 3 * 4 + x, frame / 3 * 3 + y)),
              tolmak::test::ReadLE(p, bytes))
              << frame << ": " << x << ", " << y;
        }
  }
  cMemorySprite indexed;
  indexed.SetPixelFormat(cPixelFormat::Indexed);
  EXPECT_FALSE(indexed.CreateFrom(source, 0, 0));
  EXPECT_EQ(0, indexed.GetFrames());
  EXPECT_FALSE(indexed.CreateFrom(source, 14, 0));
  Destroy(source);

  const cImage image = MakeIndexedPattern(6, 4);
  source = Loaded("cPcxSprite", Encode(Use<EncodePcx, EPcxEncoding::Indexed8>, image));
  cMemorySprite same, argb;
  argb.SetPixelFormat(cPixelFormat::ARGB8888);
  ASSERT_TRUE(same.CreateFrom(source, 0, 0) && argb.CreateFrom(source, 0, 0));
  EXPECT_EQ(cPixelFormat::Indexed, same.GetPixelFormat().GetFormat());
  EXPECT_EQ(source->GetPalette().Crc32(), same.GetPalette().Crc32());
  const auto* indices = static_cast<const uint8_t*>(same.GetFramePtr(0));
  EXPECT_EQ(image.GetIndices(), tBytes(indices, indices + 6 * 4));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(source->GetPixel(0, x, y), argb.GetPixel(0, x, y));
  Destroy(source);
}

TEST_F(SpriteTest, SpriteStreamRoundTripsAndRefusesEveryTruncation) {
  cMemorySprite* source = Loaded(
      "cBmpSprite", Encode(Use<EncodeBmp, EBmpEncoding::Indexed8>, MakeIndexedPattern(5, 3)));
  source->EnableColorKey(7);
  const tBytes bytes = tolmak::test::SavedBytes(*source);
  ASSERT_EQ(14u + 1024 + 4 + 15, bytes.size());
  cMemorySprite copy;
  tolmak::test::LoadBytes(copy, bytes);
  EXPECT_EQ(tolmak::test::SavedBytes(copy), bytes);  // size, key, palette and pixels
  for (size_t size = 0; size < bytes.size(); ++size) {
    cMemoryStream part(bytes.data(), uint32_t(size));
    cMemorySprite target;
    ExpectError<cException>([&] { target.Load(part); }, "tream");
    EXPECT_EQ(std::tuple(target.GetFrames(), target.GetPixelFormat().GetFormat()),
              std::tuple(0, cPixelFormat::Invalid));
  }
  // Sizes and frame counts the engine's record holds but pixels cannot:
  // a huge or negative side, a negative frame count.
  const auto patched = [&](size_t at, uint32_t value) {
    tBytes bad = bytes;
    tolmak::test::WriteLE(&bad[at], value, 4);
    return bad;
  };
  for (const tBytes& bad :
       {patched(0, 0x3FFFFFFF), patched(4, uint32_t(-7)), patched(14 + 1024, uint32_t(-1))}) {
    cMemoryStream hostile(bad.data(), uint32_t(bad.size()));
    ExpectError<cException>([&] { copy.Load(hostile); }, "beyond the limits");
    EXPECT_EQ(tolmak::test::SavedBytes(copy), bytes);
  }
  Destroy(source);
}

// Files that the decoders refuse reach the game as a cException with the
// decoder's message, and the loader is left empty though it held a picture.
// (Every loader meets its own decoder above; every decoder's refusals are
// the codec suite's.)
TEST_F(SpriteTest, HostileFilesThrowAndLeaveTheLoaderEmpty) {
  const tBytes rle = Encode(Use<EncodeBmp, EBmpEncoding::Rle8>, MakeIndexedPattern(9, 7));
  const std::pair<tBytes, const char*> hostile[] = {
      {tBytes(rle.begin(), rle.end() - 9), "BMP: file is truncated"},
      {BmpHeaders(100000, 100000, 24, 0, 0, 54).bytes, "exceeds"}};
  for (const auto& [bytes, message] : hostile) {
    SCOPED_TRACE(message);
    cMemorySprite* loader = Create<cMemorySprite>("cBmpSprite");
    loader->SetPixelFormat(cPixelFormat::RGB565);
    ASSERT_TRUE(loader->Create({3, 3}, 2));
    ExpectError<cException>([&, &bytes = bytes] { LoadFile(*loader, bytes); }, message);
    EXPECT_TRUE(loader->GetFrames() == 0 && loader->GetWidth() == 0 && !loader->GetFramePtr(0));
    Destroy(loader);
  }
}

}  // namespace
}  // namespace zunfert::test
