// The first program: a lit, textured cube spinning in front of a camera,
// drawn by the software device into cube_00.png ... cube_07.png.
#include <zunfert.h>

class cFirst : public cApplicationEx {
 public:
  cFirst() : cApplicationEx("first") {}

  int Run() override {
    if (!StartVideo(Video3D, "cSoftwareVideo3D", 320, 240) || !SetFrameOutput("cube_%02d.png"))
      return 1;
    auto* world = GetPluginSystem()->Create<cDefaultWorld>("cDefaultWorld");
    world->SetVideo(GetVideo3D());
    world->SetAmbientLight(cColor(1, 0.25f, 0.25f, 0.3f));  // alpha, red, green, blue
    auto* sector = world->Make<cDefaultSector>("Sector");
    world->SetRootSector(sector);
    auto* root = world->Make<cDefaultEntity>("Root");
    sector->SetRoot(root);

    auto* box = world->Make<cMeshModel>("Box");
    box->SetBox(cVector3(2, 2, 2));
    auto* crate = world->Make<cDefaultMaterial>("Crate");
    LoadImage(FIRST_TEXTURE, crate->GetTextureSprite());  // PNG, JPEG, BMP, PCX or TGA
    auto* cube = world->Make<cDefaultEntity>("Cube");
    root->AddChild(cube);
    cube->SetModel(box);
    cube->AddMaterial(crate);
    cube->SetSpin(cVector3(15, 40, 0));  // degrees per second about X, Y, Z

    auto* sun = world->Make<cDirectionalLight>("Sun");
    root->AddChild(sun);
    sun->SetPivotMatrix(cMatrix4x3::LookAt(cVector3(-4, 6, -5), cVector3(0, 0, 0)));
    auto* camera = world->Make<cDefaultCamera>("Camera");
    root->AddChild(camera);
    camera->SetPivotMatrix(cMatrix4x3::LookAt(cVector3(0, 2, -5), cVector3(0, 0, 0)));
    world->SelectCamera("Camera");

    bool drawn = true;
    for (int frame = 0; frame < 8 && drawn; ++frame) drawn = world->Step(0.25f);
    GetPluginSystem()->Destroy(world);  // with everything it made, before the device
    GetPluginSystem()->Destroy(GetVideo());
    return drawn ? 0 : 1;
  }
};

int main() {
  return cFirst().Main();
}
