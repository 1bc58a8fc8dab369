#include "imported.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace demo {
namespace {

/// The world owns the tree, its materials and its models from now on.
void AdoptTree(cDefaultWorld* world, cEntity* entity) {
  world->Adopt(entity);
  for (int i = 0; i < entity->GetNumberOfMaterials(); ++i) world->Adopt(entity->GetMaterial(i));
  world->Adopt(entity->GetModel());
  for (int i = 0; i < entity->GetNumberOfChilds(); ++i)
    if (cEntity* child = entity->GetChild(i)) AdoptTree(world, child);
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
  AdoptTree(world, house);
  house->SetName("House");
  house->ScalePivot(2, 2, 2);
  house->RotatePivot(0, 200, 0);
  house->SetPivotPosition(9, -4.5f, 6);
  video->SetDiffuseSource(cVideo3D::ESource::Material);
  video->SetSpecularSource(cVideo3D::ESource::Material);
  return house;
}

}  // namespace demo
