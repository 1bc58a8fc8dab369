// The BMP Suite's generated files, read where they lie beside the
// repository: good files against their reference renderings, questionable
// files against the decision recorded for each, bad files refused cleanly or
// decoded harmlessly.

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "image_fixtures.h"
#include "test_support.h"

namespace zunfert::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSuite = fs::path(ZUNFERT_CONFORMANCE_DIR) / "bmpsuite";

using tolmak::test::ReadFile;

std::vector<fs::path> Files(const char* folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSuite / folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Files drawn like another file's reference, name=reference; the other good
// and questionable files have their own. Questionable files decode so:
// skipped RLE pixels are index 0 (the -0 references), palette entries past
// 256 are skipped, a short palette is cut by the pixel offset, the unused
// bit of rgb16faketrns is not alpha, colour profiles are ignored (so
// rgb24prof2, matched by no reference, keeps its swapped channels), and a
// 32-bit file without an alpha mask is opaque.
const char kSameAs[] =
    "pal1wb=pal1 pal4rle=pal4 pal8-0=pal8 pal8rle=pal8 pal8topdown=pal8 pal8os2=pal8 pal8v4=pal8 "
    "pal8v5=pal8 pal8nonsquare=pal8nonsquare-e rgb16bfdef=rgb16 rgb16-565pal=rgb16-565 "
    "rgb24pal=rgb24 rgb32=rgb24 rgb32bf=rgb24 rgb32bfdef=rgb24 pal4rlecut=pal4rlecut-0 "
    "pal4rletrns=pal4rletrns-0 pal8rlecut=pal8rlecut-0 pal8rletrns=pal8rletrns-0 pal8offs=pal8 "
    "pal8oversizepal=pal8 pal8os2-hs=pal8 pal8os2-sz=pal8 pal8os2sp=pal8 pal8os2v2=pal8 "
    "pal8os2v2-16=pal8 pal8os2v2-sz=pal8 pal8os2v2-40sz=pal8 rgb16faketrns=rgb16 "
    "rgb24largepal=rgb24 rgb24prof=rgb24 rgb24lprof=rgb24 rgb32-111110=rgb24 rgb32-xbgr=rgb24 "
    "rgb32fakealpha=rgb24 rgb32h52=rgb24 rgba32-1=rgba32 rgba32-2=rgba32 rgba32abf=rgba32 "
    "rgba32h56=rgba32";

/// The reference rendering of a file, html/<reference>.png.
cImage Reference(const std::string& name) {
  static const std::map<std::string, std::string> sameAs = [] {
    std::map<std::string, std::string> map;
    std::istringstream pairs(kSameAs);
    for (std::string pair; pairs >> pair;)
      map[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    return map;
  }();
  const auto same = sameAs.find(name);
  const std::string reference = same == sameAs.end() ? name : same->second;
  return Decode(DecodePng, ReadFile(kSuite / "html" / (reference + ".png")));
}

/// Compares two pictures channel by channel, alpha included, allowing
/// tolerance levels (the rounding of fields narrower than 8 bits). The
/// colour of a pixel that both call fully transparent does not count.
void ExpectMatches(const cImage& expected, const cImage& actual, int tolerance) {
  ASSERT_EQ(expected.GetWidth(), actual.GetWidth());
  ASSERT_EQ(expected.GetHeight(), actual.GetHeight());
  for (uint32_t y = 0; y < expected.GetHeight(); ++y)
    for (uint32_t x = 0; x < expected.GetWidth(); ++x) {
      const uint32_t a = expected.GetPixel(x, y);
      const uint32_t b = actual.GetPixel(x, y);
      if ((a | b) >> 24 == 0) continue;
      ASSERT_LE(ChannelError(a, b), tolerance)
          << std::hex << a << " " << b << std::dec << " at " << x << ", " << y;
    }
}

class BmpSuite : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kSuite))
      GTEST_SKIP() << "The BMP Suite is not at " << kSuite.string()
                   << "; put shared/conformance beside the repository to run it.";
  }
};

TEST_F(BmpSuite, EveryGoodFileDecodesToItsReference) {
  for (const fs::path& file : Files("g")) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    // 16-bit files have 5- and 6-bit fields, which the references round otherwise.
    ExpectMatches(Reference(name), Decode(DecodeBmp, ReadFile(file)),
                  name.starts_with("rgb16") ? 1 : 0);
  }
}

// Questionable files that we refuse, with the message; the others decode.
TEST_F(BmpSuite, EveryQuestionableFileGetsItsRecordedDecision) {
  const std::map<std::string, std::string> refused = {
      {"pal1huffmsb", "unsupported compression Huffman 1D"},
      {"rgb24rle24", "unsupported compression RLE24"},
      {"rgb24jpeg", "unsupported compression embedded JPEG"},
      {"rgb24png", "unsupported compression embedded PNG"},
      {"rgba64", "unsupported combination of 64-bit pixels"}};
  for (const fs::path& file : Files("q")) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    const auto refusal = refused.find(name);
    if (refusal != refused.end()) {
      ExpectDecodeError(DecodeBmp, ReadFile(file), "BMP: " + refusal->second);
    } else if (const cImage image = Decode(DecodeBmp, ReadFile(file)); name != "rgb24prof2") {
      ExpectMatches(Reference(name), image, 1);
    }
  }
}

TEST_F(BmpSuite, EveryBadFileIsRefusedOrDecodedHarmlessly) {
  for (const fs::path& file : Files("b")) {
    try {
      const cImage image = Decode(DecodeBmp, ReadFile(file));
      EXPECT_EQ(size_t{image.GetWidth()} * image.GetHeight(),
                image.IsIndexed() ? image.GetIndices().size() : image.GetArgb().size());
    } catch (const cImageError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with("BMP: ")) << error.what();
    }
  }
}

}  // namespace
}  // namespace zunfert::test
