// Times the 3D device on a scene like the demo's: a few thousand textured,
// lit triangles at 640 by 480, with the frame split into transform, raster
// and present. Run: zunfert_video_timing [frames] [png-pattern]
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "timing_scene.h"

using namespace zunfert;

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  cSoftwareVideo3D device;
  timing::cDeviceScene scene;
  if (!scene.Open(device)) return 1;
  device.SetRasterThreads(1);               // one core, in processor time
  const std::clock_t start = std::clock();  // processor time: the machine is shared
  for (int frame = 0; frame < frames; ++frame) scene.DrawFrame(frame);
  const uint32_t triangles = scene.GetTriangles();
  const double total = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const auto& t = device.GetTimes();
  std::printf("%d frames of %u triangles at 640x480: %.2f ms per frame (%.0f fps)\n", frames,
              triangles, 1e3 * total / frames, frames / total);
  std::printf("  transform %.2f ms, raster %.2f ms, present %.2f ms (in memory), clear %.2f ms\n",
              1e3 * t.transform / frames, 1e3 * t.raster / frames, 1e3 * t.present / frames,
              1e3 * (total - t.transform - t.raster - t.present) / frames);
  if (argc > 2) {
    device.SetOutput(cString(argv[2]));
    device.ResetTimes();
    const int written = 10;
    for (int i = 0; i < written; ++i) device.Flip();
    std::printf("  present with a PNG file: %.2f ms\n", 1e3 * device.GetTimes().present / written);
  }
  return 0;
}
