#pragma once

#include <bitset>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include <tolmak.h>

#include "zunfert_export.h"

/// Timed key and mouse events, read from a text that a program or a test
/// writes, so that a game loop runs the same way every time without a
/// terminal or a window. One event a line, '#' starts a comment:
///
///     0.5  key down Space        key: a character, a name or a number
///     1.0  key up Space
///     1.2  type hello world      the rest of the line, typed
///     2.0  mouse move 320 200    position in pixels
///     2.1  mouse motion 5 -3     relative, in device units
///     2.5  mouse down left       left, right, middle or a number
///     2.6  mouse up left
///     3.0  mouse wheel -1        notches
///
/// Times are seconds of the clock that the program gives the devices
/// (SetTime); they must not decrease from one line to the next.
class ZUNFERT_API cInputScript {
 public:
  enum class EAction : int32_t {
    KeyDown,
    KeyUp,
    Type,
    MouseMove,
    MouseMotion,
    MouseDown,
    MouseUp,
    MouseWheel,
    /// Every key up but KeyClose (a window losing focus); never in a script.
    KeyUpAll,
  };
  struct cEvent {
    float m_Time;
    EAction m_Action;
    /// Key code, button, x or dx, or notches.
    int32_t m_A;
    /// y or dy.
    int32_t m_B;
    /// What Type types.
    std::string m_Text;
  };

  cInputScript() = default;
  /// Throws cException naming the line and what is wrong with it.
  static cInputScript Parse(const cString& text);
  /// Parse of a file opened through the stream manager; a file that cannot
  /// be opened throws too.
  static cInputScript Load(const cUrl& url);

  const std::vector<cEvent>& GetEvents() const { return m_Events; }
  void Add(const cEvent& event) { m_Events.push_back(event); }

  /// The key code of a name ("Space", "LeftShift", "F5", "a", "0x41"), or -1.
  static int KeyCode(const std::string& name);

 private:
  std::vector<cEvent> m_Events;
};

/// Events waiting for a device's next Update: those the program fed through
/// the device's calls, then the script's events whose time has come.
class ZUNFERT_API cInputQueue {
 public:
  /// Keeps the events for which the device cares.
  void SetScript(const cInputScript& script, bool keyboard);
  void SetTime(float seconds) { m_Time = seconds; }
  float GetTime() const { return m_Time; }
  void Push(const cInputScript::cEvent& event) { m_Fed.push_back(event); }
  /// The fed events, then the script's events due by the time, in order;
  /// they are gone from the queue afterwards.
  std::vector<cInputScript::cEvent> TakeDue();
  /// True while fed or scripted events are still to come.
  bool IsPending() const { return !m_Fed.empty() || m_Next < m_Script.size(); }

 private:
  std::vector<cInputScript::cEvent> m_Fed;
  std::vector<cInputScript::cEvent> m_Script;
  size_t m_Next = 0;
  float m_Time = 0.0f;
};

/// The keyboard of the plug-in library ("cDefaultKeyboard"): no hardware,
/// its keys are pressed by the program (PressKey, TypeText) or by an input
/// script, and the changes take effect at the next Update, as a real
/// device's would.
///
/// Key codes: printable characters are their ASCII code, letters upper
/// case ('A' is 65); EKey names the others; 0x150 to 0x155 are the
/// engine's modifier keys (left and right Alt, Ctrl, Shift); KeyClose is
/// held once the player asked to close the game's window. A key going down
/// also types its character when it has one (letters lower case unless a
/// Shift is held). The typed characters wait in a buffer of 256; further
/// ones are dropped until it is read.
///
/// Only one keyboard object can be acquired at a time. Update does nothing
/// and returns false while the keyboard is not acquired; Unacquire lets go
/// of every key.
class ZUNFERT_API cDefaultKeyboard : public cKeyboard {
  ZUNFERT_CLASS()

 public:
  enum EKey : int {
    KeyBackspace = 8,
    KeyTab = 9,
    KeyEnter = 13,
    KeyEscape = 27,
    KeySpace = 32,
    KeyLeft = 0x100,
    KeyRight = 0x101,
    KeyUp = 0x102,
    KeyDown = 0x103,
    KeyHome = 0x104,
    KeyEnd = 0x105,
    KeyPageUp = 0x106,
    KeyPageDown = 0x107,
    KeyInsert = 0x108,
    KeyDelete = 0x109,
    /// F1 to F12 follow on.
    KeyF1 = 0x110,
    KeyLeftAlt = KeyAlt1,
    KeyRightAlt = KeyAlt2,
    KeyLeftCtrl = KeyCtrl1,
    KeyRightCtrl = KeyCtrl2,
    KeyLeftShift = KeyShift1,
    KeyRightShift = KeyShift2,
    /// Held from a request to close the window (its close button, the
    /// system's quit) until the program releases it; losing the focus
    /// leaves it held, so that the game sees the request.
    KeyClose = 0x1FF,
    /// Codes run from 0 to KeyCount - 1; others are never pressed.
    KeyCount = 0x200,
  };
  static constexpr size_t kBufferSize = 256;

