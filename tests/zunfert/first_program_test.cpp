// What a first program leans on: shapes in the winding the device keeps,
// and a trace line for each mistake of the frame loop.
#include <string>
#include <vector>

#include "plugin_fixtures.h"
#include "test_support.h"

namespace zunfert::test {
namespace {

using tLines = std::vector<std::string>;

class FirstProgram : public PluginTest {
 protected:
  const tolmak::test::cMessages messages;
  const tLines& lines = messages.traced;
};

/// Every triangle must be clockwise seen from the side its normals face
/// ((b - a) x (c - a) against them), or the default culling drops the
/// outside and shows the inside.
void ExpectFrontFacesOutside(const cMeshModel& mesh, const char* shape) {
  const cVertexBuffer& v = mesh.GetVertices();
  const cIndexBuffer& indices = mesh.GetIndices();
  ASSERT_GT(indices.GetLength(), 0u) << shape;
  int wrong = 0;
  for (uint32_t i = 0; i + 2 < indices.GetLength(); i += 3) {
    const uint16_t a = indices.GetIndex(i), b = indices.GetIndex(i + 1),
                   c = indices.GetIndex(i + 2);
    const cVector3 face = (v.GetPos(b) - v.GetPos(a)).Cross(v.GetPos(c) - v.GetPos(a));
    wrong += face.Dot(v.GetNormal(a) + v.GetNormal(b) + v.GetNormal(c)) > 0;  // poles: area 0
  }
  EXPECT_EQ(wrong, 0) << shape;
}

TEST_F(FirstProgram, ShapesFaceOutwardAndSplitIntoFaces) {
  cMeshModel mesh;
  mesh.SetBox(cVector3(2, 4, 6));
  ExpectFrontFacesOutside(mesh, "box");
  EXPECT_EQ(mesh.GetSubsets().size(), 6u);
  cBoundingBox3 box;
  mesh.GetBoundingBox(box);
  EXPECT_EQ(box.GetMax(), cVector3(1, 2, 3));
  mesh.SetSphere(1, 8, 12);
  ExpectFrontFacesOutside(mesh, "sphere");
  mesh.SetCylinder(1, 2, 16);
  ExpectFrontFacesOutside(mesh, "cylinder");
  EXPECT_EQ(mesh.GetSubsets().size(), 3u);
  mesh.SetTorus(2, 0.5f, 16, 8);
  ExpectFrontFacesOutside(mesh, "torus");
  mesh.SetGrid(10, 4, 2);
  ExpectFrontFacesOutside(mesh, "grid");
  EXPECT_EQ(mesh.GetNumberOfFaces(), 32);
  EXPECT_THROW(mesh.SetSphere(1, 2, 400), cException);  // too few rings
  EXPECT_EQ(mesh.GetNumberOfFaces(), 32);               // and the grid stays
}

TEST_F(FirstProgram, FrameLoopMistakesAreTracedOnce) {
  auto* world = cPluginSystem::GetInstance()->Create<cDefaultWorld>("cDefaultWorld");
  world->SetName("Level");
  EXPECT_FALSE(world->Step(0.1f));  // no device

  auto* video = cPluginSystem::GetInstance()->Create<cVideo3D>("cSoftwareVideo3D");
  cInitInfo info;
  info.m_Width = 32, info.m_Height = 24, info.m_Depth = 32;
  ASSERT_TRUE(video->InitDevice(&info));
  world->SetVideo(video);
  auto* sector = world->Make<cDefaultSector>("Sector");
  world->SetRootSector(sector);
  auto* root = world->Make<cDefaultEntity>("Root");
  sector->SetRoot(root);
  auto* box = world->Make<cMeshModel>("Box");
  box->SetBox(cVector3(1, 1, 1));
  root->SetModel(box);
  root->SetPivotPosition(0, 0, 3);  // moved, and no UpdateMatrices before drawing
  video->BeginScene();
  world->Render(nullptr);
  world->Render(nullptr);
  video->EndScene();
  box->Render(video, root);  // outside the scene
  box->Render(video, root);
  EXPECT_TRUE(world->Step(0.1f));

  cPluginSystem::GetInstance()->Destroy(world);
  cPluginSystem::GetInstance()->Destroy(video);
  EXPECT_EQ(
      lines,
      (tLines{"Step: world \"Level\" has no initialised video device: SetVideo(device) after "
              "InitVideo",
              "World \"Level\" draws entities moved since the last cEntity::UpdateMatrices: "
              "call it once a frame after moving them and before Render",
              "World \"Level\" draws without a camera: put a camera under the root sector and "
              "select it with SelectCamera(name)",
              "cSoftwareVideo3D draws nothing outside BeginScene and EndScene: call "
              "BeginScene first"}));
}

class cGame : public cApplicationEx {
 public:
  cGame() : cApplicationEx("game") {}
  int Run() override { return 0; }
};

// Start-up through the real plug-in: a refused mode is traced, a frame
// that cannot be written makes Flip false with the file named, and a
// written frame loads back by its content.
TEST_F(FirstProgram, StartUpRefusalsAreTracedAndFramesLoadBackByContent) {
  cGame game;
  ASSERT_TRUE(game.Init());
  EXPECT_FALSE(game.StartVideo(cApplicationEx::Video3D, "cSoftwareVideo3D", 64, 48, 24));
  cPluginSystem::GetInstance()->Destroy(game.GetVideo());
  ASSERT_TRUE(game.StartVideo(cApplicationEx::Video3D, "cSoftwareVideo3D", 64, 48));
  cVideo3D* video = game.GetVideo3D();
  // Frames are written while the next one is drawn: a file that failed
  // makes the next Flip false.
  EXPECT_TRUE(game.SetFrameOutput("/proc/no/frame.png"));
  EXPECT_TRUE(video->Flip());
  EXPECT_FALSE(video->Flip());
  const std::string file = testing::TempDir() + "first_program_frame.png";
  EXPECT_TRUE(game.SetFrameOutput(file.c_str()));
  video->SetClearColor(cColor(1, 1, 0, 0));
  video->Clear(true, false, false);
  EXPECT_TRUE(video->Flip());
  EXPECT_TRUE(game.SetFrameOutput(""));  // finishes the file under way
  cMemorySprite picture;
  EXPECT_TRUE(game.LoadImage(file.c_str(), &picture));
  EXPECT_TRUE(picture.GetWidth() == 64 && picture.GetPixel(0, 5, 5) == 0xFFFF0000u);
  cPluginSystem::GetInstance()->Destroy(video);
  game.Exit();
  EXPECT_EQ(lines, (tLines{"InitVideo: the video device refused 64 x 48 in 24 bits: the depth must "
                           "be 16 or 32 and each side from 1 to what the device allows (the "
                           "software device: 8192)",
                           "Flip: could not write the frame to \"/proc/no/frame.png\" (can that "
                           "folder be created and written?)"}));
}

}  // namespace
}  // namespace zunfert::test
