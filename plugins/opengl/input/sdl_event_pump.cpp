#include "sdl_event_pump.h"

#include <algorithm>

cSdlEventPump& cSdlEventPump::Instance() {
  static cSdlEventPump pump;
  return pump;
}

bool cSdlEventPump::AddListener(iSdlEventListener* listener) {
  if (std::find(m_Listeners.begin(), m_Listeners.end(), listener) != m_Listeners.end()) return true;
  // SDL counts the initialisations of each subsystem, so this pairs with
  // the video device's own.
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
  m_Listeners.push_back(listener);
  return true;
}

void cSdlEventPump::RemoveListener(iSdlEventListener* listener) {
  const auto found = std::find(m_Listeners.begin(), m_Listeners.end(), listener);
  if (found == m_Listeners.end()) return;
  m_Listeners.erase(found);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

void cSdlEventPump::Pump() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (IsCloseEvent(event)) m_CloseRequested = true;
    for (iSdlEventListener* listener : m_Listeners) listener->OnSdlEvent(event);
  }
}

bool cSdlEventPump::IsCloseEvent(const SDL_Event& event) {
  return event.type == SDL_QUIT ||
         (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
}

bool cSdlEventPump::IsFocusLoss(const SDL_Event& event) {
  return event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST;
}
