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
    return {&gcTestEntityDesc, &gcTestCameraDesc, &gcTestLightDesc, &gcTestMaterialDesc,
            &gcTestModelDesc,  &gcTestWorldDesc,  &gcTestSectorDesc};
  }
};

/// Bit-for-bit equality of two matrices (NaN payloads and signed zeros count).
inline bool SameBits(const cMatrix4x3& a, const cMatrix4x3& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace scene_test
