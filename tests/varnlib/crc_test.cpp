#include <gtest/gtest.h>
#include <varnlib.h>

TEST(Crc, MatchesTheStandardCheckValuesOfCrc32AndFnv1a) {
  EXPECT_EQ(static_cast<uint32_t>(gCRC32("123456789")), 0xCBF43926u);
  EXPECT_EQ(gCRC32("123456789"), gCRC32("123456789", 9));
  EXPECT_EQ(gCRC32(""), 0);
  EXPECT_EQ(gCRC32("x", 0), 0);
  EXPECT_NE(gCRC32("cEntity"), gCRC32("centity"));
  EXPECT_EQ(static_cast<uint32_t>(gHash("", 0)), 2166136261u);
  EXPECT_EQ(static_cast<uint32_t>(gHash("a", 1)), 0xE40C292Cu);
  uint32_t block[256] = {};
  const int32_t zeros = gHash(block, sizeof block);
  block[255] = 1;
  EXPECT_NE(gHash(block, sizeof block), zeros);
}

TEST(Errors, SinksReceiveMessagesAndTraceLines) {
  struct cCapture {
    static void Append(const char* text, void* user) {
      *static_cast<cString*>(user) += cString(text) + "|";
    }
  };
  cString shown, traced;
  gSetErrorSink(&cCapture::Append, &shown);
  gSetTraceSink(&cCapture::Append, &traced);
  gShowError("Can't do it.");
  trace("\t- %s : %d", "value", 42);
  trace(cString("joined"));
  gSetErrorSink(nullptr);
  gSetTraceSink(nullptr);
  EXPECT_EQ(shown, "Can't do it.|");
  EXPECT_EQ(traced, "\t- value : 42|joined|");
}
