#include "display_surfaces.h"

#include "display_mode.h"

namespace zunfert::detail {

void cDisplaySurfaces::Open(const tSize<int>& size, int depth) {
  Close();
  m_Format = DisplayFormat(depth);
  m_Front = std::make_unique<cSoftwareSurface>(size, m_Format);
  m_Back = std::make_unique<cSoftwareSurface>(size, m_Format);
  m_Front->SetAttachedSurface(m_Back.get());
}

void cDisplaySurfaces::Close() {
  m_Front.reset();  // first: it holds the back surface attached
  m_Back.reset();
}

bool cDisplaySurfaces::Resize(int width, int height) {
  if (!IsOpen() || !IsDisplaySize(width, height)) return false;
  m_Front->Allocate({width, height}, m_Format);
  m_Back->Allocate({width, height}, m_Format);
  return true;
}

}  // namespace zunfert::detail
