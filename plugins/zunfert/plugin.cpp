// The library's entry point: every class is registered with its descriptor,
// whose parent is the engine's class it implements.

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
}
