#pragma once

// Concrete scene classes that do nothing but count themselves, registered
// with the plug-in system so that streams can re-create them. The scene
// tests and the scene fuzz targets use them.

#include <tolmak.h>

#include <set>
#include <vector>

namespace scene_test {

/// Counts the live test objects, so that tests see what a failure left behind.
struct cLiveCount {
  cLiveCount() { ++sLive; }
  cLiveCount(const cLiveCount&) { ++sLive; }
  cLiveCount& operator=(const cLiveCount&) = default;
  ~cLiveCount() { --sLive; }
  static inline int sLive = 0;
};

/// An entity, world or sector class that does nothing when animated or drawn.
template <class Base>
class tInert : public Base {
 public:
  void Animate(float) override {}
  void Render(cVideo3D*) override {}

 private:
  cLiveCount m_Live;
};

class cTestEntity : public tInert<cEntity> {
 public:
  iClassDesc* GetDescriptor() const override;
};

class cTestCamera : public tInert<cCamera> {
 public:
  iClassDesc* GetDescriptor() const override;
};

class cTestLight : public tInert<cLight> {
 public:
  iClassDesc* GetDescriptor() const override;
  using cLight::SetType;
};

class cTestMaterial : public cMaterial {
 public:
  iClassDesc* GetDescriptor() const override;
  void Compile(cVideo3D*) override {}
  void Release() override {}
  void Animate(float) override {}
  int GetNumberOfPasses() const override { return 1; }
  void BeginPass(cVideo3D*, int) override {}
  void EndPass(cVideo3D*, int) override {}
  bool IsTransparent() const override { return false; }
  cSprite* GetTexture(int) const override { return nullptr; }
  void Save(iIOStream& stream) override { stream.WriteText(GetName()); }
  void Load(iIOStream& stream) override {
    cString name;
    if (!stream.ReadText(name)) throw cException(__FILE__, __LINE__, "truncated material");
    SetName(name);
  }

 private:
  cLiveCount m_Live;
};

class cTestModel : public cModel {
 public:
  iClassDesc* GetDescriptor() const override;
  void Compile(cVideo3D*) override {}
  void Release() override {}
  void Render(cVideo3D*, cEntity*) override {}
  int GetNumberOfVertices() const override { return 0; }
  int GetNumberOfFaces() const override { return 0; }
  void GetBoundingBox(cBoundingBox3&) const override {}
  void GetBoundingSphere(cBoundingSphere&) const override {}

 private:
  cLiveCount m_Live;
};

class cTestWorld : public tInert<cWorld> {
 public:
  iClassDesc* GetDescriptor() const override;
  void Save(iIOStream&) override {}
  void Load(iIOStream&) override {}
  using cWorld::SetVideo;
};

class cTestSector : public tInert<cSector> {
 public:
  iClassDesc* GetDescriptor() const override;
  void Save(iIOStream&) override {}
  void Load(iIOStream&) override {}
  bool GetFlag() const { return m_Flag; }
  void SetFlag(bool flag) { m_Flag = flag; }
};

// A descriptor named after the class, derived from the parent's.
#define SCENE_TEST_CLASS(Class, Parent)                                                 \
  inline tPluginClassDesc<Class> g##Class##Desc(#Class, #Class, &Parent::m_Descriptor); \
  inline iClassDesc* Class::GetDescriptor() const {                                     \
    return &g##Class##Desc;                                                             \
  }
SCENE_TEST_CLASS(cTestEntity, cEntity)
SCENE_TEST_CLASS(cTestCamera, cCamera)
SCENE_TEST_CLASS(cTestLight, cLight)
SCENE_TEST_CLASS(cTestMaterial, cMaterial)
SCENE_TEST_CLASS(cTestModel, cModel)
SCENE_TEST_CLASS(cTestWorld, cWorld)
SCENE_TEST_CLASS(cTestSector, cSector)
#undef SCENE_TEST_CLASS

/// Destroys what a load re-created: an entity tree, children first, then
/// the materials and models its entities refer to, each once (entities that
/// shared one when saved share it again); any other object alone.
inline void DestroyLoaded(cObject* object) {
  std::vector<cObject*> entities;
  std::set<cObject*> shared;
  auto collect = [&](auto& self, cEntity* entity) -> void {
    if (entity == nullptr) return;
    for (int i = entity->GetNumberOfChilds() - 1; i >= 0; --i) self(self, entity->GetChild(i));
    for (int i = 0; i < entity->GetNumberOfMaterials(); ++i) shared.insert(entity->GetMaterial(i));
    shared.insert(entity->GetModel());
    entities.push_back(entity);
  };
  if (auto* entity = dynamic_cast<cEntity*>(object))
    collect(collect, entity);
  else
    entities.push_back(object);
  for (cObject* each : entities) cPluginSystem::GetInstance()->Destroy(each);
  for (cObject* each : shared) cPluginSystem::GetInstance()->Destroy(each);
}

}  // namespace scene_test
