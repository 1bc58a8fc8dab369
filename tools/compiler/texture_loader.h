#pragma once

#include <string>

#include <assimp/scene.h>

#include "zunfert_sprite.h"

namespace tolmak::detail {

/// Decodes a material's texture into the sprite through the plug-in
/// library's image loaders (BMP, PCX, TGA, JPEG, PNG): a picture embedded
/// in the file ("*0" or a name the file embeds), else a file at path,
/// relative to location when not absolute. The picture's kind is told by
/// its first bytes (TGA, which has no signature, by its name). Throws
/// std::runtime_error naming the texture when it cannot be found or decoded.
void LoadTexture(const aiScene& scene, const std::string& path, const std::string& location,
                 cMemorySprite& sprite);

}  // namespace tolmak::detail
