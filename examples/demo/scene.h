#pragma once

// The demo's world: a marble planet with a moon on an orbit, a transparent
// ring, a brick floor, two lights and two cameras, all plug-in objects made
// through the plug-in system.

#include <string>
#include <vector>

#include "textures.h"
#include "zunfert.h"

namespace demo {

struct cScene {
  cDefaultWorld* world = nullptr;
  int triangles = 0;
  /// The meshes' subsets (a mesh without any is one): the draw calls a
  /// frame needs at most.
  int subsets = 0;
};

/// Builds the scene, the textures loaded with the application's LoadImage.
/// The world owns every object of it; throws std::runtime_error when a
/// plug-in class or a texture is missing.
cScene BuildScene(cApplicationEx& app, cVideo3D* video, const std::vector<cTextureFile>& textures);

/// Places a camera at eye, looking at target with +Y up.
void LookAt(cEntity* camera, const cVector3& eye, const cVector3& target);

}  // namespace demo
