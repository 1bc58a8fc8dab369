#include "scene.h"

#include <algorithm>
#include <stdexcept>

#include "imported.h"

namespace demo {
namespace {

/// Makes plug-in objects by class name, named, owned by the world.
class cFactory {
 public:
  explicit cFactory(cDefaultWorld* world) : m_World(world) {}

  template <class T>
  T* Make(const char* className, const char* name) {
    cObject* object = cPluginSystem::GetInstance()->Create(gCRC32(className));
    T* typed = dynamic_cast<T*>(object);
    if (typed == nullptr) {
      cPluginSystem::GetInstance()->Destroy(object);
      throw std::runtime_error(std::string("the plug-in library has no ") + className);
    }
    m_World->Adopt(typed);
    typed->SetName(name);
    return typed;
  }

  cDefaultMaterial* Material(cApplicationEx& app, const char* name, const cTextureFile& file) {
    auto* material = Make<cDefaultMaterial>("cDefaultMaterial", name);
    if (!app.LoadImage(file.type, file.path.c_str(), material->GetTextureSprite(), 0, 0))
      throw std::runtime_error("cannot load " + file.path);
    return material;
  }

  cDefaultEntity* Entity(const char* name, cEntity* parent, cModel* model, cMaterial* material) {
    auto* entity = Make<cDefaultEntity>("cDefaultEntity", name);
    parent->AddChild(entity);
    entity->SetModel(model);
    entity->AddMaterial(material);
    return entity;
  }

