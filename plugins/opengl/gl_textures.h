#pragma once

#include <epoxy/gl.h>

#include <unordered_map>

#include "gl_counts.h"
#include "render_state.h"
#include "software_surface.h"

namespace zunfert::gl {

/// The GL copies of the device's textures, whose pixels live in ARGB8888
/// memory surfaces, and the samplers of the texture stages.
///
/// A texture is sent with its full chain of mipmaps when it is made and
/// whenever Upload is called again (UpdateTexture, or after it was drawn
/// into); writes into its memory surface by other means are not seen.
class cGlTextures {
 public:
  cGlTextures() = default;
  cGlTextures(const cGlTextures&) = delete;
  cGlTextures& operator=(const cGlTextures&) = delete;
  ~cGlTextures() { Clear(); }

  /// Makes the samplers (the context must be current).
  void Open();
  void Upload(const cSoftwareSurface& surface, cGlCounts& counts);
  /// The GL name of a surface's texture, 0 when it has none.
  GLuint Find(const cSurface* surface) const;
  /// Rebuilds the mipmaps of a texture drawn into.
  void UpdateMipmaps(const cSurface* surface);
  void Destroy(const cSurface* surface);
  /// Binds each stage's texture and sampler state, sending textures made
  /// before the device was opened.
  void Bind(const detail::cRenderState& state, cGlCounts& counts);
  /// Deletes everything (the context must be current).
  void Clear();
  void Forget();

 private:
  struct cSampler {
    GLuint id = 0;
    cVideo3D::EFilter filter{};
    cVideo3D::EAddressMode u{}, v{};
    float bias = 0;
    bool valid = false;
  };
  std::unordered_map<const cSurface*, GLuint> m_Textures;
  cSampler m_Samplers[detail::kStages];
  GLuint m_Bound[detail::kStages] = {};
};

}  // namespace zunfert::gl
