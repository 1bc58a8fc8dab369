#pragma once

#include <cstddef>
#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"

/// The abstract keyboard, implemented by a plug-in class ("cDefaultKeyboard").
///
/// Virtual slots: destructor, GetDescriptor, AddProperties, then six pure
/// device operations; the engine calls ReadChar (fourth) and IsKeyPressed
/// (fifth). Key codes are the device's own numbering, except the six
/// modifier keys below.
class TOLMAK_API cKeyboard : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Key codes of the modifier keys, a pair each.
  enum EModifierKey : int {
    KeyAlt1 = 0x150,
    KeyAlt2 = 0x151,
    KeyCtrl1 = 0x152,
    KeyCtrl2 = 0x153,
    KeyShift1 = 0x154,
    KeyShift2 = 0x155,
  };

  cKeyboard() = default;
  cKeyboard(const cKeyboard&) = default;
  cKeyboard& operator=(const cKeyboard&) = default;
  ~cKeyboard() override;

  /// Takes the keyboard for the application; false when another holds it.
  virtual bool Acquire() = 0;
  virtual void Unacquire() = 0;
  /// Reads the device's state and queued characters; call once per frame.
  virtual bool Update() = 0;
  /// The next typed character, 0 when none is waiting.
  virtual char ReadChar() = 0;
  /// Whether the key with that code is held down.
  virtual bool IsKeyPressed(int code) = 0;
  /// Discards the characters typed and not yet read.
  virtual void FlushBuffer() = 0;

  /// True when either key of the pair is held down; the second code is
  /// asked only when the first is not held.
  bool IsAltPressed() { return IsEitherPressed(KeyAlt1, KeyAlt2); }
  bool IsCtrlPressed() { return IsEitherPressed(KeyCtrl1, KeyCtrl2); }
  bool IsShiftPressed() { return IsEitherPressed(KeyShift1, KeyShift2); }
  /// What ReadChar returns.
  char GetChar() { return ReadChar(); }

 private:
  bool IsEitherPressed(int first, int second) {
    return IsKeyPressed(first) || IsKeyPressed(second);
  }
};

/// The abstract mouse, implemented by a plug-in class ("cDefaultMouse").
///
/// Virtual slots: destructor, GetDescriptor, AddProperties, then thirteen
/// pure device operations. The device reports events through three records,
/// which the game reads or raises through OnMouseMove, OnMouseUp and
/// OnMouseDown.
class TOLMAK_API cMouse : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// One event record: a counter, three words of the device's own and the
  /// state at the last event.
  ///
  /// Layout: eight 32-bit words, m_Count at offset 0, m_Device at 4,
  /// m_State at 16. Copying a mouse copies m_Count and m_State only: the
  /// device words belong to the device that owns the record.
  class EState {
   public:
    struct cState {
      int32_t m_X;
      int32_t m_Y;
      /// Bit i set while button i is down.
      uint32_t m_Buttons;
      int32_t m_Wheel;
    };

    /// Events recorded; the device counts up, the reader may reset it.
    uint32_t m_Count;
    uint32_t m_Device[3];
    cState m_State;
  };

  enum EButton : int { ButtonLeft = 0, ButtonRight = 1, ButtonMiddle = 2 };

  /// Every record's counter at 0 (and, so that nothing is read
  /// uninitialised, the rest of each record too).
  cMouse();
  /// Copy the records' counters and states; the target keeps its device words.
  cMouse(const cMouse& other);
  cMouse& operator=(const cMouse& other);
  ~cMouse() override;

  EState& OnMouseMove() { return m_Move; }
  EState& OnMouseUp() { return m_Up; }
  EState& OnMouseDown() { return m_Down; }

  /// Takes the mouse for the application; false when another holds it.
  virtual bool Acquire() = 0;
  virtual void Unacquire() = 0;
  /// Reads the device and fills the event records; call once per frame.
  virtual bool Update() = 0;
  /// Position in pixels within the area.
  virtual int GetX() const = 0;
  virtual int GetY() const = 0;
  /// Wheel position, in notches since the device was acquired.
  virtual int GetWheel() const = 0;
  /// Movement since the previous Update, in device units.
  virtual void GetMotion(int& dx, int& dy) const = 0;
  virtual bool IsButtonPressed(int button) const = 0;
  virtual int GetButtonCount() const = 0;
  virtual void SetPosition(int x, int y) = 0;
  /// The rectangle the position is kept in, usually the screen.
  virtual void SetArea(int x, int y, int width, int height) = 0;
  /// Device units per pixel; 1 moves the pointer as the device reports.
  virtual void SetSensitivity(float sensitivity) = 0;
  virtual void ShowCursor(bool show) = 0;

 private:
  EState m_Move;
  EState m_Up;
  EState m_Down;
};

static_assert(sizeof(cMouse::EState) == 32);
static_assert(offsetof(cMouse::EState, m_Count) == 0);
static_assert(offsetof(cMouse::EState, m_Device) == 4);
static_assert(offsetof(cMouse::EState, m_State) == 16);
