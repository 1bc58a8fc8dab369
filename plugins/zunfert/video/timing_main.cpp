// Times the 3D device on a scene like the demo's: a few thousand textured,
// lit triangles at 640 by 480, with the frame split into transform, raster
// and present. Run: zunfert_video_timing [frames] [threads] [png-pattern]
//
// With one thread (the default) the times are processor time, as the machine
// is shared. With several, the frame is timed by the wall clock too, and the
// calling thread's own processor time is given apart: the frame cannot take
// less than it, and the wall clock past it is the caller waiting (for the
// helpers, or for a core).
#include <time.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "timing_scene.h"

using namespace zunfert;

namespace {

/// The calling thread's processor seconds, where the system counts them.
double ThreadSeconds() {
#ifdef CLOCK_THREAD_CPUTIME_ID
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
#else
  return 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  const int threads = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 1;
  cSoftwareVideo3D device;
  timing::cDeviceScene scene;
  if (!scene.Open(device)) return 1;
  device.SetRasterThreads(threads);
  device.KeepTimes(true);
  const auto wallStart = std::chrono::steady_clock::now();
  const std::clock_t start = std::clock();  // processor time: the machine is shared
  const double threadStart = ThreadSeconds();
  for (int frame = 0; frame < frames; ++frame) scene.DrawFrame(frame);
  const uint32_t triangles = scene.GetTriangles();
  const double caller = ThreadSeconds() - threadStart;
  const double total = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const auto& t = device.GetTimes();
  const double ms = 1e3 / frames;
  std::printf(
      "%d frames of %u triangles at 640x480 on %d thread(s): %.2f ms per frame (%.0f fps)"
      " of processor time\n",
      frames, triangles, threads, ms * total, frames / total);
  const double clear = total - t.transform - t.raster - t.present;
  std::printf("  transform %.2f ms, raster %.2f ms, present %.2f ms (in memory), clear %.2f ms\n",
              ms * t.transform, ms * t.raster, ms * t.present, ms * clear);
  if (threads > 1)
    std::printf(
        "  wall clock %.2f ms per frame (%.0f fps); the calling thread %.2f ms of processor time "
        "(%.0f %% of all); the threads spun %.2f ms waiting for each other\n",
        ms * wall, frames / wall, ms * caller, 100 * caller / total, ms * device.GetSpunSeconds());
  if (argc > 3) {
    device.SetOutput(cString(argv[3]));
    device.ResetTimes();
    const int written = 10;
    for (int i = 0; i < written; ++i) device.Flip();
    std::printf("  present with a PNG file: %.2f ms\n", 1e3 * device.GetTimes().present / written);
  }
  return 0;
}
