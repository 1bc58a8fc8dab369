#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

using World = SceneTest;

/// A camera class derived from the camera class, as a plug-in would make.
class cWideCamera : public cTestCamera {
 public:
  iClassDesc* GetDescriptor() const override;
};
tPluginClassDesc<cWideCamera> gWideCameraClass("cWideCamera", "cWideCamera", &gTestCameraClass);
iClassDesc* cWideCamera::GetDescriptor() const {
  return &gWideCameraClass;
}

}  // namespace

TEST_F(World, SelectsTheFirstCameraWithExactlyThatName) {
  cTestWorld world;
  cTestLight impostor;  // an entity, but no camera
  cTestCamera main, top;
  cWideCamera wide;
  impostor.SetName("Main");
  main.SetName("Main");
  top.SetName("Top");
  wide.SetName("Wide");
  for (cEntity* e : std::vector<cEntity*>{&impostor, &main, &top, &wide}) world.AddEntity(e);

  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
  world.SelectCamera("Main");
  EXPECT_EQ(SelectedEntity(world), &main);
  world.SelectCamera("main");
  world.SelectCamera("Mai");
  world.SelectCamera(cString("Main\0", 5));
  EXPECT_EQ(SelectedEntity(world), &main);
  world.SelectCamera("Wide");
  EXPECT_EQ(SelectedEntity(world), &wide);

  tArray<cString> list;
  list.Add("stale");
  list.Add("entries");
  world.GetCameraList(list);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list[0], "Main");
  EXPECT_EQ(list[1], "Top");
  EXPECT_EQ(list[2], "Wide");

  // An unregistered or destroyed camera is never left selected.
  world.DeleteEntity(&wide);
  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
  world.SelectCamera("Wide");
  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
  {
    cTestCamera temporary;
    temporary.SetName("Temp");
    world.AddEntity(&temporary);
    world.SelectCamera("Temp");
    EXPECT_EQ(SelectedEntity(world), &temporary);
  }
  EXPECT_EQ(world.GetSelectedCamera(), nullptr);

  cTestWorld noCameras;
  noCameras.AddEntity(&impostor);
  const int32_t capacity = list.GetCapacity();
  noCameras.GetCameraList(list);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCapacity(), capacity);  // emptied, storage kept
}

TEST_F(World, RegistrationIsOncePerEntityAndMovesBetweenWorlds) {
  cTestWorld first, second;
  cTestEntity a, b;
  first.AddEntity(&a);
  first.AddEntity(&a);
  first.AddEntity(nullptr);
  first.AddEntity(&b);
  EXPECT_EQ(first.GetNumberOfEntities(), 2);
  cTestEntity stranger;
  first.DeleteEntity(&stranger);
  first.DeleteEntity(nullptr);
  EXPECT_EQ(first.GetNumberOfEntities(), 2);

  second.AddEntity(&a);
  EXPECT_EQ(a.GetWorld(), &second);
  ASSERT_EQ(first.GetEntities().GetCount(), 1);
  EXPECT_EQ(first.GetEntities()[0], &b);

  cTestMaterial material;
  first.AddMaterial(&material);
  first.AddMaterial(&material);
  second.AddMaterial(&material);
  EXPECT_EQ(first.GetMaterials().GetCount(), 0);
  EXPECT_EQ(second.GetMaterials().GetCount(), 1);
  second.DeleteMaterial(&material);
  EXPECT_EQ(material.GetWorld(), nullptr);
}

