#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <vector>

#include "test_support.h"

namespace {

/// Holds the keys listed and records every code it is asked about.
class cScriptedKeyboard : public cKeyboard {
 public:
  std::vector<int> m_Held;
  std::vector<int> m_Asked;

  bool Acquire() override { return true; }
  void Unacquire() override {}
  bool Update() override { return true; }
  char ReadChar() override { return 0; }
  bool IsKeyPressed(int code) override {
    m_Asked.push_back(code);
    return std::find(m_Held.begin(), m_Held.end(), code) != m_Held.end();
  }
  void FlushBuffer() override {}
};

class cStillMouse : public cMouse {
 public:
  bool Acquire() override { return true; }
  void Unacquire() override {}
  bool Update() override { return true; }
  int GetX() const override { return 0; }
  int GetY() const override { return 0; }
  int GetWheel() const override { return 0; }
  void GetMotion(int& dx, int& dy) const override { dx = dy = 0; }
  bool IsButtonPressed(int) const override { return false; }
  int GetButtonCount() const override { return 3; }
  void SetPosition(int, int) override {}
  void SetArea(int, int, int, int) override {}
  void SetSensitivity(float) override {}
  void ShowCursor(bool) override {}
};

cMouse::EState Record(uint32_t base) {
  cMouse::EState r;
  r.m_Count = base;
  for (uint32_t i = 0; i < 3; ++i) r.m_Device[i] = base + 1 + i;
  r.m_State = {static_cast<int32_t>(base + 4), static_cast<int32_t>(base + 5), base + 6,
               static_cast<int32_t>(base + 7)};
  return r;
}

cMouse::EState& RecordOf(cMouse& m, int r) {
  return r == 0 ? m.OnMouseMove() : r == 1 ? m.OnMouseUp() : m.OnMouseDown();
}

}  // namespace

// Which pair a test reads is checked against a real device in the plug-in
// suite; here, the order of the questions.
TEST(Keyboard, ModifierTestsAskTheSecondCodeOnlyWhenTheFirstIsUp) {
  const std::pair<bool (cKeyboard::*)(), int> modifiers[] = {{&cKeyboard::IsAltPressed, 0x150},
                                                             {&cKeyboard::IsCtrlPressed, 0x152},
                                                             {&cKeyboard::IsShiftPressed, 0x154}};
  for (const auto& [test, first] : modifiers) {
    for (int held : {0, first, first + 1}) {
      cScriptedKeyboard k;
      k.m_Held = {held};
      EXPECT_EQ((k.*test)(), held != 0) << first << " with " << held << " held";
      const std::vector<int> asked =
          held == first ? std::vector{first} : std::vector{first, first + 1};
      EXPECT_EQ(k.m_Asked, asked) << first << " with " << held << " held";
    }
  }
}

TEST(Mouse, RecordsStartAtZeroAndCopiesLeaveTheTargetsDeviceWords) {
  cStillMouse source, target;
  for (int r = 0; r < 3; ++r) {
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(source, r), cMouse::EState{})) << r;
    RecordOf(source, r) = Record(10 + 10 * r);
    RecordOf(target, r) = Record(110 + 10 * r);
  }
  static_cast<cMouse&>(target) = source;
  cStillMouse constructed(source);
  for (int r = 0; r < 3; ++r) {
    cMouse::EState expected = Record(10 + 10 * r);
    std::copy_n(Record(110 + 10 * r).m_Device, 3, expected.m_Device);
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(target, r), expected)) << r;
    std::fill_n(expected.m_Device, 3, 0u);
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(constructed, r), expected)) << r;
  }
}
