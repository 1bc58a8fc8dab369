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
  cUrl Path(const char* name) const { return folder.Url(name); }
  static std::string ReadFile(const cUrl& url) {
    const std::vector<uint8_t> bytes = tolmak::test::ReadFile(url.GetText().c_str());
    return {bytes.begin(), bytes.end()};
  }
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

TEST(MemoryStream, WritesLittleEndianFieldsAndRefusesImpossibleTextLengths) {
  cMemoryStream stream;
  EXPECT_TRUE(stream.WriteUInt32(0x01020304) && stream.WriteUInt16(0xA0B0) &&
              stream.WriteInt32(-2) && stream.WriteFloat(1.0f) && stream.WriteText("Box") &&
              stream.WriteUInt8(1));
  EXPECT_EQ(tolmak::test::StreamBytes(stream),
            (std::vector<uint8_t>{4, 3,    2,    1, 0xB0, 0xA0, 0xFE, 0xFF, 0xFF, 0xFF, 0,
                                  0, 0x80, 0x3F, 3, 0,    0,    0,    'B',  'o',  'x',  1}));
  // Reading each field back is every saved object's round trip.
  cString text("Box");
  // Text lengths that are negative or one byte beyond the stream are refused.
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
  EXPECT_EQ(streams->Open(Path("missing.bin"), cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(self, cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(self, cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(Path("no/such/folder/x.bin"), cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(Path("x.bin"), 0), nullptr);
}

TEST_F(StreamFiles, FilesReplaceTheOldContentsOnlyAtClose) {
  const cUrl url = Path("scene.bin");
  const std::string old("\3\0\0\0old", 7);
  Write(url, "old");
  EXPECT_EQ(ReadFile(url), old);
  iIOStream* second = Write(url, "new contents", false);
  EXPECT_EQ(ReadFile(url), old);  // not yet committed
  second->Abandon();
  EXPECT_EQ(ReadFile(url), old);
  Write(url, "new");
  EXPECT_EQ(ReadText(url), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}),
            1);  // no temporary left

  // Deleting the manager commits streams left open.
  Write(Path("left-open.bin"), "open", false);
  cStreamManager::Delete();
  streams = cStreamManager::New();
  EXPECT_EQ(ReadText(Path("left-open.bin")), "open");
}

TEST(Url, LocationIsTheFolderWithItsSeparator) {
  EXPECT_EQ(cUrl("mem://scene/root.ent").GetLocation(), "mem://scene/");
  EXPECT_EQ(cUrl("/tmp/level/root.ent").GetLocation(), "/tmp/level/");
  EXPECT_EQ(cUrl("C:\\game\\a.ent").GetLocation(), "C:\\game\\");
  EXPECT_EQ(cUrl("root.ent").GetLocation(), "");
  EXPECT_EQ(cUrl("/tmp/level/root.ent").GetFileName(), "root.ent");
  EXPECT_TRUE(cUrl("mem://x").IsMemory());
  EXPECT_FALSE(cUrl("memory.bin").IsMemory());
}
