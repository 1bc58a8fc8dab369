#pragma once

// Meshes for the demo: positions, normals and one set of texture
// coordinates, every triangle clockwise as seen from outside.

#include "zunfert.h"

namespace demo {

void MakeSphere(cMeshModel& mesh, float radius, int rings, int segments);
/// A ring of radius major around Y, its tube of radius minor.
void MakeTorus(cMeshModel& mesh, float major, float minor, int segments, int sides);
void MakeBox(cMeshModel& mesh, float half);
/// A square of side size in the XZ plane facing +Y, cells by cells.
void MakeGrid(cMeshModel& mesh, float size, int cells, float repeat);

}  // namespace demo
