#include "stream_io.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <assimp/IOStream.hpp>

namespace tolmak::detail {
namespace {

/// A read-only Assimp stream over bytes it either owns or borrows.
class cByteStream : public Assimp::IOStream {
 public:
  explicit cByteStream(const std::vector<uint8_t>& bytes) : m_Bytes(bytes) {}
  explicit cByteStream(std::vector<uint8_t>&& bytes)
      : m_Owned(std::move(bytes)), m_Bytes(m_Owned) {}

  size_t Read(void* buffer, size_t size, size_t count) override {
    if (size == 0) return 0;
    const size_t items = std::min(count, (m_Bytes.size() - m_Position) / size);
    if (items > 0) std::memcpy(buffer, m_Bytes.data() + m_Position, items * size);
    m_Position += items * size;
    return items;
  }
  size_t Write(const void*, size_t, size_t) override { return 0; }
  aiReturn Seek(size_t offset, aiOrigin origin) override {
    const size_t base = origin == aiOrigin_SET   ? 0
                        : origin == aiOrigin_CUR ? m_Position
                                                 : m_Bytes.size();
    if (offset > m_Bytes.size() - base) return aiReturn_FAILURE;
    m_Position = base + offset;
    return aiReturn_SUCCESS;
  }
  size_t Tell() const override { return m_Position; }
  size_t FileSize() const override { return m_Bytes.size(); }
  void Flush() override {}

 private:
  std::vector<uint8_t> m_Owned;
  const std::vector<uint8_t>& m_Bytes;
  size_t m_Position = 0;
};

iIOStream* OpenRead(const char* file) {
  cStreamManager* streams = cStreamManager::GetInstance();
  return streams ? streams->Open(cUrl(cString(file)), cStreamManager::OpenRead) : nullptr;
}

}  // namespace

std::vector<uint8_t> ReadAll(iInStream& stream, const std::string& what) {
  std::vector<uint8_t> bytes;
  const int64_t remaining = stream.GetRemaining();
  if (remaining > INT32_MAX) throw std::runtime_error(what + " is too large");
  if (remaining > 0) bytes.reserve(static_cast<size_t>(remaining));
  uint8_t block[65536];
  while (const uint32_t read = stream.Read(block, sizeof block)) {
    bytes.insert(bytes.end(), block, block + read);
    if (bytes.size() > INT32_MAX) throw std::runtime_error(what + " is too large");
  }
  return bytes;
}

cStreamIOSystem::cStreamIOSystem(std::string modelName, const std::vector<uint8_t>& model)
    : m_ModelName(std::move(modelName)), m_Model(model) {}

bool cStreamIOSystem::Exists(const char* file) const {
  if (m_ModelName == file) return true;
  iIOStream* stream = OpenRead(file);
  if (stream == nullptr) return false;
  stream->Close();
  return true;
}

Assimp::IOStream* cStreamIOSystem::Open(const char* file, const char* mode) {
  if (std::strchr(mode, 'w') != nullptr || std::strchr(mode, 'a') != nullptr) return nullptr;
  if (m_ModelName == file) return new cByteStream(m_Model);
  iIOStream* stream = OpenRead(file);
  if (stream == nullptr) return nullptr;
  try {
    std::vector<uint8_t> bytes = ReadAll(*stream, file);
    stream->Close();
    return new cByteStream(std::move(bytes));
  } catch (const std::exception&) {
    // Assimp reports a file it cannot open; an exception would cross its frames.
    stream->Close();
    return nullptr;
  }
}

void cStreamIOSystem::Close(Assimp::IOStream* stream) {
  delete stream;
}

}  // namespace tolmak::detail
