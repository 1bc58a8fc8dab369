// Child order, reparenting, cycles and the child lists of copies are covered
// by the replay; here: the links to world, sector, materials and model, and
// destruction in every order.

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

using Hierarchy = SceneTest;

/// World W with root sector S, root entity R with child M (mid-hierarchy)
/// with child camera C, material X used by R and C, model Y used by R and M.
struct cScene {
  enum { kWorld, kSector, kRoot, kMiddle, kCamera, kMaterial, kModel, kCount };

  cScene() {
    world->SetRootSector(sector.get());
    sector->SetRoot(root.get());
    root->AddChild(middle.get());
    middle->AddChild(camera.get());
    camera->SetName("Cam");
    root->AddMaterial(material.get());
    camera->AddMaterial(material.get());
    root->SetModel(model.get());
    middle->SetModel(model.get());
  }

  void Destroy(int which) {
    // Entities do not track their materials' or models' lifetime: the owner
    // takes them off the entities first.
    for (cEntity* e : Entities()) {
      if (which == kMaterial) e->DeleteMaterial(material.get());
      if (which == kModel && e->GetModel() == model.get()) e->SetModel(nullptr);
    }
    if (which == kWorld) world.reset();
    if (which == kSector) sector.reset();
    if (which == kRoot) root.reset();
    if (which == kMiddle) middle.reset();
    if (which == kCamera) camera.reset();
    if (which == kMaterial) material.reset();
    if (which == kModel) model.reset();
  }

  /// Uses every link of the survivors and checks it leads to a live object.
  void Exercise() {
    cEntity::UpdateMatrices();
    if (world) {
      world->SelectCamera("Cam");
      ExpectLive(world->GetSelectedCamera());
      for (cEntity* e : world->GetEntities()) ExpectLive(e);
      for (cMaterial* m : world->GetMaterials()) ExpectLive(m);
      ExpectLive(world->GetRootSector());
      tArray<cString> names;
      world->GetCameraList(names);
    }
    if (sector) ExpectLive(sector->GetRoot()), ExpectLive(sector->GetWorld());
    for (cEntity* e : Entities()) {
      ExpectLive(e->GetParent()), ExpectLive(e->GetWorld()), ExpectLive(e->GetSector());
      ExpectLive(e->GetModel()), ExpectLive(e->GetMaterial(0));
      for (int i = 0; i < e->GetNumberOfChilds(); ++i) ExpectLive(e->GetChild(i));
      e->MovePivot(1, 0, 0);
      cTestEntity extra;
      e->AddChild(&extra);  // registers with the world, if any
    }
    if (material) ExpectLive(material->GetWorld());
  }

  std::vector<cEntity*> Entities() const {
    std::vector<cEntity*> entities;
    for (cEntity* e : std::initializer_list<cEntity*>{root.get(), middle.get(), camera.get()})
      if (e != nullptr) entities.push_back(e);
    return entities;
  }

  template <class T>
  void ExpectLive(T* object) {
    const std::set<const void*> live = {nullptr,      world.get(),  sector.get(),   root.get(),
                                        middle.get(), camera.get(), material.get(), model.get()};
    EXPECT_TRUE(live.count(static_cast<const void*>(object)));
  }

  std::unique_ptr<cTestWorld> world = std::make_unique<cTestWorld>();
  std::unique_ptr<cTestSector> sector = std::make_unique<cTestSector>();
  std::unique_ptr<cTestEntity> root = std::make_unique<cTestEntity>();
  std::unique_ptr<cTestEntity> middle = std::make_unique<cTestEntity>();
  std::unique_ptr<cTestCamera> camera = std::make_unique<cTestCamera>();
  std::unique_ptr<cTestMaterial> material = std::make_unique<cTestMaterial>();
  std::unique_ptr<cTestModel> model = std::make_unique<cTestModel>();
};

}  // namespace

TEST_F(Hierarchy, ChildrenAndMaterialsJoinTheParentsWorldAndSector) {
  cScene scene;
  cEntity& root = *scene.root;
  cTestEntity a, b;
  for (cEntity* e : std::initializer_list<cEntity*>{&a, &b, &b, nullptr}) root.AddChild(e);
  EXPECT_EQ(root.GetNumberOfChilds(), 3);  // middle, a, b
  EXPECT_TRUE(b.GetWorld() == scene.world.get() && b.GetSector() == scene.sector.get());
  EXPECT_EQ(scene.world->GetNumberOfEntities(), 5);  // root, middle, camera, a, b
  EXPECT_TRUE(root.GetChild(3) == nullptr && root.GetChild(-1) == nullptr);

  root.DeleteChild(&b);
  EXPECT_TRUE(b.GetParent() == nullptr && b.GetSector() == nullptr);
  EXPECT_EQ(b.GetWorld(), scene.world.get());  // stays registered
  root.ClearChilds();
  EXPECT_EQ(a.GetParent(), nullptr);
  EXPECT_EQ(a.GetSector(), scene.sector.get());  // clearing keeps sector and world

  cTestMaterial m0, m1, m2;
  EXPECT_EQ(a.GetMaterial(0), nullptr);
  for (cMaterial* m : {&m0, &m1, &m1, static_cast<cTestMaterial*>(nullptr), &m2}) a.AddMaterial(m);
  ASSERT_EQ(a.GetNumberOfMaterials(), 3);
  EXPECT_TRUE(a.GetMaterial(4) == &m1 && a.GetMaterial(-1) == nullptr);  // the index wraps
  EXPECT_EQ(scene.world->GetMaterials().GetCount(), 4);
  a.DeleteMaterial(&m1);
  EXPECT_EQ(a.GetMaterial(1), &m2);
  EXPECT_EQ(m1.GetWorld(), scene.world.get());  // the world is not told

  cTestEntity parent, child;  // no world: linked, not registered
  parent.AddChild(&child);
  parent.AddMaterial(&m0);
  EXPECT_TRUE(child.GetParent() == &parent && child.GetWorld() == nullptr);
}

