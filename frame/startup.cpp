// Every static object of the engine, defined in this one translation unit so
// that C++ builds them at load in exactly this order and destroys them in
// reverse at unload:
//   1. the library-private fast-float object with its tables,
//   2. the sixteen named colours,
//   3. cQuaternion::sIdentity,
//   4. cEntity::m_MatrixQueue and the records of its entries,
//   5. idiCompiler,
//   6. the class descriptors, every parent before its children.
#include "tolmak.h"

#include "../math/fastfloat_instance.h"

const tolmak::detail::cLibraryFastFloat tolmak::detail::gFastFloat;

const cColor cColor::clBlack(1.0f, 0.0f, 0.0f, 0.0f);
const cColor cColor::clNavy(1.0f, 0.0f, 0.0f, 0.5f);
const cColor cColor::clBlue(1.0f, 0.0f, 0.0f, 1.0f);
const cColor cColor::clGreen(1.0f, 0.0f, 0.5f, 0.0f);
const cColor cColor::clLime(1.0f, 0.0f, 1.0f, 0.0f);
const cColor cColor::clTeal(1.0f, 0.0f, 0.5f, 0.5f);
const cColor cColor::clAqua(1.0f, 0.0f, 1.0f, 1.0f);
const cColor cColor::clMaroon(1.0f, 0.5f, 0.0f, 0.0f);
const cColor cColor::clRed(1.0f, 1.0f, 0.0f, 0.0f);
const cColor cColor::clPurple(1.0f, 0.5f, 0.0f, 0.5f);
const cColor cColor::clFuchsia(1.0f, 1.0f, 0.0f, 1.0f);
const cColor cColor::clOlive(1.0f, 0.5f, 0.5f, 0.0f);
const cColor cColor::clYellow(1.0f, 1.0f, 1.0f, 0.0f);
const cColor cColor::clGray(1.0f, 0.5f, 0.5f, 0.5f);
const cColor cColor::clSilver(1.0f, 0.75f, 0.75f, 0.75f);
const cColor cColor::clWhite(1.0f, 1.0f, 1.0f, 1.0f);

const cQuaternion cQuaternion::sIdentity(0, 0, 0, 1);

tArray<cEntity*> cEntity::m_MatrixQueue;
tArray<cEntity::tMatrices*> cEntity::m_QueuedMatrices;

const cInterfaceID idiCompiler(16385, true);

cBitmap::cDescriptor cBitmap::m_Descriptor;
cSprite::cDescriptor cSprite::m_Descriptor;
cSurface::cDescriptor cSurface::m_Descriptor;
cMediaStreamSurface::cDescriptor cMediaStreamSurface::m_Descriptor;
cEntity::cDescriptor cEntity::m_Descriptor;
cCamera::cDescriptor cCamera::m_Descriptor;
cLight::cDescriptor cLight::m_Descriptor;
cVideo3D::cDescriptor cVideo3D::m_Descriptor;
cVideo2D::cDescriptor cVideo2D::m_Descriptor;
cKeyboard::cDescriptor cKeyboard::m_Descriptor;
cMaterial::cDescriptor cMaterial::m_Descriptor;
cModel::cDescriptor cModel::m_Descriptor;
cMouse::cDescriptor cMouse::m_Descriptor;
cPixelEffects::cDescriptor cPixelEffects::m_Descriptor;
cWorld::cDescriptor cWorld::m_Descriptor;
cSector::cDescriptor cSector::m_Descriptor;
cCDPlayer::cDescriptor cCDPlayer::m_Descriptor;
cSoundChannel::cDescriptor cSoundChannel::m_Descriptor;
cSoundSample::cDescriptor cSoundSample::m_Descriptor;
cSoundStream::cDescriptor cSoundStream::m_Descriptor;
cSoundSystem::cDescriptor cSoundSystem::m_Descriptor;
