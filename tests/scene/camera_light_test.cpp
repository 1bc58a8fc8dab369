#include <cmath>
#include <random>
#include <string>

#include "scene_fixtures.h"

using namespace scene_test;
using tolmak::test::SavedBytes;

namespace {

using CameraLight = SceneTest;

/// What a renderer reads of a frustum info, bit for bit.
bool SameFrustum(const cFrustumInfo& a, const cFrustumInfo& b) {
  const float fa[] = {a.GetFar(), a.GetLeft(), a.GetRight(), a.GetTop(), a.GetBottom()};
  const float fb[] = {b.GetFar(), b.GetLeft(), b.GetRight(), b.GetTop(), b.GetBottom()};
  return SameBits(fa, fb) && SameBits(a.GetProjection(), b.GetProjection()) &&
         SameBits(a.GetCamera(), b.GetCamera());
}

/// The object's properties as a tool lists them: name:type, "!" if read-only.
std::string Listing(cObject& object, cPropertySheet& sheet) {
  object.AddProperties(&sheet);
  object.AddProperties(nullptr);  // publishes nowhere
  std::string text;
  for (int32_t i = 0; i < sheet.GetCount(); ++i) {
    const cProperty* p = sheet.GetProperty(i);
    text += std::string(p->GetName().c_str()) + ":" + std::to_string(p->GetType()) +
            (p->IsReadOnly() ? "! " : " ");
  }
  return text;
}

// A light's values by property name: direct getter, default, and the value
// tests write (theta 80 over phi 20 breaks the direct setters' cone rule).
const struct {
  const char* name;
  cColor (cLight::*get)();
  cColor initial, next;
} kColours[] = {{"Ambient", &cLight::GetAmbient, cColor::clGray, cColor::clNavy},
                {"Diffuse", &cLight::GetDiffuse, cColor::clSilver, cColor(0.25f, 0.5f, 0, 1)},
                {"Specular", &cLight::GetSpecular, cColor::clWhite, cColor::clRed}};
const struct {
  const char* name;
  float (cLight::*get)() const;
  float initial, next;
} kFloats[] = {{"Range", &cLight::GetRange, 1000, -3.5f},
               {"Falloff", &cLight::GetFallOff, 1, 0},
               {"ConstantAttenuation", &cLight::GetConstant, 1, 7.25f},
               {"LinearAttenuation", &cLight::GetLinear, 0, 1e-30f},
               {"QuadricAttenuation", &cLight::GetQuad, 0, -0.0f},
               {"Theta", &cLight::GetTheta, 45, 80},
               {"Phi", &cLight::GetPhi, 50, 20}};

}  // namespace

TEST_F(CameraLight, LightValuesRoundTripByNameAndDirectSettersKeepThetaUpToPhi) {
  cTestLight light;
  cPropertySheet sheet;
  ASSERT_EQ(Listing(light, sheet),
            "Name:4104 Type:3! Ambient:4108 Diffuse:4108 Specular:4108 Range:8 Falloff:8 "
            "ConstantAttenuation:8 LinearAttenuation:8 QuadricAttenuation:8 Theta:8 Phi:8 ");
  int32_t type = -1, omni = 1;
  EXPECT_TRUE(sheet.Get("Type", &type) && type == 0);
  light.SetType(static_cast<int>(cVideo3D::ELight::Spot));
  EXPECT_TRUE(sheet.Get("Type", &type) && type == 2);
  EXPECT_FALSE(sheet.Set("Type", &omni));
  for (const auto& c : kColours) {
    cColor value, in = c.next;
    EXPECT_TRUE(sheet.Get(c.name, &value) && value == c.initial) << c.name;
    EXPECT_TRUE(sheet.Set(c.name, &in));
  }
  for (const auto& f : kFloats) {  // each default is read before the next write
    float value = NAN, in = f.next;
    EXPECT_TRUE(sheet.Get(f.name, &value) && SameBits(value, f.initial)) << f.name;
    EXPECT_TRUE(sheet.Set(f.name, &in));
  }
  light.SetPriority(-7);

  // Copying keeps every value (theta stays above phi); the stream is an entity's.
  EXPECT_EQ(SavedBytes(light), SavedBytes(cTestEntity()));
  cTestLight copy(light), assigned;
  assigned = light;
  for (cTestLight* l : {&light, &copy, &assigned}) {
    EXPECT_TRUE(l->GetType() == 2 && l->GetPriority() == -7);
    for (const auto& c : kColours) EXPECT_EQ((l->*c.get)(), c.next) << c.name;
    for (const auto& f : kFloats) EXPECT_TRUE(SameBits((l->*f.get)(), f.next)) << f.name;
  }
  EXPECT_EQ(cTestLight().GetPriority(), 0);
  cTestLight up, down, equal, nanTheta, nanPhi;
  up.SetTheta(60);
  down.SetPhi(30);
  equal.SetTheta(50);
  EXPECT_TRUE(up.GetPhi() == 60 && down.GetTheta() == 30 && equal.GetPhi() == 50);
  nanTheta.SetTheta(NAN);
  nanPhi.SetPhi(NAN);
  EXPECT_TRUE(nanTheta.GetPhi() == 50 && nanPhi.GetTheta() == 45);
  nanTheta.SetPhi(-1000);
  nanPhi.SetTheta(1000);
  EXPECT_TRUE(std::isnan(nanTheta.GetTheta()) && std::isnan(nanPhi.GetPhi()));
}

