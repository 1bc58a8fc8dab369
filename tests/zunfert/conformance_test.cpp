// The BMP Suite's generated files, read where they lie beside the
// repository: good files against their reference renderings, questionable
// files against the decision recorded for each, bad files refused cleanly or
// decoded harmlessly.

#include <filesystem>
#include <map>
#include <set>
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

/// The reference rendering, html/<name>.png.
cImage Reference(const std::string& name) {
  return Decode(DecodePng, ReadFile(kSuite / "html" / (name + ".png")));
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
      for (int shift = 0; shift < 32; shift += 8)
        ASSERT_LE(std::abs(int(a >> shift & 255) - int(b >> shift & 255)), tolerance)
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

// Files drawn like another file's reference; the rest have their own.
const std::map<std::string, std::string> kSameAs = {{"pal1wb", "pal1"},
                                                    {"pal4rle", "pal4"},
                                                    {"pal8-0", "pal8"},
                                                    {"pal8rle", "pal8"},
                                                    {"pal8topdown", "pal8"},
                                                    {"pal8os2", "pal8"},
                                                    {"pal8v4", "pal8"},
                                                    {"pal8v5", "pal8"},
                                                    {"pal8nonsquare", "pal8nonsquare-e"},
                                                    {"rgb16bfdef", "rgb16"},
                                                    {"rgb16-565pal", "rgb16-565"},
                                                    {"rgb24pal", "rgb24"},
                                                    {"rgb32", "rgb24"},
                                                    {"rgb32bf", "rgb24"},
                                                    {"rgb32bfdef", "rgb24"}};

TEST_F(BmpSuite, EveryGoodFileDecodesToItsReference) {
  for (const fs::path& file : Files("g")) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    const auto same = kSameAs.find(name);
    const cImage image = Decode(DecodeBmp, ReadFile(file));
    // 16-bit files have 5- and 6-bit fields, which the references round otherwise.
    ExpectMatches(Reference(same == kSameAs.end() ? name : same->second), image,
                  name.starts_with("rgb16") ? 1 : 0);
  }
}

// What we do with each questionable file: decode it (and then, where the
// suite has one, match a reference) or refuse it with a message.
struct cDecision {
  const char* file;
  const char* reference;  // when decoded; "" where no reference fits
  const char* refusal;    // nullptr when decoded
};

const cDecision kQuestionable[] = {
    {"pal1p1", "pal1p1", nullptr},
    {"pal2", "pal2", nullptr},
    {"pal2color", "pal2color", nullptr},
    {"pal4rlecut", "pal4rlecut-0", nullptr},  // skipped pixels are index 0
    {"pal4rletrns", "pal4rletrns-0", nullptr},
    {"pal8rlecut", "pal8rlecut-0", nullptr},
    {"pal8rletrns", "pal8rletrns-0", nullptr},
    {"pal8offs", "pal8", nullptr},
    {"pal8oversizepal", "pal8", nullptr},  // entries past 256 skipped
    {"pal8os2-hs", "pal8", nullptr},
    {"pal8os2-sz", "pal8", nullptr},
    {"pal8os2sp", "pal8", nullptr},  // a short palette, cut by the pixel offset
    {"pal8os2v2", "pal8", nullptr},
    {"pal8os2v2-16", "pal8", nullptr},
    {"pal8os2v2-sz", "pal8", nullptr},
    {"pal8os2v2-40sz", "pal8", nullptr},
    {"rgb16-231", "rgb16-231", nullptr},
    {"rgb16-3103", "rgb16-3103", nullptr},
    {"rgb16faketrns", "rgb16", nullptr},  // the unused bit is not alpha
    {"rgb24largepal", "rgb24", nullptr},
    {"rgb24prof", "rgb24", nullptr},  // colour profiles are ignored
    {"rgb24prof2", "", nullptr},      // so this one keeps its swapped channels
    {"rgb24lprof", "rgb24", nullptr},
    {"rgb32-111110", "rgb24", nullptr},
    {"rgb32-7187", "rgb32-7187", nullptr},
    {"rgb32-xbgr", "rgb24", nullptr},
    {"rgb32fakealpha", "rgb24", nullptr},  // without an alpha mask, opaque
    {"rgb32h52", "rgb24", nullptr},
    {"rgba16-1924", "rgba16-1924", nullptr},
    {"rgba16-4444", "rgba16-4444", nullptr},
    {"rgba16-5551", "rgba16-5551", nullptr},
    {"rgba32-1", "rgba32", nullptr},
    {"rgba32-2", "rgba32", nullptr},
    {"rgba32-1010102", "rgba32-1010102", nullptr},
    {"rgba32-61754", "rgba32-61754", nullptr},
    {"rgba32-81284", "rgba32-81284", nullptr},
    {"rgba32abf", "rgba32", nullptr},
    {"rgba32h56", "rgba32", nullptr},
    {"pal1huffmsb", nullptr, "unsupported compression Huffman 1D"},
    {"rgb24rle24", nullptr, "unsupported compression RLE24"},
    {"rgb24jpeg", nullptr, "unsupported compression embedded JPEG"},
    {"rgb24png", nullptr, "unsupported compression embedded PNG"},
    {"rgba64", nullptr, "unsupported combination of 64-bit pixels"},
};

TEST_F(BmpSuite, EveryQuestionableFileGetsItsRecordedDecision) {
  std::set<std::string> decided;
  for (const cDecision& decision : kQuestionable) {
    SCOPED_TRACE(decision.file);
    decided.insert(decision.file);
    const tBytes bytes = ReadFile(kSuite / "q" / (std::string(decision.file) + ".bmp"));
    ASSERT_FALSE(bytes.empty());
    if (decision.refusal != nullptr) {
      ExpectDecodeError(DecodeBmp, bytes, std::string("BMP: ") + decision.refusal);
      continue;
    }
    const cImage image = Decode(DecodeBmp, bytes);
    if (*decision.reference != '\0') ExpectMatches(Reference(decision.reference), image, 1);
  }
  for (const fs::path& file : Files("q"))
    EXPECT_TRUE(decided.contains(file.stem().string())) << file << " has no recorded decision";
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
