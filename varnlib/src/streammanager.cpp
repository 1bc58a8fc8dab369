#include <cstdint>
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
    const bool writing = IsWriting();
    const bool prepared = Prepare();
    if (writing && m_Owner->Defer(this, prepared)) return prepared;
    const bool committed = prepared && Publish();
    m_Owner->Release(this);  // destroys this stream
    return committed;
  }

  void Abandon() override {
    if (IsWriting()) m_Owner->Defer(nullptr, false);  // a group loses a part: none of it is kept
    m_Owner->Release(this);
  }

  virtual bool IsWriting() const = 0;
  /// Ends writing and keeps what was written aside; false when not all of
  /// it was written (it is then dropped). True for a stream that reads.
  virtual bool Prepare() = 0;
  /// Puts what Prepare kept aside in its place.
  virtual bool Publish() = 0;

 protected:
  cStreamManager* Owner() const { return m_Owner; }

 private:
  cStreamManager* m_Owner;
  cUrl m_Url;
};

namespace {

/// A memory file, or a file on disk read whole when it was opened: reads see
/// the file as it was then; writes replace the memory file when the stream
/// is closed.
class cMemoryFileStream final : public cManagedStream {
 public:
  cMemoryFileStream(cStreamManager* owner, const cUrl& url, const std::vector<uint8_t>* contents)
      : cManagedStream(owner, url),
        m_Writing(contents == nullptr),
        m_Bytes(contents ? contents->data() : nullptr,
                contents ? static_cast<uint32_t>(contents->size()) : 0, url) {}

  uint32_t Read(void* buffer, uint32_t size) override {
    return m_Writing ? 0 : m_Bytes.Read(buffer, size);
  }
  int64_t GetRemaining() const override { return m_Writing ? 0 : m_Bytes.GetRemaining(); }
  uint32_t Write(const void* buffer, uint32_t size) override {
    if (!IsWriting() || m_Failed) return 0;
    const uint32_t count = m_Bytes.Write(buffer, size);
    m_Failed = count != size;
    return count;
  }

  bool IsWriting() const override { return m_Writing && !m_Prepared; }
  bool Prepare() override {
    m_Prepared = true;
    return !m_Failed;
  }
  bool Publish() override {
    if (!m_Writing || m_Failed) return !m_Failed;
    Owner()->SetMemoryFile(GetUrl(), m_Bytes.GetData(), m_Bytes.GetSize());
    return true;
  }

 private:
  const bool m_Writing;
  bool m_Prepared = false;
  bool m_Failed = false;
  cMemoryStream m_Bytes;
};

/// A file on disk being written. Writing goes to a temporary file beside the
/// target that replaces the target only when everything was written, so a
/// failed or interrupted save never destroys the file saved before.
class cFileStream final : public cManagedStream {
 public:
  cFileStream(cStreamManager* owner, const cUrl& url, std::FILE* file,
              std::filesystem::path temporary)
      : cManagedStream(owner, url), m_File(file), m_Temporary(std::move(temporary)) {}

  ~cFileStream() override {
    if (m_File) std::fclose(m_File);
    Discard();
  }

  uint32_t Read(void*, uint32_t) override { return 0; }
  int64_t GetRemaining() const override { return 0; }

  uint32_t Write(const void* buffer, uint32_t size) override {
    if (!IsWriting() || m_Failed) return 0;
    const auto count = static_cast<uint32_t>(std::fwrite(buffer, 1, size, m_File));
    m_Failed = count != size;
    return count;
  }

  bool IsWriting() const override { return m_File != nullptr; }

  bool Prepare() override {
    if (!IsWriting()) return !m_Temporary.empty();
    const bool written = std::fflush(m_File) == 0 && !std::ferror(m_File) && !m_Failed;
    const bool closed = std::fclose(m_File) == 0;
    m_File = nullptr;
    if (written && closed) return true;
    Discard();
    return false;
  }

