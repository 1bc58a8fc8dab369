#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "render_state.h"

namespace zunfert::gl {

/// The render states that change the shader's code: everything else is a
/// uniform or GL state. Bytes only, so that equal keys are equal in memory.
struct cShaderKey {
  uint8_t lighting = 0, lights = 0, specular = 0, localViewer = 0, normalize = 0;
  /// ESource of diffuse, ambient, specular and emissive.
  uint8_t sources[4] = {};
  uint8_t flat = 0;
  uint8_t fog = 0;  // 0 off, else the EFog value
  uint8_t stages = 0;
  uint8_t textured[detail::kStages] = {};
  uint8_t colorFunction[detail::kStages] = {}, alphaFunction[detail::kStages] = {};
  uint8_t colorKey = 0;
  uint8_t alphaTest = 0;   // 0 off, else the ECompareFunction value
  uint8_t clipPlanes = 0;  // bit i for user plane i

  /// The key of a render state; lights counts the enabled ones.
  static cShaderKey From(const detail::cRenderState& state);
  bool operator==(const cShaderKey&) const = default;
};

struct cShaderKeyHash {
  size_t operator()(const cShaderKey& key) const;
};

/// The GLSL 3.30 sources of a key's program.
std::string VertexSource(const cShaderKey& key);
std::string FragmentSource(const cShaderKey& key);

/// Attribute locations shared by every program.
enum EAttributeLocation : unsigned {
  kPosition = 0,
  kNormal = 1,
  kDiffuse = 2,
  kSpecular = 3,
  kTexture0 = 4,  // one per stage
};

}  // namespace zunfert::gl
