#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "golden.h"
#include "test_support.h"
#include "tolmak_scene_compiler.h"
#include "zunfert.h"

namespace tolmak::test {

/// A glTF 2.0 file put together in memory, its one buffer embedded as a
/// data URI. Nodes, materials, cameras and extensions are given as JSON.
class cGltf {
 public:
  /// Adds a mesh of indexed triangles (normals and texture coordinates may
  /// be empty); returns its index.
  int AddMesh(const std::vector<float>& positions, const std::vector<float>& normals,
              const std::vector<float>& uvs, const std::vector<uint32_t>& indices,
              int material = -1);
  /// Adds a node, a root of the scene unless another node lists it as a child.
  void AddNode(const std::string& json, bool root = true) {
    if (root) m_Roots.push_back(std::to_string(m_Nodes.size()));
    m_Nodes.push_back(json);
  }
  void AddMaterial(const std::string& json) { m_Materials.push_back(json); }
  /// Other top-level members, e.g. "\"cameras\":[...]".
  void AddTopLevel(const std::string& json) { m_TopLevel.push_back(json); }
  std::string Text() const;

 private:
  int AddAccessor(const void* data, size_t bytes, size_t count, int componentType, const char* type,
                  bool bounds);

  std::vector<uint8_t> m_Buffer;
  std::vector<std::string> m_Views, m_Accessors, m_Meshes, m_Nodes, m_Roots, m_Materials,
      m_TopLevel;
};

/// A folder of the test's own, the plug-in library linked, a stream
/// manager, and a 64 by 64 software device to draw the loaded scenes.
class CompilerTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  std::string Path(const std::string& name) const { return (m_Folder / name).string(); }
  /// Compiles the model into the world file; false with the compiler's error.
  bool Compile(const std::string& model, const std::string& world) {
    return m_Compiler.CompileFile(m_Folder.Url(model), m_Folder.Url(world));
  }
  void WriteFile(const std::string& name, const std::string& bytes) const;
  /// A 2 by 2 PNG: red, green / blue, white.
  void WriteCheckerPng(const std::string& name) const;
  /// Files in the test's folder.
  int CountFiles() const { return static_cast<int>(m_Folder.Files().size()); }

  /// Compiles the model into scene.world and loads that through
  /// LoadPlugin, matrices updated; the world lasts to the end of the test.
  cDefaultWorld* CompileAndLoad(const std::string& model);
  void TearDown() override { cPluginSystem::GetInstance()->Destroy(m_Loaded); }
  /// Draws the world with its selected camera and compares the picture
  /// with tests/compiler/golden/<name>.png.
  void ExpectRendersAs(cDefaultWorld* world, const std::string& name);

  cSceneCompiler m_Compiler;
  const cScratchFolder m_Folder{"tolmak_compiler_test"};
  cObject* m_Loaded = nullptr;
  static cVideo3D* s_Video;
};

}  // namespace tolmak::test
