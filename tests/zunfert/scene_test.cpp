#include <filesystem>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "plugin_fixtures.h"
#include "test_support.h"

namespace zunfert::test {
namespace {

namespace fs = std::filesystem;

class SceneTest : public PluginTest {
 protected:
  void SetUp() override { Build(); }
  void TearDown() override { Destroy(world); }
  cUrl Url(const char* file) const { return folder.Url(file); }

  template <class T>
  T* Add(const char* kind, const char* name) {
    T* object = Create<T>(kind);
    object->SetName(name);
    world->Adopt(object);
    return object;
  }

  void Build() {
    world = Create<cDefaultWorld>("cDefaultWorld");
    world->SetName("Level");
    world->SetAmbientLight(cColor(1, 0.1f, 0.2f, 0.3f));
    auto* sector = Add<cDefaultSector>("cDefaultSector", "Hall");
    world->SetRootSector(sector);
    auto* root = Add<cDefaultEntity>("cDefaultEntity", "Root");
    sector->SetRoot(root);
    auto* ship = Add<cDefaultEntity>("cDefaultEntity", "Ship");
    auto* turret = Add<cDefaultEntity>("cDefaultEntity", "Turret");
    root->AddChild(ship);
    ship->AddChild(turret);
    ship->SetPivotPosition(1, 2, 3);
    ship->RotatePivot(10, 20, 30);
    turret->SetSpin(cVector3(0, 45, 0));
    turret->ScaleOffset(2, 1, 0.5f);
    turret->Hide();

    auto* mesh = Add<cMeshModel>("cMeshModel", "ship.mesh");
    cVertexBuffer vertices(4, 1 | 2 | 4 | 0x10, cPixelFormat::RGB565);
    for (uint32_t i = 0; i < 4; ++i) {
      vertices.SetPos(i, cVector3(float(i), float(i * i), -1));
      vertices.SetNormal(i, cVector3(0, 0, 1));
      vertices.SetDiffuse(i, cColor(1, 0.25f * i, 1, 0));
      vertices.SetTexture(i, 0, cVector2(0.5f * i, 1));
    }
    const uint16_t faces[] = {0, 1, 2, 0, 2, 3};
    mesh->SetGeometry(vertices, cIndexBuffer(faces, 6));
    mesh->AddSubset(0, 3);
    mesh->AddSubset(3, 3);
    ship->SetModel(mesh);
    turret->SetModel(mesh);

    auto* hull = Add<cDefaultMaterial>("cDefaultMaterial", "hull.mat");
    hull->SetDiffuse(cColor(1, 0.5f, 0.25f, 0.125f));
    hull->SetPower(7);
    hull->SetFilter(cVideo3D::EFilter::Point);
    hull->SetAddressMode(cVideo3D::EAddressMode::Mirror);
    hull->SetFrameRate(2);
    cMemorySprite* texture = hull->GetTextureSprite();
    texture->SetPixelFormat(cPixelFormat::ARGB4444);
    ASSERT_TRUE(texture->Create({3, 2}, 2));
    for (int i = 0; i < 12; ++i)
      static_cast<uint8_t*>(texture->GetFramePtr(0))[i] = uint8_t(i * 37);
    texture->EnableColorKey(0x1234);
    auto* glass = Add<cDefaultMaterial>("cDefaultMaterial", "glass.mat");
    glass->SetDiffuse(cColor(0.5f, 1, 1, 1));
    ship->AddMaterial(hull);
    ship->AddMaterial(glass);
    turret->AddMaterial(hull);

    auto* camera = Add<cDefaultCamera>("cDefaultCamera", "Cam");
    camera->SetFieldOfView(60);
    camera->SetAspect(2);
    camera->SetPivotPosition(0, 0, -10);
    root->AddChild(camera);
    auto* sun = Add<cDirectionalLight>("cDirectionalLight", "Sun");
    sun->SetDiffuse(cColor(1, 1, 0.9f, 0.8f));
    auto* lamp = Add<cSpotLight>("cSpotLight", "Lamp");
    lamp->SetTheta(20);
    lamp->SetPhi(35);
    lamp->SetRange(55);
    lamp->SetLinear(0.25f);
    lamp->SetPriority(7);
    root->AddChild(sun);
    ship->AddChild(lamp);
    world->SelectCamera("Cam");
  }

