#pragma once

// The demo's imported model: examples/models/house.obj, compiled by
// tolmak-compile when the demo is built (where the compiler exists).

#include "zunfert.h"

namespace demo {

/// Loads the compiled house's entity tree, places it on the floor and
/// makes the world own it; null when the build compiled no house. The
/// device then takes diffuse and specular colours from the materials,
/// since compiled meshes carry no vertex colours. Throws
/// std::runtime_error when the compiled files cannot be loaded.
cEntity* LoadImportedModel(cDefaultWorld* world, cVideo3D* video);

}  // namespace demo
