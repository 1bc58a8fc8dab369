#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "varn_stream.h"

namespace varn::detail {

/// A stream handed out by the manager: Close commits it and gives it back.
class cManagedStream : public iIOStream {
 public:
  cManagedStream(cStreamManager* owner, const cUrl& url) : m_Owner(owner), m_Url(url) {}

  const cUrl& GetUrl() const override { return m_Url; }

  bool Close() override {
    const bool committed = Commit();
    m_Owner->Release(this);  // destroys this stream
    return committed;
  }

  void Abandon() override { m_Owner->Release(this); }

  /// Puts what was written in its place; true when there was nothing to do.
  virtual bool Commit() = 0;

 protected:
  cStreamManager* Owner() const { return m_Owner; }

 private:
  cStreamManager* m_Owner;
  cUrl m_Url;
};

namespace {

/// A memory file: reads see the file as it was when opened; writes replace
/// the file when the stream is closed.
class cMemoryFileStream final : public cManagedStream {
 public:
  cMemoryFileStream(cStreamManager* owner, const cUrl& url, const std::vector<uint8_t>* contents)
      : cManagedStream(owner, url),
        m_Writing(contents == nullptr),
        m_Bytes(contents ? contents->data() : nullptr,
                contents ? static_cast<uint32_t>(contents->size()) : 0, url) {}

  uint32_t Read(void* buffer, uint32_t size) override { return m_Writing ? 0 : m_Bytes.Read(buffer, size); }
  int64_t GetRemaining() const override { return m_Writing ? 0 : m_Bytes.GetRemaining(); }
  uint32_t Write(const void* buffer, uint32_t size) override {
    if (!m_Writing || m_Failed) return 0;
    const uint32_t count = m_Bytes.Write(buffer, size);
    m_Failed = count != size;
    return count;
  }

  bool Commit() override {
    if (!m_Writing) return true;
    m_Writing = false;
    if (m_Failed) return false;
    Owner()->SetMemoryFile(GetUrl(), m_Bytes.GetData(), m_Bytes.GetSize());
    return true;
  }

 private:
  bool m_Writing;
  bool m_Failed = false;
  cMemoryStream m_Bytes;
};

/// A file on disk. Writing goes to a temporary file beside the target that
/// replaces the target only when everything was written, so a failed or
/// interrupted save never destroys the file saved before.
class cFileStream final : public cManagedStream {
 public:
  cFileStream(cStreamManager* owner, const cUrl& url, std::FILE* file, int64_t size,
              std::filesystem::path temporary)
      : cManagedStream(owner, url), m_File(file), m_Remaining(size), m_Temporary(std::move(temporary)) {}

  ~cFileStream() override {
    if (m_File) std::fclose(m_File);
    Discard();
  }

  uint32_t Read(void* buffer, uint32_t size) override {
    if (IsWriting()) return 0;
    const auto count = static_cast<uint32_t>(std::fread(buffer, 1, size, m_File));
    m_Remaining -= count;
    return count;
  }

  int64_t GetRemaining() const override { return IsWriting() ? 0 : m_Remaining; }

  uint32_t Write(const void* buffer, uint32_t size) override {
    if (!IsWriting() || m_Failed) return 0;
    const auto count = static_cast<uint32_t>(std::fwrite(buffer, 1, size, m_File));
    m_Failed = count != size;
    return count;
  }

  bool Commit() override {
    if (!IsWriting()) return true;
    const bool written = std::fflush(m_File) == 0 && !std::ferror(m_File) && !m_Failed;
    const bool closed = std::fclose(m_File) == 0;
    m_File = nullptr;
    if (!written || !closed) {
      Discard();
      return false;
    }
    std::error_code error;
    std::filesystem::rename(m_Temporary, std::filesystem::path(GetUrl().GetText().c_str()), error);
    if (error) {
      Discard();
      return false;
    }
    m_Temporary.clear();
    return true;
  }

