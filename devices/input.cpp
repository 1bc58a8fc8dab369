#include "tolmak_input.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cKeyboard, "cKeyboard", "cKeyboard", &cObject::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cMouse, "cMouse", "cMouse", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cKeyboard::~cKeyboard() = default;

namespace tolmak::detail {
namespace {

// The device words stay: they belong to the device that owns the target.
void CopyRecord(cMouse::EState& to, const cMouse::EState& from) {
  to.m_Count = from.m_Count;
  to.m_State = from.m_State;
}

}  // namespace
}  // namespace tolmak::detail

using tolmak::detail::CopyRecord;

cMouse::cMouse() : m_Move{}, m_Up{}, m_Down{} {}

cMouse::cMouse(const cMouse& other) : cObject(other), m_Move{}, m_Up{}, m_Down{} {
  CopyRecord(m_Move, other.m_Move);
  CopyRecord(m_Up, other.m_Up);
  CopyRecord(m_Down, other.m_Down);
}

cMouse& cMouse::operator=(const cMouse& other) {
  cObject::operator=(other);
  CopyRecord(m_Move, other.m_Move);
  CopyRecord(m_Up, other.m_Up);
  CopyRecord(m_Down, other.m_Down);
  return *this;
}

cMouse::~cMouse() = default;
