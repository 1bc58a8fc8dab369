// Times the 3D device on a scene like the demo's: a few thousand textured,
// lit triangles at 640 by 480, with the frame split into transform, raster
// and present. Run: zunfert_video_timing [frames] [threads] [png-pattern]
//
// With one thread (the default) the times are processor time, as the machine
// is shared. With several, the frame is timed by the wall clock too, and the
// calling thread's share that no other thread helps with (transform, clear,
// present) is given apart: it bounds what the threads can gain.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "timing_scene.h"

using namespace zunfert;

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  const int threads = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 1;
  cSoftwareVideo3D device;
  timing::cDeviceScene scene;
  if (!scene.Open(device)) return 1;
  device.SetRasterThreads(threads);
  const auto wallStart = std::chrono::steady_clock::now();
  const std::clock_t start = std::clock();  // processor time: the machine is shared
  for (int frame = 0; frame < frames; ++frame) scene.DrawFrame(frame);
  const uint32_t triangles = scene.GetTriangles();
  const double total = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const auto& t = device.GetTimes();
  const double ms = 1e3 / frames;
  std::printf(
      "%d frames of %u triangles at 640x480 on %d thread(s): %.2f ms per frame (%.0f fps)"
      " of processor time\n",
      frames, triangles, threads, ms * total, frames / total);
  const double clear = total - t.transform - t.setup - t.raster - t.present;
  std::printf(
      "  transform %.2f ms, setup %.2f ms, raster %.2f ms, present %.2f ms (in memory), "
      "clear %.2f ms\n",
      ms * t.transform, ms * t.setup, ms * t.raster, ms * t.present, ms * clear);
  if (threads > 1) {
    const double serial = total - t.setup - t.raster;
    std::printf(
        "  wall clock %.2f ms per frame (%.0f fps); the caller alone %.2f ms (%.0f %% of "
        "the processor time)\n",
        ms * wall, frames / wall, ms * serial, 100 * serial / total);
  }
  if (argc > 3) {
    device.SetOutput(cString(argv[3]));
    device.ResetTimes();
    const int written = 10;
    for (int i = 0; i < written; ++i) device.Flip();
    std::printf("  present with a PNG file: %.2f ms\n", 1e3 * device.GetTimes().present / written);
  }
  return 0;
}
