#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;

using World = SceneTest;

TEST_F(World, SelectsTheFirstCameraWithExactlyThatName) {
  const tolmak::test::cMessages messages;
  cTestWorld world;
  world.SetName("Level");
  cTestLight impostor;  // an entity, but no camera
  cTestCamera main, top;
  impostor.SetName("Main"), main.SetName("Main"), top.SetName("Top");
  for (cEntity* e : std::vector<cEntity*>{&impostor, &main, &top}) world.AddEntity(e);

  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
  world.SelectCamera("Main");
  EXPECT_EQ(world.GetSelectedCamera(), &main);
  for (const cString& miss : {cString("main"), cString("Mai"), cString("Main\0", 5)})
    world.SelectCamera(miss);
  EXPECT_EQ(world.GetSelectedCamera(), &main);
  ASSERT_EQ(messages.traced.size(), 3u);  // a miss names the fix
  EXPECT_EQ(messages.traced[0],
            "SelectCamera: world \"Level\" has no camera named \"main\" (check the spelling; "
            "a camera counts once it is in the tree under the root sector)");
  world.SelectCamera("Top");
  EXPECT_EQ(world.GetSelectedCamera(), &top);

  tArray<cString> list;
  list.Add("stale");
  world.GetCameraList(list);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list[0] == "Main" && list[1] == "Top");
  const int32_t capacity = list.GetCapacity();
  cTestWorld().GetCameraList(list);
  EXPECT_TRUE(list.GetCount() == 0 && list.GetCapacity() == capacity);  // storage kept

  world.DeleteEntity(&top);  // an unregistered camera is never left selected
  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
  world.SelectCamera("Top");
  EXPECT_EQ(world.GetSelectedCamera(), nullptr);
}

// Each camera is registered once; 700 of them are destroyed, unregistered
// or moved to another world in random order.
TEST_F(World, RegistrationIsOnceAndManyRemovalsKeepTheOrder) {
  cTestWorld world, other;
  cTestEntity stranger;
  std::vector<std::unique_ptr<cTestCamera>> cameras(1000), moved;
  for (int i = 0; i < 1000; ++i) {
    cameras[i] = std::make_unique<cTestCamera>();
    cameras[i]->SetName(cString::StringF("C%d", i % 500));  // each name twice
    world.AddEntity(cameras[i].get());
    world.AddEntity(cameras[i].get());
  }
  world.AddEntity(nullptr);
  world.DeleteEntity(nullptr);
  world.DeleteEntity(&stranger);
  EXPECT_EQ(world.GetNumberOfEntities(), 1000);
  std::vector<int> order(1000);
  for (int i = 0; i < 1000; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(3));
  for (int k = 0; k < 700; ++k) {
    std::unique_ptr<cTestCamera> camera = std::move(cameras[order[k]]);
    if (k % 3 == 1) world.DeleteEntity(camera.get());
    if (k % 3 == 2) other.AddEntity(camera.get()), moved.push_back(std::move(camera));
    camera.reset();
    if (k % 97 == 0) {
      // The first remaining camera of a name is selected, holes or not.
      const int name = order[k + 1] % 500;
      world.SelectCamera(cString::StringF("C%d", name));
      cTestCamera* first = cameras[name] ? cameras[name].get() : cameras[name + 500].get();
      EXPECT_TRUE(first == nullptr || world.GetSelectedCamera() == first);
    }
  }
  EXPECT_EQ(world.GetNumberOfEntities(), 300);
  EXPECT_EQ(other.GetNumberOfEntities(), static_cast<int>(moved.size()));
  std::vector<cEntity*> expected;
  for (const auto& camera : cameras)
    if (camera) expected.push_back(camera.get());
  const tArray<cEntity*>& entities = world.GetEntities();
  EXPECT_EQ(std::vector<cEntity*>(entities.begin(), entities.end()), expected);
}

TEST_F(World, RootSectorAndRootEntityReplaceTheirPredecessors) {
  const tolmak::test::cMessages messages;
  cTestWorld world, other;
  cTestSector first, second;
  first.SetName("Hall");
  world.SetRootSector(&first);
  world.SetRootSector(nullptr);
  EXPECT_EQ(world.GetRootSector(), &first);
  world.SetRootSector(&second);
  EXPECT_TRUE(first.GetWorld() == nullptr && second.GetWorld() == &world);
  other.SetRootSector(&second);  // a sector is the root of one world
  EXPECT_EQ(world.GetRootSector(), nullptr);
  cTestSector third;
  world.SetRootSector(&third);
  third = first;  // takes first's world, none: it is no longer this world's root
  EXPECT_EQ(world.GetRootSector(), nullptr);

  cTestEntity a, b, child;
  first.SetRoot(&a);  // no world: ignored, with a trace line naming the fix
  EXPECT_EQ(first.GetRoot(), nullptr);
  EXPECT_EQ(messages.traced, std::vector<std::string>{
                                 "SetRoot on sector \"Hall\" before it belongs to a world: call "
                                 "the world's SetRootSector(sector) first; the root was not set"});
  second.SetRoot(&a);
  second.SetRoot(nullptr);
  EXPECT_EQ(second.GetRoot(), &a);
  a.AddChild(&child);
  second.SetRoot(&b);
  EXPECT_TRUE(a.GetSector() == nullptr && b.GetSector() == &second);
  EXPECT_EQ(child.GetSector(), &second);  // descendants keep theirs
  EXPECT_TRUE(a.GetWorld() == &other && b.GetWorld() == &other);
  EXPECT_EQ(other.GetNumberOfEntities(), 3);
}
