// The shapes cMeshModel builds itself: positions, normals and one set of
// texture coordinates, every triangle in the winding the device keeps.

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "zunfert_scene.h"

namespace tolmak::detail {
namespace {

constexpr float kPi = 3.14159265f;

/// Collects vertices and triangles, then fills a mesh. Every triangle runs
/// clockwise seen from the side its normals face, (b - a) x (c - a)
/// pointing against them: the front faces of the video device's default
/// culling, which drops counter-clockwise triangles.
class cMeshBuilder {
 public:
  uint16_t Vertex(const cVector3& position, const cVector3& normal, float u, float v) {
    m_Vertices.push_back({position, normal, cVector2(u, v)});
    return static_cast<uint16_t>(m_Vertices.size() - 1);
  }
  void Triangle(uint16_t a, uint16_t b, uint16_t c) {
    const cVector3 face = (Pos(b) - Pos(a)).Cross(Pos(c) - Pos(a));
    if (face.Dot(Normal(a) + Normal(b) + Normal(c)) > 0) std::swap(b, c);
    m_Indices.insert(m_Indices.end(), {a, b, c});
  }
  void Quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    Triangle(a, b, c);
    Triangle(a, c, d);
  }
  /// A grid of (rows + 1) x (columns + 1) vertices from the surface
  /// function of (u, v) in [0, 1], one quad per cell; the texture repeats
  /// repeat times across.
  void Surface(int rows, int columns,
               const std::function<void(float, float, cVector3&, cVector3&)>& at,
               float repeat = 1) {
    const auto first = static_cast<uint16_t>(m_Vertices.size());
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= columns; ++c) {
        cVector3 position, normal;
        const float u = float(c) / float(columns), v = float(r) / float(rows);
        at(u, v, position, normal);
        Vertex(position, normal, u * repeat, v * repeat);
      }
    const auto index = [&](int r, int c) {
      return static_cast<uint16_t>(first + r * (columns + 1) + c);
    };
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c)
        Quad(index(r, c), index(r, c + 1), index(r + 1, c + 1), index(r + 1, c));
  }
  /// A flat disc of radius at height y facing the normal (0, ±1, 0).
  void Disc(float radius, float y, float facing, int segments) {
    const cVector3 normal(0, facing, 0);
    const uint16_t centre = Vertex(cVector3(0, y, 0), normal, 0.5f, 0.5f);
    for (int s = 0; s <= segments; ++s) {
      const float phi = float(s) / float(segments) * 2 * kPi;
      const float c = std::cos(phi), n = std::sin(phi);
      Vertex(cVector3(radius * c, y, radius * n), normal, 0.5f + c / 2, 0.5f - n / 2);
      if (s > 0)
        Triangle(centre, static_cast<uint16_t>(centre + s), static_cast<uint16_t>(centre + s + 1));
    }
  }
  uint32_t GetIndexCount() const { return static_cast<uint32_t>(m_Indices.size()); }
  void Finish(cMeshModel& mesh) const {
    cVertexBuffer vertices(
        static_cast<uint32_t>(m_Vertices.size()),
        cVertexBuffer::Position | cVertexBuffer::Normal | cVertexBuffer::TextureSetBits(1));
    for (uint32_t i = 0; i < vertices.GetLength(); ++i) {
      vertices.SetPos(i, m_Vertices[i].position);
      vertices.SetNormal(i, m_Vertices[i].normal);
      vertices.SetTexture(i, 0, m_Vertices[i].uv);
    }
    mesh.SetGeometry(vertices,
                     cIndexBuffer(m_Indices.data(), static_cast<uint32_t>(m_Indices.size())));
  }

 private:
  struct cVertex {
    cVector3 position, normal;
    cVector2 uv;
  };
  const cVector3& Pos(uint16_t i) const { return m_Vertices[i].position; }
  const cVector3& Normal(uint16_t i) const { return m_Vertices[i].normal; }

  std::vector<cVertex> m_Vertices;
  std::vector<uint16_t> m_Indices;
};

