#include "scene_builder.h"

#include <cmath>
#include <cstring>
#include <utility>

#include <assimp/commonMetaData.h>

#include "conventions.h"
#include "scene_objects.h"

namespace tolmak::detail {
namespace {

constexpr float kDegreesPerRadian = 57.2957795f;

cColor ToColor(const aiColor3D& c) {
  return cColor(1, c.r, c.g, c.b);
}

}  // namespace

cSceneBuilder::cSceneBuilder(const aiScene& scene, cDefaultWorld& world, cUniqueNames& names,
                             const std::vector<cConvertedMesh>& meshes,
                             cMaterialConverter& materials)
    : m_Scene(scene), m_World(world), m_Names(names), m_Meshes(meshes), m_Materials(materials) {
  for (unsigned i = 0; i < scene.mNumCameras; ++i)
    m_Cameras.emplace(scene.mCameras[i]->mName.C_Str(), scene.mCameras[i]);
  for (unsigned i = 0; i < scene.mNumLights; ++i)
    m_Lights.emplace(scene.mLights[i]->mName.C_Str(), scene.mLights[i]);
  aiString format;
  if (scene.mMetaData != nullptr) scene.mMetaData->Get(AI_METADATA_SOURCE_FORMAT, format);
  m_FromGltf = std::strncmp(format.C_Str(), "glTF", 4) == 0;
}

int cSceneBuilder::Build(const std::string& sceneName) {
  auto* sector = MakeOwned<cDefaultSector>(m_World, m_Names.Claim(sceneName, "Sector", ".sector"));
  m_World.SetRootSector(sector);
  int nodes = 0;
  // Depth first without recursion: a file may nest its nodes deeply.
  std::vector<std::pair<const aiNode*, cEntity*>> pending{{m_Scene.mRootNode, nullptr}};
  while (!pending.empty()) {
    const auto [node, parent] = pending.back();
    pending.pop_back();
    ++nodes;
    // Importers name the root after the file or not at all; it takes the
    // scene's name, so that a game finds its file beside the world's.
    const std::string wanted = parent == nullptr ? sceneName : node->mName.C_Str();
    cEntity* entity = MakeNodeEntity(*node, m_Names.Claim(wanted, "Node"));
    if (parent == nullptr)
      sector->SetRoot(entity);
    else
      parent->AddChild(entity);
    AddMeshes(*node, *entity);
    AddAttachments(*node, *entity);
    for (unsigned i = node->mNumChildren; i-- > 0;)
      pending.emplace_back(node->mChildren[i], entity);
  }
  if (!m_FirstCamera.empty()) m_World.SelectCamera(cString(m_FirstCamera.c_str()));
  return nodes;
}

cEntity* cSceneBuilder::MakeNodeEntity(const aiNode& node, const std::string& name) {
  const cMatrix4x3 local = ToMatrix(node.mTransformation);
  if (node.mNumMeshes == 0 && node.mNumChildren == 0 && &node != m_Scene.mRootNode) {
    const auto camera = m_Cameras.find(node.mName.C_Str());
    const auto light = m_Lights.find(node.mName.C_Str());
    cEntity* alone =
        camera != m_Cameras.end() && light == m_Lights.end()   ? MakeCamera(*camera->second, name)
        : light != m_Lights.end() && camera == m_Cameras.end() ? MakeLight(*light->second, name)
                                                               : nullptr;
    if (alone != nullptr) {
      alone->SetPivotMatrix(alone->GetPivotMatrix() * local);
      return alone;
    }
  }
  auto* entity = MakeOwned<cDefaultEntity>(m_World, name);
  entity->SetPivotMatrix(local);
  return entity;
}

void cSceneBuilder::AddMeshes(const aiNode& node, cEntity& entity) {
  if (dynamic_cast<cDefaultEntity*>(&entity) == nullptr) return;
  bool first = true;
  for (unsigned i = 0; i < node.mNumMeshes; ++i) {
    if (node.mMeshes[i] >= m_Meshes.size()) continue;
    const cConvertedMesh& mesh = m_Meshes[node.mMeshes[i]];
    cMaterial* material =
        m_Materials.Get(m_Scene.mMeshes[node.mMeshes[i]]->mMaterialIndex, mesh.m_Textured);
    for (cMeshModel* piece : mesh.m_Pieces) {
      cEntity* holder = &entity;
      if (!first) {
        holder =
            MakeOwned<cDefaultEntity>(m_World, m_Names.Claim(node.mName.C_Str(), "Node", "_part"));
        entity.AddChild(holder);
      }
      first = false;
      holder->SetModel(piece);
      if (material != nullptr) holder->AddMaterial(material);
    }
  }
}

void cSceneBuilder::AddAttachments(const aiNode& node, cEntity& entity) {
  if (dynamic_cast<cDefaultEntity*>(&entity) == nullptr) return;
  const auto camera = m_Cameras.find(node.mName.C_Str());
  if (camera != m_Cameras.end())
    entity.AddChild(MakeCamera(*camera->second, m_Names.Claim(node.mName.C_Str(), "Camera")));
  const auto light = m_Lights.find(node.mName.C_Str());
  if (light != m_Lights.end())
    if (cEntity* made = MakeLight(*light->second, m_Names.Claim(node.mName.C_Str(), "Light")))
      entity.AddChild(made);
}

cEntity* cSceneBuilder::MakeCamera(const aiCamera& source, const std::string& name) {
  auto* camera = MakeOwned<cDefaultCamera>(m_World, name);
  // The importer gives half the horizontal angle in radians, the engine
  // the whole in degrees. Its glTF reader gives the vertical angle times
  // the aspect instead, and repeats the node's translation as the position.
  float halfAngle = source.mHorizontalFOV;
  aiVector3D position = source.mPosition;
  if (m_FromGltf) {
    const float aspect = source.mAspect > 0 ? source.mAspect : 1.0f;
    halfAngle = std::atan(aspect * std::tan(source.mHorizontalFOV / aspect / 2));
    position = aiVector3D();
  }
  if (halfAngle > 0) camera->SetFieldOfView(2 * halfAngle * kDegreesPerRadian);
  if (source.mClipPlaneFar > 0) camera->SetHorizon(source.mClipPlaneFar);
  if (source.mAspect > 0) camera->SetAspect(source.mAspect);
  camera->SetPivotMatrix(LookFrame(position, source.mLookAt, source.mUp));
  if (m_FirstCamera.empty()) m_FirstCamera = name;
  return camera;
}

cEntity* cSceneBuilder::MakeLight(const aiLight& source, const std::string& name) {
  cLight* light = nullptr;
  switch (source.mType) {
    case aiLightSource_DIRECTIONAL:
      light = MakeOwned<cDirectionalLight>(m_World, name);
      break;
    case aiLightSource_SPOT:
      light = MakeOwned<cSpotLight>(m_World, name);
      // Whole cone angles, which the glTF reader gives as halves.
      light->SetPhi(source.mAngleOuterCone * (m_FromGltf ? 2 : 1) * kDegreesPerRadian);
      light->SetTheta(source.mAngleInnerCone * (m_FromGltf ? 2 : 1) * kDegreesPerRadian);
      break;
    case aiLightSource_POINT:
    case aiLightSource_AREA:
      light = MakeOwned<cOmniLight>(m_World, name);
      break;
    case aiLightSource_AMBIENT:
      m_World.SetAmbientLight(ToColor(source.mColorAmbient));
      return nullptr;
    default:
      return nullptr;
  }
  light->SetDiffuse(ToColor(source.mColorDiffuse));
  light->SetSpecular(ToColor(source.mColorSpecular));
  light->SetAmbient(ToColor(source.mColorAmbient));
  // No attenuation at all means none: a constant factor of 1.
  const bool none = source.mAttenuationConstant == 0 && source.mAttenuationLinear == 0 &&
                    source.mAttenuationQuadratic == 0;
  light->SetConstant(none ? 1.0f : source.mAttenuationConstant);
  light->SetLinear(source.mAttenuationLinear);
  light->SetQuad(source.mAttenuationQuadratic);
  light->SetPivotMatrix(LookFrame(source.mPosition, source.mDirection, source.mUp));
  return light;
}

}  // namespace tolmak::detail
