#pragma once

#include <cstdint>
#include <functional>

#include <tolmak.h>

/// What one compile turned into engine objects.
struct cCompileSummary {
  int m_Nodes = 0;
  /// Models written: a mesh of more than 65,536 vertices counts once per piece.
  int m_Meshes = 0;
  int m_Triangles = 0;
  int m_Materials = 0;
  int m_Textures = 0;
};

/// Compiles a model file (glTF 2.0, OBJ with MTL, FBX, Collada, 3DS, PLY,
/// STL: what the Assimp library reads) into the plug-in library's scene: a
/// "cDefaultWorld" with one "cDefaultSector", one entity per node, a
/// "cMeshModel" per mesh (pieces of at most 65,536 vertices), a
/// "cDefaultMaterial" per material with its base-colour texture, and the
/// file's cameras and lights. LoadPlugin loads the result as it loads any
/// saved world.
///
/// Coordinates: the engine, like glTF, is right-handed with +Y up, so
/// positions pass unchanged; matrices are transposed to row vectors, and
/// cameras and lights, which look along -Z in the file and along +Z in the
/// engine, are turned half a turn about their Y axis.
///
/// Progress: the event's state runs from 0 to 1 without going back, through
/// the stages Reading, Meshes, Textures and Writing (m_Stage); m_Done and
/// m_Total count the meshes and textures of their stage.
class cSceneCompiler : public iCompiler {
 public:
  enum EStage : int32_t { Reading = 1, Meshes = 2, Textures = 3, Writing = 4 };
  /// Called on every progress step with the event as it stands.
  using tListener = std::function<void(const EFloat&)>;

  cSceneCompiler() = default;
  cSceneCompiler(const cSceneCompiler&) = delete;
  cSceneCompiler& operator=(const cSceneCompiler&) = delete;
  ~cSceneCompiler() = default;

  /// Compiles the model that source holds. Files the model refers to
  /// (buffers, material libraries, pictures) are opened through the stream
  /// manager beside the source's URL when source is an iIOStream; the
  /// format is told by that URL's extension or else by the content. The
  /// target, an iIOStream whose URL names the world's file, receives what
  /// SavePlugin writes for the world; the scene's other files go beside it,
  /// all of them or none. False, with GetError telling the file and the
  /// item, on any failure; nothing is written then.
  bool Compile(iInStream& source, iOutStream& target) override;
  /// Compiles the model file at source into the world file at target and
  /// its siblings, all of them or none (the world's file included).
  bool CompileFile(const cUrl& source, const cUrl& target);

  /// Why the last compile failed; empty after a success.
  const cString& GetError() const { return m_Error; }
  const cCompileSummary& GetSummary() const { return m_Summary; }
  void SetListener(tListener listener) { m_Listener = std::move(listener); }

  /// Raises the progress event: progress is kept monotonic (a smaller value
  /// than the last is raised as the last).
  void Report(EStage stage, float progress, int32_t done = 0, int32_t total = 0);

 private:
  bool Fail(const cString& message);

  cString m_Error;
  cCompileSummary m_Summary;
  tListener m_Listener;
};
