#pragma once

#include <map>
#include <string>
#include <vector>

#include <assimp/scene.h>

#include "material_converter.h"
#include "mesh_converter.h"
#include "unique_names.h"
#include "zunfert_scene.h"

namespace tolmak::detail {

/// Puts the converted meshes and materials into the world: a sector whose
/// root is the file's root node, one entity per node with its transform,
/// and the file's cameras and lights (the first camera selected).
///
/// A node's first mesh piece is its entity's model; further pieces hang
/// below it on entities of their own. A node that carries only a camera or
/// a light becomes that camera or light; one that carries more gets it as
/// a child.
class cSceneBuilder {
 public:
  cSceneBuilder(const aiScene& scene, cDefaultWorld& world, cUniqueNames& names,
                const std::vector<cConvertedMesh>& meshes, cMaterialConverter& materials);

  /// Builds the tree: the sector is "<sceneName>.sector" and the root
  /// entity "<sceneName>" (numbered when the file took the name first).
  /// Returns the number of nodes.
  int Build(const std::string& sceneName);

 private:
  /// The node's own entity, a camera or light when that is all it carries.
  cEntity* MakeNodeEntity(const aiNode& node, const std::string& name);
  void AddMeshes(const aiNode& node, cEntity& entity);
  void AddAttachments(const aiNode& node, cEntity& entity);
  cEntity* MakeCamera(const aiCamera& camera, const std::string& name);
  cEntity* MakeLight(const aiLight& light, const std::string& name);

  const aiScene& m_Scene;
  cDefaultWorld& m_World;
  cUniqueNames& m_Names;
  const std::vector<cConvertedMesh>& m_Meshes;
  cMaterialConverter& m_Materials;
  std::map<std::string, const aiCamera*> m_Cameras;
  std::map<std::string, const aiLight*> m_Lights;
  std::string m_FirstCamera;
  /// The importer's glTF reader departs from its own conventions.
  bool m_FromGltf = false;
};

}  // namespace tolmak::detail