TEST_F(CameraLight, LensFollowsEverySetterAndTheFrustumTheLastPass) {
  cTestCamera camera, viaSheet;
  cPropertySheet sheet;
  ASSERT_EQ(Listing(viaSheet, sheet), "Name:4104 FieldOfView:8 Horizon:8 AspectRatio:8 ");

  // Random edits, zero and negative values included, against a frustum info
  // given the lens directly, from the default lens on.
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-10, 500);
  float lens[3] = {45.0f, 1000.0f, 4.0f / 3.0f};  // in the sheet's order
  void (cCamera::*setters[3])(float) = {&cCamera::SetFieldOfView, &cCamera::SetHorizon,
                                        &cCamera::SetAspect};
  cFrustumInfo reference;
  for (int i = 0; i < 300; ++i) {
    const int which = static_cast<int>(random() % 3);
    float x = i % 17 == 0 ? 0.0f : value(random), back = NAN;
    (camera.*setters[which])(lens[which] = x);
    const char* name = sheet.GetProperty(1 + which)->GetName().c_str();
    ASSERT_TRUE(sheet.Set(name, &x) && sheet.Get(name, &back) && SameBits(back, x));
    reference.Set(lens[1], lens[0], lens[2]);
    ASSERT_TRUE(SameFrustum(camera.GetFrustumInfo(nullptr), reference)) << i;
    ASSERT_TRUE(SameFrustum(viaSheet.GetFrustumInfo(nullptr), reference)) << i;
  }

  // Copying keeps the lens, the frustum info and the inversed matrix; the
  // stream is an entity's.
  EXPECT_EQ(SavedBytes(camera), SavedBytes(cTestEntity()));
  camera.GetInversedMatrix()(3, 1) = 9.0f;
  cTestCamera copy(camera), assigned;
  assigned = camera;
  for (cTestCamera* c : {&camera, &copy, &assigned}) {
    EXPECT_TRUE(SameFrustum(c->GetFrustumInfo(nullptr), reference));
    EXPECT_TRUE(c->GetFieldOfView() == lens[0] && c->GetHorizon() == lens[1]);
    EXPECT_TRUE(c->GetAspect() == lens[2] && c->GetInversedMatrix()(3, 1) == 9.0f);
  }

  // The frustum is placed by the world matrix of the last pass.
  cTestEntity parent;
  cTestCamera placed;  // queued after its parent
  parent.AddChild(&placed);
  placed.SetPivotPosition(0, 2, 0);
  parent.RotatePivot(0, 90, 0);
  parent.MovePivot(10, 0, 0);
  cEntity::UpdateMatrices();
  const cMatrix4x3 world = placed.GetPivotMatrix() * parent.GetWorldMatrix();
  EXPECT_TRUE(SameBits(placed.GetFrustumInfo(nullptr).GetCamera(), world));
  EXPECT_TRUE(SameBits(placed.GetInversedMatrix(), cMatrix4x3()));
  cMatrix4x3 m;
  m.SetPosition(cVector3(1, 2, 3));
  m(0, 1) = 0.5f;
  EXPECT_TRUE(SameBits(placed.GetFrustumInfo(&m).GetCamera(), world * m));
  EXPECT_TRUE(SameBits(placed.GetInversedMatrix(), world * m));
  parent.MovePivot(5, 0, 0);  // no pass runs before the next placement
  EXPECT_TRUE(SameBits(placed.GetFrustumInfo(nullptr).GetCamera(), world));
}
