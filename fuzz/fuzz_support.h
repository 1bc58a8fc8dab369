#pragma once

// Shared by the fuzz targets and the seed generator: concrete classes for
// the abstract readers (the scene ones are the scene tests'), the layout of
// a multi-file input, and the checks that turn a wrong answer into a crash
// libFuzzer reports.

#include <tolmak.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene_classes.h"

namespace tolmak::fuzz {

/// Stops the run with a message: libFuzzer records the input as a crash.
[[noreturn]] inline void Fault(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

inline void Expect(bool condition, const char* what) {
  if (!condition) Fault(what);
}

/// What a buffer's Save writes.
template <class tBuffer>
std::string Saved(const tBuffer& buffer) {
  cMemoryStream out;
  buffer.Save(out);
  return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
}

/// Loads a buffer; a load that throws must leave it empty.
template <class tBuffer>
bool LoadBuffer(tBuffer& buffer, iInStream& in) {
  try {
    buffer.Load(in);
    return true;
  } catch (const cException&) {
    Expect(buffer.IsEmpty() && buffer.GetLength() == 0, "a failed load leaves the buffer empty");
    return false;
  }
}

/// Bytes read through an iIOStream that cannot tell how much it holds, as a
/// pipe would: the readers must then grow with what arrives.
class cUnsizedStream : public cMemoryStream {
 public:
  using cMemoryStream::cMemoryStream;
  int64_t GetRemaining() const override { return -1; }
};

class cFuzzSprite : public cSprite {
 public:
  bool Create(const tSize<int>&, int) override { return false; }
  bool CreateFrom(cSprite*, int, int) override { return false; }
  void* GetFramePtr(int) override { return nullptr; }
  void ReleaseFrames() override {}
};

using scene_test::cLiveCount;
using scene_test::cTestEntity;
using scene_test::cTestMaterial;
using scene_test::cTestModel;
using scene_test::DestroyLoaded;
using scene_test::gcTestEntityDesc;
using scene_test::gcTestMaterialDesc;
using scene_test::gcTestModelDesc;

inline void RegisterSceneClasses() {
  for (iClassDesc* desc :
       {static_cast<iClassDesc*>(&gcTestEntityDesc), static_cast<iClassDesc*>(&gcTestMaterialDesc),
        static_cast<iClassDesc*>(&gcTestModelDesc)})
    cPluginSystem::GetInstance()->Register(desc);
}

// A scene input is several memory files joined by the separator; file i is
// stored at kSceneFolder followed by i, so that references written as
// "mem://s/1" resolve. The target puts the class identifier of the reader
// it tests in front of file 0.
inline constexpr char kSceneFolder[] = "mem://s/";
inline constexpr char kSeparator[] = "=FILE=";
inline constexpr int kMaxFiles = 8;

inline std::vector<std::string> SplitFiles(const uint8_t* data, size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const std::string separator(kSeparator);
  std::vector<std::string> files;
  size_t start = 0;
  while (files.size() + 1 < kMaxFiles) {
    const size_t at = all.find(separator, start);
    if (at == std::string::npos) break;
    files.push_back(all.substr(start, at - start));
    start = at + separator.size();
  }
  files.push_back(all.substr(start));
  return files;
}

inline std::string JoinFiles(const std::vector<std::string>& files) {
  std::string all;
  for (size_t i = 0; i < files.size(); ++i) all += (i ? kSeparator : "") + files[i];
  return all;
}

inline cUrl SceneUrl(int i) {
  return cUrl(cString::StringF("%s%d", kSceneFolder, i));
}

}  // namespace tolmak::fuzz
