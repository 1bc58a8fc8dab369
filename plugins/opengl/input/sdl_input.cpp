#include "sdl_input.h"

void RegisterSdlInputClasses(cPluginSystem* plugins) {
  plugins->Register(cSdlKeyboard::Descriptor());
  plugins->Register(cSdlMouse::Descriptor());
}