/// Shapes are built whole before the mesh changes, so that a shape too big
/// for 16-bit indices is refused with the mesh as it was.
void CheckSize(int a, int b, int least, const char* shape) {
  if (a < least || b < least || (a + 1) * (b + 1) > 60000)
    throw cException(__FILE__, __LINE__,
                     cString("cMeshModel::Set", shape) +
                         ": the divisions must be at least 3 (1 for a grid) and "
                         "give at most 60000 vertices");
}

}  // namespace
}  // namespace tolmak::detail

using tolmak::detail::cMeshBuilder;
using tolmak::detail::kPi;

void cMeshModel::SetBox(const cVector3& size) {
  cMeshBuilder builder;
  std::vector<uint32_t> faces;
  for (int axis = 0; axis < 3; ++axis)
    for (float side : {-1.0f, 1.0f}) {
      cVector3 normal, u, v;
      normal[axis] = side;
      u[(axis + 1) % 3] = 1;
      v[(axis + 2) % 3] = 1;
      uint16_t corner[4];
      for (int k = 0; k < 4; ++k) {
        const float a = k == 1 || k == 2 ? 1.0f : -1.0f, b = k >= 2 ? 1.0f : -1.0f;
        const cVector3 p = normal + u * a + v * b;
        corner[k] = builder.Vertex(cVector3(p.x * size.x, p.y * size.y, p.z * size.z) * 0.5f,
                                   normal, (a + 1) / 2, (b + 1) / 2);
      }
      builder.Quad(corner[0], corner[1], corner[2], corner[3]);
    }
  builder.Finish(*this);
  for (uint32_t face = 0; face < 6; ++face) AddSubset(face * 6, 6);
}

void cMeshModel::SetSphere(float radius, int rings, int segments) {
  tolmak::detail::CheckSize(rings, segments, 3, "Sphere");
  cMeshBuilder builder;
  builder.Surface(rings, segments, [radius](float u, float v, cVector3& p, cVector3& n) {
    const float theta = v * kPi, phi = u * 2 * kPi;
    n = cVector3(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    p = n * radius;
  });
  builder.Finish(*this);
}

void cMeshModel::SetCylinder(float radius, float height, int segments) {
  tolmak::detail::CheckSize(segments, 3, 3, "Cylinder");
  cMeshBuilder builder;
  builder.Surface(1, segments, [radius, height](float u, float v, cVector3& p, cVector3& n) {
    const float phi = u * 2 * kPi;
    n = cVector3(std::cos(phi), 0, std::sin(phi));
    p = cVector3(n.x * radius, (0.5f - v) * height, n.z * radius);
  });
  const uint32_t side = builder.GetIndexCount();
  builder.Disc(radius, height / 2, 1, segments);
  builder.Disc(radius, -height / 2, -1, segments);
  builder.Finish(*this);
  const uint32_t cap = (builder.GetIndexCount() - side) / 2;
  AddSubset(0, side);
  AddSubset(side, cap);
  AddSubset(side + cap, cap);
}

void cMeshModel::SetGrid(float size, int cells, float repeat) {
  tolmak::detail::CheckSize(cells, cells, 1, "Grid");
  cMeshBuilder builder;
  builder.Surface(
      cells, cells,
      [size](float u, float v, cVector3& p, cVector3& n) {
        p = cVector3((u - 0.5f) * size, 0, (v - 0.5f) * size);
        n = cVector3(0, 1, 0);
      },
      repeat);
  builder.Finish(*this);
}

void cMeshModel::SetTorus(float major, float minor, int segments, int sides) {
  tolmak::detail::CheckSize(segments, sides, 3, "Torus");
  cMeshBuilder builder;
  builder.Surface(sides, segments, [major, minor](float u, float v, cVector3& p, cVector3& n) {
    const float around = u * 2 * kPi, tube = v * 2 * kPi;
    const cVector3 centre(major * std::cos(around), 0, major * std::sin(around));
    n = cVector3(std::cos(tube) * std::cos(around), std::sin(tube),
                 std::cos(tube) * std::sin(around));
    p = centre + n * minor;
  });
  builder.Finish(*this);
}
