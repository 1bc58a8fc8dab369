#pragma once

#include <epoxy/gl.h>

#include <string>
#include <unordered_map>

#include "shader_key.h"

namespace zunfert::gl {

/// A linked program and the locations of its uniforms (-1 where the
/// program has none).
struct cProgram {
  GLuint id = 0;
  GLint clip = -1, world = -1, textureMatrix = -1, depthBias = -1, material = -1;
  GLint clipPlanes = -1, fog = -1, fogColor = -1, alphaReference = -1, ambient = -1;
  GLint eye = -1, toViewer = -1, power = -1, textures[detail::kStages] = {-1, -1};
  /// Per light: type, ambient, diffuse, specular, position, direction,
  /// attenuation, range, falloff, cosInner, cosOuter.
  GLint lights[detail::kLights][11] = {};
};

/// The programs of every state combination met so far, each compiled once
/// on first use and kept until Clear, so that no frame compiles after the
/// first ones have shown each combination.
class cShaderCache {
 public:
  cShaderCache() = default;
  cShaderCache(const cShaderCache&) = delete;
  cShaderCache& operator=(const cShaderCache&) = delete;
  ~cShaderCache() { Clear(); }

  /// The key's program, compiled on first use; null when the driver
  /// refuses it (GetError then says why, and the key is not tried again).
  const cProgram* Get(const cShaderKey& key);
  /// Compiles and links two sources; 0 with error set on failure.
  static GLuint Build(const std::string& vertex, const std::string& fragment, std::string& error);
  /// Deletes every program (the context must be current).
  void Clear();
  /// Programs compiled since the cache was made or cleared.
  int GetCompiled() const { return m_Compiled; }
  const std::string& GetError() const { return m_Error; }

 private:
  std::unordered_map<cShaderKey, cProgram, cShaderKeyHash> m_Programs;
  int m_Compiled = 0;
  std::string m_Error;
};

}  // namespace zunfert::gl
