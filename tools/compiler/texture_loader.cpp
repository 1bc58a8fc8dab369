#include "texture_loader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "stream_io.h"

namespace tolmak::detail {
namespace {

bool StartsWith(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> signature) {
  return bytes.size() >= signature.size() &&
         std::equal(signature.begin(), signature.end(), bytes.begin());
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

/// The loader for the picture, or null when no loader knows it.
std::unique_ptr<cMemorySprite> LoaderFor(const std::vector<uint8_t>& bytes,
                                         const std::string& name) {
  if (StartsWith(bytes, {0x89, 'P', 'N', 'G'})) return std::make_unique<cPngSprite>();
  if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) return std::make_unique<cJpegSprite>();
  if (StartsWith(bytes, {'B', 'M'})) return std::make_unique<cBmpSprite>();
  if (StartsWith(bytes, {0x0A})) return std::make_unique<cPcxSprite>();
  if (EndsWithNoCase(name, ".tga")) return std::make_unique<cTgaSprite>();
  return nullptr;
}

void Decode(const std::vector<uint8_t>& bytes, const std::string& name, cMemorySprite& sprite) {
  std::unique_ptr<cMemorySprite> loader = LoaderFor(bytes, name);
  if (!loader)
    throw std::runtime_error("texture \"" + name +
                             "\" is not a BMP, PCX, TGA, JPEG or PNG picture");
  cMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()),
                       cUrl(cString(name.c_str())));
  try {
    loader->Load(stream);
  } catch (const std::exception& error) {
    throw std::runtime_error("texture \"" + name + "\" cannot be decoded: " + error.what());
  }
  if (!sprite.CreateFrom(loader.get(), 0, 0))
    throw std::runtime_error("texture \"" + name + "\" cannot be held in memory");
}

/// An embedded picture of texels (not a compressed file).
void CopyTexels(const aiTexture& texture, const std::string& name, cMemorySprite& sprite) {
  cMemorySprite texels;
  texels.SetPixelFormat(cPixelFormat::ARGB8888);
  if (!texels.Create({static_cast<int>(texture.mWidth), static_cast<int>(texture.mHeight)}, 1))
    throw std::runtime_error("texture \"" + name + "\" has an impossible size");
  // aiTexel is blue, green, red, alpha: an ARGB 8888 word, least significant first.
  static_assert(sizeof(aiTexel) == 4);
  std::memcpy(texels.GetFramePtr(0), texture.pcData, texels.GetFrameBytes());
  if (!sprite.CreateFrom(&texels, 0, 0))
    throw std::runtime_error("texture \"" + name + "\" cannot be held in memory");
}

}  // namespace

void LoadTexture(const aiScene& scene, const std::string& path, const std::string& location,
                 cMemorySprite& sprite) {
  if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.c_str())) {
    if (embedded->mHeight != 0) return CopyTexels(*embedded, path, sprite);
    const auto* data = reinterpret_cast<const uint8_t*>(embedded->pcData);
    Decode(std::vector<uint8_t>(data, data + embedded->mWidth), path, sprite);
    return;
  }
  const bool absolute =
      !path.empty() && (path[0] == '/' || path[0] == '\\' || path.find(':') != std::string::npos);
  const std::string url = absolute ? path : location + path;
  cStreamManager* streams = cStreamManager::GetInstance();
  iIOStream* stream =
      streams ? streams->Open(cUrl(cString(url.c_str())), cStreamManager::OpenRead) : nullptr;
  if (stream == nullptr) throw std::runtime_error("texture \"" + url + "\" cannot be found");
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadAll(*stream, "texture \"" + url + "\"");
  } catch (...) {
    stream->Close();
    throw;
  }
  stream->Close();
  Decode(bytes, url, sprite);
}

}  // namespace tolmak::detail