// Copies of worlds, sectors, materials and entities are memberwise; they join
// no list, and neither their destruction nor an assignment's unlinks what
// the source is linked with.
TEST_F(Hierarchy, CopiesAreMemberwiseAndNeverUnlinkTheSourcesMembers) {
  cScene scene;
  cTestWorld& world = *scene.world;
  cTestMaterial& material = *scene.material;
  cTestEntity& source = *scene.middle;
  int video = 0;
  world.SetVideo(reinterpret_cast<cVideo3D*>(&video));
  world.SetName("W"), source.SetName("Source");
  source.Hide();
  source.AddMaterial(&material);
  scene.sector->SetFlag(false);
  cTestWorld other;
  other.AddMaterial(&material);  // moves, and back
  world.AddMaterial(&material);
  EXPECT_TRUE(other.GetMaterials().GetCount() == 0 && material.GetWorld() == &world);
  cEntity::UpdateMatrices();

  auto worldCopy = std::make_unique<cTestWorld>(world);
  EXPECT_TRUE(worldCopy->GetName() == "W" && worldCopy->GetVideo() == world.GetVideo());
  EXPECT_EQ(worldCopy->GetRootSector(), scene.sector.get());
  EXPECT_TRUE(world.GetMaterials().GetCount() == 1 && worldCopy->GetMaterials().GetCount() == 1);
  worldCopy->AddEntity(scene.root.get());  // registered in the copy already: nothing
  EXPECT_EQ(worldCopy->GetNumberOfEntities(), 3);
  auto copy = std::make_unique<cTestEntity>(source);
  EXPECT_TRUE(copy->GetName() == "Source" && copy->IsHidden());
  EXPECT_TRUE(copy->GetModel() == scene.model.get() && copy->GetMaterial(0) == &material);
  EXPECT_TRUE(copy->GetWorld() == &world && copy->GetSector() == scene.sector.get());
  cTestSector sectorCopy(*scene.sector);
  EXPECT_FALSE(sectorCopy.GetFlag());
  EXPECT_TRUE(sectorCopy.GetWorld() == &world && sectorCopy.GetRoot() == scene.root.get());
  cTestMaterial materialCopy(material);
  EXPECT_EQ(materialCopy.GetWorld(), &world);
  worldCopy.reset();
  copy.reset();
  EXPECT_TRUE(world.GetNumberOfEntities() == 3 && world.GetMaterials().GetCount() == 1);
  EXPECT_TRUE(scene.root->GetWorld() == &world && scene.sector->GetWorld() == &world &&
              material.GetWorld() == &world);

  cTestEntity target;
  other.AddEntity(&target);
  target = source;  // the old links go first
  EXPECT_TRUE(target.GetName() == "Source" && other.GetNumberOfEntities() == 0);
  EXPECT_EQ(target.GetWorld(), &world);
  scene.sector.reset();  // the copies' sector pointers are cleared too
  EXPECT_TRUE(target.GetSector() == nullptr && sectorCopy.GetWorld() == &world);
  scene.world.reset();
  EXPECT_TRUE(material.GetWorld() == nullptr && materialCopy.GetWorld() == nullptr);
  EXPECT_TRUE(scene.root->GetWorld() == nullptr && sectorCopy.GetWorld() == nullptr);
}

TEST_F(Hierarchy, EveryDestructionOrderLeavesOnlyLiveLinks) {
  std::array<int, cScene::kCount> order = {0, 1, 2, 3, 4, 5, 6};
  do {
    for (bool queued : {true, false}) {
      cScene scene;
      if (!queued) cEntity::UpdateMatrices();
      for (int which : order) {
        scene.Destroy(which);
        scene.Exercise();
        ASSERT_FALSE(HasFailure())
            << "order " << ::testing::PrintToString(order) << ", queued " << queued;
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(cEntity::GetMatrixQueue().GetCount(), 0);
}
