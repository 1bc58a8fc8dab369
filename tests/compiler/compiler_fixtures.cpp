#include "compiler_fixtures.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "gltf_packing.h"
#include "zunfert_image.h"

namespace tolmak::test {
namespace {

std::string Join(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

}  // namespace

int cGltf::AddAccessor(const void* data, size_t bytes, size_t count, int componentType,
                       const char* type, bool bounds) {
  const size_t offset = m_Buffer.size();
  m_Buffer.resize(offset + (bytes + 3) / 4 * 4);
  std::memcpy(m_Buffer.data() + offset, data, bytes);
  std::ostringstream view, accessor;
  view << R"({"buffer":0,"byteOffset":)" << offset << R"(,"byteLength":)" << bytes << "}";
  m_Views.push_back(view.str());
  accessor << R"({"bufferView":)" << m_Views.size() - 1 << R"(,"componentType":)" << componentType
           << R"(,"count":)" << count << R"(,"type":")" << type << '"';
  if (bounds) {
    // Positions must state their bounds; the importer does not check them.
    accessor << R"(,"min":[-1e9,-1e9,-1e9],"max":[1e9,1e9,1e9])";
  }
  accessor << "}";
  m_Accessors.push_back(accessor.str());
  return static_cast<int>(m_Accessors.size()) - 1;
}

int cGltf::AddMesh(const std::vector<float>& positions, const std::vector<float>& normals,
                   const std::vector<float>& uvs, const std::vector<uint32_t>& indices,
                   int material) {
  constexpr int kFloat = 5126, kUnsignedInt = 5125;
  const size_t count = positions.size() / 3;
  std::ostringstream mesh;
  mesh << R"({"primitives":[{"attributes":{"POSITION":)"
       << AddAccessor(positions.data(), positions.size() * 4, count, kFloat, "VEC3", true);
  if (!normals.empty())
    mesh << R"(,"NORMAL":)"
         << AddAccessor(normals.data(), normals.size() * 4, count, kFloat, "VEC3", false);
  if (!uvs.empty())
    mesh << R"(,"TEXCOORD_0":)"
         << AddAccessor(uvs.data(), uvs.size() * 4, count, kFloat, "VEC2", false);
  mesh << R"(},"indices":)"
       << AddAccessor(indices.data(), indices.size() * 4, indices.size(), kUnsignedInt, "SCALAR",
                      false);
  if (material >= 0) mesh << R"(,"material":)" << material;
  mesh << "}]}";
  m_Meshes.push_back(mesh.str());
  return static_cast<int>(m_Meshes.size()) - 1;
}

std::string cGltf::Text() const {
  std::ostringstream text;
  text << R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[)" << Join(m_Roots) << "]}]"
       << R"(,"nodes":[)" << Join(m_Nodes) << "]";
  if (!m_Meshes.empty()) {
    text << R"(,"meshes":[)" << Join(m_Meshes) << R"(],"accessors":[)" << Join(m_Accessors)
         << R"(],"bufferViews":[)" << Join(m_Views) << R"(],"buffers":[{"byteLength":)"
         << m_Buffer.size() << R"(,"uri":"data:application/octet-stream;base64,)"
         << Base64(std::string(m_Buffer.begin(), m_Buffer.end())) << R"("}])";
  }
  if (!m_Materials.empty()) text << R"(,"materials":[)" << Join(m_Materials) << "]";
  for (const std::string& member : m_TopLevel) text << "," << member;
  text << "}";
  return text.str();
}

cVideo3D* CompilerTest::s_Video = nullptr;

void CompilerTest::SetUpTestSuite() {
  ASSERT_TRUE(cPluginSystem::GetInstance()->LinkDLL("Zunfert.dll"));
  cStreamManager::New();
  cObject* device = cPluginSystem::GetInstance()->Create(gCRC32("cSoftwareVideo3D"));
  s_Video = dynamic_cast<cVideo3D*>(device);
  ASSERT_NE(s_Video, nullptr);
  cInitInfo info(64, 64, 32, true, true);
  ASSERT_TRUE(s_Video->InitDevice(&info));
}

void CompilerTest::TearDownTestSuite() {
  if (s_Video != nullptr) s_Video->ShutdownDevice();
  cPluginSystem::GetInstance()->Destroy(s_Video);
  s_Video = nullptr;
  cStreamManager::Delete();
}

void CompilerTest::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream(Path(name), std::ios::binary) << bytes;
}

void CompilerTest::WriteCheckerPng(const std::string& name) const {
  zunfert::cImage image = zunfert::cImage::MakeArgb(2, 2);
  image.ArgbRow(0)[0] = 0xFFFF0000;
  image.ArgbRow(0)[1] = 0xFF00FF00;
  image.ArgbRow(1)[0] = 0xFF0000FF;
  image.ArgbRow(1)[1] = 0xFFFFFFFF;
  zunfert::cMemorySink sink;
  zunfert::EncodePng(image, sink);
  WriteFile(name, std::string(sink.GetBytes().begin(), sink.GetBytes().end()));
}

cDefaultWorld* CompilerTest::CompileAndLoad(const std::string& model) {
  EXPECT_TRUE(Compile(model, "scene.world")) << m_Compiler.GetError().c_str();
  m_Loaded = cPluginSystem::GetInstance()->LoadPlugin(m_Folder.Url("scene.world"));
  auto* typed = dynamic_cast<cDefaultWorld*>(m_Loaded);
  EXPECT_NE(typed, nullptr);
  cEntity::UpdateMatrices();
  return typed;
}

void CompilerTest::ExpectRendersAs(cDefaultWorld* world, const std::string& name) {
  ASSERT_NE(world, nullptr);
  ASSERT_NE(world->GetSelectedCamera(), nullptr);
  s_Video->BeginScene();
  s_Video->SetClearColor(cColor(1, 0.1f, 0.1f, 0.2f));
  s_Video->Clear(true, true, false);
  world->Render(s_Video);
  s_Video->EndScene();
  zunfert::test::ExpectGolden(*s_Video->GetSurface(cVideo3D::ESurface::Back), name);
}

}  // namespace tolmak::test
