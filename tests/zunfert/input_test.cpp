#include "plugin_fixtures.h"

namespace zunfert::test {
namespace {

class InputTest : public PluginTest {
 protected:
  void SetUp() override {
    keyboard = Create<cDefaultKeyboard>("cDefaultKeyboard");
    mouse = Create<cDefaultMouse>("cDefaultMouse");
    ASSERT_TRUE(keyboard->Acquire());
    ASSERT_TRUE(mouse->Acquire());
  }
  void TearDown() override {
    Destroy(keyboard);
    Destroy(mouse);
  }
  std::string Typed() {
    std::string text;
    for (char c; (c = keyboard->GetChar()) != 0;) text += c;
    return text;
  }
  cDefaultKeyboard* keyboard = nullptr;
  cDefaultMouse* mouse = nullptr;
};

// Every modifier code alone, then every pair of them, against the
// engine's tests: each test answers for its own two codes only.
TEST_F(InputTest, ModifierTestsAnswerForTheirOwnPairOnly) {
  cKeyboard* base = keyboard;
  for (int first = 0x14F; first <= 0x156; ++first)
    for (int second = first; second <= 0x156; ++second) {
      keyboard->PressKey(first);
      keyboard->PressKey(second);
      keyboard->Update();
      const auto held = [&](int a, int b) {
        return first == a || first == b || second == a || second == b;
      };
      EXPECT_EQ(held(0x150, 0x151), base->IsAltPressed()) << first << " " << second;
      EXPECT_EQ(held(0x152, 0x153), base->IsCtrlPressed()) << first << " " << second;
      EXPECT_EQ(held(0x154, 0x155), base->IsShiftPressed()) << first << " " << second;
      keyboard->ReleaseKey(first);
      keyboard->ReleaseKey(second);
      keyboard->Update();
      EXPECT_FALSE(base->IsAltPressed() || base->IsCtrlPressed() || base->IsShiftPressed());
    }
}

TEST_F(InputTest, ScriptedEventsTakeEffectAtTheirTimeOnUpdate) {
  const cInputScript script = cInputScript::Parse(
      "# a short session\n"
      "0.0 key down LeftShift\n"
      "0.0 key down a\n"
      "0.5 key up LeftShift\n"
      "0.5 key down b\n"
      "0.5 type x y\n"
      "1.0 mouse move 700 -5\n"
      "1.0 mouse down right\n"
      "1.5 mouse motion -5 3\n"
      "1.5 mouse up 1\n"
      "1.5 mouse wheel -2\n");
  keyboard->SetScript(script);
  mouse->SetScript(script);
  mouse->SetSensitivity(2.0f);
  keyboard->SetTime(0.25f);
  keyboard->Update();
  EXPECT_TRUE(keyboard->IsShiftPressed());
  EXPECT_TRUE(keyboard->IsKeyPressed('A'));
  EXPECT_EQ("A", Typed());
  keyboard->SetTime(0.5f);
  keyboard->Update();
  EXPECT_FALSE(keyboard->IsShiftPressed());
  EXPECT_EQ("bx y", Typed());
  EXPECT_FALSE(keyboard->IsPending());

  mouse->SetTime(0.9f);
  mouse->Update();
  EXPECT_EQ(320, mouse->GetX());
  mouse->SetTime(1.0f);
  mouse->Update();
  // Kept in the 640 by 480 area; motion reported in device units.
  EXPECT_EQ(639, mouse->GetX());
  EXPECT_EQ(0, mouse->GetY());
  int dx = 0, dy = 0;
  mouse->GetMotion(dx, dy);
  EXPECT_EQ(760, dx);
  EXPECT_EQ(-490, dy);
  EXPECT_TRUE(mouse->IsButtonPressed(cMouse::ButtonRight));
  EXPECT_EQ(1u, mouse->OnMouseDown().m_Count);
  EXPECT_EQ(1u, mouse->OnMouseDown().m_Device[0]);
  mouse->SetTime(2.0f);
  mouse->Update();
  EXPECT_EQ(637, mouse->GetX());  // 5 units at 2 units a pixel: 2, half a pixel carried
  EXPECT_EQ(1, mouse->GetY());
  EXPECT_EQ(-2, mouse->GetWheel());
  EXPECT_FALSE(mouse->IsButtonPressed(cMouse::ButtonRight));
  const cMouse::EState& move = mouse->OnMouseMove();
  EXPECT_EQ(3u, move.m_Count);
  EXPECT_EQ(637, move.m_State.m_X);
  EXPECT_EQ(1, move.m_State.m_Y);
  EXPECT_EQ(0u, move.m_State.m_Buttons);
  EXPECT_EQ(-2, move.m_State.m_Wheel);
  EXPECT_EQ(1u, mouse->OnMouseUp().m_Count);
  mouse->Update();
  mouse->GetMotion(dx, dy);
  EXPECT_EQ(0, dx);
}

TEST_F(InputTest, OnlyOneDeviceOfAKindIsAcquiredAndUnacquiringLetsGo) {
  cDefaultKeyboard other;
  EXPECT_FALSE(other.Acquire());
  other.PressKey(cDefaultKeyboard::KeySpace);
  EXPECT_FALSE(other.Update());
  keyboard->PressKey(cDefaultKeyboard::KeySpace);
  keyboard->Update();
  keyboard->Unacquire();
  EXPECT_FALSE(keyboard->IsKeyPressed(cDefaultKeyboard::KeySpace));
  EXPECT_TRUE(other.Acquire());
  EXPECT_TRUE(other.Update());
  EXPECT_TRUE(other.IsKeyPressed(' '));
  other.FlushBuffer();
  EXPECT_EQ(0, other.ReadChar());
}

TEST(InputScript, BadLinesAreRefusedWithTheirNumber) {
  for (const auto& [text, message] : std::initializer_list<std::pair<const char*, const char*>>{
           {"0 key down Nope", "line 1: \"Nope\" is not a key"},
           {"\n1 key down A\n0.5 key up A", "line 3: time goes back"},
           {"-1 key down A", "not a time"},
           {"1 mouse down 3", "not a button"},
           {"1 mouse move 1", "expected a number"},
           {"1 mouse wheel 99999999999", "is not a number"},
           {"1 key down A B", "unexpected \"B\""},
           {"1 joystick", "not key, type or mouse"},
       })
    ExpectError<cException>([&, text = text] { cInputScript::Parse(text); }, message);
  EXPECT_EQ(cDefaultKeyboard::KeyF1 + 11, cInputScript::KeyCode("F12"));
  EXPECT_EQ(-1, cInputScript::KeyCode("F13"));
  EXPECT_EQ(0x41, cInputScript::KeyCode("0x41"));
}

}  // namespace
}  // namespace zunfert::test
