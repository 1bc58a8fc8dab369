#include "viewer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "tolmak_scene_compiler.h"

namespace viewer {
namespace {

const cUrl kScene(cString("mem://viewer/scene.world"));

void LookAt(cEntity* entity, const cVector3& eye, const cVector3& target) {
  const cVector3 z = (target - eye).Normalized();
  const cVector3 x = cVector3(0, 1, 0).Cross(z).Normalized();
  entity->SetPivotMatrix(cMatrix4x3(x, z.Cross(x), z, eye));
}

/// Sets a string property of a device; false when it has none by that name.
bool SetStringProperty(cObject* object, const char* name, const cString& value) {
  cPropertySheet sheet;
  object->AddProperties(&sheet);
  cString copy = value;
  return sheet.Set(name, &copy);
}

}  // namespace

cViewer::cViewer(const cOptions& options) : cApplicationEx("tolmak viewer"), m_Options(options) {}

cViewer::~cViewer() {
  // Meshes and materials give their device copies back before the device goes.
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  plugins->Destroy(std::exchange(m_World, nullptr));
  if (m_Video != nullptr) m_Video->ShutdownDevice();
  plugins->Destroy(std::exchange(m_Video, nullptr));
}

int cViewer::Run() {
  StartDevices();
  LoadModel();
  AddCameraAndLight();
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; frame < m_Options.frames; ++frame) {
    Orbit(360.0f * static_cast<float>(frame) / static_cast<float>(m_Options.frames));
    cEntity::UpdateMatrices();
    m_Video->BeginScene();
    m_Video->SetClearColor(cColor(1, 0.08f, 0.09f, 0.12f));
    m_Video->Clear(true, true, false);
    m_World->Render(m_Video);
    m_Video->EndScene();
    if (!m_Video->Flip()) throw std::runtime_error("the video device could not present a frame");
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("viewer: %d frames of %d x %d in %.2f s; pictures in %s\n", m_Options.frames,
              m_Options.width, m_Options.height, seconds, m_Options.output.c_str());
  return 0;
}

void cViewer::StartDevices() {
  tArray<cString> drivers;
  EnumerateVideoDevices(Video3D, drivers);
  if (!drivers.Contains(cString(m_Options.video.c_str())))
    throw std::runtime_error("the plug-in library offers no " + m_Options.video);
  if (!Initialize(Video, m_Options.video.c_str()) || !Initialize(StreamManager))
    throw std::runtime_error("the devices could not be created");
  m_Video = dynamic_cast<cVideo3D*>(GetVideo());
  if (m_Video == nullptr) throw std::runtime_error(m_Options.video + " is no 3D video device");
  InitVideo(static_cast<uint16_t>(m_Options.width), static_cast<uint16_t>(m_Options.height), 32,
            true, 0, "tolmak viewer");
  if (!m_Video->IsInitialized()) throw std::runtime_error("the video device did not start");
  // The software device writes its frames as pictures; a windowed one shows them.
  std::filesystem::create_directories(m_Options.output);
  const std::string frames = (std::filesystem::path(m_Options.output) / "frame_%03d.png").string();
  SetStringProperty(m_Video, "Output", frames.c_str());
}

void cViewer::LoadModel() {
  cSceneCompiler compiler;
  if (!compiler.CompileFile(cUrl(cString(m_Options.model.c_str())), kScene))
    throw std::runtime_error(compiler.GetError().c_str());
  const cCompileSummary& summary = compiler.GetSummary();
  std::printf("viewer: %s: %d nodes, %d meshes, %d triangles, %d materials, %d textures\n",
              m_Options.model.c_str(), summary.m_Nodes, summary.m_Meshes, summary.m_Triangles,
              summary.m_Materials, summary.m_Textures);
  cObject* loaded = cPluginSystem::GetInstance()->LoadPlugin(kScene);
  m_World = dynamic_cast<cDefaultWorld*>(loaded);
  if (m_World == nullptr) {
    cPluginSystem::GetInstance()->Destroy(loaded);
    throw std::runtime_error("the compiled scene did not load");
  }
  m_World->SetVideo(m_Video);
  cEntity::UpdateMatrices();
  MeasureScene();
}

void cViewer::MeasureScene() {
  cVector3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
  for (cEntity* entity : m_World->GetEntities()) {
    const cModel* model = entity->GetModel();
    if (model == nullptr || model->GetNumberOfVertices() == 0) continue;
    cBoundingBox3 box;
    model->GetBoundingBox(box);
    const cMatrix4x3 place = entity->GetOffsetMatrix() * entity->GetWorldMatrix();
    for (int corner = 0; corner < 8; ++corner) {
      const cVector3 local((corner & 1 ? box.GetMax() : box.GetMin()).x,
                           (corner & 2 ? box.GetMax() : box.GetMin()).y,
                           (corner & 4 ? box.GetMax() : box.GetMin()).z);
      const cVector3 p = place.TransformPoint(local);
      low = cVector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
      high = cVector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
  }
  if (low.x > high.x) return;  // nothing to draw: look at the origin
  m_Centre = (low + high) * 0.5f;
  m_Radius = std::max((high - low).GetLength() * 0.5f, 1e-3f);
}

void cViewer::AddCameraAndLight() {
  m_Camera = new cDefaultCamera;
  m_World->Adopt(m_Camera);
  m_Camera->SetName("ViewerCamera");
  m_Camera->SetFieldOfView(50);
  m_Camera->SetAspect(static_cast<float>(m_Options.width) / static_cast<float>(m_Options.height));
  m_Camera->SetHorizon(m_Radius * 8);
  // A light that travels with the camera lights whatever side it sees.
  auto* light = new cDirectionalLight;
  m_World->Adopt(light);
  light->SetName("ViewerLight");
  light->SetDiffuse(cColor(1, 0.9f, 0.9f, 0.85f));
  light->SetPriority(1);
  // Outside the file's tree, so that its root's transform does not move them.
  m_World->AddEntity(m_Camera);
  m_Camera->AddChild(light);
  m_World->AddEntity(light);
  m_World->SelectCamera("ViewerCamera");
}

void cViewer::Orbit(float degrees) {
  const float angle = degrees * 0.017453292f, distance = m_Radius * 2.6f;
  LookAt(m_Camera, m_Centre + cVector3(std::sin(angle), 0.45f, std::cos(angle)) * distance,
         m_Centre);
}

}  // namespace viewer
