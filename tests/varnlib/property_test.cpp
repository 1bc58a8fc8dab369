#include <gtest/gtest.h>
#include <varnlib.h>

#include <string>
#include <vector>

#include "test_support.h"

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

// The typed path refuses what the untyped one would pass to the accessor as
// the wrong kind of memory, and says why.
TEST(PropertySheet, TypedPathChecksNameAndTypeAndSaysWhy) {
  const tolmak::test::cMessages messages;
  cNamedObject object;
  EXPECT_TRUE(gSetProperty(&object, "Name", "tank"));  // text as const char* is a cString
  EXPECT_EQ(object.GetName(), "tank");
  EXPECT_FALSE(gSetProperty(&object, "Name", 42));
  EXPECT_FALSE(gSetProperty(&object, "Nmae", cString("x")));
  cPropertySheet sheet;
  object.AddProperties(&sheet);
  float wrong = 0;
  EXPECT_FALSE(sheet.GetValue("Name", wrong));
  cString read;
  EXPECT_TRUE(sheet.GetValue("Name", read));
  EXPECT_EQ(read, "tank");
  EXPECT_EQ(messages.traced,
            (std::vector<std::string>{
                "Property \"Name\" holds a cString, but an int32_t was given: pass a cString",
                "Property \"Nmae\" not found: the object publishes no such value (check the "
                "spelling)",
                "Property \"Name\" holds a cString, but a float was given: pass a cString"}));
}
