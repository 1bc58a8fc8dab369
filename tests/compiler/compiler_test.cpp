// Model files written here compile, load through LoadPlugin and draw as
// the file says.
#include <cmath>

#include "compiler_fixtures.h"

namespace tolmak::test {
namespace {

constexpr const char* kLightsUsed = R"("extensionsUsed":["KHR_lights_punctual"])";

/// A cube of half-size 1 with outward normals, texture coordinates and
/// faces that run counter-clockwise seen from outside.
int AddCube(cGltf& gltf, int material) {
  std::vector<float> positions, normals, uvs;
  std::vector<uint32_t> indices;
  const float faces[6][9] = {{0, 0, 1, 1, 0, 0, 0, 1, 0},  {0, 0, -1, -1, 0, 0, 0, 1, 0},
                             {1, 0, 0, 0, 0, -1, 0, 1, 0}, {-1, 0, 0, 0, 0, 1, 0, 1, 0},
                             {0, 1, 0, 1, 0, 0, 0, 0, -1}, {0, -1, 0, 1, 0, 0, 0, 0, 1}};
  for (const auto& f : faces) {
    const uint32_t first = static_cast<uint32_t>(positions.size() / 3);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
      for (int k = 0; k < 3; ++k) positions.push_back(f[k] + c[0] * f[3 + k] + c[1] * f[6 + k]);
      normals.insert(normals.end(), {f[0], f[1], f[2]});
      uvs.insert(uvs.end(), {(c[0] + 1) / 2, (1 - c[1]) / 2});
    }
    indices.insert(indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
  }
  return gltf.AddMesh(positions, normals, uvs, indices, material);
}

/// Indices of a grid of columns by rows vertices, row after row, two
/// triangles a cell, counter-clockwise as the column then the row grows.
std::vector<uint32_t> GridIndices(uint32_t columns, uint32_t rows) {
  std::vector<uint32_t> indices;
  for (uint32_t j = 0; j + 1 < rows; ++j)
    for (uint32_t i = 0; i + 1 < columns; ++i) {
      const uint32_t at = j * columns + i;
      indices.insert(indices.end(),
                     {at, at + 1, at + columns + 1, at, at + columns + 1, at + columns});
    }
  return indices;
}

/// A white directional light turned by the rotation (a quaternion).
void AddSun(cGltf& gltf, const std::string& rotation) {
  gltf.AddNode(R"({"name":"Sun","extensions":{"KHR_lights_punctual":{"light":0}},"rotation":)" +
               rotation + "}");
  gltf.AddTopLevel(
      std::string(kLightsUsed) +
      R"(,"extensions":{"KHR_lights_punctual":{"lights":[{"type":"directional","color":[1,1,1]}]}})");
}

/// A camera at (0, 0, 4) looking at the origin, 60 degrees high.
void AddCamera(cGltf& gltf) {
  gltf.AddNode(R"({"name":"Eye","camera":0,"translation":[0,0,4]})");
  gltf.AddTopLevel(
      R"("cameras":[{"type":"perspective","perspective":{"yfov":1.0472,"aspectRatio":1,"znear":0.1,"zfar":100}}])");
}

TEST_F(CompilerTest, TexturedBoxDrawsWithItsTextureAndReportsProgress) {
  WriteCheckerPng("checker.png");
  cGltf gltf;
  gltf.AddMaterial(R"({"name":"Checker","pbrMetallicRoughness":{"baseColorTexture":{"index":0}}})");
  gltf.AddTopLevel(
      R"("textures":[{"source":0,"sampler":0}],"samplers":[{"magFilter":9728}],"images":[{"uri":"checker.png"}])");
  gltf.AddNode(R"({"name":"Box","mesh":)" + std::to_string(AddCube(gltf, 0)) +
               R"(,"rotation":[0.206422,0.293578,0.065085,0.93111]})");
  AddCamera(gltf);
  AddSun(gltf, "[-0.34202,0,0,0.939693]");
  WriteFile("box.gltf", gltf.Text());

  std::vector<float> progress;
  m_Compiler.SetListener([&progress](const iCompiler::EFloat& event) {
    progress.push_back(event.m_State.m_Progress);
  });
  cDefaultWorld* world = CompileAndLoad("box.gltf");
  ExpectRendersAs(world, "textured_box");

  const cCompileSummary& summary = m_Compiler.GetSummary();
  EXPECT_EQ(summary.m_Textures, 1);
  EXPECT_EQ(summary.m_Triangles, 12);
  ASSERT_FALSE(progress.empty());
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_LE(progress[i - 1], progress[i]) << i;
  EXPECT_EQ(progress.back(), 1.0f);
  EXPECT_EQ(m_Compiler.OnProgress().m_State.m_Stage, cSceneCompiler::Writing);
}

// Parent turned 90 degrees about Y and moved along X; its child moved along
// Z; the grandchild turned 90 degrees about X and moved along Y.
TEST_F(CompilerTest, NestedTransformsLandWhereTheFileSays) {
  cGltf gltf;
  gltf.AddNode(
      R"({"name":"A","children":[1],"translation":[1,0,0],"rotation":[0,0.707107,0,0.707107]})");
  gltf.AddNode(R"({"name":"B","children":[2],"translation":[0,0,2]})", false);
  gltf.AddNode(R"({"name":"C","translation":[0,1,0],"rotation":[0.707107,0,0,0.707107]})", false);
  WriteFile("tree.gltf", gltf.Text());
  cDefaultWorld* world = CompileAndLoad("tree.gltf");
  ASSERT_NE(world, nullptr);
  const auto find = [world](const char* name) -> const cEntity* {
    for (cEntity* entity : world->GetEntities())
      if (entity->GetName() == name) return entity;
    return nullptr;
  };
  const cEntity *b = find("B"), *c = find("C");
  ASSERT_TRUE(b && c);
  const auto expectNear = [](const cVector3& got, const cVector3& want, const char* what) {
    EXPECT_LT((got - want).GetLength(), 1e-4f) << what << ": " << got.ToString().c_str();
  };
  expectNear(b->GetWorldMatrix()[3], cVector3(3, 0, 0), "B's position");
  expectNear(c->GetWorldMatrix()[3], cVector3(3, 1, 0), "C's position");
  // C's own +Y turns to +Z about X, then to +X about Y.
  expectNear(c->GetWorldMatrix()[1], cVector3(1, 0, 0), "C's Y axis");
  expectNear(c->GetWorldMatrix()[2], cVector3(0, -1, 0), "C's Z axis");
}

// Two triangles side by side: the left one faces the camera, the right one
// has the same corners in the other order; the picture shows only the left.
TEST_F(CompilerTest, FrontFacesAreTheOnesDrawn) {
  cGltf gltf;
  gltf.AddMaterial(R"({"name":"Lit","emissiveFactor":[1,1,0]})");
  const int mesh =
      gltf.AddMesh({-1.8f, -1, 0, -0.2f, -1, 0, -1, 1, 0, 0.2f, -1, 0, 1.8f, -1, 0, 1, 1, 0}, {},
                   {}, {0, 1, 2, 3, 5, 4}, 0);
  gltf.AddNode(R"({"name":"Pair","mesh":)" + std::to_string(mesh) + "}");
  AddCamera(gltf);
  WriteFile("pair.gltf", gltf.Text());
  cDefaultWorld* world = CompileAndLoad("pair.gltf");
  ExpectRendersAs(world, "winding");
}

// 280 x 250 vertices without normals: the mesh is cut into pieces that a
// 16-bit index reaches, and its computed normals shade the waves.
TEST_F(CompilerTest, LargeMeshIsSplitAndShadedWithComputedNormals) {
  constexpr int kColumns = 280, kRows = 250;
  std::vector<float> positions;
  for (int j = 0; j < kRows; ++j)
    for (int i = 0; i < kColumns; ++i) {
      const float x = -1.5f + 3.0f * i / (kColumns - 1), y = -1.5f + 3.0f * j / (kRows - 1);
      positions.insert(positions.end(), {x, y, 0.25f * std::sin(4 * x) * std::cos(3 * y)});
    }
  cGltf gltf;
  gltf.AddMaterial(R"({"name":"Sand","pbrMetallicRoughness":{"baseColorFactor":[0.9,0.7,0.4,1]}})");
  gltf.AddNode(R"({"name":"Waves","mesh":)" +
               std::to_string(gltf.AddMesh(positions, {}, {}, GridIndices(kColumns, kRows), 0)) +
               "}");
  AddCamera(gltf);
  AddSun(gltf, "[0,-0.5,0,0.866025]");
  WriteFile("waves.gltf", gltf.Text());
  cDefaultWorld* world = CompileAndLoad("waves.gltf");
  ExpectRendersAs(world, "large_mesh");

  int pieces = 0, vertices = 0, triangles = 0;
  for (cEntity* entity : world->GetEntities())
    if (const cModel* model = entity->GetModel()) {
      ++pieces;
      EXPECT_LE(model->GetNumberOfVertices(), 65536);
      vertices += model->GetNumberOfVertices();
      triangles += model->GetNumberOfFaces();
    }
  EXPECT_EQ(pieces, 2);
  EXPECT_EQ(triangles, (kColumns - 1) * (kRows - 1) * 2);
  EXPECT_GE(vertices, kColumns * kRows);
}

// A floor under a point, a spot and a directional light, seen by the
// file's camera: a light of the wrong kind or aimed the wrong way, or
// another camera, changes the picture.
TEST_F(CompilerTest, CameraAndEachLightKindArrive) {
  cGltf gltf;
  gltf.AddMaterial(R"({"name":"Floor","pbrMetallicRoughness":{"baseColorFactor":[1,1,1,1]}})");
  // Fine enough that lighting at the vertices shows each light's pool.
  constexpr uint32_t kCells = 24;
  std::vector<float> positions, normals;
  for (uint32_t j = 0; j <= kCells; ++j)  // columns along Z, so counter-clockwise from above
    for (uint32_t i = 0; i <= kCells; ++i) {
      positions.insert(positions.end(), {-3 + 6.0f * j / kCells, 0, -3 + 6.0f * i / kCells});
      normals.insert(normals.end(), {0, 1, 0});
    }
  const int floor = gltf.AddMesh(positions, normals, {}, GridIndices(kCells + 1, kCells + 1), 0);
  gltf.AddNode(R"({"name":"Floor","mesh":)" + std::to_string(floor) +
               R"(,"translation":[0,-1,0]})");
  gltf.AddNode(
      R"({"name":"Eye","camera":0,"translation":[0,2,4],"rotation":[-0.2588,0,0,0.9659]})");
  gltf.AddTopLevel(
      R"("cameras":[{"type":"perspective","perspective":{"yfov":0.9,"aspectRatio":1,"znear":0.1,"zfar":50}}])");
  gltf.AddNode(
      R"({"name":"Bulb","extensions":{"KHR_lights_punctual":{"light":0}},"translation":[-1.5,0,0]})");
  gltf.AddNode(
      R"({"name":"Spot","extensions":{"KHR_lights_punctual":{"light":1}},"translation":[1.5,1,0],"rotation":[-0.707107,0,0,0.707107]})");
  gltf.AddNode(
      R"({"name":"Sun","extensions":{"KHR_lights_punctual":{"light":2}},"rotation":[-0.707107,0,0,0.707107]})");
  gltf.AddTopLevel(
      std::string(kLightsUsed) +
      R"(,"extensions":{"KHR_lights_punctual":{"lights":[)"
      R"({"type":"point","color":[1,0.2,0.2],"intensity":2},)"
      R"({"type":"spot","color":[0.2,1,0.2],"intensity":4,"spot":{"innerConeAngle":0.3,"outerConeAngle":0.5}},)"
      R"({"type":"directional","color":[0.1,0.1,0.3]}]}})");
  WriteFile("lights.gltf", gltf.Text());
  cDefaultWorld* world = CompileAndLoad("lights.gltf");
  ExpectRendersAs(world, "camera_lights");
}

// Without texture coordinates a textured material is drawn untextured;
// without normals they are computed.
TEST_F(CompilerTest, ObjWithoutCoordinatesOrNormalsGetsUntexturedMaterialAndNormals) {
  WriteCheckerPng("checker.png");
  WriteFile("plain.mtl", "newmtl Checker\nKd 1 1 1\nmap_Kd checker.png\n");
  WriteFile("plain.obj", "mtllib plain.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl Checker\nf 1 2 3\n");
  cDefaultWorld* world = CompileAndLoad("plain.obj");
  ASSERT_NE(world, nullptr);
  int meshes = 0;
  for (cEntity* entity : world->GetEntities())
    if (auto* model = dynamic_cast<cMeshModel*>(entity->GetModel())) {
      ++meshes;
      ASSERT_EQ(entity->GetNumberOfMaterials(), 1);
      EXPECT_EQ(entity->GetMaterial(0)->GetTexture(0), nullptr);
      EXPECT_LT((model->GetVertices().GetNormal(0) - cVector3(0, 0, 1)).GetLength(), 1e-4f);
    }
  EXPECT_EQ(meshes, 1);
}

TEST_F(CompilerTest, BadInputFailsNamingFileAndItemAndWritesNothing) {
  cGltf box;
  box.AddMaterial(R"({"name":"Brick","pbrMetallicRoughness":{"baseColorTexture":{"index":0}}})");
  box.AddTopLevel(R"("textures":[{"source":0}],"images":[{"uri":"brick.png"}])");
  box.AddNode(R"({"name":"Box","mesh":)" + std::to_string(AddCube(box, 0)) + "}");
  const std::string text = box.Text();
  WriteFile("nobrick.gltf", text.substr(0, text.find("brick.png")) + "gone.png" +
                                text.substr(text.find("brick.png") + 9));
  WriteFile("badbrick.gltf", text);
  WriteFile("brick.png", "\x89PNG\r\n\x1a\n truncated");
  WriteFile("cut.gltf", text.substr(0, text.size() / 2));
  WriteFile("notes.txt", "not a model at all\n");
  // Offered to every importer, these bytes make one of them read past the end.
  WriteFile("probe.gltf", "orrt\xff{\xa2geometrynode\xff");
  const struct {
    const char* model;
    const char* message;
  } cases[] = {
      {"missing.gltf", "missing.gltf: cannot be opened"},
      {"notes.txt", "notes.txt: cannot be read: its extension names no model type"},
      {"probe.gltf", "probe.gltf: cannot be read: it is not a file of the type"},
      {"cut.gltf", "cut.gltf: cannot be read"},
      {"badbrick.gltf", "material \"Brick\": texture"},
      {"nobrick.gltf", "gone.png\" cannot be found"},
  };
  const int files = CountFiles();
  for (const auto& bad : cases) {
    EXPECT_FALSE(Compile(bad.model, "out.world"));
    EXPECT_NE(std::string(m_Compiler.GetError().c_str()).find(bad.message), std::string::npos)
        << m_Compiler.GetError().c_str();
    EXPECT_EQ(CountFiles(), files) << bad.model;
  }
}

}  // namespace
}  // namespace tolmak::test
