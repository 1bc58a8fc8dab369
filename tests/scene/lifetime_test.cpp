// Scene objects destroyed in every order: no survivor may keep a pointer to
// a destroyed object through a link both sides know about.

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

/// World W with root sector S, root entity R with child M (mid-hierarchy)
/// with child camera C (queued, or not, as the caller chooses), material X
/// used by R and C, model Y used by R and M.
class cScene {
 public:
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
    switch (which) {
      case kWorld:
        return world.reset();
      case kSector:
        return sector.reset();
      case kRoot:
        return root.reset();
      case kMiddle:
        return middle.reset();
      case kCamera:
        return camera.reset();
      case kMaterial:
        // Entities do not track their materials' or models' lifetime: the
        // owner takes them off the entities first.
        for (cEntity* e : Entities()) e->DeleteMaterial(material.get());
        return material.reset();
      default:
        for (cEntity* e : Entities())
          if (e->GetModel() == model.get()) e->SetModel(nullptr);
        return model.reset();
    }
  }

  /// Uses every link of the survivors and checks it leads to a live object.
  void Exercise() {
    cEntity::UpdateMatrices();
    if (world) {
      world->SelectCamera("Cam");
      ExpectLive(SelectedEntity(*world));
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

 private:
  std::vector<cEntity*> Entities() const {
    std::vector<cEntity*> entities;
    for (cEntity* e : {static_cast<cEntity*>(root.get()), static_cast<cEntity*>(middle.get()),
                       static_cast<cEntity*>(camera.get())})
      if (e != nullptr) entities.push_back(e);
    return entities;
  }

  template <class T>
  void ExpectLive(T* object) {
    if (object == nullptr) return;
    const std::set<const void*> live = {world.get(),  sector.get(),   root.get(), middle.get(),
                                        camera.get(), material.get(), model.get()};
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

using Lifetime = SceneTest;

}  // namespace

TEST_F(Lifetime, EveryDestructionOrderLeavesOnlyLiveLinks) {
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

TEST_F(Lifetime, EntitiesCreatedAndDestroyedBetweenPassesLeaveOnlyHoles) {
  cTestEntity survivor;
  for (int i = 0; i < 100; ++i) {
    auto temporary = std::make_unique<cTestEntity>();
    survivor.AddChild(temporary.get());
    temporary->MovePivot(1, 0, 0);
  }
  EXPECT_EQ(survivor.GetNumberOfChilds(), 0);
  EXPECT_EQ(cEntity::GetMatrixQueue().GetCount(), 101);
  survivor.SetPivotPosition(2, 0, 0);
  cEntity::UpdateMatrices();
  EXPECT_EQ(survivor.GetWorldMatrix().GetPosition(), cVector3(2, 0, 0));
  EXPECT_FALSE(survivor.IsQueued());
}

// Built, edited at the root and in the middle, passed and torn down leaf
// first; the queue and the pass walk it without recursion.
TEST_F(Lifetime, MillionEntityChainIsEditedAndPassed) {
  constexpr int kLength = 1000000;
  const auto chain = std::make_unique<cTestEntity[]>(kLength);
  for (int i = 1; i < kLength; ++i) chain[i - 1].AddChild(&chain[i]);
  cEntity::UpdateMatrices();
  chain[0].MovePivot(1, 0, 0);
  chain[kLength / 2].MovePivot(0, 2, 0);  // already queued with its subtree
  EXPECT_EQ(cEntity::GetMatrixQueue().GetCount(), kLength);
  cEntity::UpdateMatrices();
  EXPECT_EQ(chain[kLength / 2 - 1].GetWorldMatrix().GetPosition(), cVector3(1, 0, 0));
  EXPECT_EQ(chain[kLength - 1].GetWorldMatrix().GetPosition(), cVector3(1, 2, 0));
  EXPECT_EQ(cEntity::GetMatrixQueue().GetCount(), 0);
}
