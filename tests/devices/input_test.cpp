#include <gtest/gtest.h>
#include <tolmak.h>

#include <vector>

#include "device_fixtures.h"

using devices_test::cScriptedKeyboard;
using devices_test::cStillMouse;

namespace {

struct cModifier {
  const char* m_Name;
  bool (cKeyboard::*m_Test)();
  int m_First;
  int m_Second;
};

const cModifier kModifiers[] = {
    {"Alt", &cKeyboard::IsAltPressed, 0x150, 0x151},
    {"Ctrl", &cKeyboard::IsCtrlPressed, 0x152, 0x153},
    {"Shift", &cKeyboard::IsShiftPressed, 0x154, 0x155},
};

}  // namespace

TEST(Keyboard, ModifierTestsAskTheFirstCodeThenTheSecondOnlyIfNeeded) {
  for (const cModifier& m : kModifiers) {
    SCOPED_TRACE(m.m_Name);
    cScriptedKeyboard k;
    EXPECT_FALSE((k.*m.m_Test)());
    EXPECT_EQ(k.m_Asked, (std::vector<int>{m.m_First, m.m_Second}));

    k.m_Held = {m.m_First};
    k.m_Asked.clear();
    EXPECT_TRUE((k.*m.m_Test)());
    EXPECT_EQ(k.m_Asked, (std::vector<int>{m.m_First}));

    k.m_Held = {m.m_Second};
    k.m_Asked.clear();
    EXPECT_TRUE((k.*m.m_Test)());
    EXPECT_EQ(k.m_Asked, (std::vector<int>{m.m_First, m.m_Second}));
  }
}

TEST(Keyboard, EachModifierIgnoresTheOtherPairsAndGetCharForwards) {
  cScriptedKeyboard k;
  k.m_Held = {0x150, 0x151, 0x152, 0x153, 0x156, 0x14F};
  EXPECT_FALSE(k.IsShiftPressed());
  k.m_Held = {0x154, 0x155};
  EXPECT_FALSE(k.IsAltPressed());
  EXPECT_FALSE(k.IsCtrlPressed());

  k.m_Typed = "ok";
  EXPECT_EQ(k.GetChar(), 'o');
  EXPECT_EQ(k.GetChar(), 'k');
  EXPECT_EQ(k.GetChar(), '\0');
}

namespace {

cMouse::EState Record(uint32_t base) {
  cMouse::EState r;
  r.m_Count = base;
  for (uint32_t i = 0; i < 3; ++i) r.m_Device[i] = base + 1 + i;
  r.m_State = {static_cast<int32_t>(base + 4), static_cast<int32_t>(base + 5), base + 6,
               static_cast<int32_t>(base + 7)};
  return r;
}

void ExpectCopied(const cMouse::EState& to, const cMouse::EState& from, uint32_t targetBase) {
  EXPECT_EQ(to.m_Count, from.m_Count);
  EXPECT_EQ(to.m_State.m_X, from.m_State.m_X);
  EXPECT_EQ(to.m_State.m_Y, from.m_State.m_Y);
  EXPECT_EQ(to.m_State.m_Buttons, from.m_State.m_Buttons);
  EXPECT_EQ(to.m_State.m_Wheel, from.m_State.m_Wheel);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(to.m_Device[i], targetBase + 1 + i);
}

}  // namespace

TEST(Mouse, NewRecordsStartAtZeroAndAreTheDevicesToFill) {
  cStillMouse m;
  EXPECT_EQ(m.OnMouseMove().m_Count, 0u);
  EXPECT_EQ(m.OnMouseUp().m_Count, 0u);
  EXPECT_EQ(m.OnMouseDown().m_Count, 0u);
  m.OnMouseDown() = Record(100);
  EXPECT_EQ(m.OnMouseDown().m_State.m_Buttons, 106u);
  EXPECT_EQ(m.OnMouseMove().m_Count, 0u);  // three distinct records
  EXPECT_NE(&m.OnMouseMove(), &m.OnMouseUp());
}

TEST(Mouse, CopyingTakesFirstWordAndStateAndLeavesTheDeviceWords) {
  cStillMouse source;
  source.OnMouseMove() = Record(10);
  source.OnMouseUp() = Record(20);
  source.OnMouseDown() = Record(30);

  cStillMouse target;
  target.OnMouseMove() = Record(110);
  target.OnMouseUp() = Record(120);
  target.OnMouseDown() = Record(130);
  static_cast<cMouse&>(target) = source;
  ExpectCopied(target.OnMouseMove(), source.OnMouseMove(), 110);
  ExpectCopied(target.OnMouseUp(), source.OnMouseUp(), 120);
  ExpectCopied(target.OnMouseDown(), source.OnMouseDown(), 130);

  cStillMouse constructed(source);
  EXPECT_EQ(constructed.OnMouseUp().m_Count, 20u);
  EXPECT_EQ(constructed.OnMouseDown().m_State.m_Wheel, 37);
}
