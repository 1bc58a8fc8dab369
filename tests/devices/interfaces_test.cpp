#include <gtest/gtest.h>
#include <tolmak.h>

#include <cstddef>
#include <cstring>

#include "test_support.h"

namespace {

// Slot numbers of virtual functions, read from pointers to members: on the
// Itanium C++ ABI (GCC and Clang on x86) such a pointer holds 1 + the byte
// offset of its entry in the class's primary virtual table.
#if defined(__GNUC__) && !defined(_MSC_VER) && (defined(__x86_64__) || defined(__i386__))
constexpr bool kCanReadSlots = true;
template <class F>
std::ptrdiff_t SlotOf(F member) {
  static_assert(sizeof(F) == 2 * sizeof(std::ptrdiff_t));
  std::ptrdiff_t words[2];
  std::memcpy(words, &member, sizeof words);
  return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}
#else
constexpr bool kCanReadSlots = false;
template <class F>
std::ptrdiff_t SlotOf(F) {
  return -1;
}
#endif

// A class with one more virtual function than Base: its slot is the first
// one after all of Base's.
template <class Base>
struct tProbe : Base {
  virtual void Probe() {}
};

template <class Base>
std::ptrdiff_t End() {
  return SlotOf(&tProbe<Base>::Probe);
}

}  // namespace

TEST(DeviceDescriptors, NamesParentsAndInterfacesAreAsPublished) {
  const cInterfaceID none(0, false);
#define EXPECT_DESCRIPTOR(Class, Description, Parent, Interface)                                  \
  EXPECT_EQ(Class::Descriptor(), &Class::m_Descriptor);                                           \
  tolmak::test::ExpectDescriptor(Class::Descriptor(), #Class, Description, &Parent::m_Descriptor, \
                                 Interface)
  EXPECT_DESCRIPTOR(cVideo3D, "cVideo3D class", cObject, none);
  EXPECT_DESCRIPTOR(cVideo2D, "cVideo2D class", cObject, none);
  EXPECT_DESCRIPTOR(cPixelEffects, "cPixelEffects", cObject, none);
  EXPECT_DESCRIPTOR(cBitmap, "cBitmap", cObject, idiSerializable);
  EXPECT_DESCRIPTOR(cSurface, "cSurface", cBitmap, none);
  EXPECT_DESCRIPTOR(cMediaStreamSurface, "cMediaStreamSurface", cSurface, none);
  EXPECT_DESCRIPTOR(cSprite, "cSprite", cBitmap, none);
  EXPECT_DESCRIPTOR(cKeyboard, "cKeyboard", cObject, none);
  EXPECT_DESCRIPTOR(cMouse, "cMouse", cObject, none);
  EXPECT_DESCRIPTOR(cSoundSample, "cSoundSample", cObject, none);
  EXPECT_DESCRIPTOR(cSoundStream, "cSoundStream", cObject, none);
  EXPECT_DESCRIPTOR(cSoundChannel, "cSoundChannel", cObject, none);
  EXPECT_DESCRIPTOR(cSoundSystem, "cSoundSystem", cObject, none);
  EXPECT_DESCRIPTOR(cCDPlayer, "cCDPlayer", cObject, none);
#undef EXPECT_DESCRIPTOR
}

// Slots 0 and 1 are the destructor on this ABI, 2 and 3 those of cObject.
TEST(DeviceVirtualTables, DeviceOperationsTakeTheirFixedSlots) {
  if (!kCanReadSlots) GTEST_SKIP() << "slot numbers are read on the Itanium ABI only";
  EXPECT_EQ(SlotOf(&cVideo3D::InitDevice), 4);
  EXPECT_EQ(SlotOf(&cVideo3D::GetPixelFormat), 4 + 13);
  EXPECT_EQ(SlotOf(&cVideo3D::IsModeSupported), 4 + 111);
  EXPECT_EQ(End<cVideo3D>(), 4 + 112);
  EXPECT_EQ(SlotOf(&cVideo2D::InitDevice), 4);
  EXPECT_EQ(SlotOf(&cVideo2D::GetPixelFormat), 4 + 13);
  EXPECT_EQ(End<cVideo2D>(), 4 + 20);
  EXPECT_EQ(End<cPixelEffects>(), 4 + 2);
  EXPECT_EQ(SlotOf(&cKeyboard::ReadChar), 4 + 3);
  EXPECT_EQ(SlotOf(&cKeyboard::IsKeyPressed), 4 + 4);
  EXPECT_EQ(End<cKeyboard>(), 4 + 6);
  EXPECT_EQ(End<cMouse>(), 4 + 13);
  EXPECT_EQ(End<cSoundSystem>(), 4 + 33);
  EXPECT_EQ(End<cSoundSample>(), 4 + 19);
  EXPECT_EQ(End<cSoundStream>(), 4 + 8);
  EXPECT_EQ(End<cSoundChannel>(), 4 + 22);
  EXPECT_EQ(End<cCDPlayer>(), 4 + 8);

  // The bitmap's setters in order; this ABI then gives the iSerializable
  // overriders entries of their own, and the pictures' operations follow.
  const std::ptrdiff_t setters[] = {
      SlotOf(&cBitmap::SetSize),        SlotOf(&cBitmap::SetWidth),
      SlotOf(&cBitmap::SetHeight),      SlotOf(&cBitmap::SetPixelFormat),
      SlotOf(&cBitmap::EnableColorKey), SlotOf(&cBitmap::DisableColorKey),
      SlotOf(&cBitmap::SetPalette)};
  for (std::ptrdiff_t i = 0; i < 7; ++i) EXPECT_EQ(setters[i], 4 + i);
  const std::ptrdiff_t bitmap = End<cBitmap>();
  EXPECT_EQ(bitmap, 4 + 7 + 2);
  EXPECT_EQ(SlotOf(&cSurface::GetTypeName), bitmap);
  EXPECT_EQ(SlotOf(&cSurface::LockSurface), bitmap + 10);
  EXPECT_EQ(SlotOf(&cSurface::UnlockSurface), bitmap + 11);
  EXPECT_EQ(End<cSurface>(), bitmap + 12);
  EXPECT_EQ(End<cMediaStreamSurface>(), bitmap + 12 + 6);
  EXPECT_EQ(SlotOf(&cSprite::CreateFrom), bitmap + 1);
  EXPECT_EQ(End<cSprite>(), bitmap + 4);
}