 private:
  bool IsWriting() const { return !m_Temporary.empty(); }

  void Discard() {
    if (m_Temporary.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(m_Temporary, ignored);
    m_Temporary.clear();
  }

  std::FILE* m_File;
  int64_t m_Remaining;
  std::filesystem::path m_Temporary;  // empty for a stream that reads
  bool m_Failed = false;
};

cStreamManager* gInstance = nullptr;

std::string Key(const cUrl& url) { return std::string(url.GetText().c_str(), static_cast<size_t>(url.GetText().GetLength())); }

iIOStream* OpenFileForReading(cStreamManager* owner, const cUrl& url) {
  const std::filesystem::path path(url.GetText().c_str());
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return nullptr;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) return nullptr;
  return new cFileStream(owner, url, file, static_cast<int64_t>(size), {});
}

iIOStream* OpenFileForWriting(cStreamManager* owner, const cUrl& url) {
  static unsigned counter = 0;
  std::filesystem::path temporary(url.GetText().c_str());
  std::error_code error;
  if (temporary.empty() || std::filesystem::is_directory(temporary, error)) return nullptr;
  temporary += cString::StringF(".%u.tmp", ++counter).c_str();
  std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
  if (file == nullptr) return nullptr;
  return new cFileStream(owner, url, file, 0, temporary);
}

}  // namespace
}  // namespace varn::detail

using varn::detail::gInstance;
using varn::detail::Key;

struct cStreamManager::cImpl {
  std::map<std::string, std::vector<uint8_t>> memoryFiles;
  std::vector<iIOStream*> open;
};

cStreamManager::cStreamManager() : m_Impl(new cImpl) {}

cStreamManager::~cStreamManager() {
  // Close commits: a stream the caller forgot to close loses nothing.
  while (!m_Impl->open.empty()) m_Impl->open.back()->Close();
  delete m_Impl;
}

cStreamManager* cStreamManager::New() {
  if (gInstance == nullptr) gInstance = new cStreamManager;
  return gInstance;
}

cStreamManager* cStreamManager::GetInstance() { return gInstance; }

void cStreamManager::Delete() {
  delete gInstance;
  gInstance = nullptr;
}

iIOStream* cStreamManager::Open(const cUrl& url, int32_t mode) {
  using namespace varn::detail;
  iIOStream* stream = nullptr;
  if (url.IsMemory()) {
    if (mode == OpenWrite) {
      stream = new cMemoryFileStream(this, url, nullptr);
    } else if (mode == OpenRead) {
      const auto file = m_Impl->memoryFiles.find(Key(url));
      if (file != m_Impl->memoryFiles.end()) stream = new cMemoryFileStream(this, url, &file->second);
    }
  } else if (mode == OpenWrite) {
    stream = OpenFileForWriting(this, url);
  } else if (mode == OpenRead) {
    stream = OpenFileForReading(this, url);
  }
  if (stream) m_Impl->open.push_back(stream);
  return stream;
}

void cStreamManager::Release(iIOStream* stream) {
  std::erase(m_Impl->open, stream);
  delete stream;
}

void cStreamManager::SetMemoryFile(const cUrl& url, const void* data, uint32_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  m_Impl->memoryFiles[Key(url)].assign(bytes, bytes + (bytes ? size : 0));
}

bool cStreamManager::GetMemoryFile(const cUrl& url, tArray<uint8_t>& out) const {
  const auto file = m_Impl->memoryFiles.find(Key(url));
  if (file == m_Impl->memoryFiles.end()) return false;
  out.SetCount(static_cast<int32_t>(file->second.size()));
  if (!file->second.empty()) std::memcpy(out.GetData(), file->second.data(), file->second.size());
  return true;
}

bool cStreamManager::DeleteMemoryFile(const cUrl& url) { return m_Impl->memoryFiles.erase(Key(url)) > 0; }
