#pragma once

// Irrlicht's software renderer behind an interface free of both engines'
// types: Irrlicht's headers compile only as C++17, and the engine's as C++20.

#include <cstdint>
#include <memory>
#include <string>

/// Plain arrays of one mesh, drawn as a triangle list.
struct tPlainMesh {
  const float* positions;  // x, y, z per vertex
  const float* normals;    // x, y, z per vertex
  const float* texture;    // u, v per vertex
  uint32_t vertexCount;
  const uint16_t* indices;
  uint32_t indexCount;
};

/// Matrices as sixteen floats, row-vector convention (row 3 the translation).
using tPlainMatrix = float[16];

/// A window drawn by Irrlicht's "Burning's Video" renderer (on the X display
/// of xvfb-run), with one textured, lit mesh drawn at several places.
class cBurningsVideo {
 public:
  /// Null when the device cannot start (no display, no renderer).
  static std::unique_ptr<cBurningsVideo> Open(int width, int height);
  virtual ~cBurningsVideo() = default;

  virtual void SetMesh(const tPlainMesh& mesh) = 0;
  /// An ARGB8888 texture, bilinear, repeating.
  virtual void SetTexture(const uint32_t* argb, int width, int height) = 0;
  virtual void SetAmbient(float grey) = 0;
  /// A white directional light shining along direction.
  virtual void AddSun(const float direction[3]) = 0;
  /// A white point light.
  virtual void AddLamp(const float position[3], const float attenuation[3]) = 0;
  virtual void SetCamera(const tPlainMatrix view, const tPlainMatrix projection) = 0;
  /// One whole frame: clear, the mesh at each world matrix, present.
  virtual void DrawFrame(const tPlainMatrix* worlds, int count) = 0;
  /// Writes the last frame as a PNG file.
  virtual bool SavePicture(const std::string& fileName) = 0;
};
