#pragma once

// The demo's own pictures: four textures drawn here and written in the four
// image formats the engine loads, so that no outside image file is needed.

#include <string>
#include <vector>

#include <tolmak.h>

namespace demo {

struct cTextureFile {
  cApplicationEx::EImageType type;
  std::string path;
  /// What the picture shows, for the summary.
  std::string what;
};

/// Writes bricks.bmp (8-bit, RLE), rings.pcx (24-bit), marble.jpg and
/// stripes.tga (32-bit with alpha, RLE) into the folder; throws
/// std::runtime_error when a file cannot be written.
std::vector<cTextureFile> WriteTextures(const std::string& folder);

}  // namespace demo