  bool Publish() override {
    if (m_Temporary.empty()) return false;  // dropped by Prepare
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
  void Discard() {
    if (m_Temporary.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(m_Temporary, ignored);
    m_Temporary.clear();
  }

  std::FILE* m_File;
  std::filesystem::path m_Temporary;  // until it replaces the target or is dropped
  bool m_Failed = false;
};

cStreamManager* gInstance = nullptr;

std::string Key(const cUrl& url) {
  return std::string(url.GetText().c_str(), static_cast<size_t>(url.GetText().GetLength()));
}

/// Reads the whole file, so that no file stays open while the loads nested
/// in this one open theirs: a process may hold only so many files open (on
/// Windows, 512 streams by default), fewer than loads may nest. Null when
/// the file cannot be read whole or passes the 4 GiB a stream can hold.
iIOStream* OpenFileForReading(cStreamManager* owner, const cUrl& url) {
  const std::filesystem::path path(url.GetText().c_str());
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > UINT32_MAX) return nullptr;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) return nullptr;
  std::vector<uint8_t> bytes(size);
  const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  std::fclose(file);
  return read ? new cMemoryFileStream(owner, url, &bytes) : nullptr;
}

iIOStream* OpenFileForWriting(cStreamManager* owner, const cUrl& url) {
  static unsigned counter = 0;
  std::filesystem::path temporary(url.GetText().c_str());
  std::error_code error;
  if (temporary.empty() || std::filesystem::is_directory(temporary, error)) return nullptr;
  temporary += cString::StringF(".%u.tmp", ++counter).c_str();
  std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
  if (file == nullptr) return nullptr;
  return new cFileStream(owner, url, file, temporary);
}

}  // namespace
}  // namespace varn::detail

using varn::detail::gInstance;
using varn::detail::Key;

struct cStreamManager::cImpl {
  std::map<std::string, std::vector<uint8_t>> memoryFiles;
  std::vector<iIOStream*> open;
  int32_t groupDepth = 0;
  bool groupFailed = false;
  // Streams closed inside the group, in the order they were closed.
  std::vector<varn::detail::cManagedStream*> deferred;
};

cStreamManager::cStreamManager() : m_Impl(new cImpl) {}

cStreamManager::~cStreamManager() {
  // A group still open was interrupted: none of it is committed.
  m_Impl->groupDepth = 1;
  EndGroup(false);
  // Close commits: a stream the caller forgot to close loses nothing.
  while (!m_Impl->open.empty()) m_Impl->open.back()->Close();
  delete m_Impl;
}

void cStreamManager::BeginGroup() {
  if (m_Impl->groupDepth++ == 0) m_Impl->groupFailed = false;
}

bool cStreamManager::EndGroup(bool commit) {
  if (m_Impl->groupDepth == 0) return false;
  if (!commit) m_Impl->groupFailed = true;
  if (--m_Impl->groupDepth > 0) return !m_Impl->groupFailed;
  bool committed = !m_Impl->groupFailed;
  std::vector<varn::detail::cManagedStream*> streams;
  streams.swap(m_Impl->deferred);
  for (varn::detail::cManagedStream* stream : streams) {
    if (committed) committed = stream->Publish();
    Release(stream);  // drops what was not published
  }
  return committed;
}

bool cStreamManager::Defer(varn::detail::cManagedStream* stream, bool prepared) {
  if (m_Impl->groupDepth == 0) return false;
  if (!prepared) m_Impl->groupFailed = true;
  if (stream != nullptr) m_Impl->deferred.push_back(stream);
  return true;
}

cStreamManager* cStreamManager::New() {
  if (gInstance == nullptr) gInstance = new cStreamManager;
  return gInstance;
}

cStreamManager* cStreamManager::GetInstance() {
  return gInstance;
}

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
      if (file != m_Impl->memoryFiles.end())
        stream = new cMemoryFileStream(this, url, &file->second);
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

bool cStreamManager::DeleteMemoryFile(const cUrl& url) {
  return m_Impl->memoryFiles.erase(Key(url)) > 0;
}
