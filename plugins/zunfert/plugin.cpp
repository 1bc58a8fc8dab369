// The library's entry point: every class is registered with its descriptor,
// whose parent is the engine's class it implements. The driver libraries on
// system libraries (a window with OpenGL, sound) are linked here too, so that
// their classes are found through the plug-in system like ours; each one is
// optional, and a machine without its system libraries runs everything else.

#include "zunfert.h"
#include "zunfert_video.h"

void RegisterZunfertClasses(cPluginSystem* plugins) {
  iClassDesc* const classes[] = {
      cDefaultKeyboard::Descriptor(),  cDefaultMouse::Descriptor(),
      cMemorySprite::Descriptor(),     cBmpSprite::Descriptor(),
      cPcxSprite::Descriptor(),        cTgaSprite::Descriptor(),
      cJpegSprite::Descriptor(),       cPngSprite::Descriptor(),
      cDefaultEntity::Descriptor(),    cMeshModel::Descriptor(),
      cDefaultMaterial::Descriptor(),  cDefaultCamera::Descriptor(),
      cOmniLight::Descriptor(),        cSpotLight::Descriptor(),
      cDirectionalLight::Descriptor(), cDefaultSector::Descriptor(),
      cDefaultWorld::Descriptor(),
  };
  for (iClassDesc* descriptor : classes) plugins->Register(descriptor);
  zunfert::RegisterVideoClasses(plugins);
}

VARN_PLUGIN_REGISTER(plugins) {
  RegisterZunfertClasses(plugins);
  for (const char* driver : {"ZunfertGL.dll", "ZunfertAL.dll"}) plugins->LinkDLL(driver);
}
