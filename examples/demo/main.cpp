// The demo game: a small orrery drawn by the software video device of the
// plug-in library, frame by frame into PNG files, driven by a scripted
// keyboard and mouse; the scene is then saved, loaded back into a fresh
// world and drawn again, and the two pictures must be identical.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "play.h"

namespace {

const char* const kUsage =
    "usage: demo [--frames N] [--output FOLDER] [--input SCRIPT] [--video DEVICE]\n"
    "            [--audio FILE.wav]\n"
    "  --frames N       frames to draw (default 60, at 30 frames a second; in a\n"
    "                   window, until Escape or the window closes)\n"
    "  --output FOLDER  where the pictures, textures and saved scene go\n"
    "                   (default demo-output)\n"
    "  --input SCRIPT   an input script of timed key and mouse events instead\n"
    "                   of the built-in one (see the README)\n"
    "  --audio FILE.wav render the soundtrack offline into the file instead of\n"
    "                   playing it on the sound device\n"
    "  --video DEVICE   opengl (default: a window where a display exists) or\n"
    "                   software (PNG files)\n";

bool ParseOptions(int argc, char** argv, demo::cOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") return false;
    if (i + 1 >= argc) {
      std::fprintf(stderr, "demo: %s needs a value\n", option.c_str());
      return false;
    }
    const char* value = argv[++i];
    if (option == "--frames") {
      char* end = nullptr;
      const long frames = std::strtol(value, &end, 10);
      if (*end != '\0' || frames < 1 || frames > 100000) {
        std::fprintf(stderr, "demo: --frames takes a number from 1 to 100000\n");
        return false;
      }
      options.frames = static_cast<int>(frames);
      options.framesGiven = true;
    } else if (option == "--output") {
      options.output = value;
    } else if (option == "--input") {
      options.input = value;
    } else if (option == "--audio") {
      options.audio = value;
    } else if (option == "--video") {
      if (std::strcmp(value, "opengl") != 0 && std::strcmp(value, "software") != 0) {
        std::fprintf(stderr, "demo: --video takes opengl or software\n");
        return false;
      }
      options.window = std::strcmp(value, "opengl") == 0;
    } else {
      std::fprintf(stderr, "demo: unknown option %s\n", option.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  demo::cOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  demo::cDemo game(options);
  try {
    game.Init();
    const int result = game.Run();
    game.Exit();
    return result;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "\ndemo: %s\n", error.what());
  }
  game.Exit();
  return 1;
}
