#include "mip_chain.h"

#include <algorithm>

#include "software_surface.h"

namespace zunfert::detail {

namespace {

/// The rounded mean of four texels, channel by channel, two at a time.
inline uint32_t Mean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t kMask = 0x00FF00FFu, kHalf = 0x00020002u;
  const uint32_t rb =
      (((a & kMask) + (b & kMask) + (c & kMask) + (d & kMask) + kHalf) >> 2) & kMask;
  const uint32_t ag = ((((a >> 8) & kMask) + ((b >> 8) & kMask) + ((c >> 8) & kMask) +
                        ((d >> 8) & kMask) + kHalf) >>
                       2) &
                      kMask;
  return rb | ag << 8;
}

/// One level from the one above; an odd last row or column is left out,
/// and a side of 1 averages its texel with itself.
void Reduce(const cTextureView& from, const cTextureView& to, uint32_t* texels) {
  // Offsets of the second texel across and down; 0 where that side is 1.
  const int across = from.width > 1 ? 1 : 0, down = from.height > 1 ? from.pitch : 0;
  for (int y = 0; y < to.height; ++y) {
    const uint32_t* row = from.texels + static_cast<ptrdiff_t>(y) * 2 * down;
    uint32_t* out = texels + static_cast<ptrdiff_t>(y) * to.pitch;
    for (int x = 0; x < to.width; ++x) {
      const uint32_t* p = row + 2 * x * across;
      out[x] = Mean4(p[0], p[across], p[down], p[down + across]);
    }
  }
}

}  // namespace

bool cMipChain::IsCurrent(const cSoftwareSurface& texture) const {
  return m_Source == &texture && m_Version == texture.GetVersion() && m_Count > 0;
}

void cMipChain::Update(const cSoftwareSurface& texture) {
  if (IsCurrent(texture)) return;
  m_Source = &texture;
  m_Version = texture.GetVersion();
  Build(ViewOf(texture));
}

void cMipChain::Build(const cTextureView& base) {
  m_Levels[0] = base;
  m_Count = 1;
  if (base.width <= 0 || base.height <= 0) return;
  size_t total = 0;
  for (int w = base.width, h = base.height; w > 1 || h > 1;) {
    w = std::max(w / 2, 1), h = std::max(h / 2, 1);
    total += static_cast<size_t>(w) * h;
  }
  m_Texels.resize(total);
  uint32_t* next = m_Texels.data();
  while (m_Levels[m_Count - 1].width > 1 || m_Levels[m_Count - 1].height > 1) {
    const cTextureView& from = m_Levels[m_Count - 1];
    cTextureView& to = m_Levels[m_Count++];
    to.width = std::max(from.width / 2, 1);
    to.height = std::max(from.height / 2, 1);
    to.pitch = to.width;
    to.texels = next;
    Reduce(from, to, next);
    next += static_cast<size_t>(to.width) * to.height;
  }
}

}  // namespace zunfert::detail
