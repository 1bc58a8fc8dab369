#include <gtest/gtest.h>
#include <varnlib.h>

// Typed accessors, listing order and read-only properties are checked on the
// scene's lights and cameras; here the sheet itself.
TEST(PropertySheet, ReadsAndWritesByExactNameThroughTheOwner) {
  cNamedObject object;
  object.SetName("fuel");
  cPropertySheet sheet;
  object.AddProperties(&sheet);
  ASSERT_EQ(sheet.GetCount(), 1);
  EXPECT_EQ(sheet.GetProperty(0)->GetName(), "Name");
  EXPECT_EQ(sheet.GetProperty(0)->GetType(), cProperty::String);
  EXPECT_EQ(sheet.GetProperty(0)->GetOwner(), &object);
  EXPECT_FALSE(sheet.Find("Name")->IsReadOnly());

  cString name("tank");
  EXPECT_TRUE(sheet.Set("Name", &name));
  EXPECT_EQ(object.GetName(), "tank");
  cString read;
  EXPECT_FALSE(sheet.Get("name", &read));
  EXPECT_TRUE(sheet.Get("Name", &read));
  EXPECT_EQ(read, "tank");
  sheet.Clear();
  EXPECT_EQ(sheet.GetCount(), 0);
  EXPECT_FALSE(sheet.Get("Name", &read));
}
