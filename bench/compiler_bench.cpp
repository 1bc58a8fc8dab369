// The model compiler against the importer it is built on, on a binary glTF
// of a million triangles: compiling costs the import and our conversion
// and writing on top; loading the compiled scene through LoadPlugin is what
// a game pays instead of importing the file at every start.
//
// Peak memory is measured once per operation in a new process of its own
// (its peak resident size, less that of one that does nothing).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include "bench_main.h"
#include "gltf_packing.h"
#include "import_steps.h"
#include "tolmak_scene_compiler.h"
#include "zunfert.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSide = 709;  // 2 x 708 x 708 = 1,002,528 triangles
const fs::path kFolder = fs::temp_directory_path() / "tolmak_bench_compiler";
const std::string kModel = (kFolder / "terrain.glb").string();
const std::string kWorld = (kFolder / "compiled" / "terrain.world").string();

template <class T>
void AppendAll(std::string& bytes, const std::vector<T>& values) {
  bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

/// A rolling terrain as a binary glTF: positions, normals, 32-bit indices.
void WriteTerrain() {
  std::vector<float> positions, normals;
  std::vector<uint32_t> indices;
  for (uint32_t j = 0; j < kSide; ++j)
    for (uint32_t i = 0; i < kSide; ++i) {
      const float x = static_cast<float>(i), z = static_cast<float>(j);
      positions.insert(positions.end(), {x, 3.0f * std::sin(x * 0.05f) * std::cos(z * 0.07f), z});
      normals.insert(normals.end(), {0, 1, 0});
    }
  for (uint32_t j = 0; j + 1 < kSide; ++j)
    for (uint32_t i = 0; i + 1 < kSide; ++i) {
      const uint32_t at = j * kSide + i;
      indices.insert(indices.end(), {at, at + kSide, at + kSide + 1, at, at + kSide + 1, at + 1});
    }
  std::string buffer;
  AppendAll(buffer, positions);
  AppendAll(buffer, normals);
  AppendAll(buffer, indices);
  const size_t p = positions.size() * 4, n = normals.size() * 4, k = indices.size() * 4;
  const uint32_t vertices = kSide * kSide;
  std::string json =
      R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"Terrain","mesh":0}],)"
      R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"NORMAL":1},"indices":2}]}],"accessors":[)"
      R"({"bufferView":0,"componentType":5126,"count":)" +
      std::to_string(vertices) +
      R"(,"type":"VEC3","min":[0,-3,0],"max":[708,3,708]},{"bufferView":1,"componentType":5126,"count":)" +
      std::to_string(vertices) +
      R"(,"type":"VEC3"},{"bufferView":2,"componentType":5125,"count":)" +
      std::to_string(indices.size()) + R"(,"type":"SCALAR"}],"bufferViews":[)" +
      R"({"buffer":0,"byteLength":)" + std::to_string(p) + R"(},{"buffer":0,"byteOffset":)" +
      std::to_string(p) + R"(,"byteLength":)" + std::to_string(n) +
      R"(},{"buffer":0,"byteOffset":)" + std::to_string(p + n) + R"(,"byteLength":)" +
      std::to_string(k) + R"(}],"buffers":[{"byteLength":)" + std::to_string(buffer.size()) + "}]}";
  fs::create_directories(fs::path(kWorld).parent_path());
  std::ofstream(kModel, std::ios::binary) << tolmak::test::BinaryGltf(json, buffer);
}

bool Import() {
  Assimp::Importer importer;
  return importer.ReadFile(kModel, tolmak::detail::kImportSteps) != nullptr;
}

bool Compile() {
  cSceneCompiler compiler;
  return compiler.CompileFile(cUrl(cString(kModel.c_str())), cUrl(cString(kWorld.c_str())));
}

bool Load() {
  cObject* world = cPluginSystem::GetInstance()->LoadPlugin(cUrl(cString(kWorld.c_str())));
  cPluginSystem::GetInstance()->Destroy(world);
  return world != nullptr;
}

const struct {
  const char* name;
  bool (*run)();
} kOperations[] = {
    {"none", [] { return true; }}, {"import", Import}, {"compile", Compile}, {"load", Load}};

/// This process's peak resident kilobytes, from the kernel's high-water mark.
long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

/// Peak resident megabytes of a new run of this program that does the
/// operation once (the environment tells it which) and prints its own
/// high-water mark: a forked child would count the parent's pages.
double ChildPeakMegabytes(const char* operation) {
  const std::string command = "TOLMAK_BENCH_PEAK=" + std::string(operation) + " '" +
                              fs::read_symlink("/proc/self/exe").string() + "'";
  FILE* child = popen(command.c_str(), "r");
  long kilobytes = -1;
  if (child == nullptr || std::fscanf(child, "%ld", &kilobytes) != 1) kilobytes = -1;
  if (child != nullptr && pclose(child) != 0) kilobytes = -1;
  return kilobytes / 1024.0;
}

void Measure(benchmark::State& state, bool (*operation)(), const char* name) {
  for (auto _ : state)
    if (!operation()) state.SkipWithError("the operation failed");
  static const double idle = ChildPeakMegabytes("none");
  state.counters["peak_MB"] = ChildPeakMegabytes(name) - idle;
  state.counters["triangles"] = 2.0 * (kSide - 1) * (kSide - 1);
}

}  // namespace

bool RegisterBenchmarks() {
  cPluginSystem::GetInstance()->LinkDLL("Zunfert.dll");
  cStreamManager::New();
  if (const char* peak = std::getenv("TOLMAK_BENCH_PEAK")) {
    for (const auto& operation : kOperations)
      if (std::strcmp(operation.name, peak) == 0 && operation.run()) {
        std::printf("%ld\n", PeakKilobytes());
        std::fflush(stdout);
        _exit(0);
      }
    _exit(1);
  }
  WriteTerrain();
  cSceneCompiler compiler;
  if (!compiler.CompileFile(cUrl(cString(kModel.c_str())), cUrl(cString(kWorld.c_str())))) {
    std::fprintf(stderr, "bench_compiler: %s\n", compiler.GetError().c_str());
    return false;
  }
  benchmark::RegisterBenchmark("Model/AssimpImport", Measure, Import, "import")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Model/Compile", Measure, Compile, "compile")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Model/LoadCompiled", Measure, Load, "load")
      ->Unit(benchmark::kMillisecond);
  return true;
}
