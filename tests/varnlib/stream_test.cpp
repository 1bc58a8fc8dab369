#include <gtest/gtest.h>
#include <varnlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const cMemoryStream& stream) {
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize());
}

// A fresh stream manager and temporary folder per test.
class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    streams = cStreamManager::New();
    folder = std::filesystem::temp_directory_path() /
             ("varn_stream_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    cStreamManager::Delete();
    std::filesystem::remove_all(folder);
  }
  cUrl Path(const char* name) const { return cUrl(cString((folder / name).string().c_str())); }

  static std::string ReadFile(const cUrl& url) {
    std::ifstream file(url.GetText().c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  cStreamManager* streams = nullptr;
  std::filesystem::path folder;
};

}  // namespace

TEST(MemoryStream, WritesLittleEndianFieldsAndReadsThemBack) {
  cMemoryStream stream;
  EXPECT_TRUE(stream.WriteUInt32(0x01020304));
  EXPECT_TRUE(stream.WriteUInt16(0xA0B0));
  EXPECT_TRUE(stream.WriteInt32(-2));
  EXPECT_TRUE(stream.WriteFloat(1.0f));
  EXPECT_TRUE(stream.WriteText("Box"));
  EXPECT_TRUE(stream.WriteUInt8(1));
  EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{4, 3, 2, 1, 0xB0, 0xA0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0x80,
                                                 0x3F, 3, 0, 0, 0, 'B', 'o', 'x', 1}));
  stream.Seek(0);
  uint32_t u32 = 0;
  uint16_t u16 = 0;
  int32_t i32 = 0;
  float f = 0;
  cString text;
  uint8_t u8 = 0;
  EXPECT_TRUE(stream.ReadUInt32(u32) && stream.ReadUInt16(u16) && stream.ReadInt32(i32) &&
              stream.ReadFloat(f) && stream.ReadText(text) && stream.ReadUInt8(u8));
  EXPECT_EQ(u32, 0x01020304u);
  EXPECT_EQ(u16, 0xA0B0);
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(f, 1.0f);
  EXPECT_EQ(text, "Box");
  EXPECT_EQ(u8, 1);
  EXPECT_FALSE(stream.ReadUInt8(u8));
  EXPECT_EQ(stream.GetRemaining(), 0);
}

TEST(MemoryStream, RefusesTextLengthsTheStreamCannotHold) {
  const uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF};
  const uint8_t tooLong[] = {5, 0, 0, 0, 'a', 'b'};
  cString text("kept");
  cMemoryStream first(negative, sizeof negative);
  EXPECT_FALSE(first.ReadText(text));
  cMemoryStream second(tooLong, sizeof tooLong);
  EXPECT_FALSE(second.ReadText(text));
  EXPECT_EQ(text, "kept");
}

TEST_F(StreamFiles, MemoryFilesRoundTripThroughOpen) {
  const cUrl url(cString("mem://scene/a.bin"));
  EXPECT_EQ(streams->Open(url, cStreamManager::OpenRead), nullptr);
  iIOStream* out = streams->Open(url, cStreamManager::OpenWrite);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->GetUrl().GetText(), "mem://scene/a.bin");
  out->WriteText("payload");
  EXPECT_TRUE(out->Close());

  iIOStream* in = streams->Open(url, cStreamManager::OpenRead);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->GetRemaining(), 11);
  cString text;
  EXPECT_TRUE(in->ReadText(text));
  EXPECT_EQ(text, "payload");
  EXPECT_EQ(in->Write("x", 1), 0u);  // a stream opened for reading does not write
  EXPECT_TRUE(in->Close());

  tArray<uint8_t> bytes;
  EXPECT_TRUE(streams->GetMemoryFile(url, bytes));
  EXPECT_EQ(bytes.GetCount(), 11);
  EXPECT_TRUE(streams->DeleteMemoryFile(url));
  EXPECT_FALSE(streams->GetMemoryFile(url, bytes));
}

TEST_F(StreamFiles, FilesRoundTripAndReplaceTheOldContentsOnlyAtClose) {
  const cUrl url = Path("scene.bin");
  iIOStream* first = streams->Open(url, cStreamManager::OpenWrite);
  ASSERT_NE(first, nullptr);
  first->WriteText("old");
  EXPECT_TRUE(first->Close());
  EXPECT_EQ(ReadFile(url), std::string("\3\0\0\0old", 7));

  iIOStream* second = streams->Open(url, cStreamManager::OpenWrite);
  second->WriteText("new contents");
  EXPECT_EQ(ReadFile(url), std::string("\3\0\0\0old", 7));  // not yet committed
  second->Abandon();
  EXPECT_EQ(ReadFile(url), std::string("\3\0\0\0old", 7));

  iIOStream* third = streams->Open(url, cStreamManager::OpenWrite);
  third->WriteText("new");
  EXPECT_TRUE(third->Close());
  iIOStream* in = streams->Open(url, cStreamManager::OpenRead);
  ASSERT_NE(in, nullptr);
  cString text;
  EXPECT_TRUE(in->ReadText(text));
  EXPECT_EQ(text, "new");
  in->Close();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temporary left
}

TEST_F(StreamFiles, OpeningWhatIsNotAReadableFileFailsCleanly) {
  EXPECT_EQ(streams->Open(Path("missing.bin"), cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(cUrl(cString(folder.string().c_str())), cStreamManager::OpenRead), nullptr);
  EXPECT_EQ(streams->Open(cUrl(cString(folder.string().c_str())), cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(Path("no/such/folder/x.bin"), cStreamManager::OpenWrite), nullptr);
  EXPECT_EQ(streams->Open(Path("x.bin"), 0), nullptr);
}

TEST_F(StreamFiles, DeletingTheManagerCommitsStreamsLeftOpen) {
  const cUrl url = Path("left-open.bin");
  iIOStream* out = streams->Open(url, cStreamManager::OpenWrite);
  ASSERT_NE(out, nullptr);
  out->WriteUInt8(9);
  cStreamManager::Delete();
  streams = cStreamManager::New();
  EXPECT_EQ(ReadFile(url), std::string("\x09"));
}

TEST(Url, LocationIsTheFolderWithItsSeparator) {
  EXPECT_EQ(cUrl(cString("mem://scene/root.ent")).GetLocation(), "mem://scene/");
  EXPECT_EQ(cUrl(cString("/tmp/level/root.ent")).GetLocation(), "/tmp/level/");
  EXPECT_EQ(cUrl(cString("C:\\game\\a.ent")).GetLocation(), "C:\\game\\");
  EXPECT_EQ(cUrl(cString("root.ent")).GetLocation(), "");
  EXPECT_EQ(cUrl(cString("/tmp/level/root.ent")).GetFileName(), "root.ent");
  EXPECT_TRUE(cUrl(cString("mem://x")).IsMemory());
  EXPECT_FALSE(cUrl(cString("memory.bin")).IsMemory());
}
