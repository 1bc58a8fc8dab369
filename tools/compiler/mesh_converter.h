#pragma once

#include <vector>

#include <assimp/mesh.h>

#include "unique_names.h"
#include "zunfert_scene.h"

namespace tolmak::detail {

/// One mesh of the file as engine models.
struct cConvertedMesh {
  /// One model, or several pieces when the mesh has more vertices than a
  /// 16-bit index reaches.
  std::vector<cMeshModel*> m_Pieces;
  /// The vertices carry texture coordinates (set 0).
  bool m_Textured = false;
  int m_Triangles = 0;
};

/// The largest vertex count a piece may hold: indices are 16-bit.
constexpr unsigned kMaxPieceVertices = 65536;

/// Converts a triangulated mesh into models owned by the world: positions,
/// normals (the importer computed missing ones) and the first set of
/// texture coordinates. Triangles keep their order; their last two corners
/// trade places, since the file's front faces run counter-clockwise on the
/// screen and the engine's clockwise. A piece ends where the next triangle would take it past
/// kMaxPieceVertices. Points and lines are left out. Throws std::runtime_error naming the mesh when
/// an index points past its vertices.
cConvertedMesh ConvertMesh(const aiMesh& mesh, cDefaultWorld& world, cUniqueNames& names);

}  // namespace tolmak::detail
