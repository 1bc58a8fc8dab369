#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

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

/// Holds the keys listed and records every code it is asked about.
class cScriptedKeyboard : public cKeyboard {
 public:
  std::vector<int> m_Held;
  std::vector<int> m_Asked;

  bool Acquire() override { return true; }
  void Unacquire() override {}
  bool Update() override { return true; }
  char ReadChar() override { return 0; }
  bool IsKeyPressed(int code) override {
    m_Asked.push_back(code);
    return std::find(m_Held.begin(), m_Held.end(), code) != m_Held.end();
  }
  void FlushBuffer() override {}
};

class cStillMouse : public cMouse {
 public:
  bool Acquire() override { return true; }
  void Unacquire() override {}
  bool Update() override { return true; }
  int GetX() const override { return 0; }
  int GetY() const override { return 0; }
  int GetWheel() const override { return 0; }
  void GetMotion(int& dx, int& dy) const override { dx = dy = 0; }
  bool IsButtonPressed(int) const override { return false; }
  int GetButtonCount() const override { return 3; }
  void SetPosition(int, int) override {}
  void SetArea(int, int, int, int) override {}
  void SetSensitivity(float) override {}
  void ShowCursor(bool) override {}
};

cMouse::EState Record(uint32_t base) {
  cMouse::EState r;
  r.m_Count = base;
  for (uint32_t i = 0; i < 3; ++i) r.m_Device[i] = base + 1 + i;
  r.m_State = {static_cast<int32_t>(base + 4), static_cast<int32_t>(base + 5), base + 6,
               static_cast<int32_t>(base + 7)};
  return r;
}

cMouse::EState& RecordOf(cMouse& m, int r) {
  return r == 0 ? m.OnMouseMove() : r == 1 ? m.OnMouseUp() : m.OnMouseDown();
}

}  // namespace

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

// Which pair a test reads is checked against a real device in the plug-in
// suite; here, the order of the questions.
TEST(Keyboard, ModifierTestsAskTheSecondCodeOnlyWhenTheFirstIsUp) {
  const std::pair<bool (cKeyboard::*)(), int> modifiers[] = {{&cKeyboard::IsAltPressed, 0x150},
                                                             {&cKeyboard::IsCtrlPressed, 0x152},
                                                             {&cKeyboard::IsShiftPressed, 0x154}};
  for (const auto& [test, first] : modifiers) {
    for (int held : {0, first, first + 1}) {
      cScriptedKeyboard k;
      k.m_Held = {held};
      EXPECT_EQ((k.*test)(), held != 0) << first << " with " << held << " held";
      const std::vector<int> asked =
          held == first ? std::vector{first} : std::vector{first, first + 1};
      EXPECT_EQ(k.m_Asked, asked) << first << " with " << held << " held";
    }
  }
}

TEST(Mouse, RecordsStartAtZeroAndCopiesLeaveTheTargetsDeviceWords) {
  cStillMouse source, target;
  for (int r = 0; r < 3; ++r) {
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(source, r), cMouse::EState{})) << r;
    RecordOf(source, r) = Record(10 + 10 * r);
    RecordOf(target, r) = Record(110 + 10 * r);
  }
  static_cast<cMouse&>(target) = source;
  cStillMouse constructed(source);
  for (int r = 0; r < 3; ++r) {
    cMouse::EState expected = Record(10 + 10 * r);
    std::copy_n(Record(110 + 10 * r).m_Device, 3, expected.m_Device);
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(target, r), expected)) << r;
    std::fill_n(expected.m_Device, 3, 0u);
    EXPECT_TRUE(tolmak::test::SameBits(RecordOf(constructed, r), expected)) << r;
  }
}
