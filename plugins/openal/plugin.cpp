// The driver library's entry point, which the sample plug-in calls when it
// links "ZunfertAL.dll": every class is registered with its descriptor,
// whose parent is the engine's interface it implements.

#include "zunfert_al.h"

VARN_PLUGIN_REGISTER(plugins) {
  iClassDesc* const classes[] = {
      cOpenALSoundSystem::Descriptor(), cOpenALSoundSample::Descriptor(),
      cOpenALSoundStream::Descriptor(), cOpenALSoundChannel::Descriptor(),
      cOpenALCDPlayer::Descriptor(),
  };
  for (iClassDesc* descriptor : classes) plugins->Register(descriptor);
}
