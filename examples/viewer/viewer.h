#pragma once

// The model viewer: compiles a model file into memory, loads the scene the
// way a game loads it, and draws it with an orbiting camera.

#include <string>

#include "zunfert.h"

namespace viewer {

struct cOptions {
  std::string model;
  std::string video = "cSoftwareVideo3D";
  std::string output = "viewer-output";
  int frames = 36;
  int width = 640, height = 480;
};

class cViewer : public cApplicationEx {
 public:
  explicit cViewer(const cOptions& options);
  ~cViewer() override;

  /// 0 when every frame was drawn; throws std::runtime_error otherwise.
  int Run() override;

 private:
  void StartDevices();
  void LoadModel();
  /// A camera and a light of the viewer's own, aimed by Orbit.
  void AddCameraAndLight();
  /// The centre and radius of everything the scene draws.
  void MeasureScene();
  void Orbit(float degrees);

  cOptions m_Options;
  cVideo3D* m_Video = nullptr;
  cDefaultWorld* m_World = nullptr;
  cDefaultCamera* m_Camera = nullptr;
  cVector3 m_Centre;
  float m_Radius = 1.0f;
};

}  // namespace viewer
