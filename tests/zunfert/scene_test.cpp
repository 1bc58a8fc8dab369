#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "plugin_fixtures.h"

namespace zunfert::test {
namespace {

namespace fs = std::filesystem;

class SceneTest : public PluginTest {
 protected:
  void SetUp() override {
    // Test cases may run at once in parallel processes: each takes a folder
    // of its own.
    folder =
        fs::temp_directory_path() / ("zunfert_scene_" + std::to_string(std::random_device{}()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    Build();
  }
  void TearDown() override {
    Destroy(world);
    fs::remove_all(folder);
  }
  cUrl Url(const char* file) const { return cUrl(cString((folder / file).string().c_str())); }

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

  fs::path folder;
  cDefaultWorld* world = nullptr;
};

void ExpectSameMaterial(cMaterial* a, cMaterial* b) {
  auto* x = dynamic_cast<cDefaultMaterial*>(a);
  auto* y = dynamic_cast<cDefaultMaterial*>(b);
  ASSERT_TRUE(x && y);
  EXPECT_EQ(x->GetName(), y->GetName());
  EXPECT_EQ(x->GetDiffuse(), y->GetDiffuse());
  EXPECT_EQ(x->GetAmbient(), y->GetAmbient());
  EXPECT_EQ(x->GetSpecular(), y->GetSpecular());
  EXPECT_EQ(x->GetEmissive(), y->GetEmissive());
  EXPECT_EQ(x->GetPower(), y->GetPower());
  EXPECT_EQ(x->GetFilter(), y->GetFilter());
  EXPECT_EQ(x->GetAddressMode(), y->GetAddressMode());
  EXPECT_EQ(x->GetFrameRate(), y->GetFrameRate());
  cMemorySprite *s = x->GetTextureSprite(), *t = y->GetTextureSprite();
  EXPECT_EQ(s->GetSize(), t->GetSize());
  EXPECT_EQ(s->GetFrames(), t->GetFrames());
  EXPECT_EQ(s->GetPixelFormat(), t->GetPixelFormat());
  EXPECT_EQ(s->GetColorKey(), t->GetColorKey());
  EXPECT_EQ(s->IsColorKeyEnabled(), t->IsColorKeyEnabled());
  if (s->GetFrames() > 0) {
    EXPECT_EQ(
        0, std::memcmp(s->GetFramePtr(0), t->GetFramePtr(0), s->GetFrameBytes() * s->GetFrames()));
  }
}

void ExpectSameModel(cModel* a, cModel* b) {
  auto* x = dynamic_cast<cMeshModel*>(a);
  auto* y = dynamic_cast<cMeshModel*>(b);
  ASSERT_EQ(x == nullptr, y == nullptr);
  if (x == nullptr) return;
  EXPECT_EQ(x->GetName(), y->GetName());
  const cVertexBuffer &v = x->GetVertices(), &w = y->GetVertices();
  ASSERT_EQ(v.GetLength(), w.GetLength());
  EXPECT_EQ(v.GetVertexFormat(), w.GetVertexFormat());
  EXPECT_EQ(v.GetPixelFormat(), w.GetPixelFormat());
  EXPECT_EQ(0, std::memcmp(v.GetReadPtr(), w.GetReadPtr(), v.GetLength() * v.GetStride()));
  ASSERT_EQ(x->GetIndices().GetLength(), y->GetIndices().GetLength());
  for (uint32_t i = 0; i < x->GetIndices().GetLength(); ++i)
    EXPECT_EQ(x->GetIndices().GetIndex(i), y->GetIndices().GetIndex(i));
  ASSERT_EQ(x->GetSubsets().size(), y->GetSubsets().size());
  for (size_t i = 0; i < x->GetSubsets().size(); ++i) {
    EXPECT_EQ(x->GetSubsets()[i].m_First, y->GetSubsets()[i].m_First);
    EXPECT_EQ(x->GetSubsets()[i].m_Count, y->GetSubsets()[i].m_Count);
  }
}

void ExpectSameKindValues(cEntity* a, cEntity* b) {
  if (auto* x = dynamic_cast<cDefaultEntity*>(a)) {
    EXPECT_EQ(x->GetSpin(), dynamic_cast<cDefaultEntity*>(b)->GetSpin());
  } else if (auto* c = dynamic_cast<cCamera*>(a)) {
    auto* d = dynamic_cast<cCamera*>(b);
    EXPECT_EQ(c->GetFieldOfView(), d->GetFieldOfView());
    EXPECT_EQ(c->GetHorizon(), d->GetHorizon());
    EXPECT_EQ(c->GetAspect(), d->GetAspect());
  } else {
    auto *l = dynamic_cast<cLight*>(a), *m = dynamic_cast<cLight*>(b);
    ASSERT_TRUE(l && m);
    EXPECT_EQ(l->GetType(), m->GetType());
    EXPECT_EQ(l->GetAmbient(), m->GetAmbient());
    EXPECT_EQ(l->GetDiffuse(), m->GetDiffuse());
    EXPECT_EQ(l->GetSpecular(), m->GetSpecular());
    for (auto get : {&cLight::GetRange, &cLight::GetFallOff, &cLight::GetConstant,
                     &cLight::GetLinear, &cLight::GetQuad, &cLight::GetTheta, &cLight::GetPhi})
      EXPECT_EQ((l->*get)(), (m->*get)());
    EXPECT_EQ(l->GetPriority(), m->GetPriority());
  }
}

/// Walks both trees together; the loaded one must be linked as a built one is.
void ExpectSameTree(cEntity* a, cEntity* b, cDefaultWorld* loaded) {
  SCOPED_TRACE(a->GetName().c_str());
  ASSERT_EQ(a->GetDescriptor(), b->GetDescriptor());
  EXPECT_EQ(a->GetName(), b->GetName());
  EXPECT_EQ(a->GetPivotMatrix(), b->GetPivotMatrix());
  EXPECT_EQ(a->GetOffsetMatrix(), b->GetOffsetMatrix());
  EXPECT_EQ(a->GetWorldMatrix(), b->GetWorldMatrix());
  EXPECT_EQ(a->IsVisible(), b->IsVisible());
  EXPECT_EQ(a->IsHidden(), b->IsHidden());
  EXPECT_EQ(loaded, b->GetWorld());
  EXPECT_EQ(loaded->GetRootSector(), b->GetSector());
  ExpectSameKindValues(a, b);
  ExpectSameModel(a->GetModel(), b->GetModel());
  ASSERT_EQ(a->GetNumberOfMaterials(), b->GetNumberOfMaterials());
  for (int i = 0; i < a->GetNumberOfMaterials(); ++i) {
    ExpectSameMaterial(a->GetMaterial(i), b->GetMaterial(i));
    EXPECT_EQ(loaded, b->GetMaterial(i)->GetWorld());
  }
  ASSERT_EQ(a->GetNumberOfChilds(), b->GetNumberOfChilds());
  for (int i = 0; i < a->GetNumberOfChilds(); ++i) {
    EXPECT_EQ(b, b->GetChild(i)->GetParent());
    ExpectSameTree(a->GetChild(i), b->GetChild(i), loaded);
  }
}

TEST_F(SceneTest, WholeSceneRoundTripsThroughFiles) {
  cEntity::UpdateMatrices();
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")));
  auto* loaded =
      dynamic_cast<cDefaultWorld*>(cPluginSystem::GetInstance()->LoadPlugin(Url("level.world")));
  ASSERT_NE(loaded, nullptr);
  cEntity::UpdateMatrices();
  EXPECT_EQ("Level", loaded->GetName());
  EXPECT_EQ(world->GetAmbientLight(), loaded->GetAmbientLight());
  ASSERT_NE(loaded->GetSelectedCamera(), nullptr);
  EXPECT_EQ("Cam", loaded->GetSelectedCamera()->GetName());
  EXPECT_EQ(world->GetNumberOfEntities(), loaded->GetNumberOfEntities());
  EXPECT_EQ("Hall", loaded->GetRootSector()->GetName());
  ExpectSameTree(world->GetRootSector()->GetRoot(), loaded->GetRootSector()->GetRoot(), loaded);
  Destroy(loaded);
}

// Every file of a saved scene cut short: the load fails with a cException
// or leaves the missing object out, and never leaks (the sanitizer build
// checks) or crashes.
TEST_F(SceneTest, TruncatedFilesOfASavedSceneFailCleanly) {
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")));
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    // Every cut through the first fields, then a sample, then the last bytes.
    for (size_t size = 0; size < bytes.size();
         size += size < 16 || size + 2 >= bytes.size() ? 1 : 23) {
      std::ofstream(entry.path(), std::ios::binary | std::ios::trunc)
          .write(bytes.data(), std::streamsize(size));
      // A reference whose file is too short to name a class is left out;
      // anything shorter in the world's own file fails the load.
      const bool own = entry.path().filename() == "level.world";
      try {
        cObject* object = cPluginSystem::GetInstance()->LoadPlugin(Url("level.world"));
        EXPECT_TRUE(object == nullptr || !own) << size;
        Destroy(object);
      } catch (const cException&) {
      }
    }
    std::ofstream(entry.path(), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
  }
}

TEST_F(SceneTest, ObjectsThatWouldShareAFileAreRefusedBeforeWriting) {
  world->GetRootSector()->GetRoot()->GetChild(0)->GetMaterial(1)->SetName("Turret");
  ExpectException([&] { cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")); },
                  "two of its objects would be saved in the file \"Turret\"");
  world->GetRootSector()->GetRoot()->SetName("level.world");
  ExpectException([&] { cPluginSystem::GetInstance()->SavePlugin(world, Url("level.world")); },
                  "\"level.world\"");
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace zunfert::test

namespace zunfert::test {
namespace {

// Two entities of one name: the child's file is written first and then
// replaced by its parent's, which so refers to itself. Loading it nests
// until the plug-in system refuses, and leaves nothing behind.
TEST_F(SceneTest, AFileThatRefersToItselfIsRefused) {
  auto* parent = Create<cDefaultEntity>("cDefaultEntity");
  auto* child = Create<cDefaultEntity>("cDefaultEntity");
  parent->SetName("Loop");
  child->SetName("Loop");
  parent->AddChild(child);
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(parent, Url("Loop")));
  Destroy(child);
  Destroy(parent);
  ExpectException([&] { cPluginSystem::GetInstance()->LoadPlugin(Url("Loop")); },
                  "nested too deeply");
}

}  // namespace
}  // namespace zunfert::test
