#include "../class_desc.h"
#include "zunfert_input.h"

ZUNFERT_DEFINE_CLASS(cDefaultKeyboard, "Keyboard fed by the program or an input script",
                     &cKeyboard::m_Descriptor)

namespace zunfert::detail {
namespace {

// The one keyboard acquired for the application, if any.
cDefaultKeyboard* gAcquiredKeyboard = nullptr;

}  // namespace
}  // namespace zunfert::detail

cDefaultKeyboard::~cDefaultKeyboard() {
  Unacquire();
}

bool cDefaultKeyboard::Acquire() {
  using zunfert::detail::gAcquiredKeyboard;
  if (gAcquiredKeyboard != nullptr && gAcquiredKeyboard != this) return false;
  gAcquiredKeyboard = this;
  return true;
}

void cDefaultKeyboard::Unacquire() {
  if (!IsAcquired()) return;
  zunfert::detail::gAcquiredKeyboard = nullptr;
  m_Down.reset();
}

bool cDefaultKeyboard::IsAcquired() const {
  return zunfert::detail::gAcquiredKeyboard == this;
}

bool cDefaultKeyboard::Update() {
  if (!IsAcquired()) return false;
  for (const cInputScript::cEvent& event : m_Queue.TakeDue()) Apply(event);
  return true;
}

void cDefaultKeyboard::Apply(const cInputScript::cEvent& event) {
  using EAction = cInputScript::EAction;
  const int code = event.m_A;
  const bool known = code >= 0 && code < KeyCount;
  if (event.m_Action == EAction::Type) {
    for (char c : event.m_Text) Type(c);
  } else if (event.m_Action == EAction::KeyUpAll) {
    const bool close = m_Down.test(KeyClose);
    m_Down.reset();
    m_Down.set(KeyClose, close);
  } else if (event.m_Action == EAction::KeyUp) {
    if (known) m_Down.reset(static_cast<size_t>(code));
  } else if (event.m_Action == EAction::KeyDown && known) {
    m_Down.set(static_cast<size_t>(code));
    if (code == KeyEnter || code == KeyTab || code == KeyBackspace)
      Type(static_cast<char>(code));
    else if (m_KeysTypePrintable && code >= ' ' && code < 127)
      Type(static_cast<char>(code >= 'A' && code <= 'Z' && !IsShiftPressed() ? code - 'A' + 'a'
                                                                             : code));
  }
}

void cDefaultKeyboard::Type(char c) {
  if (m_Typed.size() < kBufferSize) m_Typed.push_back(c);
}

char cDefaultKeyboard::ReadChar() {
  if (m_Typed.empty()) return 0;
  const char c = m_Typed.front();
  m_Typed.pop_front();
  return c;
}

bool cDefaultKeyboard::IsKeyPressed(int code) {
  return code >= 0 && code < KeyCount && m_Down.test(static_cast<size_t>(code));
}

void cDefaultKeyboard::FlushBuffer() {
  m_Typed.clear();
}

void cDefaultKeyboard::PressKey(int code) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::KeyDown, code, 0, {}});
}

void cDefaultKeyboard::ReleaseKey(int code) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::KeyUp, code, 0, {}});
}

void cDefaultKeyboard::ReleaseAllKeys() {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::KeyUpAll, 0, 0, {}});
}

void cDefaultKeyboard::TypeText(const cString& text) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::Type, 0, 0,
                std::string(text.c_str(), static_cast<size_t>(text.GetLength()))});
}
