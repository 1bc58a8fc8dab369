// The model viewer: tolmak-viewer MODEL [options]; see kUsage.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "viewer.h"

namespace {

const char* const kUsage =
    "usage: viewer MODEL [--frames N] [--output FOLDER] [--video CLASS] [--size WxH]\n"
    "  MODEL           any model file the compiler reads (glTF, OBJ, FBX, ...)\n"
    "  --frames N      frames of one orbit around the model (default 36)\n"
    "  --output FOLDER where the software device writes its pictures\n"
    "                  (default viewer-output)\n"
    "  --video CLASS   the 3D video device (default cSoftwareVideo3D; the\n"
    "                  windowed cOpenGLVideo3D where its library exists)\n"
    "  --size WxH      picture size (default 640x480)\n";

bool ParseOptions(int argc, char** argv, viewer::cOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") return false;
    if (option.rfind("--", 0) != 0) {
      if (!options.model.empty()) return false;
      options.model = option;
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (option == "--frames") {
      options.frames = std::atoi(value);
      if (options.frames < 1 || options.frames > 10000) return false;
    } else if (option == "--output") {
      options.output = value;
    } else if (option == "--video") {
      options.video = value;
    } else if (option == "--size") {
      if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2 || options.width < 16 ||
          options.height < 16 || options.width > 4096 || options.height > 4096)
        return false;
    } else {
      return false;
    }
  }
  return !options.model.empty();
}

}  // namespace

int main(int argc, char** argv) {
  viewer::cOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  viewer::cViewer app(options);
  int result = 1;
  try {
    app.Init();
    result = app.Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "viewer: %s\n", error.what());
  }
  app.Exit();
  return result;
}
