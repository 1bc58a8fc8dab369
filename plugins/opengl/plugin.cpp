// The entry point of the driver library: the sample plug-in links it when
// it is present, and it registers its classes with the same plug-in system.
#include "opengl_video2d.h"
#include "opengl_video3d.h"

#ifdef ZUNFERT_SDL_INPUT
void RegisterSdlInputClasses(cPluginSystem* plugins);
#endif

VARN_PLUGIN_REGISTER(plugins) {
  plugins->Register(zunfert::cOpenGLVideo3D::Descriptor());
  plugins->Register(zunfert::cOpenGLVideo2D::Descriptor());
#ifdef ZUNFERT_SDL_INPUT
  RegisterSdlInputClasses(plugins);
#endif
}
