#include "sdl_input.h"

namespace {

tPluginClassDesc<cSdlMouse> gSdlMouseDescriptor("cSdlMouse", "Mouse of the game's window",
                                                &cMouse::m_Descriptor);

/// The engine's number of an SDL button, or -1.
int ButtonNumber(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return cMouse::ButtonLeft;
    case SDL_BUTTON_RIGHT:
      return cMouse::ButtonRight;
    case SDL_BUTTON_MIDDLE:
      return cMouse::ButtonMiddle;
    default:
      return -1;
  }
}

}  // namespace

iClassDesc* cSdlMouse::Descriptor() {
  return &gSdlMouseDescriptor;
}

iClassDesc* cSdlMouse::GetDescriptor() const {
  return &gSdlMouseDescriptor;
}

void cSdlMouse::ShowCursor(bool show) {
  cDefaultMouse::ShowCursor(show);
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  // Without a window (or under some drivers) relative motion is refused;
  // the pointer then simply stays within the window.
  SDL_SetRelativeMouseMode(show ? SDL_FALSE : SDL_TRUE);
}

void cSdlMouse::OnSdlEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (SDL_GetRelativeMouseMode())
        MoveBy(event.motion.xrel, event.motion.yrel);
      else
        MoveTo(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int button = ButtonNumber(event.button.button);
      if (button < 0) break;
      if (event.type == SDL_MOUSEBUTTONDOWN)
        PressButton(button);
      else
        ReleaseButton(button);
      break;
    }
    case SDL_MOUSEWHEEL:
      TurnWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        SetArea(0, 0, event.window.data1, event.window.data2);
      else if (cSdlEventPump::IsFocusLoss(event))
        for (int button = 0; button < kButtons; ++button) ReleaseButton(button);
      break;
    default:
      break;
  }
}
