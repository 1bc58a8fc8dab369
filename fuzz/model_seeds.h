#pragma once

// Seeds of the model compiler's targets: small glTF (text and binary) and
// OBJ files of the kinds the compiler's tests write.

#include <string>
#include <utility>
#include <vector>

namespace tolmak::fuzz {

/// Named seed files for the "gltf" or the "obj" target.
std::vector<std::pair<std::string, std::string>> ModelSeeds(const std::string& target);

}  // namespace tolmak::fuzz
