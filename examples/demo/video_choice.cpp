#include "video_choice.h"

namespace demo {
namespace {

/// The device's trace lines, kept instead of printed, so that the demo
/// says what happened in one line of its own.
void KeepLine(const char* line, void* user) {
  *static_cast<std::string*>(user) = line;
}

cVideo3D* Open(cApplicationEx& app, const char* driver, int width, int height,
               std::string& traced) {
  if (!app.Initialize(cApplicationEx::Video, driver)) return nullptr;
  auto* video = dynamic_cast<cVideo3D*>(app.GetVideo());
  const tMessageSink previous = gSetTraceSink(KeepLine, &traced);
  if (video)
    app.InitVideo(static_cast<uint16_t>(width), static_cast<uint16_t>(height), 32, true, 0,
                  "tolmak demo");
  gSetTraceSink(previous);
  if (video && video->IsInitialized()) return video;
  cPluginSystem::GetInstance()->Destroy(app.GetVideo());
  return nullptr;
}

}  // namespace

cVideoChoice OpenVideo(cApplicationEx& app, bool window, int width, int height) {
  cVideoChoice choice;
  tArray<cString> drivers;
  app.EnumerateVideoDevices(cApplicationEx::Video3D, drivers);
  if (window && !drivers.Contains(cString("cOpenGLVideo3D"))) {
    choice.note = "no window: the OpenGL driver library is not installed";
  } else if (window) {
    std::string traced;
    choice.video = Open(app, "cOpenGLVideo3D", width, height, traced);
    choice.windowed = choice.video != nullptr;
    const std::string reason = traced.substr(traced.find(": ") + 2);
    choice.note = choice.windowed ? "window drawn by " + reason : "no window (" + reason + ")";
  }
  if (!choice.video) {
    std::string traced;
    choice.video = Open(app, "cSoftwareVideo3D", width, height, traced);
    if (window) choice.note += "; drawing with the software device into PNG files";
  }
  return choice;
}

}  // namespace demo
