#include <algorithm>
#include <climits>
#include <cmath>

#include "../class_desc.h"
#include "zunfert_input.h"

ZUNFERT_DEFINE_CLASS(cDefaultMouse, "Mouse fed by the program or an input script",
                     &cMouse::m_Descriptor)

namespace zunfert::detail {
namespace {

// The one mouse acquired for the application, if any.
cDefaultMouse* gAcquiredMouse = nullptr;

/// a + b, held within the range of int: scripts may feed any number.
int AddSaturated(int a, double b) {
  return static_cast<int>(std::clamp(a + b, double{INT_MIN}, double{INT_MAX}));
}

}  // namespace
}  // namespace zunfert::detail

using zunfert::detail::AddSaturated;

cDefaultMouse::cDefaultMouse() = default;

cDefaultMouse::~cDefaultMouse() {
  Unacquire();
}

bool cDefaultMouse::Acquire() {
  using zunfert::detail::gAcquiredMouse;
  if (gAcquiredMouse != nullptr && gAcquiredMouse != this) return false;
  gAcquiredMouse = this;
  return true;
}

void cDefaultMouse::Unacquire() {
  if (!IsAcquired()) return;
  zunfert::detail::gAcquiredMouse = nullptr;
  m_Buttons = 0;
}

bool cDefaultMouse::IsAcquired() const {
  return zunfert::detail::gAcquiredMouse == this;
}

bool cDefaultMouse::Update() {
  if (!IsAcquired()) return false;
  m_MotionX = m_MotionY = 0;
  for (const cInputScript::cEvent& event : m_Queue.TakeDue()) Apply(event);
  m_LastMotionX = m_MotionX;
  m_LastMotionY = m_MotionY;
  return true;
}

void cDefaultMouse::Apply(const cInputScript::cEvent& event) {
  using EAction = cInputScript::EAction;
  switch (event.m_Action) {
    case EAction::MouseMove: {
      const double dx = static_cast<double>(event.m_A) - m_X;
      const double dy = static_cast<double>(event.m_B) - m_Y;
      m_RestX = m_RestY = 0.0;
      m_MotionX = AddSaturated(m_MotionX, std::round(dx * m_Sensitivity));
      m_MotionY = AddSaturated(m_MotionY, std::round(dy * m_Sensitivity));
      Move(dx, dy, 0);
      break;
    }
    case EAction::MouseMotion:
      m_MotionX = AddSaturated(m_MotionX, event.m_A);
      m_MotionY = AddSaturated(m_MotionY, event.m_B);
      Move(event.m_A / static_cast<double>(m_Sensitivity),
           event.m_B / static_cast<double>(m_Sensitivity), 0);
      break;
    case EAction::MouseWheel:
      Move(0.0, 0.0, event.m_A);
      break;
    case EAction::MouseDown:
    case EAction::MouseUp:
      Button(event.m_A, event.m_Action == EAction::MouseDown);
      break;
    default:
      break;
  }
}

void cDefaultMouse::Move(double dx, double dy, int notches) {
  const int oldX = m_X, oldY = m_Y;
  m_RestX += dx;
  m_RestY += dy;
  const double whole[2] = {std::trunc(m_RestX), std::trunc(m_RestY)};
  m_RestX -= whole[0];
  m_RestY -= whole[1];
  m_X = AddSaturated(m_X, whole[0]);
  m_Y = AddSaturated(m_Y, whole[1]);
  m_Wheel = AddSaturated(m_Wheel, notches);
  Clamp();
  // The area lies within the range of int, so the differences fit.
  if (m_X != oldX || m_Y != oldY || notches != 0)
    Record(OnMouseMove(), m_X - oldX, m_Y - oldY, notches);
}

void cDefaultMouse::Button(int button, bool down) {
  if (button < 0 || button >= kButtons) return;
  const uint32_t bit = 1u << button;
  if (((m_Buttons & bit) != 0) == down) return;
  m_Buttons ^= bit;
  Record(down ? OnMouseDown() : OnMouseUp(), button, 0, 0);
}

void cDefaultMouse::Record(EState& record, int32_t a, int32_t b, int32_t c) {
  ++record.m_Count;
  record.m_Device[0] = static_cast<uint32_t>(a);
  record.m_Device[1] = static_cast<uint32_t>(b);
  record.m_Device[2] = static_cast<uint32_t>(c);
  record.m_State = {m_X, m_Y, m_Buttons, m_Wheel};
}

void cDefaultMouse::Clamp() {
  m_X = std::clamp(m_X, m_AreaX, m_AreaX + m_AreaWidth - 1);
  m_Y = std::clamp(m_Y, m_AreaY, m_AreaY + m_AreaHeight - 1);
}

void cDefaultMouse::GetMotion(int& dx, int& dy) const {
  dx = m_LastMotionX;
  dy = m_LastMotionY;
}

bool cDefaultMouse::IsButtonPressed(int button) const {
  return button >= 0 && button < kButtons && (m_Buttons >> button & 1u) != 0;
}

void cDefaultMouse::SetPosition(int x, int y) {
  m_X = x;
  m_Y = y;
  m_RestX = m_RestY = 0.0;
  Clamp();
}

void cDefaultMouse::SetArea(int x, int y, int width, int height) {
  if (width < 1 || height < 1 || int64_t{x} + width > INT_MAX || int64_t{y} + height > INT_MAX)
    return;
  m_AreaX = x;
  m_AreaY = y;
  m_AreaWidth = width;
  m_AreaHeight = height;
  Clamp();
}

void cDefaultMouse::SetSensitivity(float sensitivity) {
  if (sensitivity > 0.0f && std::isfinite(sensitivity)) m_Sensitivity = sensitivity;
}

void cDefaultMouse::MoveTo(int x, int y) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::MouseMove, x, y, {}});
}

void cDefaultMouse::MoveBy(int dx, int dy) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::MouseMotion, dx, dy, {}});
}

void cDefaultMouse::PressButton(int button) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::MouseDown, button, 0, {}});
}

void cDefaultMouse::ReleaseButton(int button) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::MouseUp, button, 0, {}});
}

void cDefaultMouse::TurnWheel(int notches) {
  m_Queue.Push({m_Queue.GetTime(), cInputScript::EAction::MouseWheel, notches, 0, {}});
}
