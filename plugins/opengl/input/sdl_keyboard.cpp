#include "sdl_input.h"

namespace {

tPluginClassDesc<cSdlKeyboard> gSdlKeyboardDescriptor("cSdlKeyboard",
                                                      "Keyboard of the game's window",
                                                      &cKeyboard::m_Descriptor);

struct cKeyPair {
  SDL_Keycode sdl;
  int code;
};

// The keys without a printable character whose SDL code is not already
// the engine's (Enter, Escape, Tab and Backspace are their ASCII codes in
// both); F1 to F12 run on in both numberings.
constexpr cKeyPair kKeys[] = {
    {SDLK_KP_ENTER, cDefaultKeyboard::KeyEnter},    {SDLK_LEFT, cDefaultKeyboard::KeyLeft},
    {SDLK_RIGHT, cDefaultKeyboard::KeyRight},       {SDLK_UP, cDefaultKeyboard::KeyUp},
    {SDLK_DOWN, cDefaultKeyboard::KeyDown},         {SDLK_HOME, cDefaultKeyboard::KeyHome},
    {SDLK_END, cDefaultKeyboard::KeyEnd},           {SDLK_PAGEUP, cDefaultKeyboard::KeyPageUp},
    {SDLK_PAGEDOWN, cDefaultKeyboard::KeyPageDown}, {SDLK_INSERT, cDefaultKeyboard::KeyInsert},
    {SDLK_DELETE, cDefaultKeyboard::KeyDelete},     {SDLK_LALT, cDefaultKeyboard::KeyLeftAlt},
    {SDLK_RALT, cDefaultKeyboard::KeyRightAlt},     {SDLK_LCTRL, cDefaultKeyboard::KeyLeftCtrl},
    {SDLK_RCTRL, cDefaultKeyboard::KeyRightCtrl},   {SDLK_LSHIFT, cDefaultKeyboard::KeyLeftShift},
    {SDLK_RSHIFT, cDefaultKeyboard::KeyRightShift},
};

}  // namespace

iClassDesc* cSdlKeyboard::Descriptor() {
  return &gSdlKeyboardDescriptor;
}

iClassDesc* cSdlKeyboard::GetDescriptor() const {
  return &gSdlKeyboardDescriptor;
}

bool cSdlKeyboard::Acquire() {
  if (!tSdlDevice::Acquire()) return false;
  // SDL starts its event loop with text events off; a window turns them on.
  SDL_StartTextInput();
  return true;
}

int cSdlKeyboard::KeyCode(SDL_Keycode key) {
  if (key >= 'a' && key <= 'z') return static_cast<int>(key - 'a' + 'A');
  // SDLK_DELETE is 127, which is not the engine's Delete.
  if (key > 0 && key < 127) return static_cast<int>(key);
  if (key >= SDLK_F1 && key <= SDLK_F12) return KeyF1 + static_cast<int>(key - SDLK_F1);
  for (const cKeyPair& pair : kKeys)
    if (pair.sdl == key) return pair.code;
  return -1;
}

void cSdlKeyboard::OnSdlEvent(const SDL_Event& event) {
  if (cSdlEventPump::IsCloseEvent(event)) {
    PressKey(KeyClose);
  } else if (cSdlEventPump::IsFocusLoss(event)) {
    ReleaseAllKeys();
  } else if (event.type == SDL_TEXTINPUT) {
    TypeText(event.text.text);
  } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
    const int code = KeyCode(event.key.keysym.sym);
    if (code < 0) return;
    if (event.type == SDL_KEYDOWN)
      PressKey(code);
    else
      ReleaseKey(code);
  }
}
