#include <gtest/gtest.h>
#include <tolmak.h>

#include "device_fixtures.h"

using devices_test::kCanReadSlots;
using devices_test::SlotOf;

namespace {

struct cDescriptorCase {
  iClassDesc* m_Descriptor;
  iClassDesc* m_Static;
  const char* m_Name;
  const char* m_Description;
  iClassDesc* m_Parent;
  bool m_Serializable;
};

#define ROW(Class, Description, Parent, Serializable)                                      \
  {                                                                                        \
    Class::Descriptor(), &Class::m_Descriptor, #Class, Description, &Parent::m_Descriptor, \
        Serializable                                                                       \
  }

const cDescriptorCase kDescriptors[] = {
    ROW(cVideo3D, "cVideo3D class", cObject, false),
    ROW(cVideo2D, "cVideo2D class", cObject, false),
    ROW(cPixelEffects, "cPixelEffects", cObject, false),
    ROW(cBitmap, "cBitmap", cObject, true),
    ROW(cSurface, "cSurface", cBitmap, false),
    ROW(cMediaStreamSurface, "cMediaStreamSurface", cSurface, false),
    ROW(cSprite, "cSprite", cBitmap, false),
    ROW(cKeyboard, "cKeyboard", cObject, false),
    ROW(cMouse, "cMouse", cObject, false),
    ROW(cSoundSample, "cSoundSample", cObject, false),
    ROW(cSoundStream, "cSoundStream", cObject, false),
    ROW(cSoundChannel, "cSoundChannel", cObject, false),
    ROW(cSoundSystem, "cSoundSystem", cObject, false),
    ROW(cCDPlayer, "cCDPlayer", cObject, false),
};
#undef ROW

}  // namespace

TEST(DeviceDescriptors, NamesParentsAndInterfacesAreAsPublished) {
  for (const cDescriptorCase& c : kDescriptors) {
    SCOPED_TRACE(c.m_Name);
    EXPECT_EQ(c.m_Descriptor, c.m_Static);
    EXPECT_STREQ(c.m_Descriptor->GetClassName(), c.m_Name);
    EXPECT_STREQ(c.m_Descriptor->GetDescription(), c.m_Description);
    EXPECT_EQ(c.m_Descriptor->GetParent(), c.m_Parent);
    EXPECT_EQ(c.m_Descriptor->GetClassID(), gCRC32(c.m_Name));
    EXPECT_EQ(c.m_Descriptor->GetInterfaceID(),
              c.m_Serializable ? idiSerializable : cInterfaceID(0, false));
    EXPECT_EQ(c.m_Descriptor->CreateInstance(), nullptr);
    EXPECT_EQ(c.m_Descriptor->GetVersion(), 1.0f);
  }
}

TEST(DeviceDescriptors, ObjectsFindTheirClassAndAncestors) {
  devices_test::cIdleMediaSurface media;
  devices_test::cBareSprite sprite;
  devices_test::cScriptedKeyboard keyboard;
  devices_test::cStillMouse mouse;
  EXPECT_EQ(static_cast<cObject&>(media).GetDescriptor(), &cMediaStreamSurface::m_Descriptor);
  EXPECT_EQ(static_cast<cObject&>(sprite).GetDescriptor(), &cSprite::m_Descriptor);
  EXPECT_EQ(static_cast<cObject&>(keyboard).GetDescriptor(), &cKeyboard::m_Descriptor);
  EXPECT_EQ(static_cast<cObject&>(mouse).GetDescriptor(), &cMouse::m_Descriptor);

  const iClassDesc* m = media.GetDescriptor();
  EXPECT_TRUE(m->IsOfType(gCRC32("cSurface")));
  EXPECT_TRUE(m->IsOfType(gCRC32("cBitmap")));
  EXPECT_TRUE(m->IsOfType(gCRC32("cObject")));
  EXPECT_FALSE(m->IsOfType(gCRC32("cSprite")));
  EXPECT_FALSE(sprite.GetDescriptor()->IsOfType(cSurface::m_Descriptor.GetClassID()));
  EXPECT_FALSE(cVideo2D::m_Descriptor.IsOfType(gCRC32("cVideo3D")));
  EXPECT_TRUE(cSoundSystem::m_Descriptor.IsOfType(gCRC32("cObject")));
}

namespace {

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

// Slots 0 and 1 are the destructor on this ABI, 2 GetDescriptor, 3 AddProperties.
TEST(DeviceVirtualTables, DeviceOperationsTakeTheirFixedSlots) {
  if (!kCanReadSlots) GTEST_SKIP() << "slot numbers are read on the Itanium ABI only";
  EXPECT_EQ(SlotOf(&cVideo3D::GetDescriptor), 2);
  EXPECT_EQ(SlotOf(&cVideo3D::AddProperties), 3);
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
}

TEST(DeviceVirtualTables, PicturesExtendTheBitmapSlotsInOrder) {
  if (!kCanReadSlots) GTEST_SKIP() << "slot numbers are read on the Itanium ABI only";
  EXPECT_EQ(SlotOf(&cBitmap::GetDescriptor), 2);
  EXPECT_EQ(SlotOf(&cBitmap::SetSize), 4);
  EXPECT_EQ(SlotOf(&cBitmap::SetWidth), 5);
  EXPECT_EQ(SlotOf(&cBitmap::SetHeight), 6);
  EXPECT_EQ(SlotOf(&cBitmap::SetPixelFormat), 7);
  EXPECT_EQ(SlotOf(&cBitmap::EnableColorKey), 8);
  EXPECT_EQ(SlotOf(&cBitmap::DisableColorKey), 9);
  EXPECT_EQ(SlotOf(&cBitmap::SetPalette), 10);
  // This ABI also gives the iSerializable overriders entries of their own
  // after the setters; the pictures' own operations follow them.
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
