#pragma once

#include <assimp/postprocess.h>

namespace tolmak::detail {

/// What the importer does to a file before the compiler converts it:
/// triangles only (points and lines are dropped), normals where the file
/// has none, shared vertices joined, texture rows top first as the engine
/// samples them, and a validated structure.
constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                  aiProcess_JoinIdenticalVertices | aiProcess_SortByPType |
                                  aiProcess_FlipUVs | aiProcess_ValidateDataStructure;

}  // namespace tolmak::detail
