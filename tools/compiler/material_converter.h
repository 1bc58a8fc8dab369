#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <assimp/scene.h>

#include "unique_names.h"
#include "zunfert_scene.h"

namespace tolmak::detail {

/// The file's materials as "cDefaultMaterial"s owned by the world: base
/// (diffuse) colour, which also serves as the ambient colour, opacity as
/// its alpha, specular colour and shininess as the power, emissive colour,
/// and the base-colour texture.
class cMaterialConverter {
 public:
  cMaterialConverter(const aiScene& scene, std::string location, cDefaultWorld& world,
                     cUniqueNames& names);

  /// Materials that name a base-colour texture.
  int CountTextures() const;
  /// Converts every material, calling textureDone after each texture.
  /// Throws std::runtime_error naming the material and the texture when a
  /// texture cannot be found or decoded.
  void ConvertAll(const std::function<void()>& textureDone);
  /// The converted material; for a mesh without texture coordinates
  /// (textured false) a twin without the texture, made on first use.
  cDefaultMaterial* Get(unsigned index, bool textured);

 private:
  /// The base-colour texture's path, empty for none.
  static std::string TexturePath(const aiMaterial& material);
  void SetColors(const aiMaterial& source, cDefaultMaterial& target) const;

  const aiScene& m_Scene;
  std::string m_Location;
  cDefaultWorld& m_World;
  cUniqueNames& m_Names;
  std::vector<cDefaultMaterial*> m_Materials;
  std::map<unsigned, cDefaultMaterial*> m_Untextured;
};

}  // namespace tolmak::detail
