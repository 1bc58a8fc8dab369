#pragma once

#include <tolmak.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace devices_test {

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

/// Collects the lines written through trace while it lives.
class cTraceCapture {
 public:
  cTraceCapture() { m_Previous = gSetTraceSink(&Append, &m_Lines); }
  ~cTraceCapture() { gSetTraceSink(m_Previous); }
  const std::vector<std::string>& Lines() const { return m_Lines; }

 private:
  static void Append(const char* text, void* user) {
    static_cast<std::vector<std::string>*>(user)->push_back(text);
  }
  std::vector<std::string> m_Lines;
  tMessageSink m_Previous;
};

/// A keyboard whose held keys are a list, recording every code it is asked about.
class cScriptedKeyboard : public cKeyboard {
 public:
  std::vector<int> m_Held;
  std::vector<int> m_Asked;
  std::string m_Typed;

  bool Acquire() override { return true; }
  void Unacquire() override {}
  bool Update() override { return true; }
  char ReadChar() override {
    if (m_Typed.empty()) return 0;
    const char c = m_Typed.front();
    m_Typed.erase(0, 1);
    return c;
  }
  bool IsKeyPressed(int code) override {
    m_Asked.push_back(code);
    for (int held : m_Held)
      if (held == code) return true;
    return false;
  }
  void FlushBuffer() override { m_Typed.clear(); }
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

/// The device operations of a surface that does nothing, for any surface class.
template <class Base>
class tInertSurface : public Base {
 public:
  const cString& GetTypeName() const override { return m_Type; }
  bool IsLost() const override { return false; }
  bool Restore() override { return true; }
  bool Clear(uint32_t) override { return false; }
  bool FillRect(int, int, int, int, uint32_t) override { return false; }
  bool Blit(int, int, cSurface*) override { return false; }
  bool BlitRect(int, int, cSurface*, int, int, int, int) override { return false; }
  bool StretchBlit(int, int, int, int, cSurface*) override { return false; }
  bool CopyFromSprite(cSprite*, int) override { return false; }
  bool Flip() override { return false; }
  bool LockSurface() override { return false; }
  bool UnlockSurface() override { return false; }

 protected:
  cString m_Type;
};

/// A surface over a small buffer that logs the device calls the engine makes.
class cLoggingSurface : public tInertSurface<cSurface> {
 public:
  explicit cLoggingSurface(const cString& type = cString(), std::string* log = nullptr)
      : m_Log(log) {
    m_Type = type;
  }

  int m_Locks = 0;
  int m_Unlocks = 0;
  unsigned char m_Pixels[16] = {};

  void SetPitch(int pitch) { m_Pitch = pitch; }

  const cString& GetTypeName() const override {
    if (m_Log) *m_Log += std::string(m_Type.c_str()) + ";";
    return m_Type;
  }
  bool LockSurface() override {
    ++m_Locks;
    m_Data = m_Pixels;
    return false;  // the engine must not rely on the answer
  }
  bool UnlockSurface() override { return ++m_Unlocks > 0; }

 private:
  std::string* m_Log;
};

class cIdleMediaSurface : public tInertSurface<cMediaStreamSurface> {
 public:
  void Finish() { m_Finished = true; }

  bool Open(const cUrl&) override { return false; }
  void Close() override {}
  bool Play() override { return false; }
  void Stop() override {}
  bool Update() override { return false; }
  bool Rewind() override { return false; }
};

/// A sprite without pixels; only its description and frame count matter here.
class cBareSprite : public cSprite {
 public:
  void SetFrames(int frames) { m_Frames = frames; }
  void SetPitch(int pitch) { m_Pitch = pitch; }

  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int) override { return nullptr; }
  void ReleaseFrames() override { m_Frames = 0; }
};

}  // namespace devices_test
