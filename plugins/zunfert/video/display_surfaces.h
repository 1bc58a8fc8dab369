#pragma once

#include <memory>

#include <tolmak.h>

#include "software_surface.h"

namespace zunfert::detail {

/// What a software device shows and draws into: a front surface with the
/// back surface attached, both in the display format of one colour depth.
class cDisplaySurfaces {
 public:
  /// Both surfaces at size in the display format of depth (which must have
  /// one), replacing any held.
  void Open(const tSize<int>& size, int depth);
  void Close();
  /// Both surfaces at a new size, their pixels not kept; false when closed
  /// or when the size is no display size.
  bool Resize(int width, int height);

  bool IsOpen() const { return m_Front != nullptr; }
  /// The surfaces' size, 0 by 0 when closed.
  tSize<int> Size() const { return IsOpen() ? m_Front->GetSize() : tSize<int>{0, 0}; }
  cSoftwareSurface* Front() const { return m_Front.get(); }
  cSoftwareSurface* Back() const { return m_Back.get(); }
  const cPixelFormat& Format() const { return m_Format; }

 private:
  cPixelFormat m_Format;
  std::unique_ptr<cSoftwareSurface> m_Front, m_Back;
};

}  // namespace zunfert::detail
