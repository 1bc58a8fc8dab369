// Renders the pictures of docs/GUIDE.md with the engine itself, so that they
// stay true: the world axes seen from the default camera and from above, and
// a cube whose faces are labelled by colour. Usage: guide [FOLDER]
#include <zunfert.h>

#include <string>

namespace {

/// Colours by axis: X red, Y green, Z blue; the negative sides darker.
cColor AxisColor(int axis, float side) {
  const float bright = side > 0 ? 1.0f : 0.35f;
  return cColor(1, axis == 0 ? bright : 0.1f, axis == 1 ? bright : 0.1f, axis == 2 ? bright : 0.1f);
}

class cGuide : public cApplicationEx {
 public:
  explicit cGuide(std::string folder) : cApplicationEx("guide"), m_Folder(std::move(folder)) {}

  int Run() override {
    if (!StartVideo(Video3D, "cSoftwareVideo3D", 320, 240)) return 1;
    GetVideo3D()->SetClearColor(cColor(1, 0.93f, 0.93f, 0.93f));
    const bool drawn = Draw("axes_default.png", &cGuide::Axes, nullptr) &&
                       Draw("axes_above.png", &cGuide::Axes, &kAbove) &&
                       Draw("cube_faces.png", &cGuide::Cube, &kAbove);
    GetPluginSystem()->Destroy(GetVideo());
    return drawn ? 0 : 1;
  }

 private:
  inline static const cVector3 kAbove{3.5f, 3, -5};

  /// One picture: the scene, a white light from behind the camera and a
  /// camera at its default place (null eye) or at eye looking at the origin.
  bool Draw(const char* file, void (cGuide::*scene)(cDefaultWorld*, cEntity*),
            const cVector3* eye) {
    auto* world = GetPluginSystem()->Create<cDefaultWorld>("cDefaultWorld");
    world->SetVideo(GetVideo3D());
    world->SetAmbientLight(cColor(1, 0.45f, 0.45f, 0.45f));
    auto* sector = world->Make<cDefaultSector>("Sector");
    world->SetRootSector(sector);
    auto* root = world->Make<cDefaultEntity>("Root");
    sector->SetRoot(root);
    m_Centre = eye == nullptr ? cVector3(0, 0, 6) : cVector3(0, 0, 0);
    (this->*scene)(world, root);
    auto* camera = world->Make<cDefaultCamera>("Camera");
    root->AddChild(camera);
    auto* light = world->Make<cDirectionalLight>("Light");
    root->AddChild(light);
    if (eye != nullptr) {
      camera->SetPivotMatrix(cMatrix4x3::LookAt(*eye, cVector3(0, 0, 0)));
      light->SetPivotMatrix(cMatrix4x3::LookAt(*eye + cVector3(-2, 3, 0), cVector3(0, 0, 0)));
    }
    world->SelectCamera("Camera");
    const bool drawn = SetFrameOutput((m_Folder + "/" + file).c_str()) && world->Step(0);
    GetPluginSystem()->Destroy(world);
    return drawn;
  }

  /// A white ball at the origin with an arm along each positive axis; in
  /// front of the default camera, which stands at the origin, they are
  /// moved 6 units along +Z.
  void Axes(cDefaultWorld* world, cEntity* root) {
    const cVector3 centre = m_Centre;
    auto* ball = world->Make<cMeshModel>("Ball");
    ball->SetSphere(0.25f, 12, 16);
    Place(world, root, ball, Paint(world, "White", cColor(1, 1, 1, 1)), centre);
    for (int axis = 0; axis < 3; ++axis) {
      cVector3 size(0.12f, 0.12f, 0.12f), along;
      size[axis] = 2;
      along[axis] = 1;
      auto* arm = world->Make<cMeshModel>(cString("Arm", std::to_string(axis).c_str()));
      arm->SetBox(size);
      Place(world, root, arm,
            Paint(world, cString("Axis", std::to_string(axis).c_str()), AxisColor(axis, 1)),
            centre + along);
    }
  }

  /// A cube with its six faces painted by the axis they face.
  void Cube(cDefaultWorld* world, cEntity* root) {
    auto* box = world->Make<cMeshModel>("Box");
    box->SetBox(cVector3(2, 2, 2));
    cEntity* cube = Place(world, root, box, nullptr, cVector3(0, 0, 0));
    // SetBox makes one subset per face: -X, +X, -Y, +Y, -Z, +Z.
    for (int face = 0; face < 6; ++face)
      cube->AddMaterial(Paint(world, cString("Face", std::to_string(face).c_str()),
                              AxisColor(face / 2, face % 2 ? 1.0f : -1.0f)));
  }

  cDefaultMaterial* Paint(cDefaultWorld* world, const cString& name, const cColor& color) {
    auto* material = world->Make<cDefaultMaterial>(name);
    material->SetDiffuse(color);
    material->SetAmbient(color);
    return material;
  }

  cEntity* Place(cDefaultWorld* world, cEntity* root, cModel* model, cMaterial* material,
                 const cVector3& at) {
    auto* entity = world->Make<cDefaultEntity>(cString("Entity", model->GetName()));
    root->AddChild(entity);
    entity->SetModel(model);
    if (material != nullptr) entity->AddMaterial(material);
    entity->SetPivotPosition(at.x, at.y, at.z);
    return entity;
  }

  std::string m_Folder;
  cVector3 m_Centre;
};

}  // namespace

int main(int argc, char** argv) {
  return cGuide(argc > 1 ? argv[1] : "guide-pictures").Main();
}
