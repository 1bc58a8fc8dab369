#include "shapes.h"

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace demo {
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
  void Finish(cMeshModel& mesh) const {
    cVertexBuffer vertices(static_cast<uint32_t>(m_Vertices.size()), 1 | 2 | 0x10);
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

}  // namespace

void MakeSphere(cMeshModel& mesh, float radius, int rings, int segments) {
  cMeshBuilder builder;
  builder.Surface(rings, segments, [radius](float u, float v, cVector3& p, cVector3& n) {
    const float theta = v * kPi, phi = u * 2 * kPi;
    n = cVector3(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    p = n * radius;
  });
  builder.Finish(mesh);
}

void MakeTorus(cMeshModel& mesh, float major, float minor, int segments, int sides) {
  cMeshBuilder builder;
  builder.Surface(sides, segments, [major, minor](float u, float v, cVector3& p, cVector3& n) {
    const float around = u * 2 * kPi, tube = v * 2 * kPi;
    const cVector3 centre(major * std::cos(around), 0, major * std::sin(around));
    n = cVector3(std::cos(tube) * std::cos(around), std::sin(tube),
                 std::cos(tube) * std::sin(around));
    p = centre + n * minor;
  });
  builder.Finish(mesh);
}

void MakeBox(cMeshModel& mesh, float half) {
  cMeshBuilder builder;
  for (int axis = 0; axis < 3; ++axis)
    for (float side : {-1.0f, 1.0f}) {
      cVector3 normal, u, v;
      normal[axis] = side;
      u[(axis + 1) % 3] = 1;
      v[(axis + 2) % 3] = 1;
      uint16_t corner[4];
      for (int k = 0; k < 4; ++k) {
        const float a = k == 1 || k == 2 ? 1.0f : -1.0f, b = k >= 2 ? 1.0f : -1.0f;
        corner[k] =
            builder.Vertex((normal + u * a + v * b) * half, normal, (a + 1) / 2, (b + 1) / 2);
      }
      builder.Quad(corner[0], corner[1], corner[2], corner[3]);
    }
  builder.Finish(mesh);
}

void MakeGrid(cMeshModel& mesh, float size, int cells, float repeat) {
  cMeshBuilder builder;
  builder.Surface(
      cells, cells,
      [size](float u, float v, cVector3& p, cVector3& n) {
        p = cVector3((u - 0.5f) * size, 0, (v - 0.5f) * size);
        n = cVector3(0, 1, 0);
      },
      repeat);
  builder.Finish(mesh);
}

}  // namespace demo
