#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>

#include "sdl_input.h"

namespace {

/// The real devices on SDL's own queue: events are pushed as the window
/// system would queue them, and read back through the engine's interfaces.
/// The devices start SDL's events themselves, so no display is needed and
/// SDL is left as other suites of the program set it.
class SdlInputTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(keyboard.Acquire());
    ASSERT_TRUE(mouse.Acquire());
    cSdlEventPump::Instance().ClearCloseRequest();
  }

  /// Queues an event of that type, its other fields set by fill.
  template <class Fill>
  static void Push(Uint32 type, Fill fill) {
    SDL_Event event{};
    event.type = type;
    fill(event);
    ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError();
  }
  static void Keys(Uint32 type, std::initializer_list<SDL_Keycode> keys) {
    for (SDL_Keycode key : keys) Push(type, [key](SDL_Event& e) { e.key.keysym.sym = key; });
  }
  static void Text(const char* text) {
    Push(SDL_TEXTINPUT, [text](SDL_Event& e) { std::strcpy(e.text.text, text); });
  }
  static void Window(SDL_WindowEventID id, int width = 0, int height = 0) {
    Push(SDL_WINDOWEVENT, [=](SDL_Event& e) {
      e.window.event = static_cast<Uint8>(id);
      e.window.data1 = width, e.window.data2 = height;
    });
  }
  static void Motion(int x, int y) {
    Push(SDL_MOUSEMOTION, [=](SDL_Event& e) { e.motion.x = x, e.motion.y = y; });
  }
  static void Button(Uint32 type, Uint8 button) {
    Push(type, [button](SDL_Event& e) { e.button.button = button; });
  }
  std::string Typed() {
    std::string text;
    for (char c; (c = keyboard.GetChar()) != 0;) text += c;
    return text;
  }

  cSdlKeyboard keyboard;
  cSdlMouse mouse;
};

TEST_F(SdlInputTest, KeysAndTextReachTheKeyboardAtUpdateInOrder) {
  Keys(SDL_KEYDOWN, {SDLK_RSHIFT, SDLK_a});
  Text("A");
  Keys(SDL_KEYDOWN, {SDLK_RETURN});
  Keys(SDL_KEYUP, {SDLK_RSHIFT});
  Keys(SDL_KEYDOWN, {SDLK_DELETE, SDLK_F5, SDLK_MENU});  // the engine names no menu key
  Text("b\xC3\xA9");
  Keys(SDL_KEYDOWN, {SDLK_BACKSPACE, SDLK_LCTRL});
  EXPECT_FALSE(keyboard.IsKeyPressed('A'));
  ASSERT_TRUE(keyboard.Update());
  EXPECT_TRUE(!keyboard.IsShiftPressed() && keyboard.IsCtrlPressed());
  for (int code : {int{'A'}, int{cDefaultKeyboard::KeyEnter}, int{cDefaultKeyboard::KeyDelete},
                   cDefaultKeyboard::KeyF1 + 4, int{cDefaultKeyboard::KeyBackspace}})
    EXPECT_TRUE(keyboard.IsKeyPressed(code)) << code;
  EXPECT_FALSE(keyboard.IsKeyPressed(127));
  // Printable characters only from the text, control ones with their keys.
  EXPECT_EQ("A\rb\xC3\xA9\b", Typed());
  Keys(SDL_KEYUP, {SDLK_a});
  keyboard.Update();
  EXPECT_FALSE(keyboard.IsKeyPressed('A'));
}

TEST_F(SdlInputTest, MouseFollowsThePointerWithinTheWindow) {
  mouse.SetSensitivity(2.0f);
  Motion(100, 50);
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1);  // no engine number: ignored
  for (Uint32 direction : {SDL_MOUSEWHEEL_NORMAL, SDL_MOUSEWHEEL_FLIPPED, SDL_MOUSEWHEEL_NORMAL})
    Push(SDL_MOUSEWHEEL, [direction](SDL_Event& e) {
      e.wheel.y = 1;
      e.wheel.direction = direction;
    });
  ASSERT_TRUE(mouse.Update());
  int dx = 0, dy = 0;
  mouse.GetMotion(dx, dy);
  // Motion in pixels at 2 units a pixel, as the default mouse counts a move.
  EXPECT_EQ(std::tuple(mouse.GetX(), mouse.GetY(), dx, dy, mouse.GetWheel()),
            std::tuple(100, 50, -440, -380, 1));
  EXPECT_TRUE(mouse.IsButtonPressed(cMouse::ButtonRight));
  EXPECT_EQ(std::tuple(mouse.OnMouseDown().m_Count, mouse.OnMouseDown().m_State.m_Buttons,
                       mouse.OnMouseMove().m_Count),
            std::tuple(1u, 2u, 4u));

  // The area grows with the window; beyond it the position is held.
  Motion(700, 500);
  Window(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
  Motion(900, 500);
  Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
  mouse.Update();
  EXPECT_EQ(std::tuple(mouse.GetX(), mouse.GetY(), mouse.IsButtonPressed(cMouse::ButtonRight),
                       mouse.OnMouseUp().m_Count),
            std::tuple(799, 500, false, 1u));
}

TEST_F(SdlInputTest, FocusLossReleasesEverythingButACloseRequest) {
  Keys(SDL_KEYDOWN, {SDLK_LALT, SDLK_LEFT});
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
  Window(SDL_WINDOWEVENT_CLOSE);
  Window(SDL_WINDOWEVENT_FOCUS_LOST);
  keyboard.Update();
  mouse.Update();
  EXPECT_FALSE(keyboard.IsAltPressed() || keyboard.IsKeyPressed(cDefaultKeyboard::KeyLeft));
  EXPECT_TRUE(keyboard.IsKeyPressed(cDefaultKeyboard::KeyClose) &&
              cSdlEventPump::Instance().IsCloseRequested());
  EXPECT_FALSE(mouse.IsButtonPressed(cMouse::ButtonLeft) ||
               mouse.IsButtonPressed(cMouse::ButtonMiddle));
  EXPECT_EQ(2u, mouse.OnMouseUp().m_Count);

  // The system's quit is a close request too, seen by whichever device pumps.
  keyboard.ReleaseKey(cDefaultKeyboard::KeyClose);
  cSdlEventPump::Instance().ClearCloseRequest();
  Push(SDL_QUIT, [](SDL_Event&) {});
  mouse.Update();
  EXPECT_TRUE(cSdlEventPump::Instance().IsCloseRequested());
  keyboard.Update();
  EXPECT_TRUE(keyboard.IsKeyPressed(cDefaultKeyboard::KeyClose));
}

TEST_F(SdlInputTest, DevicesAreFoundThroughThePluginSystemAndShareTheAcquiredSlot) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  RegisterSdlInputClasses(plugins);
  cObject* object = plugins->Create(gCRC32("cSdlKeyboard"));
  auto* other = dynamic_cast<cKeyboard*>(object);
  ASSERT_NE(other, nullptr);
  EXPECT_FALSE(other->Acquire());
  EXPECT_FALSE(other->Update());
  plugins->Destroy(object);
  object = plugins->Create(gCRC32("cSdlMouse"));
  ASSERT_NE(dynamic_cast<cMouse*>(object), nullptr);
  plugins->Destroy(object);
}

}  // namespace