  tolmak::test::cScratchFolder folder{"zunfert_scene"};
  cDefaultWorld* world = nullptr;
};

/// The loaded tree must be linked as a built one is.
void ExpectLinked(cEntity* entity, cDefaultWorld* world) {
  SCOPED_TRACE(entity->GetName().c_str());
  EXPECT_EQ(world, entity->GetWorld());
  EXPECT_EQ(world->GetRootSector(), entity->GetSector());
  for (int i = 0; i < entity->GetNumberOfMaterials(); ++i)
    EXPECT_EQ(world, entity->GetMaterial(i)->GetWorld());
  for (int i = 0; i < entity->GetNumberOfChilds(); ++i) {
    EXPECT_EQ(entity, entity->GetChild(i)->GetParent());
    ExpectLinked(entity->GetChild(i), world);
  }
}

// Saving the loaded world over the first files writes the same bytes: every
// field came back, or the second save would differ, and what the entities
// shared is shared again (a world refuses two objects for one file).
TEST_F(SceneTest, WholeSceneRoundTripsThroughFiles) {
  cEntity::UpdateMatrices();
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")));
  auto saved = folder.Files();
  auto* loaded =
      dynamic_cast<cDefaultWorld*>(cPluginSystem::GetInstance()->LoadPlugin(Url("level.world")));
  ASSERT_NE(loaded, nullptr);
  cEntity::UpdateMatrices();
  EXPECT_EQ(world->GetNumberOfEntities(), loaded->GetNumberOfEntities());
  cEntity* root = loaded->GetRootSector()->GetRoot();
  ExpectLinked(root, loaded);
  EXPECT_EQ(world->GetRootSector()->GetRoot()->GetChild(0)->GetChild(0)->GetWorldMatrix(),
            root->GetChild(0)->GetChild(0)->GetWorldMatrix());
  fs::remove_all(folder.Path());
  fs::create_directories(folder.Path());
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(loaded, Url("level.world")));
  EXPECT_EQ(saved, folder.Files());
  Destroy(loaded);
}

TEST_F(SceneTest, FilesThatWouldBeSharedOrReferToThemselvesAreRefused) {
  world->GetRootSector()->GetRoot()->GetChild(0)->GetMaterial(1)->SetName("Turret");
  ExpectError<cException>(
      [&] { cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")); },
      "two of its objects would be saved in the file \"Turret\"");
  world->GetRootSector()->GetRoot()->SetName("level.world");
  ExpectError<cException>(
      [&] { cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")); },
      "\"level.world\"");
  EXPECT_TRUE(fs::is_empty(folder.Path()));
  // Two entities of one name: the child's file is written first and then
  // replaced by its parent's, which so refers to itself. Loading it nests
  // until the plug-in system refuses, and leaves nothing behind.
  auto* parent = Create<cDefaultEntity>("cDefaultEntity");
  auto* child = Create<cDefaultEntity>("cDefaultEntity");
  parent->SetName("Loop");
  child->SetName("Loop");
  parent->AddChild(child);
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(parent, Url("Loop")));
  Destroy(child);
  Destroy(parent);
  // Far fewer files may be open at once than loads may nest (Windows gives a
  // program 512 streams): the nested loads must not hold theirs open.
#ifndef _WIN32
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit few = saved;
  few.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
#endif
  ExpectError<cException>([&] { cPluginSystem::GetInstance()->LoadPlugin(Url("Loop")); },
                          "nested too deeply");
#ifndef _WIN32
  setrlimit(RLIMIT_NOFILE, &saved);
#endif
}

}  // namespace
}  // namespace zunfert::test
