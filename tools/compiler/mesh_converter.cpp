#include "mesh_converter.h"

#include <stdexcept>
#include <string>

#include "scene_objects.h"

namespace tolmak::detail {
namespace {

constexpr uint32_t kPosition = 1, kNormal = 2, kOneTextureSet = 0x10;

/// Gathers triangles into pieces, renumbering the vertices of each.
class cPieceBuilder {
 public:
  cPieceBuilder(const aiMesh& mesh, cDefaultWorld& world, cUniqueNames& names,
                cConvertedMesh& result)
      : m_Mesh(mesh),
        m_World(world),
        m_Names(names),
        m_Result(result),
        m_Stamp(mesh.mNumVertices, 0),
        m_Slot(mesh.mNumVertices, 0) {}

  void AddTriangle(const unsigned* corners) {
    unsigned fresh = 0;
    for (int i = 0; i < 3; ++i) {
      if (corners[i] >= m_Mesh.mNumVertices)
        throw std::runtime_error(std::string("mesh \"") + m_Mesh.mName.C_Str() +
                                 "\": a triangle points past its vertices");
      bool known = m_Stamp[corners[i]] == m_Piece;
      for (int j = 0; j < i; ++j) known = known || corners[j] == corners[i];
      fresh += known ? 0 : 1;
    }
    if (m_Used.size() + fresh > kMaxPieceVertices) Flush();
    // The file's front faces run counter-clockwise on the screen, the
    // engine's clockwise: the last two corners trade places.
    for (const int i : {0, 2, 1}) {
      const unsigned vertex = corners[i];
      if (m_Stamp[vertex] != m_Piece) {
        m_Stamp[vertex] = m_Piece;
        m_Slot[vertex] = static_cast<uint32_t>(m_Used.size());
        m_Used.push_back(vertex);
      }
      m_Indices.push_back(static_cast<uint16_t>(m_Slot[vertex]));
    }
  }

  void Flush() {
    if (m_Indices.empty()) return;
    const uint32_t format = kPosition | kNormal | (m_Result.m_Textured ? kOneTextureSet : 0);
    cVertexBuffer vertices(static_cast<uint32_t>(m_Used.size()), format);
    for (uint32_t i = 0; i < m_Used.size(); ++i) {
      const unsigned source = m_Used[i];
      const aiVector3D& p = m_Mesh.mVertices[source];
      vertices.SetPos(i, cVector3(p.x, p.y, p.z));
      const aiVector3D n = m_Mesh.mNormals ? m_Mesh.mNormals[source] : aiVector3D(0, 1, 0);
      vertices.SetNormal(i, cVector3(n.x, n.y, n.z));
      if (m_Result.m_Textured) {
        const aiVector3D& uv = m_Mesh.mTextureCoords[0][source];
        vertices.SetTexture(i, 0, cVector2(uv.x, uv.y));
      }
    }
    const cIndexBuffer indices(m_Indices.data(), static_cast<uint32_t>(m_Indices.size()));
    auto* model =
        MakeOwned<cMeshModel>(m_World, m_Names.Claim(m_Mesh.mName.C_Str(), "Mesh", ".mesh"));
    model->SetGeometry(vertices, indices);
    m_Result.m_Pieces.push_back(model);
    m_Used.clear();
    m_Indices.clear();
    ++m_Piece;
  }

 private:
  const aiMesh& m_Mesh;
  cDefaultWorld& m_World;
  cUniqueNames& m_Names;
  cConvertedMesh& m_Result;
  /// The piece that last took each vertex (pieces count from 1) and its
  /// number there: no clearing between pieces.
  std::vector<uint32_t> m_Stamp, m_Slot;
  uint32_t m_Piece = 1;
  std::vector<unsigned> m_Used;
  std::vector<uint16_t> m_Indices;
};

}  // namespace

cConvertedMesh ConvertMesh(const aiMesh& mesh, cDefaultWorld& world, cUniqueNames& names) {
  cConvertedMesh result;
  result.m_Textured = mesh.mTextureCoords[0] != nullptr;
  cPieceBuilder builder(mesh, world, names, result);
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices != 3) continue;
    builder.AddTriangle(face.mIndices);
    ++result.m_Triangles;
  }
  builder.Flush();
  return result;
}

}  // namespace tolmak::detail
