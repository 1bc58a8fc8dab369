#include <gtest/gtest.h>
#include <varnlib.h>

#include <cstring>

TEST(String, JoinsResizesAndKeepsEmbeddedZeros) {
  EXPECT_STREQ(cString().c_str(), "");
  const cString joined(cString("hello"), cString(", world"));
  EXPECT_EQ(joined, "hello, world");
  EXPECT_EQ(joined.GetLength(), 12);
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
}

TEST(String, FormatsLikePrintfAndOrdersBytewiseShorterFirst) {
  EXPECT_EQ(cString::StringF("(x=%0.4f, y=%0.4f)", 1.0, -2.5), "(x=1.0000, y=-2.5000)");
  cString text("old");
  EXPECT_EQ(text.Format("%s-%03d", "id", 7), "id-007");
  EXPECT_EQ(cString::StringF("%0500d", 1).GetLength(), 500);

  EXPECT_TRUE(cString("ab") < cString("abc"));
  EXPECT_TRUE(cString("abc") < cString("abd"));
  EXPECT_FALSE(cString("b") < cString("abc"));
  EXPECT_FALSE(cString("same") < cString("same"));
}

TEST(StringTable, KeepsEntriesInOrderAndFindsTheFirst) {
  cStringTable table;
  table.Add(1, "One");
  table.Add(2, "Two");
  table.Add(1, "Uno");
  EXPECT_EQ(table.GetCount(), 3);
  EXPECT_EQ(*table.FindName(1), "One");
  EXPECT_EQ(table.FindName(3), nullptr);
  int value = 0;
  EXPECT_TRUE(table.FindValue("Uno", value));
  EXPECT_EQ(value, 1);
  EXPECT_FALSE(table.FindValue("uno", value));
  EXPECT_EQ(table.GetName(2), "Uno");
}
