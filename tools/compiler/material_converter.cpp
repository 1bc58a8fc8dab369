#include "material_converter.h"

#include <stdexcept>

#include "scene_objects.h"
#include "texture_loader.h"

namespace tolmak::detail {
namespace {

cColor ToColor(const aiColor4D& c) {
  return cColor(c.a, c.r, c.g, c.b);
}

std::string NameOf(const aiMaterial& material) {
  aiString name;
  material.Get(AI_MATKEY_NAME, name);
  return name.C_Str();
}

}  // namespace

cMaterialConverter::cMaterialConverter(const aiScene& scene, std::string location,
                                       cDefaultWorld& world, cUniqueNames& names)
    : m_Scene(scene), m_Location(std::move(location)), m_World(world), m_Names(names) {}

std::string cMaterialConverter::TexturePath(const aiMaterial& material) {
  aiString path;
  for (const aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE})
    if (material.GetTexture(type, 0, &path) == aiReturn_SUCCESS && path.length > 0)
      return path.C_Str();
  return std::string();
}

int cMaterialConverter::CountTextures() const {
  int count = 0;
  for (unsigned i = 0; i < m_Scene.mNumMaterials; ++i)
    count += !TexturePath(*m_Scene.mMaterials[i]).empty();
  return count;
}

void cMaterialConverter::SetColors(const aiMaterial& source, cDefaultMaterial& target) const {
  aiColor4D color(1, 1, 1, 1);
  if (source.Get(AI_MATKEY_BASE_COLOR, color) != aiReturn_SUCCESS) {
    source.Get(AI_MATKEY_COLOR_DIFFUSE, color);
    float opacity = 1;
    if (source.Get(AI_MATKEY_OPACITY, opacity) == aiReturn_SUCCESS) color.a = opacity;
  }
  target.SetDiffuse(ToColor(color));
  target.SetAmbient(ToColor(aiColor4D(color.r, color.g, color.b, 1)));
  aiColor4D specular(0, 0, 0, 1), emissive(0, 0, 0, 1);
  source.Get(AI_MATKEY_COLOR_SPECULAR, specular);
  source.Get(AI_MATKEY_COLOR_EMISSIVE, emissive);
  target.SetSpecular(ToColor(aiColor4D(specular.r, specular.g, specular.b, 1)));
  target.SetEmissive(ToColor(aiColor4D(emissive.r, emissive.g, emissive.b, 1)));
  float shininess = 0;
  if (source.Get(AI_MATKEY_SHININESS, shininess) == aiReturn_SUCCESS && shininess > 0)
    target.SetPower(shininess);
}

void cMaterialConverter::ConvertAll(const std::function<void()>& textureDone) {
  for (unsigned i = 0; i < m_Scene.mNumMaterials; ++i) {
    const aiMaterial& source = *m_Scene.mMaterials[i];
    const std::string name = NameOf(source);
    auto* material = MakeOwned<cDefaultMaterial>(m_World, m_Names.Claim(name, "Material", ".mat"));
    m_Materials.push_back(material);
    SetColors(source, *material);
    const std::string path = TexturePath(source);
    if (path.empty()) continue;
    try {
      LoadTexture(m_Scene, path, m_Location, *material->GetTextureSprite());
    } catch (const std::exception& error) {
      throw std::runtime_error("material \"" + name + "\": " + error.what());
    }
    textureDone();
  }
}

cDefaultMaterial* cMaterialConverter::Get(unsigned index, bool textured) {
  if (index >= m_Materials.size()) return nullptr;
  cDefaultMaterial* material = m_Materials[index];
  if (textured || material->GetTexture(0) == nullptr) return material;
  cDefaultMaterial*& twin = m_Untextured[index];
  if (twin == nullptr) {
    twin = MakeOwned<cDefaultMaterial>(
        m_World,
        m_Names.Claim(NameOf(*m_Scene.mMaterials[index]) + "_untextured", "Material", ".mat"));
    SetColors(*m_Scene.mMaterials[index], *twin);
  }
  return twin;
}

}  // namespace tolmak::detail
