#include <string>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

/// An entity class without a descriptor of its own.
class cBareEntity : public cEntity {
 public:
  void Animate(float) override {}
  void Render(cVideo3D*) override {}
};

}  // namespace

TEST(SceneDescriptors, NameParentInterfaceAndIdentifier) {
  // The entity kinds inherit serialization and add no interface.
  iClassDesc* const entity = &cEntity::m_Descriptor;
  const struct {
    iClassDesc* desc;
    const char* name;
    const char* description = name;
    iClassDesc* parent = &cNamedObject::m_Descriptor;
  } classes[] = {{cEntity::Descriptor(), "cEntity"},
                 {cWorld::Descriptor(), "cWorld"},
                 {cSector::Descriptor(), "cSector"},
                 {cModel::Descriptor(), "cModel"},
                 {cMaterial::Descriptor(), "cMaterial"},
                 {cCamera::Descriptor(), "cCamera", "cCameraEntity", entity},
                 {cLight::Descriptor(), "cLight", "cLightEntity", entity}};
  for (const auto& c : classes) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(c.desc->GetClassName(), c.name);
    EXPECT_STREQ(c.desc->GetDescription(), c.description);
    EXPECT_EQ(c.desc->GetClassID(), gCRC32(c.name));
    EXPECT_EQ(c.desc->GetParent(), c.parent);
    EXPECT_EQ(c.desc->GetInterfaceID(),
              c.parent == entity ? cInterfaceID(0, false) : idiSerializable);
    EXPECT_EQ(c.desc->CreateInstance(), nullptr);
    EXPECT_EQ(c.desc->GetVersion(), 1.0f);
  }
  EXPECT_EQ(cEntity::Descriptor(), &cEntity::m_Descriptor);
  EXPECT_EQ(cSector::Descriptor(), &cSector::m_Descriptor);
  EXPECT_EQ(cLight::Descriptor(), &cLight::m_Descriptor);
}

TEST(SceneDescriptors, DynamicClassAnswersTheCameraTest) {
  cBareEntity bare;
  const cObject& object = bare;
  EXPECT_EQ(object.GetDescriptor(), &cEntity::m_Descriptor);
  EXPECT_FALSE(bare.GetDescriptor()->IsOfType(gCRC32("cCamera")));
  EXPECT_TRUE(bare.GetDescriptor()->IsOfType(gCRC32("cNamedObject")));
  cTestCamera camera;
  EXPECT_TRUE(camera.GetDescriptor()->IsOfType(cEntity::m_Descriptor.GetClassID()));
  EXPECT_TRUE(camera.GetDescriptor()->IsOfType(gCRC32("cCamera")));
  cTestLight light;
  EXPECT_FALSE(light.GetDescriptor()->IsOfType(cCamera::m_Descriptor.GetClassID()));
  cEntity::UpdateMatrices();
}
