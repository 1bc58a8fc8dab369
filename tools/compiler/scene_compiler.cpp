#include "tolmak_scene_compiler.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <assimp/BaseImporter.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>

#include "import_steps.h"
#include "material_converter.h"
#include "mesh_converter.h"
#include "scene_builder.h"
#include "stream_io.h"
#include "unique_names.h"
#include "zunfert_scene.h"

namespace tolmak::detail {
namespace {

// Where each stage starts on the way from 0 to 1.
constexpr float kMeshesStart = 0.3f, kTexturesStart = 0.7f, kWritingStart = 0.85f;

/// The reading stage's share of progress, from the importer's own.
class cReadProgress : public Assimp::ProgressHandler {
 public:
  explicit cReadProgress(cSceneCompiler& compiler) : m_Compiler(compiler) {}
  bool Update(float percentage) override {
    if (percentage >= 0)
      m_Compiler.Report(cSceneCompiler::Reading, std::min(percentage, 1.0f) * kMeshesStart);
    return true;
  }

 private:
  cSceneCompiler& m_Compiler;
};

std::string FileNameOf(const std::string& url) {
  const size_t slash = url.find_last_of("/\\");
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::string StemOf(const std::string& fileName) {
  const size_t dot = fileName.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

/// Why no importer named by the file's extension takes the file, or empty
/// when one does. Assimp would offer such a file to each of its importers
/// in turn, and some of their probes read past the end of a short file, so
/// it is refused here instead. A lone claimant reads the file without a
/// probe, as Assimp itself would have it.
std::string RefusalByExtension(Assimp::Importer& importer, const std::string& url) {
  std::string name = url;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::vector<Assimp::BaseImporter*> claimants;
  for (size_t i = 0; i < importer.GetImporterCount(); ++i) {
    Assimp::BaseImporter* candidate = importer.GetImporter(i);
    std::set<std::string> extensions;
    candidate->GetExtensionList(extensions);
    for (const std::string& extension : extensions)
      if (name.size() > extension.size() && name.ends_with("." + extension)) {
        claimants.push_back(candidate);
        break;
      }
  }
  if (claimants.empty()) return "its extension names no model type the importer reads";
  if (claimants.size() == 1) return {};
  const bool taken =
      std::any_of(claimants.begin(), claimants.end(), [&](Assimp::BaseImporter* claimant) {
        return claimant->CanRead(url, importer.GetIOHandler(), false);
      });
  return taken ? std::string() : "it is not a file of the type its extension names";
}

/// The world, built from the file and owned until it is written.
struct cWorldDeleter {
  void operator()(cDefaultWorld* world) const { cPluginSystem::GetInstance()->Destroy(world); }
};
using tWorld = std::unique_ptr<cDefaultWorld, cWorldDeleter>;

/// The engine's scene for what the importer read: meshes, then materials
/// with their textures, then the tree, reporting each mesh and texture.
tWorld ConvertScene(const aiScene& scene, const std::string& location, const std::string& worldFile,
                    cSceneCompiler& progress, cCompileSummary& summary) {
  tWorld world(new cDefaultWorld);
  world->SetName(cString(StemOf(worldFile).c_str()));
  cUniqueNames names;
  names.Reserve(worldFile);

  std::vector<cConvertedMesh> meshes;
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    meshes.push_back(ConvertMesh(*scene.mMeshes[i], *world, names));
    summary.m_Meshes += static_cast<int>(meshes.back().m_Pieces.size());
    summary.m_Triangles += meshes.back().m_Triangles;
    progress.Report(cSceneCompiler::Meshes,
                    kMeshesStart + (kTexturesStart - kMeshesStart) * (i + 1) / scene.mNumMeshes,
                    static_cast<int32_t>(i + 1), static_cast<int32_t>(scene.mNumMeshes));
  }

  cMaterialConverter materials(scene, location, *world, names);
  const int textures = materials.CountTextures();
  materials.ConvertAll([&] {
    ++summary.m_Textures;
    progress.Report(
        cSceneCompiler::Textures,
        kTexturesStart + (kWritingStart - kTexturesStart) * summary.m_Textures / textures,
        summary.m_Textures, textures);
  });
  summary.m_Materials = static_cast<int>(scene.mNumMaterials);
  cSceneBuilder builder(scene, *world, names, meshes, materials);
  summary.m_Nodes = builder.Build(StemOf(worldFile));
  return world;
}

/// Writes what SavePlugin would write for the world into target, and the
/// scene's other files beside it as one group: all of them or none.
void WriteWorld(cDefaultWorld& world, iIOStream& target) {
  cMemoryStream record(target.GetUrl());
  cStreamManager* streams = cStreamManager::GetInstance();
  streams->BeginGroup();
  try {
    record.WriteInt32(world.GetDescriptor()->GetClassID());
    world.Save(record);
  } catch (...) {
    streams->EndGroup(false);
    throw;
  }
  const std::string url = target.GetUrl().GetText().c_str();
  if (!streams->EndGroup(true))
    throw std::runtime_error("the scene's files beside " + url + " cannot be written");
  if (target.Write(record.GetData(), record.GetSize()) != record.GetSize())
    throw std::runtime_error(url + " cannot be written");
}

}  // namespace
}  // namespace tolmak::detail

using namespace tolmak::detail;

void cSceneCompiler::Report(EStage stage, float progress, int32_t done, int32_t total) {
  EFloat& event = OnProgress();
  ++event.m_Count;
  event.m_State.m_Progress = std::clamp(progress, event.m_State.m_Progress, 1.0f);
  event.m_State.m_Done = done;
  event.m_State.m_Total = total;
  event.m_State.m_Stage = stage;
  if (m_Listener) m_Listener(event);
}

bool cSceneCompiler::Fail(const cString& message) {
  m_Error = message;
  return false;
}

bool cSceneCompiler::Compile(iInStream& source, iOutStream& target) {
  m_Error = cString();
  m_Summary = cCompileSummary();
  OnProgress().m_State = {};
  auto* sourceIO = dynamic_cast<iIOStream*>(&source);
  auto* targetIO = dynamic_cast<iIOStream*>(&target);
  const std::string sourceUrl = sourceIO ? sourceIO->GetUrl().GetText().c_str() : "model";
  const std::string what = FileNameOf(sourceUrl);
  if (targetIO == nullptr || targetIO->GetUrl().GetFileName().IsEmpty())
    return Fail(cString::StringF("%s: the target stream has no file name", what.c_str()));
  if (cStreamManager::GetInstance() == nullptr)
    return Fail(cString::StringF("%s: there is no stream manager", what.c_str()));
  try {
    Report(Reading, 0);
    const std::vector<uint8_t> bytes = ReadAll(source, what);
    Assimp::Importer importer;
    importer.SetIOHandler(new cStreamIOSystem(sourceUrl, bytes));
    importer.SetProgressHandler(new cReadProgress(*this));
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    if (const std::string refusal = RefusalByExtension(importer, sourceUrl); !refusal.empty())
      throw std::runtime_error("cannot be read: " + refusal);
    const aiScene* scene = importer.ReadFile(sourceUrl, kImportSteps);
    if (scene == nullptr || scene->mRootNode == nullptr)
      throw std::runtime_error("cannot be read: " + std::string(importer.GetErrorString()));

    tWorld world = ConvertScene(*scene, cUrl(cString(sourceUrl.c_str())).GetLocation().c_str(),
                                targetIO->GetUrl().GetFileName().c_str(), *this, m_Summary);
    Report(Writing, kWritingStart);
    WriteWorld(*world, *targetIO);
    Report(Writing, 1.0f);
  } catch (const std::exception& error) {
    return Fail(cString::StringF("%s: %s", what.c_str(), error.what()));
  }
  return true;
}

bool cSceneCompiler::CompileFile(const cUrl& source, const cUrl& target) {
  cStreamManager* streams = cStreamManager::GetInstance();
  if (streams == nullptr) return Fail("there is no stream manager");
  iIOStream* in = streams->Open(source, cStreamManager::OpenRead);
  if (in == nullptr)
    return Fail(cString::StringF("%s: cannot be opened", source.GetText().c_str()));
  // The world's own file joins the group of its siblings.
  streams->BeginGroup();
  iIOStream* out = streams->Open(target, cStreamManager::OpenWrite);
  bool done = out != nullptr
                  ? Compile(*in, *out)
                  : Fail(cString::StringF("%s: cannot be created", target.GetText().c_str()));
  in->Close();
  if (out != nullptr && done) {
    done = out->Close();
  } else if (out != nullptr) {
    out->Abandon();
  }
  if (!streams->EndGroup(done) && done)
    done = Fail(cString::StringF("%s: cannot be written", target.GetText().c_str()));
  return done;
}
