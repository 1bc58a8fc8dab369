#include "tolmak_sound.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cSoundSample, "cSoundSample", "cSoundSample", &cObject::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cSoundStream, "cSoundStream", "cSoundStream", &cObject::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cSoundChannel, "cSoundChannel", "cSoundChannel",
                             &cObject::m_Descriptor, cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cCDPlayer, "cCDPlayer", "cCDPlayer", &cObject::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cSoundSystem, "cSoundSystem", "cSoundSystem", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cSoundSample::~cSoundSample() = default;
cSoundStream::~cSoundStream() = default;
cSoundChannel::~cSoundChannel() = default;
cCDPlayer::~cCDPlayer() = default;
cSoundSystem::~cSoundSystem() = default;
