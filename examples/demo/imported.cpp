#include "imported.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace demo {
namespace {

/// The world owns the tree, its materials and its models from now on; the
/// meshes are kept in the device's buffers, so that frames send no geometry.
void AdoptTree(cDefaultWorld* world, cVideo3D* video, cEntity* entity) {
  world->Adopt(entity);
  for (int i = 0; i < entity->GetNumberOfMaterials(); ++i) world->Adopt(entity->GetMaterial(i));
  world->Adopt(entity->GetModel());
  if (auto* mesh = dynamic_cast<cMeshModel*>(entity->GetModel())) mesh->Compile(video);
  for (int i = 0; i < entity->GetNumberOfChilds(); ++i)
    if (cEntity* child = entity->GetChild(i)) AdoptTree(world, video, child);
}

}  // namespace

cEntity* LoadImportedModel(cDefaultWorld* world, cVideo3D* video) {
  // The compiler writes the root entity beside the world, named after it.
  const std::string root = std::string(DEMO_MODELS) + "/house";
  if (!std::filesystem::exists(root)) return nullptr;
  cObject* loaded = cPluginSystem::GetInstance()->LoadPlugin(cUrl(cString(root.c_str())));
  auto* house = dynamic_cast<cEntity*>(loaded);
  if (house == nullptr) {
    cPluginSystem::GetInstance()->Destroy(loaded);
    throw std::runtime_error("the compiled house in " + root + " did not load");
  }
  AdoptTree(world, video, house);
  house->SetName("House");
  house->ScalePivot(2, 2, 2);
  house->RotatePivot(0, 200, 0);
  house->SetPivotPosition(9, -4.5f, 6);
  return house;
}

}  // namespace demo
