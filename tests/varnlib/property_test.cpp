#include <gtest/gtest.h>
#include <varnlib.h>

namespace {

class cGauge : public cNamedObject {
 public:
  void AddProperties(cPropertySheet* sheet) override {
    cNamedObject::AddProperties(sheet);
    sheet->Add(cProperty::Float, "Level", this, PropertyAccessor(&cGauge::GetLevel),
               PropertyAccessor(&cGauge::SetLevel));
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

// Base properties come first; names are exact; no setter means read-only.
TEST(PropertySheet, ListsBasePropertiesFirstAndReadsAndWritesByName) {
  cGauge gauge;
  gauge.SetName("fuel");
  cPropertySheet sheet;
  gauge.AddProperties(&sheet);
  ASSERT_EQ(sheet.GetCount(), 3);
  EXPECT_EQ(sheet.GetProperty(0)->GetName(), "Name");
  EXPECT_EQ(sheet.GetProperty(0)->GetType(), cProperty::String);
  EXPECT_EQ(sheet.GetProperty(1)->GetOwner(), &gauge);

  float level = 0;
  EXPECT_TRUE(sheet.Get("Level", &level) && level == 0.5f);
  level = 0.25f;
  EXPECT_TRUE(sheet.Set("Level", &level));
  EXPECT_EQ(gauge.level, 0.25f);
  EXPECT_FALSE(sheet.Get("level", &level));
  cString name("tank");
  EXPECT_TRUE(sheet.Set("Name", &name));
  EXPECT_EQ(gauge.GetName(), "tank");

  int serial = 5;
  EXPECT_TRUE(sheet.Find("Serial")->IsReadOnly());
  EXPECT_FALSE(sheet.Set("Serial", &serial));
  EXPECT_TRUE(sheet.Get("Serial", &serial) && serial == 77);
  sheet.Clear();
  EXPECT_EQ(sheet.GetCount(), 0);
}
