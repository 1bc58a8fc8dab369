#include <cstring>

#include "tolmak_bitmap.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cSurface, "cSurface", "cSurface", &cBitmap::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cMediaStreamSurface, "cMediaStreamSurface", "cMediaStreamSurface",
                             &cSurface::m_Descriptor, cInterfaceID(0, false))

cSurface::~cSurface() = default;
cMediaStreamSurface::~cMediaStreamSurface() = default;

void* cSurface::Lock() {
  LockSurface();  // the device reports failure through the pointer it leaves
  m_Locked = true;
  return m_Data;
}

void cSurface::Unlock() {
  UnlockSurface();
  m_Locked = false;
}

bool cSurface::IsSameTypeAs(const cSurface* other) const {
  if (other == nullptr) return false;
  const cString& theirs = other->GetTypeName();
  const cString& mine = GetTypeName();
  return theirs.GetLength() == mine.GetLength() &&
         std::memcmp(theirs.c_str(), mine.c_str(), mine.GetLength()) == 0;
}