TEST_F(World, ManyUnregistrationsKeepTheRegistrationOrder) {
  cTestWorld world;
  std::vector<std::unique_ptr<cTestCamera>> cameras;
  for (int i = 0; i < 1000; ++i) {
    cameras.push_back(std::make_unique<cTestCamera>());
    cameras.back()->SetName(cString::StringF("C%d", i % 500));  // each name twice
    world.AddEntity(cameras.back().get());
  }
  std::vector<int> order(1000);
  for (int i = 0; i < 1000; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(3));
  std::vector<bool> gone(1000, false);
  for (int k = 0; k < 700; ++k) {
    const int i = order[k];
    if (k % 2 == 0)
      cameras[i].reset();
    else
      world.DeleteEntity(cameras[i].get());
    gone[i] = true;
    if (k % 97 == 0) {
      // The first remaining camera of a name is selected, holes or not.
      const int name = order[k + 1] % 500;
      const int first = gone[name] ? name + 500 : name;
      world.SelectCamera(cString::StringF("C%d", name));
      if (!gone[first]) {
        EXPECT_EQ(SelectedEntity(world), cameras[first].get());
      }
    }
  }
  const tArray<cEntity*>& entities = world.GetEntities();
  ASSERT_EQ(entities.GetCount(), 300);
  EXPECT_EQ(world.GetNumberOfEntities(), 300);
  int next = 0;
  for (int i = 0; i < 1000; ++i)
    if (!gone[i]) {
      EXPECT_EQ(entities[next++], cameras[i].get());
    }
}

TEST_F(World, RootSectorAndRootEntityReplaceTheirPredecessors) {
  cTestWorld world, other;
  cTestSector first, second;
  EXPECT_EQ(world.GetVideo(), nullptr);
  world.SetRootSector(&first);
  world.SetRootSector(nullptr);
  EXPECT_EQ(world.GetRootSector(), &first);
  world.SetRootSector(&second);
  EXPECT_EQ(first.GetWorld(), nullptr);
  EXPECT_EQ(second.GetWorld(), &world);
  other.SetRootSector(&second);  // a sector is the root of one world
  EXPECT_EQ(world.GetRootSector(), nullptr);

  cTestEntity a, b, child;
  first.SetRoot(&a);  // no world: ignored
  EXPECT_EQ(first.GetRoot(), nullptr);
  second.SetRoot(&a);
  second.SetRoot(nullptr);
  EXPECT_EQ(second.GetRoot(), &a);
  a.AddChild(&child);
  second.SetRoot(&b);
  EXPECT_EQ(a.GetSector(), nullptr);
  EXPECT_EQ(b.GetSector(), &second);
  EXPECT_EQ(child.GetSector(), &second);  // descendants keep theirs
  EXPECT_EQ(a.GetWorld(), &other);
  EXPECT_EQ(b.GetWorld(), &other);
  EXPECT_EQ(other.GetNumberOfEntities(), 3);
}

TEST_F(World, CopiesAreMemberwiseAndNeverUnlinkTheSourcesMembers) {
  auto world = std::make_unique<cTestWorld>();
  cTestSector sector;
  cTestEntity root;
  cTestMaterial material;
  int video = 0;
  world->SetVideo(reinterpret_cast<cVideo3D*>(&video));
  world->SetName("W");
  world->SetRootSector(&sector);
  sector.SetRoot(&root);
  world->AddMaterial(&material);
  sector.SetFlag(false);

  auto worldCopy = std::make_unique<cTestWorld>(*world);
  EXPECT_EQ(worldCopy->GetName(), "W");
  EXPECT_EQ(worldCopy->GetVideo(), world->GetVideo());
  EXPECT_EQ(worldCopy->GetRootSector(), &sector);
  EXPECT_EQ(worldCopy->GetNumberOfEntities(), 1);
  EXPECT_EQ(worldCopy->GetMaterials().GetCount(), 1);
  worldCopy->AddEntity(&root);  // registered in the copy already: nothing
  EXPECT_EQ(worldCopy->GetNumberOfEntities(), 1);
  worldCopy.reset();
  EXPECT_EQ(root.GetWorld(), world.get());
  EXPECT_EQ(sector.GetWorld(), world.get());
  EXPECT_EQ(material.GetWorld(), world.get());

  cTestSector sectorCopy(sector);
  EXPECT_FALSE(sectorCopy.GetFlag());
  EXPECT_EQ(sectorCopy.GetWorld(), world.get());
  EXPECT_EQ(sectorCopy.GetRoot(), &root);
  cTestMaterial materialCopy(material);
  EXPECT_EQ(materialCopy.GetWorld(), world.get());
  EXPECT_EQ(world->GetMaterials().GetCount(), 1);  // the copy is not registered

  world.reset();
  EXPECT_EQ(sector.GetWorld(), nullptr);
  EXPECT_EQ(root.GetWorld(), nullptr);
  EXPECT_EQ(material.GetWorld(), nullptr);
}
