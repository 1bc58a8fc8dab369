#include "zunfert_video.h"

namespace zunfert {

iClassDesc* cSoftwareVideo3D::Descriptor() {
  static tPluginClassDesc<cSoftwareVideo3D> descriptor("cSoftwareVideo3D", "cSoftwareVideo3D",
                                                       &cVideo3D::m_Descriptor);
  return &descriptor;
}

iClassDesc* cSoftwareVideo3D::GetDescriptor() const {
  return Descriptor();
}

iClassDesc* cSoftwareVideo2D::Descriptor() {
  static tPluginClassDesc<cSoftwareVideo2D> descriptor("cSoftwareVideo2D", "cSoftwareVideo2D",
                                                       &cVideo2D::m_Descriptor);
  return &descriptor;
}

iClassDesc* cSoftwareVideo2D::GetDescriptor() const {
  return Descriptor();
}

void RegisterVideoClasses(cPluginSystem* plugins) {
  plugins->Register(cSoftwareVideo3D::Descriptor());
  plugins->Register(cSoftwareVideo2D::Descriptor());
}

}  // namespace zunfert
