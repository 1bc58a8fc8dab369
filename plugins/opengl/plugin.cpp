// The entry point of the driver library: the sample plug-in links it when
// it is present, and it registers its classes with the same plug-in system.
#include "input/sdl_input.h"
#include "opengl_video2d.h"
#include "opengl_video3d.h"

VARN_PLUGIN_REGISTER(plugins) {
  plugins->Register(zunfert::cOpenGLVideo3D::Descriptor());
  plugins->Register(zunfert::cOpenGLVideo2D::Descriptor());
  RegisterSdlInputClasses(plugins);
}
