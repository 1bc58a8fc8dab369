#pragma once

// The engine's conventions for what the file gives: row vectors, and
// cameras and lights that look along their +Z axis.

#include <assimp/matrix4x4.h>
#include <assimp/vector3.h>

#include <tolmak.h>

namespace tolmak::detail {

/// The file's column-vector matrix as a row-vector one: the transpose of
/// its rotation part, with its last column as the translation row.
cMatrix4x3 ToMatrix(const aiMatrix4x4& m);

/// The pivot of a camera or light at position looking along direction
/// with up roughly up: rows X = Y x Z (the viewer's left), Y, Z, position.
/// A zero direction looks along +Z; an up along the direction is replaced.
cMatrix4x3 LookFrame(const aiVector3D& position, const aiVector3D& direction, const aiVector3D& up);

}  // namespace tolmak::detail
