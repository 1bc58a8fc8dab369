// Child order, reparenting, cycles and the world matrices of copies are
// covered by the replay; here: the links to world, sector and materials.

#include <memory>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

using Hierarchy = SceneTest;

struct cSmallScene {
  cSmallScene() {
    world.SetRootSector(&sector);
    sector.SetRoot(&root);
  }
  cTestWorld world;
  cTestSector sector;
  cTestEntity root;
};

}  // namespace

TEST_F(Hierarchy, ChildrenTakeTheParentsWorldAndSectorUntilDeleted) {
  cSmallScene scene;
  cTestEntity a, b;
  scene.root.AddChild(&a);
  scene.root.AddChild(&b);
  scene.root.AddChild(&b);
  scene.root.AddChild(nullptr);
  EXPECT_EQ(scene.root.GetNumberOfChilds(), 2);
  EXPECT_EQ(b.GetWorld(), &scene.world);
  EXPECT_EQ(b.GetSector(), &scene.sector);
  EXPECT_EQ(scene.world.GetNumberOfEntities(), 3);
  EXPECT_EQ(scene.root.GetChild(2), nullptr);
  EXPECT_EQ(scene.root.GetChild(-1), nullptr);

  scene.root.DeleteChild(&b);
  EXPECT_EQ(b.GetParent(), nullptr);
  EXPECT_EQ(b.GetSector(), nullptr);
  EXPECT_EQ(b.GetWorld(), &scene.world);  // stays registered
  scene.root.ClearChilds();
  EXPECT_EQ(a.GetParent(), nullptr);
  EXPECT_EQ(a.GetSector(), &scene.sector);  // clearing keeps sector and world

  cTestEntity parent, child;  // no world: linked, not registered
  cTestMaterial material;
  parent.AddChild(&child);
  parent.AddMaterial(&material);
  EXPECT_EQ(child.GetParent(), &parent);
  EXPECT_EQ(child.GetWorld(), nullptr);
  EXPECT_EQ(material.GetWorld(), nullptr);
}

TEST_F(Hierarchy, MaterialIndexWrapsAroundTheCount) {
  cSmallScene scene;
  cTestMaterial m0, m1, m2;
  EXPECT_EQ(scene.root.GetMaterial(0), nullptr);
  for (cMaterial* m : {&m0, &m1, &m1, static_cast<cTestMaterial*>(nullptr), &m2})
    scene.root.AddMaterial(m);
  ASSERT_EQ(scene.root.GetNumberOfMaterials(), 3);
  EXPECT_EQ(scene.root.GetMaterial(4), &m1);
  EXPECT_EQ(scene.root.GetMaterial(-1), nullptr);
  EXPECT_EQ(scene.world.GetMaterials().GetCount(), 3);

  scene.root.DeleteMaterial(&m1);
  EXPECT_EQ(scene.root.GetMaterial(1), &m2);
  EXPECT_EQ(m1.GetWorld(), &scene.world);  // the world is not told
  scene.root.ClearMaterials();
  EXPECT_EQ(scene.root.GetNumberOfMaterials(), 0);
}

TEST_F(Hierarchy, CopiesAreMemberwiseAndJoinNoListButTheQueue) {
  cSmallScene scene;
  cTestEntity source, child;
  cTestMaterial material;
  cTestModel model;
  scene.root.AddChild(&source);
  source.AddChild(&child);
  source.AddMaterial(&material);
  source.SetModel(&model);
  source.SetName("Source");
  source.Hide();
  cEntity::UpdateMatrices();

  auto copy = std::make_unique<cTestEntity>(source);
  EXPECT_EQ(copy->GetName(), "Source");
  EXPECT_TRUE(copy->IsHidden());
  EXPECT_EQ(copy->GetMaterial(0), &material);
  EXPECT_EQ(copy->GetModel(), &model);
  EXPECT_EQ(copy->GetParent(), &scene.root);
  EXPECT_EQ(scene.root.GetNumberOfChilds(), 1);  // the parent does not list the copy
  ASSERT_EQ(copy->GetNumberOfChilds(), 1);
  EXPECT_EQ(copy->GetChild(0), &child);
  EXPECT_EQ(child.GetParent(), &source);
  EXPECT_EQ(copy->GetWorld(), &scene.world);
  EXPECT_EQ(copy->GetSector(), &scene.sector);
  EXPECT_EQ(scene.world.GetNumberOfEntities(), 3);  // root, source, child
  EXPECT_TRUE(copy->IsQueued());
  cEntity::UpdateMatrices();
  EXPECT_EQ(copy->GetWorldMatrix(), source.GetWorldMatrix());

  copy->DeleteChild(&child);  // the copy's list only: the child keeps its parent
  EXPECT_EQ(copy->GetNumberOfChilds(), 0);
  EXPECT_EQ(child.GetParent(), &source);
  copy.reset();  // leaves the originals as they were
  EXPECT_EQ(source.GetChild(0), &child);
  EXPECT_EQ(scene.root.GetChild(0), &source);
  EXPECT_EQ(scene.world.GetNumberOfEntities(), 3);

  cTestEntity target, targetChild;
  target.AddChild(&targetChild);
  scene.root.AddChild(&target);
  cEntity::UpdateMatrices();
  target = source;  // the old links go first
  EXPECT_EQ(target.GetName(), "Source");
  EXPECT_EQ(target.GetParent(), &scene.root);
  EXPECT_EQ(scene.root.GetNumberOfChilds(), 1);
  EXPECT_EQ(target.GetChild(0), &child);
  EXPECT_EQ(targetChild.GetParent(), nullptr);
  EXPECT_EQ(target.GetWorld(), &scene.world);
  EXPECT_TRUE(target.IsQueued());
}
