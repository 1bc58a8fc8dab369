#include <algorithm>
#include <cmath>

#include "../class_desc.h"
#include "fields.h"
#include "tree.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cDefaultSector, "Sector drawing its entity tree", &cSector::m_Descriptor)

namespace zunfert::detail {
namespace {

/// False when the entity's model lies wholly outside the frustum.
bool IsInView(const cFrustum& frustum, const cEntity& entity) {
  const cModel* model = entity.GetModel();
  if (model == nullptr) return true;
  cBoundingSphere sphere;
  model->GetBoundingSphere(sphere);
  const cMatrix4x3 place = entity.GetOffsetMatrix() * entity.GetWorldMatrix();
  const cVector3 centre = place.TransformPoint(sphere.GetCenter());
  float scale = 0;
  for (int axis = 0; axis < 3; ++axis) scale = std::max(scale, place[axis].GetLength());
  const float radius = sphere.GetRadius() * scale;
  for (int i = 0; i < 6; ++i) {
    const cPlane& plane = frustum.GetPlane(i);
    const float length = std::sqrt(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c);
    if (!(length > 0)) continue;
    const float distance =
        (plane.a * centre.x + plane.b * centre.y + plane.c * centre.z + plane.d) / length;
    if (distance < -radius) return false;
  }
  return true;
}

}  // namespace
}  // namespace zunfert::detail

cDefaultSector::~cDefaultSector() {
  m_Owner.DestroyAll();
}

void cDefaultSector::Animate(float seconds) {
  if (!m_Flag) return;
  zunfert::detail::WalkTree(GetTreeRoot(), [seconds](cEntity* entity) {
    entity->Animate(seconds);
    return true;
  });
}

void cDefaultSector::Render(cVideo3D* video) {
  if (!m_Flag || video == nullptr) return;
  cCamera* camera = GetWorld() ? GetWorld()->GetSelectedCamera() : nullptr;
  cFrustum frustum;
  if (camera != nullptr) frustum.Set(camera->GetFrustumInfo(nullptr));
  zunfert::detail::WalkTree(GetRoot(), [&](cEntity* entity) {
    if (entity->IsHidden()) return false;
    if (camera == nullptr || zunfert::detail::IsInView(frustum, *entity)) entity->Render(video);
    return true;
  });
}

void cDefaultSector::LinkLoadedTree() {
  cWorld* world = GetWorld();
  if (m_PendingRoot == nullptr || world == nullptr) return;
  cEntity* root = m_PendingRoot;
  m_PendingRoot = nullptr;
  SetRoot(root);
  // Taking each child off and adding it again gives it the sector and the
  // world's registration, in the same order under the same parent.
  zunfert::detail::WalkTree(root, [world](cEntity* entity) {
    std::vector<cEntity*> children;
    for (int i = 0; i < entity->GetNumberOfChilds(); ++i)
      if (cEntity* child = entity->GetChild(i)) children.push_back(child);
    for (cEntity* child : children) entity->DeleteChild(child);
    for (cEntity* child : children) entity->AddChild(child);
    for (int i = 0; i < entity->GetNumberOfMaterials(); ++i)
      world->AddMaterial(entity->GetMaterial(i));
    return true;
  });
}

void cDefaultSector::Save(iIOStream& stream) {
  cSceneWriter writer(stream, "sector");
  writer.Text(GetName());
  writer.Byte(m_Flag ? 1 : 0);
  zunfert::detail::WriteOptionalReference(writer, stream.GetUrl().GetLocation(), GetTreeRoot());
}

void cDefaultSector::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  cSceneReader reader(stream, "sector");
  const cString name = reader.Text("the name");
  const uint8_t flag = reader.Byte("the flag");
  const cString rootUrl = ReadOptionalReference(reader, "the root reference");
  cEntity* root = LoadReferenced<cEntity>(reader, rootUrl, "an entity");
  SetName(name);
  m_Flag = flag != 0;
  if (root == nullptr) return;
  WalkTree(root, [this](cEntity* entity) {
    m_Owner.Adopt(entity);
    for (int i = 0; i < entity->GetNumberOfMaterials(); ++i) m_Owner.Adopt(entity->GetMaterial(i));
    m_Owner.Adopt(entity->GetModel());
    return true;
  });
  m_PendingRoot = root;
  LinkLoadedTree();
}
