#include <tuple>

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
  EXPECT_TRUE(keyboard->IsShiftPressed() && keyboard->IsKeyPressed('A'));
  EXPECT_EQ("A", Typed());
  keyboard->SetTime(0.5f);
  keyboard->Update();
  EXPECT_FALSE(keyboard->IsShiftPressed() || keyboard->IsPending());
  EXPECT_EQ("bx y", Typed());

  // Position, wheel and right button after the events up to the time.
  const auto mouseAt = [&](float time) {
    mouse->SetTime(time);
    mouse->Update();
    return std::tuple(mouse->GetX(), mouse->GetY(), mouse->GetWheel(),
                      mouse->IsButtonPressed(cMouse::ButtonRight));
  };
  EXPECT_EQ(mouseAt(0.9f), std::tuple(320, 240, 0, false));
  // Kept in the 640 by 480 area; motion reported in device units.
  EXPECT_EQ(mouseAt(1.0f), std::tuple(639, 0, 0, true));
  int dx = 0, dy = 0;
  mouse->GetMotion(dx, dy);
  EXPECT_EQ(std::tuple(dx, dy), std::tuple(760, -490));
  const cMouse::EState& down = mouse->OnMouseDown();
  EXPECT_EQ(std::tuple(down.m_Count, down.m_Device[0]), std::tuple(1u, 1u));
  // 5 units at 2 units a pixel: 2, half a pixel carried.
  EXPECT_EQ(mouseAt(2.0f), std::tuple(637, 1, -2, false));
  const cMouse::EState& move = mouse->OnMouseMove();
  EXPECT_EQ(std::tuple(move.m_Count, move.m_State.m_X, move.m_State.m_Y, move.m_State.m_Buttons,
                       move.m_State.m_Wheel, mouse->OnMouseUp().m_Count),
            std::tuple(3u, 637, 1, 0u, -2, 1u));
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
