#pragma once

#include <epoxy/gl.h>

#include <unordered_map>

#include "gl_counts.h"
#include "gl_name.h"
#include "render_state.h"
#include "software_surface.h"

namespace zunfert::gl {

/// The GL copies of the device's textures, whose pixels live in ARGB8888
/// memory surfaces, and the samplers of the texture stages.
///
/// A texture is sent with its full chain of mipmaps when it is first
/// drawn with (or drawn into), and again at its next use whenever its
/// memory surface changed (its version moved: UpdateTexture, Lock and
/// Unlock, blits), never while it stays the same.
class cGlTextures {
 public:
  /// Makes the samplers (the context must be current).
  void Open();
  /// The GL name of a surface's texture, sent first when it has none or
  /// its memory surface changed since.
  GLuint Prepare(const cSoftwareSurface& surface, cGlCounts& counts);
  /// Rebuilds the mipmaps of a texture drawn into, whose memory surface
  /// was read back from it and so holds what it holds.
  void UpdateMipmaps(const cSoftwareSurface& surface);
  void Destroy(const cSurface* surface);
  /// Binds each stage's texture (prepared) and sampler state.
  void Bind(const detail::cRenderState& state, cGlCounts& counts);
  /// Deletes everything (the context must be current).
  void Clear();
  void Forget();

 private:
  struct cTexture {
    cGlTextureName id;
    uint32_t version = 0;  // of the memory surface when it was sent
  };
  struct cSampler {
    cGlSamplerName id;
    cVideo3D::EFilter filter{};
    cVideo3D::EAddressMode u{}, v{};
    float bias = 0;
    bool valid = false;
  };
  void Upload(const cSoftwareSurface& surface, cTexture& texture, cGlCounts& counts);

  std::unordered_map<const cSurface*, cTexture> m_Textures;
  cSampler m_Samplers[detail::kStages];
  GLuint m_Bound[detail::kStages] = {};
};

}  // namespace zunfert::gl
