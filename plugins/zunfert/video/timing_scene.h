#pragma once

#include <cstdint>
#include <vector>

#include "zunfert_video.h"

namespace zunfert::timing {

/// The demo-like scene on which the software 3D device is timed, and the
/// other renderers compared: six textured spheres turning in a ring, lit by
/// a directional light, a point light and an ambient grey, at 640 by 480.
/// Its facts are public so that another renderer can draw the same picture.
struct cScene {
  static constexpr int kWidth = 640, kHeight = 480;
  static constexpr int kSpheres = 6;
  static constexpr int kTextureSize = 64;

  /// A unit sphere of 16 rings of 24 quads (768 triangles): positions, which
  /// are also the normals, texture coordinates wrapping twice around, and a
  /// triangle list.
  std::vector<cVector3> positions;
  std::vector<cVector2> texture;
  std::vector<uint16_t> indices;
  /// A 64 by 64 checker of 8-texel squares, ARGB8888, row by row.
  std::vector<uint32_t> texels;

  static constexpr float kAmbient = 0.2f;
  /// Where the white directional light shines.
  static constexpr float kSunDirection[3] = {0.3f, -0.5f, 1.0f};
  /// The white point light and its attenuation 1 / (c + l d + q d^2).
  static constexpr float kLampPosition[3] = {0.0f, 3.0f, -2.0f};
  static constexpr float kLampAttenuation[3] = {1.0f, 0.1f, 0.0f};

  cScene();
  /// The camera: at (0, 1, 9), turned half round the Y axis, 70 degrees
  /// across the width, far plane at 100.
  static cFrustumInfo Lens();
  /// Sphere i's world matrix in frame n.
  static cMatrix4x3 SphereWorld(int frame, int i);
};

/// Draws the scene with the plug-in's software device.
class cDeviceScene {
 public:
  /// Initialises the device at the scene's size and gives it the texture,
  /// the lights and the camera; false when the device cannot start.
  bool Open(cSoftwareVideo3D& device);
  /// One whole frame: clear, the six spheres, present.
  void DrawFrame(int frame);
  /// Triangles drawn in the last frame.
  uint32_t GetTriangles() const { return m_Triangles; }

 private:
  cScene m_Scene;
  cSoftwareVideo3D* m_Device = nullptr;
  cVertexBuffer m_Vertices;
  cIndexBuffer m_Indices;
  uint32_t m_Triangles = 0;
};

}  // namespace zunfert::timing
