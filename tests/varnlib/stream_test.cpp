#include <gtest/gtest.h>
#include <varnlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

// A fresh stream manager and temporary folder per test.
class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override { streams = cStreamManager::New(); }
  void TearDown() override { cStreamManager::Delete(); }
  /// Opens the url for writing and writes the text; closes unless told not to.
  iIOStream* Write(const cUrl& url, const char* text, bool close = true) {
    iIOStream* out = streams->Open(url, cStreamManager::OpenWrite);
    EXPECT_TRUE(out && out->WriteText(text) && (!close || out->Close()));
    return out;
  }
  /// The text at the start of the url, read through the manager.
  cString ReadText(const cUrl& url) {
    cString text("(unreadable)");
    iIOStream* in = streams->Open(url, cStreamManager::OpenRead);
    if (in == nullptr) return text;
    if (!in->ReadText(text)) text = "(truncated)";
    EXPECT_TRUE(in->Close());
    return text;
  }

  cStreamManager* streams = nullptr;
  const tolmak::test::cScratchFolder folder{"varn_stream"};
};

}  // namespace

// The layout of every field is checked by the bitmap and entity streams'
// saved bytes.
TEST(MemoryStream, RefusesTextLengthsThatAreNegativeOrOneByteBeyondTheStream) {
  cString text("Box");
  const uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF}, tooLong[] = {3, 0, 0, 0, 'a', 'b'};
  EXPECT_FALSE(cMemoryStream(negative, sizeof negative).ReadText(text));
  EXPECT_FALSE(cMemoryStream(tooLong, sizeof tooLong).ReadText(text));
  EXPECT_EQ(text, "Box");
}

TEST_F(StreamFiles, MemoryFilesRoundTripAndWhatIsNotAReadableFileFailsCleanly) {
  const cUrl url("mem://scene/a.bin");
  EXPECT_EQ(streams->Open(url, cStreamManager::OpenRead), nullptr);
  iIOStream* out = Write(url, "payload", false);
  EXPECT_EQ(out->GetUrl().GetText(), "mem://scene/a.bin");
  EXPECT_TRUE(out->Close());
  iIOStream* in = streams->Open(url, cStreamManager::OpenRead);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->GetRemaining(), 11);
  EXPECT_EQ(in->Write("x", 1), 0u);  // a stream opened for reading does not write
  EXPECT_TRUE(in->Close());
  EXPECT_EQ(ReadText(url), "payload");
  tArray<uint8_t> bytes;
  EXPECT_TRUE(streams->GetMemoryFile(url, bytes) && bytes.GetCount() == 11);
  EXPECT_TRUE(streams->DeleteMemoryFile(url));
  EXPECT_FALSE(streams->GetMemoryFile(url, bytes));
  const cUrl self(cString(folder.Path().string().c_str()));
  EXPECT_EQ(streams->Open(folder.Url("missing.bin"), cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(self, cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(self, cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(folder.Url("no/such/folder/x.bin"), cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(folder.Url("x.bin"), 0), nullptr);
}

TEST_F(StreamFiles, FilesReplaceTheOldContentsOnlyAtClose) {
  const cUrl url = folder.Url("scene.bin");
  const std::vector<uint8_t> old = tolmak::test::cLEBytes().Text("old").bytes;
  Write(url, "old");
  EXPECT_EQ(tolmak::test::ReadFile(folder / "scene.bin"), old);
  iIOStream* second = Write(url, "new contents", false);
  EXPECT_EQ(tolmak::test::ReadFile(folder / "scene.bin"), old);  // not yet committed
  second->Abandon();
  EXPECT_EQ(tolmak::test::ReadFile(folder / "scene.bin"), old);
  Write(url, "new");
  EXPECT_EQ(ReadText(url), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}),
            1);  // no temporary left

  // Deleting the manager commits streams left open.
  Write(folder.Url("left-open.bin"), "open", false);
  cStreamManager::Delete();
  streams = cStreamManager::New();
  EXPECT_EQ(ReadText(folder.Url("left-open.bin")), "open");
}

// Locations of memory and file URLs are used by the plug-in and scene saves
// of children beside their parent.
TEST(Url, LocationIsTheFolderWithItsSeparator) {
  EXPECT_EQ(cUrl("C:\\game\\a.ent").GetLocation(), "C:\\game\\");
  EXPECT_EQ(cUrl("root.ent").GetLocation(), "");
  EXPECT_EQ(cUrl("/tmp/level/root.ent").GetFileName(), "root.ent");
  EXPECT_TRUE(cUrl("mem://x").IsMemory() && !cUrl("memory.bin").IsMemory());
}
