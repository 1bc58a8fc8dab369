#pragma once

#include <cstdint>
#include <vector>

#include "texture_sampler.h"

namespace zunfert {
class cSoftwareSurface;
}

namespace zunfert::detail {

/// The mipmaps of an ARGB8888 texture: level 0 is the texture itself, each
/// further level half the one before on each side (at least one texel),
/// down to 1 by 1, each texel the rounded mean of the 2 by 2 it covers.
///
/// Update rebuilds only when the texture changed since the last build (its
/// version), and keeps the storage: a texture redrawn at the same size
/// allocates nothing.
class cMipChain {
 public:
  /// Enough levels for any side an int holds.
  static constexpr int kMaxLevels = 32;

  void Update(const cSoftwareSurface& texture);
  /// Whether Update would leave the levels as they are.
  bool IsCurrent(const cSoftwareSurface& texture) const;
  int GetLevelCount() const { return m_Count; }
  const cTextureView& GetLevel(int level) const { return m_Levels[level]; }

 private:
  void Build(const cTextureView& base);

  std::vector<uint32_t> m_Texels;  // levels 1 on, one after another
  cTextureView m_Levels[kMaxLevels];
  int m_Count = 0;
  const cSoftwareSurface* m_Source = nullptr;
  uint32_t m_Version = 0;
};

}  // namespace zunfert::detail
