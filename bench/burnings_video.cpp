#include "burnings_video.h"

#include <irrlicht/irrlicht.h>

#include <cstring>

namespace {

using namespace irr;

core::matrix4 ToMatrix(const tPlainMatrix m) {
  core::matrix4 matrix(core::matrix4::EM4CONST_NOTHING);
  std::memcpy(matrix.pointer(), m, sizeof(tPlainMatrix));
  return matrix;
}

class cIrrlichtBurnings final : public cBurningsVideo {
 public:
  explicit cIrrlichtBurnings(IrrlichtDevice* device)
      : m_Device(device), m_Driver(device->getVideoDriver()) {
    m_Material.Lighting = true;
    m_Material.NormalizeNormals = true;
    m_Material.TextureLayer[0].BilinearFilter = true;
  }
  ~cIrrlichtBurnings() override {
    m_Buffer->drop();
    m_Device->drop();
  }

  void SetMesh(const tPlainMesh& mesh) override {
    m_Buffer->Vertices.set_used(mesh.vertexCount);
    for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
      const float *p = mesh.positions + 3 * i, *n = mesh.normals + 3 * i, *t = mesh.texture + 2 * i;
      m_Buffer->Vertices[i] = video::S3DVertex(p[0], p[1], p[2], n[0], n[1], n[2],
                                               video::SColor(255, 255, 255, 255), t[0], t[1]);
    }
    m_Buffer->Indices.set_used(mesh.indexCount);
    for (uint32_t i = 0; i < mesh.indexCount; ++i) m_Buffer->Indices[i] = mesh.indices[i];
    m_Buffer->recalculateBoundingBox();
  }

  void SetTexture(const uint32_t* argb, int width, int height) override {
    video::IImage* image = m_Driver->createImageFromData(
        video::ECF_A8R8G8B8, core::dimension2du(width, height), const_cast<uint32_t*>(argb));
    m_Material.setTexture(0, m_Driver->addTexture("texture", image));
    image->drop();
  }

  void SetAmbient(float grey) override {
    m_Driver->setAmbientLight(video::SColorf(grey, grey, grey, 1.0f));
  }

  void AddSun(const float direction[3]) override {
    video::SLight sun;
    sun.Type = video::ELT_DIRECTIONAL;
    sun.Direction = core::vector3df(direction[0], direction[1], direction[2]).normalize();
    m_Driver->addDynamicLight(sun);
  }

  void AddLamp(const float position[3], const float attenuation[3]) override {
    video::SLight lamp;
    lamp.Type = video::ELT_POINT;
    lamp.Position = core::vector3df(position[0], position[1], position[2]);
    lamp.Attenuation = core::vector3df(attenuation[0], attenuation[1], attenuation[2]);
    lamp.Radius = 1000.0f;
    m_Driver->addDynamicLight(lamp);
  }

  void SetCamera(const tPlainMatrix view, const tPlainMatrix projection) override {
    m_View = ToMatrix(view);
    m_Projection = ToMatrix(projection);
  }

  void DrawFrame(const tPlainMatrix* worlds, int count) override {
    m_Driver->beginScene(true, true, video::SColor(255, 0, 0, 0));
    m_Driver->setTransform(video::ETS_VIEW, m_View);
    m_Driver->setTransform(video::ETS_PROJECTION, m_Projection);
    m_Driver->setMaterial(m_Material);
    for (int i = 0; i < count; ++i) {
      m_Driver->setTransform(video::ETS_WORLD, ToMatrix(worlds[i]));
      m_Driver->drawMeshBuffer(m_Buffer);
    }
    m_Driver->endScene();
  }

  bool SavePicture(const std::string& fileName) override {
    video::IImage* shot = m_Driver->createScreenShot();
    if (shot == nullptr) return false;
    const bool written = m_Driver->writeImageToFile(shot, fileName.c_str());
    shot->drop();
    return written;
  }

 private:
  IrrlichtDevice* m_Device;
  video::IVideoDriver* m_Driver;
  scene::SMeshBuffer* m_Buffer = new scene::SMeshBuffer;
  video::SMaterial m_Material;
  core::matrix4 m_View, m_Projection;
};

}  // namespace

std::unique_ptr<cBurningsVideo> cBurningsVideo::Open(int width, int height) {
  IrrlichtDevice* device = createDevice(video::EDT_BURNINGSVIDEO, core::dimension2du(width, height),
                                        32, false, false, false);
  if (device == nullptr) return nullptr;
  device->getLogger()->setLogLevel(ELL_NONE);
  return std::make_unique<cIrrlichtBurnings>(device);
}
