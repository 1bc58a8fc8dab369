// Scene objects destroyed in every order: no survivor may keep a pointer to
// a destroyed object through a link both sides know about.

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

/// World W with root sector S, root entity R with child camera C (queued,
/// or not, as the caller chooses), material M used by R and C.
class cScene {
 public:
  enum { kWorld, kSector, kRoot, kCamera, kMaterial, kCount };

  cScene() {
    world->SetRootSector(sector.get());
    sector->SetRoot(root.get());
    root->AddChild(camera.get());
    camera->SetName("Cam");
    root->AddMaterial(material.get());
    camera->AddMaterial(material.get());
  }

  void Destroy(int which) {
    switch (which) {
      case kWorld:
        world.reset();
        break;
      case kSector:
        sector.reset();
        break;
      case kRoot:
        root.reset();
        break;
      case kCamera:
        camera.reset();
        break;
      default:
        // Entities do not track their materials' lifetime: the owner takes
        // the material off them first.
        if (root) root->DeleteMaterial(material.get());
        if (camera) camera->DeleteMaterial(material.get());
        material.reset();
        break;
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
    for (cEntity* e : {static_cast<cEntity*>(root.get()), static_cast<cEntity*>(camera.get())}) {
      if (!e) continue;
      ExpectLive(e->GetParent()), ExpectLive(e->GetWorld()), ExpectLive(e->GetSector());
      for (int i = 0; i < e->GetNumberOfChilds(); ++i) ExpectLive(e->GetChild(i));
      e->MovePivot(1, 0, 0);
      cTestEntity extra;
      e->AddChild(&extra);  // registers with the world, if any
    }
    if (material) ExpectLive(material->GetWorld());
  }

 private:
  template <class T>
  void ExpectLive(T* object) {
    if (object == nullptr) return;
    const std::set<const void*> live = {world.get(), sector.get(), root.get(), camera.get(),
                                        material.get()};
    EXPECT_TRUE(live.count(static_cast<const void*>(object)));
  }

  std::unique_ptr<cTestWorld> world = std::make_unique<cTestWorld>();
  std::unique_ptr<cTestSector> sector = std::make_unique<cTestSector>();
  std::unique_ptr<cTestEntity> root = std::make_unique<cTestEntity>();
  std::unique_ptr<cTestCamera> camera = std::make_unique<cTestCamera>();
  std::unique_ptr<cTestMaterial> material = std::make_unique<cTestMaterial>();
};

using Lifetime = SceneTest;

}  // namespace

TEST_F(Lifetime, EveryDestructionOrderLeavesOnlyLiveLinks) {
  std::array<int, cScene::kCount> order = {0, 1, 2, 3, 4};
  do {
    for (bool queued : {true, false}) {
      cScene scene;
      if (!queued) cEntity::UpdateMatrices();
      for (int which : order) {
        scene.Destroy(which);
        scene.Exercise();
        ASSERT_FALSE(HasFailure()) << "order " << order[0] << order[1] << order[2] << order[3]
                                   << order[4] << ", queued " << queued;
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
