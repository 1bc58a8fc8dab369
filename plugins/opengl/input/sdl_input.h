#pragma once

#include <zunfert_input.h>

#include "sdl_event_pump.h"

/// A device of the plug-in library fed by SDL's events as well: while
/// acquired it listens to the event pump, and Update pumps SDL's queue
/// before applying what came, in order, with whatever the program fed.
template <class Device>
class tSdlDevice : public Device, protected iSdlEventListener {
 public:
  ~tSdlDevice() override { Unacquire(); }

  /// Also false when SDL's events cannot start.
  bool Acquire() override {
    if (!Device::Acquire()) return false;
    if (cSdlEventPump::Instance().AddListener(this)) return true;
    Device::Unacquire();
    return false;
  }
  void Unacquire() override {
    cSdlEventPump::Instance().RemoveListener(this);
    Device::Unacquire();
  }
  bool Update() override {
    if (!this->IsAcquired()) return false;
    cSdlEventPump::Instance().Pump();
    return Device::Update();
  }

 protected:
  using Device::Device;
};

/// The real keyboard ("cSdlKeyboard"), fed by the window's events. It
/// behaves as the plug-in library's keyboard does for the same presses
/// (codes, modifier tests, the typed-character buffer, Acquire and Update),
/// and the program may still press keys or play a script.
///
/// Keys are named by what they mean in the player's layout (SDL's key
/// codes): the key that types 'a' is 'A'. Printable characters come from
/// SDL's text input, in the order typed and UTF-8 encoded; Enter, Tab and
/// Backspace type with their keys, repeats included. Losing the focus
/// releases every key; a request to close the window holds KeyClose.
class cSdlKeyboard final : public tSdlDevice<cDefaultKeyboard> {
  ZUNFERT_CLASS()

 public:
  cSdlKeyboard() : tSdlDevice(false) {}

  /// Also turns SDL's text events on.
  bool Acquire() override;

  /// The engine's code for an SDL key code, or -1 for a key it does not name.
  static int KeyCode(SDL_Keycode key);

 private:
  void OnSdlEvent(const SDL_Event& event) override;
};

/// The real mouse ("cSdlMouse"), fed by the window's events. It behaves
/// as the plug-in library's mouse does for the same moves (area,
/// sensitivity, event records, Acquire and Update).
///
/// While the cursor is shown the position is the pointer's in the window
/// (as MoveTo). Hiding it switches SDL to relative motion, which goes on
/// past the window's edges: the position then moves by SDL's relative
/// units over the sensitivity (as MoveBy). Buttons: left 0, right 1,
/// middle 2; the wheel counts notches away from the player as positive.
/// The area follows the window's size when it changes. Losing the focus
/// releases every button.
class cSdlMouse final : public tSdlDevice<cDefaultMouse> {
  ZUNFERT_CLASS()

 public:
  void ShowCursor(bool show) override;

 private:
  void OnSdlEvent(const SDL_Event& event) override;
};

/// Registers "cSdlKeyboard" and "cSdlMouse" with the plug-in system.
void RegisterSdlInputClasses(cPluginSystem* plugins);
