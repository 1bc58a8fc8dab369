#pragma once

#include <vector>

#include <SDL.h>

/// Receives the events of SDL's queue that the pump hands out.
class iSdlEventListener {
 public:
  virtual ~iSdlEventListener() = default;
  /// One event, in the order SDL queued them; ignore those of no interest.
  virtual void OnSdlEvent(const SDL_Event& event) = 0;
};

/// The one drain of SDL's event queue, which is process-wide: every device
/// that reads events (keyboard, mouse) listens here instead of polling, so
/// none steals another's. Pumping also lets SDL record the window's new
/// size, which the 3D video device follows at its next BeginScene and the
/// 2D one at its next Flip.
///
/// Pump is called by each listener once per frame (the input devices call
/// it from Update); a second call in the same frame finds the queue empty.
/// The pump keeps SDL's event subsystem initialised while it has listeners.
class cSdlEventPump {
 public:
  static cSdlEventPump& Instance();

  cSdlEventPump(const cSdlEventPump&) = delete;
  cSdlEventPump& operator=(const cSdlEventPump&) = delete;

  /// False when SDL's event subsystem cannot start (SDL_GetError says why).
  bool AddListener(iSdlEventListener* listener);
  void RemoveListener(iSdlEventListener* listener);
  /// Hands every waiting event to every listener, in order.
  void Pump();

  /// True once the window's close button or the system asked the game to
  /// quit (SDL_QUIT, SDL_WINDOWEVENT_CLOSE); the keyboard also holds
  /// cDefaultKeyboard::KeyClose from then on.
  bool IsCloseRequested() const { return m_CloseRequested; }
  /// For a game that asks the player and decides to stay.
  void ClearCloseRequest() { m_CloseRequested = false; }

  /// Whether the event asks the game to close.
  static bool IsCloseEvent(const SDL_Event& event);
  /// Whether the event takes the focus from the game's window.
  static bool IsFocusLoss(const SDL_Event& event);

 private:
  cSdlEventPump() = default;

  std::vector<iSdlEventListener*> m_Listeners;
  bool m_CloseRequested = false;
};
