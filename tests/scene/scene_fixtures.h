#pragma once

// Concrete scene classes for the tests, registered with the plug-in system
// so that streams can re-create them, and helpers shared by the suites.

#include <gtest/gtest.h>
#include <tolmak.h>

#include <cstring>
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

class cTestEntity : public cEntity {
 public:
  iClassDesc* GetDescriptor() const override;
  void Animate(float) override {}
  void Render(cVideo3D*) override {}

 private:
  cLiveCount m_Live;
};

class cTestCamera : public cCamera {
 public:
  iClassDesc* GetDescriptor() const override;
  void Animate(float) override {}
  void Render(cVideo3D*) override {}

 private:
  cLiveCount m_Live;
};

class cTestLight : public cLight {
 public:
  iClassDesc* GetDescriptor() const override;
  void Animate(float) override {}
  void Render(cVideo3D*) override {}
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

class cTestWorld : public cWorld {
 public:
  iClassDesc* GetDescriptor() const override;
  void Animate(float) override {}
  void Render(cVideo3D*) override {}
  void Save(iIOStream&) override {}
  void Load(iIOStream&) override {}
  using cWorld::SetVideo;
};

class cTestSector : public cSector {
 public:
  iClassDesc* GetDescriptor() const override;
  void Animate(float) override {}
  void Render(cVideo3D*) override {}
  void Save(iIOStream&) override {}
  void Load(iIOStream&) override {}
  bool GetFlag() const { return m_Flag; }
  void SetFlag(bool flag) { m_Flag = flag; }
};

inline tPluginClassDesc<cTestEntity> gTestEntityClass("cTestEntity", "cTestEntity",
                                                      &cEntity::m_Descriptor);
inline tPluginClassDesc<cTestCamera> gTestCameraClass("cTestCamera", "cTestCamera",
                                                      &cCamera::m_Descriptor);
inline tPluginClassDesc<cTestLight> gTestLightClass("cTestLight", "cTestLight",
                                                    &cLight::m_Descriptor);
inline tPluginClassDesc<cTestMaterial> gTestMaterialClass("cTestMaterial", "cTestMaterial",
                                                          &cMaterial::m_Descriptor);
inline tPluginClassDesc<cTestModel> gTestModelClass("cTestModel", "cTestModel",
                                                    &cModel::m_Descriptor);
inline tPluginClassDesc<cTestWorld> gTestWorldClass("cTestWorld", "cTestWorld",
                                                    &cWorld::m_Descriptor);
inline tPluginClassDesc<cTestSector> gTestSectorClass("cTestSector", "cTestSector",
                                                      &cSector::m_Descriptor);

inline iClassDesc* cTestEntity::GetDescriptor() const {
  return &gTestEntityClass;
}
inline iClassDesc* cTestCamera::GetDescriptor() const {
  return &gTestCameraClass;
}
inline iClassDesc* cTestLight::GetDescriptor() const {
  return &gTestLightClass;
}
inline iClassDesc* cTestMaterial::GetDescriptor() const {
  return &gTestMaterialClass;
}
inline iClassDesc* cTestModel::GetDescriptor() const {
  return &gTestModelClass;
}
inline iClassDesc* cTestWorld::GetDescriptor() const {
  return &gTestWorldClass;
}
inline iClassDesc* cTestSector::GetDescriptor() const {
  return &gTestSectorClass;
}

/// A test whose scene classes are registered and whose stream manager exists.
/// It starts and ends with an empty matrix queue.
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (iClassDesc* desc : Classes()) cPluginSystem::GetInstance()->Register(desc);
    cStreamManager::New();
    cEntity::UpdateMatrices();
  }
  void TearDown() override {
    cEntity::UpdateMatrices();
    cStreamManager::Delete();
    for (iClassDesc* desc : Classes()) cPluginSystem::GetInstance()->Unregister(desc);
  }
  static std::vector<iClassDesc*> Classes() {
    return {&gTestEntityClass, &gTestCameraClass, &gTestLightClass, &gTestMaterialClass,
            &gTestModelClass,  &gTestWorldClass,  &gTestSectorClass};
  }
};

/// Bit-for-bit equality of two matrices (NaN payloads and signed zeros count).
inline bool SameBits(const cMatrix4x3& a, const cMatrix4x3& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// Destroys a tree re-created by LoadPlugin: the entities with their
/// materials and models (each loaded object is referenced once).
inline void DestroyLoadedTree(cEntity* entity) {
  if (entity == nullptr) return;
  for (int i = entity->GetNumberOfChilds() - 1; i >= 0; --i) DestroyLoadedTree(entity->GetChild(i));
  for (int i = 0; i < entity->GetNumberOfMaterials(); ++i)
    cPluginSystem::GetInstance()->Destroy(entity->GetMaterial(i));
  cPluginSystem::GetInstance()->Destroy(entity->GetModel());
  cPluginSystem::GetInstance()->Destroy(entity);
}

inline cEntity* SelectedEntity(const cWorld& world) {
  return world.GetSelectedCamera();
}

}  // namespace scene_test