  cDefaultKeyboard() = default;
  cDefaultKeyboard(const cDefaultKeyboard&) = delete;
  cDefaultKeyboard& operator=(const cDefaultKeyboard&) = delete;
  ~cDefaultKeyboard() override;

  bool Acquire() override;
  void Unacquire() override;
  bool IsAcquired() const;
  bool Update() override;
  char ReadChar() override;
  bool IsKeyPressed(int code) override;
  void FlushBuffer() override;

  /// Queued for the next Update.
  void PressKey(int code);
  void ReleaseKey(int code);
  void TypeText(const cString& text);
  /// Events from the script replace those of an earlier one.
  void SetScript(const cInputScript& script) { m_Queue.SetScript(script, true); }
  /// The clock against which script events fall due.
  void SetTime(float seconds) { m_Queue.SetTime(seconds); }
  /// True while fed or scripted events are still to come.
  bool IsPending() const { return m_Queue.IsPending(); }

 protected:
  /// For a device whose printable characters arrive as text of their own
  /// (TypeText), not with their keys; Enter, Tab and Backspace still type.
  explicit cDefaultKeyboard(bool keysTypePrintable) : m_KeysTypePrintable(keysTypePrintable) {}
  /// Queues the release of every key but KeyClose.
  void ReleaseAllKeys();

 private:
  void Apply(const cInputScript::cEvent& event);
  void Type(char c);

  cInputQueue m_Queue;
  std::bitset<KeyCount> m_Down;
  std::deque<char> m_Typed;
  bool m_KeysTypePrintable = true;
};

/// The mouse of the plug-in library ("cDefaultMouse"): moved and clicked by
/// the program (MoveTo, MoveBy, PressButton, ...) or by an input script;
/// the changes take effect at the next Update.
///
/// The position stays in the area (640 by 480 from (0, 0) until SetArea)
/// and starts at its centre. Relative motion comes in device units and
/// moves the pointer by units / sensitivity pixels (fractions carried
/// over). Three buttons: left 0, right 1, middle 2.
///
/// Event records, updated by Update for each change: OnMouseMove for a
/// move or a wheel turn (device words: dx, dy in pixels and the notches),
/// OnMouseDown and OnMouseUp for a button (first device word: the button).
/// Each counts its events in m_Count and holds the state after the event.
///
/// Only one mouse object can be acquired at a time; Update does nothing and
/// returns false while it is not acquired; Unacquire releases the buttons.
class ZUNFERT_API cDefaultMouse : public cMouse {
  ZUNFERT_CLASS()

 public:
  static constexpr int kButtons = 3;

  cDefaultMouse();
  cDefaultMouse(const cDefaultMouse&) = delete;
  cDefaultMouse& operator=(const cDefaultMouse&) = delete;
  ~cDefaultMouse() override;

  bool Acquire() override;
  void Unacquire() override;
  bool IsAcquired() const;
  bool Update() override;
  int GetX() const override { return m_X; }
  int GetY() const override { return m_Y; }
  int GetWheel() const override { return m_Wheel; }
  void GetMotion(int& dx, int& dy) const override;
  bool IsButtonPressed(int button) const override;
  int GetButtonCount() const override { return kButtons; }
  /// Moves the pointer at once, kept in the area; no event is recorded.
  void SetPosition(int x, int y) override;
  /// A width or height below 1 is ignored.
  void SetArea(int x, int y, int width, int height) override;
  /// Ignored unless positive and finite.
  void SetSensitivity(float sensitivity) override;
  void ShowCursor(bool show) override { m_CursorShown = show; }
  bool IsCursorShown() const { return m_CursorShown; }

  /// Queued for the next Update.
  void MoveTo(int x, int y);
  void MoveBy(int dx, int dy);
  void PressButton(int button);
  void ReleaseButton(int button);
  void TurnWheel(int notches);
  void SetScript(const cInputScript& script) { m_Queue.SetScript(script, false); }
  void SetTime(float seconds) { m_Queue.SetTime(seconds); }
  bool IsPending() const { return m_Queue.IsPending(); }

 private:
  void Apply(const cInputScript::cEvent& event);
  /// Moves by a pixel distance, clamped, and records the move.
  void Move(double dx, double dy, int notches);
  void Button(int button, bool down);
  void Record(EState& record, int32_t a, int32_t b, int32_t c);
  void Clamp();

  cInputQueue m_Queue;
  int m_AreaX = 0, m_AreaY = 0, m_AreaWidth = 640, m_AreaHeight = 480;
  int m_X = 320, m_Y = 240;
  int m_Wheel = 0;
  uint32_t m_Buttons = 0;
  float m_Sensitivity = 1.0f;
  // Fractions of a pixel left from relative motion.
  double m_RestX = 0.0, m_RestY = 0.0;
  // Device units since the previous Update, and what GetMotion reports.
  int m_MotionX = 0, m_MotionY = 0;
  int m_LastMotionX = 0, m_LastMotionY = 0;
  bool m_CursorShown = true;
};
