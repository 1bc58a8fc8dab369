#include <gtest/gtest.h>
#include <varnlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

TEST(String, JoinsResizesFormatsAndOrdersBytewiseKeepingEmbeddedZeros) {
  const cString joined(cString("hello"), cString(", world"));
  EXPECT_TRUE(joined == "hello, world" && joined.GetLength() == 12);
  EXPECT_EQ(cString("hello") + cString("!"), "hello!");
  const cString withZero("a\0b", 3);
  EXPECT_EQ(withZero.GetLength(), 3);
  EXPECT_NE(withZero, cString("a"));
  EXPECT_EQ(std::memcmp(withZero.c_str(), "a\0b", 4), 0);

  cString text("abc");
  text.SetLength(5);  // old bytes kept, new ones zero
  EXPECT_EQ(std::memcmp(text.c_str(), "abc\0\0", 6), 0);
  text.SetLength(2);
  EXPECT_EQ(text, "ab");
  text.SetLength(-4);
  EXPECT_TRUE(text.IsEmpty());

  text = "ab";
  for (int i = 0; i < 10; ++i) text += cString("c");
  EXPECT_EQ(text, "abcccccccccc");
  text += text;
  EXPECT_EQ(text.GetLength(), 24);
  text = text.c_str() + 20;  // the text points into the string itself
  EXPECT_EQ(text, "cccc");
  EXPECT_EQ(cString::StringF("(x=%0.4f, y=%0.4f)", 1.0, -2.5), "(x=1.0000, y=-2.5000)");
  text = "old";  // Format replaces what the string held
  EXPECT_EQ(text.Format("%s-%03d", "id", 7), "id-007");
  EXPECT_EQ(cString::StringF("%0500d", 1).GetLength(), 500);

  EXPECT_TRUE(cString("ab") < cString("abc") && cString("abc") < cString("abd"));
  EXPECT_FALSE(cString("b") < cString("abc") || cString("same") < cString("same"));
}

// Adding and listing in order are checked with the device's enumeration tables.
TEST(StringTable, FindsTheFirstEntryOfAValueAndOnlyTheExactName) {
  cStringTable table;
  table.Add(1, "One"), table.Add(2, "Two"), table.Add(1, "Uno");
  EXPECT_EQ(*table.FindName(1), "One");
  EXPECT_EQ(table.FindName(3), nullptr);
  int value = 0;
  EXPECT_TRUE(table.FindValue("Uno", value) && value == 1);
  EXPECT_FALSE(table.FindValue("uno", value));
}

TEST(Crc, MatchesTheStandardCheckValuesOfCrc32AndFnv1a) {
  EXPECT_EQ(static_cast<uint32_t>(gCRC32("123456789")), 0xCBF43926u);
  EXPECT_EQ(gCRC32("123456789"), gCRC32("123456789", 9));
  EXPECT_TRUE(gCRC32("") == 0 && gCRC32("x", 0) == 0);
  EXPECT_EQ(static_cast<uint32_t>(gHash("", 0)), 2166136261u);
  EXPECT_EQ(static_cast<uint32_t>(gHash("a", 1)), 0xE40C292Cu);
  uint32_t block[256] = {};
  const int32_t zeros = gHash(block, sizeof block);
  block[255] = 1;
  EXPECT_NE(gHash(block, sizeof block), zeros);
}

// Reading and writing through the owner, typed accessors, listing order and
// read-only properties are checked on the scene's lights and cameras. The
// typed path refuses what the untyped one would pass to the accessor as the
// wrong kind of memory, and says why.
TEST(PropertySheet, NamesAreExactTypesAreCheckedAndClearEmptiesTheSheet) {
  const tolmak::test::cMessages messages;
  cNamedObject object;
  EXPECT_TRUE(gSetProperty(&object, "Name", "tank"));  // text as const char* is a cString
  EXPECT_EQ(object.GetName(), "tank");
  EXPECT_FALSE(gSetProperty(&object, "Name", 42));
  EXPECT_FALSE(gSetProperty(&object, "Nmae", cString("x")));
  cPropertySheet sheet;
  object.AddProperties(&sheet);
  ASSERT_EQ(sheet.GetCount(), 1);
  float wrong = 0;
  EXPECT_FALSE(sheet.GetValue("Name", wrong));
  cString read;
  EXPECT_FALSE(sheet.Get("name", &read));
  EXPECT_TRUE(sheet.GetValue("Name", read));
  EXPECT_EQ(read, "tank");
  EXPECT_EQ(messages.traced,
            (std::vector<std::string>{
                "Property \"Name\" holds a cString, but an int32_t was given: pass a cString",
                "Property \"Nmae\" not found: the object publishes no such value (check the "
                "spelling)",
                "Property \"Name\" holds a cString, but a float was given: pass a cString"}));
  sheet.Clear();
  EXPECT_EQ(sheet.GetCount(), 0);
  EXPECT_FALSE(sheet.Get("Name", &read));
}
