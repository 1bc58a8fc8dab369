#pragma once

#include <zunfert_input.h>

#include "sdl_event_pump.h"

/// The real keyboard ("cSdlKeyboard"), fed by the window's events through
/// the event pump. It behaves as the plug-in library's keyboard does for the
/// same presses (codes, modifier tests, the typed-character buffer, Acquire
/// and Update), and the program may still press keys or play a script.
///
/// Keys are named by what they mean in the player's layout (SDL's key
/// codes): the key that types 'a' is 'A'. Printable characters come from
/// SDL's text input, in the order typed and UTF-8 encoded; Enter, Tab and
/// Backspace type with their keys, repeats included. Losing the focus
/// releases every key; a request to close the window holds KeyClose.
/// Events wait for Update, which pumps SDL's queue first; while the keyboard
/// is not acquired, it ignores them.
class cSdlKeyboard final : public cDefaultKeyboard, private iSdlEventListener {
  ZUNFERT_CLASS()

 public:
  cSdlKeyboard() : cDefaultKeyboard(false) {}
  ~cSdlKeyboard() override;

  /// Also false when SDL's events cannot start.
  bool Acquire() override;
  void Unacquire() override;
  bool Update() override;

  /// The engine's code for an SDL key code, or -1 for a key it does not name.
  static int KeyCode(SDL_Keycode key);

 private:
  void OnSdlEvent(const SDL_Event& event) override;
};

/// The real mouse ("cSdlMouse"), fed by the window's events through the
/// event pump. It behaves as the plug-in library's mouse does for the same
/// moves (area, sensitivity, event records, Acquire and Update).
///
/// While the cursor is shown the position is the pointer's in the window
/// (as MoveTo); hiding it switches SDL to relative motion, where the
/// position moves by SDL's relative units over the sensitivity (as MoveBy)
/// and is no longer held by the window's edges. Buttons: left 0, right 1,
/// middle 2; the wheel counts notches away from the player as positive. The
/// area follows the window's size when it changes. Losing the focus
/// releases every button.
class cSdlMouse final : public cDefaultMouse, private iSdlEventListener {
  ZUNFERT_CLASS()

 public:
  cSdlMouse() = default;
  ~cSdlMouse() override;

  /// Also false when SDL's events cannot start.
  bool Acquire() override;
  void Unacquire() override;
  bool Update() override;
  void ShowCursor(bool show) override;

 private:
  void OnSdlEvent(const SDL_Event& event) override;
};

/// Registers "cSdlKeyboard" and "cSdlMouse" with the plug-in system.
void RegisterSdlInputClasses(cPluginSystem* plugins);
