// tolmak-compile: turns a model file into the engine's scene files.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <io.h>
#define COMPILE_ISATTY(file) _isatty(_fileno(file))
#else
#include <unistd.h>
#define COMPILE_ISATTY(file) isatty(fileno(file))
#endif

#include "tolmak_scene_compiler.h"

namespace {

const char* const kUsage =
    "usage: tolmak-compile MODEL WORLD\n"
    "  MODEL  a model file: glTF (.gltf, .glb), OBJ, FBX, Collada, 3DS, PLY, STL, ...\n"
    "  WORLD  the world file to write (e.g. out/scene.world); the scene's other\n"
    "         files are written beside it\n";

const char* StageName(int32_t stage) {
  switch (stage) {
    case cSceneCompiler::Reading:
      return "reading";
    case cSceneCompiler::Meshes:
      return "meshes";
    case cSceneCompiler::Textures:
      return "textures";
    default:
      return "writing";
  }
}

void DrawBar(const iCompiler::EFloat& event) {
  constexpr int kWidth = 30;
  const auto& state = event.m_State;
  const int filled = static_cast<int>(state.m_Progress * kWidth);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::string count;
  if (state.m_Total > 0)
    count = " " + std::to_string(state.m_Done) + "/" + std::to_string(state.m_Total);
  std::fprintf(stderr, "\r[%s] %3d%% %-8s%-12s", bar.c_str(),
               static_cast<int>(state.m_Progress * 100), StageName(state.m_Stage), count.c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) == "--help") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::filesystem::path world = argv[2];
  std::error_code ignored;
  if (world.has_parent_path()) std::filesystem::create_directories(world.parent_path(), ignored);

  cStreamManager::New();
  cSceneCompiler compiler;
  const bool terminal = COMPILE_ISATTY(stderr);
  if (terminal) compiler.SetListener(DrawBar);
  const auto start = std::chrono::steady_clock::now();
  const bool done = compiler.CompileFile(cUrl(cString(argv[1])), cUrl(cString(argv[2])));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cStreamManager::Delete();
  if (terminal) std::fputc('\n', stderr);
  if (!done) {
    std::fprintf(stderr, "tolmak-compile: %s\n", compiler.GetError().c_str());
    return 1;
  }
  const cCompileSummary& summary = compiler.GetSummary();
  std::printf("%s: %d nodes, %d meshes, %d triangles, %d materials, %d textures in %.2f s\n",
              argv[2], summary.m_Nodes, summary.m_Meshes, summary.m_Triangles, summary.m_Materials,
              summary.m_Textures, seconds);
  return 0;
}
