#pragma once

// Assimp reads every file through the engine's stream manager, so a model
// and what it refers to may live on disk or in memory files alike.

#include <cstdint>
#include <string>
#include <vector>

#include <assimp/IOSystem.hpp>

#include <tolmak.h>

namespace tolmak::detail {

/// The whole of a stream; throws std::runtime_error naming what when it
/// cannot be read.
std::vector<uint8_t> ReadAll(iInStream& stream, const std::string& what);

/// Assimp's file system: the model's own file is served from bytes already
/// read, every other name is opened as a URL through the stream manager.
class cStreamIOSystem : public Assimp::IOSystem {
 public:
  /// The model's bytes must outlive the importer that reads through this.
  cStreamIOSystem(std::string modelName, const std::vector<uint8_t>& model);

  bool Exists(const char* file) const override;
  char getOsSeparator() const override { return '/'; }
  Assimp::IOStream* Open(const char* file, const char* mode) override;
  void Close(Assimp::IOStream* stream) override;

 private:
  std::string m_ModelName;
  const std::vector<uint8_t>& m_Model;
};

}  // namespace tolmak::detail