 private:
  cDefaultWorld* m_World;
};

struct cMaterials {
  cDefaultMaterial *bricks, *rings, *marble, *stripes;
};

cMaterials LoadMaterials(cApplicationEx& app, cFactory& make,
                         const std::vector<cTextureFile>& files) {
  cMaterials m{};
  m.bricks = make.Material(app, "bricks.mat", files.at(0));
  // The floor runs far into the distance, where only mipmaps keep it calm.
  m.bricks->SetFilter(cVideo3D::EFilter::Trilinear);
  m.rings = make.Material(app, "rings.mat", files.at(1));
  m.marble = make.Material(app, "marble.mat", files.at(2));
  m.marble->SetSpecular(cColor(1, 0.6f, 0.6f, 0.6f));
  m.stripes = make.Material(app, "stripes.mat", files.at(3));
  // The ring blends over what lies behind it.
  m.stripes->SetDiffuse(cColor(0.85f, 1, 1, 1));
  m.stripes->SetFilter(cVideo3D::EFilter::Point);
  return m;
}

/// The planet with its moon on an orbit, the ring and the floor.
int BuildBodies(cFactory& make, cEntity* root, const cMaterials& m, cVideo3D* video,
                cEntity*& orbit) {
  auto* sphere = make.Make<cMeshModel>("cMeshModel", "sphere.mesh");
  auto* torus = make.Make<cMeshModel>("cMeshModel", "torus.mesh");
  auto* box = make.Make<cMeshModel>("cMeshModel", "box.mesh");
  auto* grid = make.Make<cMeshModel>("cMeshModel", "grid.mesh");
  sphere->SetSphere(3.0f, 24, 32);
  torus->SetTorus(5.5f, 0.45f, 64, 12);
  box->SetBox(cVector3(1.8f, 1.8f, 1.8f));
  grid->SetGrid(40.0f, 24, 8.0f);
  // Kept in the device's buffers, so that frames send no geometry.
  for (cMeshModel* mesh : {sphere, torus, box, grid}) mesh->Compile(video);

  make.Entity("Floor", root, grid, m.bricks)->SetPivotPosition(0, -4.5f, 0);
  auto* planet = make.Entity("Planet", root, sphere, m.marble);
  planet->SetSpin(cVector3(0, 20, 0));
  cDefaultEntity* moonOrbit = make.Entity("MoonOrbit", root, nullptr, nullptr);
  moonOrbit->SetSpin(cVector3(0, -50, 0));
  orbit = moonOrbit;
  orbit->RotatePivot(0, 140, 12);
  auto* moon = make.Entity("Moon", orbit, box, m.rings);
  moon->SetPivotPosition(8, 0, 0);
  moon->SetSpin(cVector3(70, 0, 40));
  auto* ring = make.Entity("Ring", root, torus, m.stripes);
  ring->RotatePivot(18, 0, -8);
  ring->SetSpin(cVector3(0, 15, 0));
  return sphere->GetNumberOfFaces() + torus->GetNumberOfFaces() + box->GetNumberOfFaces() +
         grid->GetNumberOfFaces();
}

/// A white sun shining down from the left and a warm lamp that
/// travels with the moon; two cameras, of which the world selects one.
void BuildLightsAndCameras(cFactory& make, cDefaultWorld* world, cEntity* root, cEntity* orbit) {
  auto* sun = make.Make<cDirectionalLight>("cDirectionalLight", "Sun");
  root->AddChild(sun);
  LookAt(sun, cVector3(-12, 9, -3), cVector3(0, 0, 0));
  sun->SetDiffuse(cColor(1, 0.95f, 0.92f, 0.85f));
  sun->SetPriority(2);

  auto* lamp = make.Make<cOmniLight>("cOmniLight", "Lamp");
  orbit->AddChild(lamp);
  lamp->SetPivotPosition(8, 2.5f, 0);
  lamp->SetDiffuse(cColor(1, 1.0f, 0.55f, 0.2f));
  lamp->SetRange(25);
  lamp->SetLinear(0.08f);
  lamp->SetPriority(1);

  const struct {
    const char* name;
    cVector3 eye;
  } cameras[] = {{"MainCamera", cVector3(0, 5, -18)}, {"TopCamera", cVector3(0.5f, 26, 0.5f)}};
  for (const auto& placed : cameras) {
    auto* camera = make.Make<cDefaultCamera>("cDefaultCamera", placed.name);
    root->AddChild(camera);
    camera->SetHorizon(200);
    camera->SetFieldOfView(60);
    LookAt(camera, placed.eye, cVector3(0, 0, 0));
  }
  world->SelectCamera("MainCamera");
}

/// The subsets of the meshes in the tree under entity (a mesh without any is one).
int CountSubsets(const cEntity* entity) {
  int count = 0;
  if (const auto* mesh = dynamic_cast<const cMeshModel*>(entity->GetModel()))
    count += std::max(1, static_cast<int>(mesh->GetSubsets().size()));
  for (int i = 0; i < entity->GetNumberOfChilds(); ++i)
    if (const cEntity* child = entity->GetChild(i)) count += CountSubsets(child);
  return count;
}

}  // namespace

void LookAt(cEntity* entity, const cVector3& eye, const cVector3& target) {
  entity->SetPivotMatrix(cMatrix4x3::LookAt(eye, target));
}

cScene BuildScene(cApplicationEx& app, cVideo3D* video, const std::vector<cTextureFile>& textures) {
  cScene scene;
  cObject* object = cPluginSystem::GetInstance()->Create(gCRC32("cDefaultWorld"));
  scene.world = dynamic_cast<cDefaultWorld*>(object);
  if (scene.world == nullptr) {
    cPluginSystem::GetInstance()->Destroy(object);
    throw std::runtime_error("the plug-in library has no cDefaultWorld");
  }
  try {
    scene.world->SetName("Orrery");
    scene.world->SetVideo(video);
    scene.world->SetAmbientLight(cColor(1, 0.22f, 0.22f, 0.26f));
    cFactory make(scene.world);
    auto* sector = make.Make<cDefaultSector>("cDefaultSector", "Space");
    scene.world->SetRootSector(sector);
    auto* root = make.Make<cDefaultEntity>("cDefaultEntity", "Scene");
    sector->SetRoot(root);
    const cMaterials materials = LoadMaterials(app, make, textures);
    cEntity* orbit = nullptr;
    scene.triangles = BuildBodies(make, root, materials, video, orbit);
    if (cEntity* house = LoadImportedModel(scene.world, video)) root->AddChild(house);
    BuildLightsAndCameras(make, scene.world, root, orbit);
    scene.subsets = CountSubsets(root);
  } catch (...) {
    cPluginSystem::GetInstance()->Destroy(scene.world);
    throw;
  }
  return scene;
}

}  // namespace demo
