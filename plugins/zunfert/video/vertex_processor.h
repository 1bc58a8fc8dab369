#pragma once

#include <cstdint>

#include "lighting.h"
#include "render_state.h"

namespace zunfert::detail {

/// Slots of the per-vertex attributes that the clipper carries. The first
/// kRasterAttributes are interpolated across triangles; the distances to
/// the user clip planes follow.
enum EAttribute : int {
  kDiffuse = 0,   // red, green, blue, alpha
  kSpecular = 4,  // red, green, blue
  kFog = 7,       // 1 without fog, 0 fully fogged
  kTexture = 8,   // u, v of stage 0, then of stage 1
  kRasterAttributes = 8 + 2 * kStages,
  kAttributes = kRasterAttributes + kClipPlanes,
};

/// Outside bits of a clip vertex (bit i for clip plane i). The planes the clipper cuts along come
/// first; the frustum sides, for trivial rejection only, at kRejectShift.
constexpr uint32_t kClipNear = 1u << 0;
constexpr uint32_t kClipFar = 1u << 1;
constexpr uint32_t kClipGuardLeft = 1u << 2;
constexpr uint32_t kClipGuardRight = 1u << 3;
constexpr uint32_t kClipGuardBottom = 1u << 4;
constexpr uint32_t kClipGuardTop = 1u << 5;
constexpr uint32_t kClipUser = 1u << 6;  // one bit per user plane from here
constexpr int kRejectShift = 16;
constexpr int kClipPlaneCount = 6 + kClipPlanes;

/// Clip-space coordinates may reach this many times w on the sides before
/// a triangle is cut; the rasterizer's fixed point holds them.
constexpr float kGuardBand = 64.0f;

/// A vertex after transform and lighting.
struct cClipVertex {
  float x, y, z, w;
  float a[kAttributes];
  uint32_t code;
};

/// A 4x4 matrix for row vectors.
struct cMatrix4 {
  float m[4][4];
  /// The 4x3 matrix with the fourth column (0, 0, 0, 1), or with (0, 0, -1, 0)
  /// for a projection.
  static cMatrix4 From(const cMatrix4x3& matrix, bool projection);
  cMatrix4 operator*(const cMatrix4& other) const;
};

/// The clip code of a clip-space position against near, far, guard band
/// and frustum sides (user planes not included).
uint32_t ClipCode(float x, float y, float z, float w);

/// The camera position and looking direction in world space, from the view matrix.
void CameraFromView(const cMatrix4x3& view, cVector3& eye, cVector3& forward);

/// Transforms and lights vertices, prepared once per draw from the render
/// state, the world, view and projection matrices and the vertex buffer.
/// A vertex is placed first (its clip-space position and clip code), and
/// shaded (lit, fogged, its texture coordinates) only once a primitive that
/// is drawn needs it: a vertex seen only by culled triangles is never lit.
class cVertexProcessor {
 public:
  /// Vertex 0 is the buffer's vertex first. The processor reads the state
  /// and the buffer's vertices while it places and shades them.
  void Prepare(const cRenderState& state, const cMatrix4x3& world, const cMatrix4x3& view,
               const cMatrix4x3& projection, const cVertexBuffer& vertices, uint32_t first);
  /// Copies count vertices from vertex 0 on to copy (count times the
  /// stride bytes) and reads them from there, so that the buffer may change.
  void CopyVertices(uint32_t count, uint8_t* copy);
  uint32_t GetStride() const { return m_Layout.stride; }
  /// The positions and clip codes of vertices 0 to count - 1.
  void Place(uint32_t count, cClipVertex* out) const;
  /// The attributes of vertex index, placed in out, but for the distances
  /// to the user clip planes, which Place gives.
  void Shade(uint32_t index, cClipVertex& out) const;
  /// Bits of the user clip planes in use (kClipUser and up).
  uint32_t GetUserPlaneBits() const { return m_UserPlaneBits; }

 private:
  /// Where the components lie in a vertex, by the buffers' layout rule.
  struct cLayout {
    uint32_t stride = 0, normal = 0, diffuse = 0, specular = 0, texture = 0, sets = 0;
    bool hasPosition = false, hasNormal = false, hasDiffuse = false, hasSpecular = false;
    cPixelFormat colorFormat;
    uint32_t colorBytes = 0;

    void Read(const cVertexBuffer& vertices);
  };
  const uint8_t* At(uint32_t index) const { return m_Data + size_t{m_Layout.stride} * index; }
  void Colors(const cRgba& vertexDiffuse, const cRgba& vertexSpecular, const cVector3& position,
              const cVector3& normal, cClipVertex& out) const;
  float FogFactor(float distance) const;

  const cRenderState* m_State = nullptr;
  cMatrix4 m_Clip{};
  cMatrix4x3 m_World;
  cLighting m_Lighting;
  cPlane m_Planes[kClipPlanes];
  uint32_t m_UserPlaneBits = 0;
  cLayout m_Layout;
  const uint8_t* m_Data = nullptr;  // the vertex buffer's
};

}  // namespace zunfert::detail
