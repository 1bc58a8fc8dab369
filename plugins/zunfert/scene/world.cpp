#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../class_desc.h"
#include "fields.h"
#include "tree.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cDefaultWorld, "World drawing its sector", &cWorld::m_Descriptor)

cDefaultWorld::cDefaultWorld() : m_Ambient(1.0f, 0.2f, 0.2f, 0.2f) {}

cDefaultWorld::~cDefaultWorld() {
  m_Owner.DestroyAll();
}

void cDefaultWorld::Animate(float seconds) {
  if (GetRootSector() != nullptr) GetRootSector()->Animate(seconds);
  for (cMaterial* material : GetMaterials())
    if (material != nullptr) material->Animate(seconds);
}

void cDefaultWorld::Render(cVideo3D* video) {
  if (video == nullptr) video = GetVideo();
  if (video == nullptr) return;
  if (cEntity::GetMatrixQueue().GetCount() > 0 && !std::exchange(m_ToldStaleMatrices, true))
    trace(
        "World \"%s\" draws entities moved since the last cEntity::UpdateMatrices: call it "
        "once a frame after moving them and before Render",
        GetName().c_str());
  SetCamera(video);
  SetLights(video);
  if (GetRootSector() != nullptr) GetRootSector()->Render(video);
}

bool cDefaultWorld::Step(float seconds) {
  cVideo3D* video = GetVideo();
  if (video == nullptr || !video->IsInitialized()) {
    trace("Step: world \"%s\" has no initialised video device: SetVideo(device) after InitVideo",
          GetName().c_str());
    return false;
  }
  Animate(seconds);
  cEntity::UpdateMatrices();
  if (!video->BeginScene()) return false;
  video->Clear(true, true, false);
  Render(video);
  video->EndScene();
  return video->Flip();
}

void cDefaultWorld::SetCamera(cVideo3D* video) {
  cCamera* camera = GetSelectedCamera();
  if (camera == nullptr && !std::exchange(m_ToldNoCamera, true))
    trace(
        "World \"%s\" draws without a camera: put a camera under the root sector and "
        "select it with SelectCamera(name)",
        GetName().c_str());
  if (camera == nullptr) return;
  const cFrustumInfo& info = camera->GetFrustumInfo(nullptr);
  video->SetMatrix(cVideo3D::EMatrix::Projection, info.GetProjection());
  video->SetMatrix(cVideo3D::EMatrix::View, info.GetRotation());
}

void cDefaultWorld::SetLights(cVideo3D* video) {
  std::vector<cLight*> lights;
  for (cEntity* entity : GetEntities()) {
    auto* light = dynamic_cast<cLight*>(entity);
    if (light != nullptr && !light->IsHidden()) lights.push_back(light);
  }
  // Highest priority first, then by name: the same lights take the same
  // slots however the world was put together.
  std::stable_sort(lights.begin(), lights.end(), [](const cLight* a, const cLight* b) {
    return a->GetPriority() != b->GetPriority() ? a->GetPriority() > b->GetPriority()
                                                : a->GetName() < b->GetName();
  });
  const int used = std::min(static_cast<int>(lights.size()), video->GetCaps().Lights());
  for (int i = 0; i < used; ++i) {
    video->SetLight(i, *lights[static_cast<size_t>(i)]);
    video->EnableLight(i, true);
  }
  for (int i = used; i < m_LightsSet; ++i) video->EnableLight(i, false);
  m_LightsSet = used;
  video->SetAmbientLight(m_Ambient);
  video->EnableLighting(used > 0);
}

void cDefaultWorld::CheckFileNames(const cString& ownFile) {
  std::map<std::string, const cNamedObject*> files;
  files.emplace(ownFile.c_str(), this);
  auto claim = [&files](const cNamedObject* object, const char* kind) {
    if (object == nullptr) return;
    const cString& name = object->GetName();
    if (name.IsEmpty())
      throw cException(__FILE__, __LINE__,
                       cString::StringF("Cannot save the scene: %s has no name", kind));
    const auto [place, added] = files.emplace(std::string(name.c_str(), name.GetLength()), object);
    if (!added && place->second != object)
      throw cException(__FILE__, __LINE__,
                       cString::StringF("Cannot save the scene: two of its objects would be saved "
                                        "in the file \"%s\"",
                                        name.c_str()));
  };
  auto* sector = dynamic_cast<cDefaultSector*>(GetRootSector());
  claim(GetRootSector(), "a sector");
  cEntity* root = sector            ? sector->GetTreeRoot()
                  : GetRootSector() ? GetRootSector()->GetRoot()
                                    : nullptr;
  zunfert::detail::WalkTree(root, [&claim](cEntity* entity) {
    claim(entity, "an entity");
    for (int i = 0; i < entity->GetNumberOfMaterials(); ++i)
      claim(entity->GetMaterial(i), "a material");
    claim(entity->GetModel(), "a model");
    return true;
  });
}

void cDefaultWorld::Save(iIOStream& stream) {
  CheckFileNames(stream.GetUrl().GetFileName());
  cSceneWriter writer(stream, "world");
  writer.Text(GetName());
  writer.Color(m_Ambient);
  writer.Text(GetSelectedCamera() ? GetSelectedCamera()->GetName() : cString());
  zunfert::detail::WriteOptionalReference(writer, stream.GetUrl().GetLocation(), GetRootSector());
}

void cDefaultWorld::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  cSceneReader reader(stream, "world");
  const cString name = reader.Text("the name");
  const cColor ambient = reader.Color("the ambient light");
  const cString camera = reader.Text("the camera's name");
  const cString sectorUrl = ReadOptionalReference(reader, "the sector reference");
  cDefaultSector* sector = LoadReferenced<cDefaultSector>(reader, sectorUrl, "a cDefaultSector");
  if (sector != nullptr) {
    try {
      m_Owner.Adopt(sector);
    } catch (...) {
      cPluginSystem::GetInstance()->Destroy(sector);
      throw;
    }
    SetRootSector(sector);
    sector->LinkLoadedTree();
  }
  SetName(name);
  m_Ambient = ambient;
  if (!camera.IsEmpty()) SelectCamera(camera);
}
