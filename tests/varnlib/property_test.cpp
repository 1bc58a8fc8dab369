#include <gtest/gtest.h>
#include <varnlib.h>

namespace {

class cGauge : public cNamedObject {
 public:
  void AddProperties(cPropertySheet* sheet) override {
    cNamedObject::AddProperties(sheet);
    sheet->Add(cProperty::Float, "Level", this, PropertyAccessor(&cGauge::GetLevel), PropertyAccessor(&cGauge::SetLevel));
    sheet->Add(cProperty::Int, "Serial", this, PropertyAccessor(&cGauge::GetSerial), nullptr);
  }
  float level = 0.5f;
  int serial = 77;

 protected:
  void GetLevel(void* value) { *static_cast<float*>(value) = level; }
  void SetLevel(void* value) { level = *static_cast<float*>(value); }
  void GetSerial(void* value) { *static_cast<int*>(value) = serial; }
};

}  // namespace

TEST(PropertySheet, ListsBasePropertiesFirstAndReadsAndWritesByName) {
  cGauge gauge;
  gauge.SetName("fuel");
  cPropertySheet sheet;
  gauge.AddProperties(&sheet);
  ASSERT_EQ(sheet.GetCount(), 3);
  EXPECT_EQ(sheet.GetProperty(0)->GetName(), "Name");
  EXPECT_EQ(sheet.GetProperty(0)->GetType(), cProperty::String);
  EXPECT_EQ(sheet.GetProperty(1)->GetName(), "Level");
  EXPECT_EQ(sheet.GetProperty(1)->GetOwner(), &gauge);

  float level = 0;
  EXPECT_TRUE(sheet.Get("Level", &level));
  EXPECT_EQ(level, 0.5f);
  level = 0.25f;
  EXPECT_TRUE(sheet.Set("Level", &level));
  EXPECT_EQ(gauge.level, 0.25f);

  cString name("tank");
  EXPECT_TRUE(sheet.Set("Name", &name));
  EXPECT_EQ(gauge.GetName(), "tank");
  EXPECT_FALSE(sheet.Get("level", &level));  // names are exact
}

TEST(PropertySheet, PropertiesWithoutSetterAreReadOnly) {
  cGauge gauge;
  cPropertySheet sheet;
  gauge.AddProperties(&sheet);
  cProperty* serial = sheet.Find("Serial");
  ASSERT_NE(serial, nullptr);
  EXPECT_TRUE(serial->IsReadOnly());
  int value = 5;
  EXPECT_FALSE(sheet.Set("Serial", &value));
  EXPECT_EQ(gauge.serial, 77);
  EXPECT_TRUE(sheet.Get("Serial", &value));
  EXPECT_EQ(value, 77);
  sheet.Clear();
  EXPECT_EQ(sheet.GetCount(), 0);
}
