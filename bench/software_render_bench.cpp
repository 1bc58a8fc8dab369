// The plug-in's software 3D device against Irrlicht's software renderer
// ("Burning's Video") on one scene: the same sphere mesh, texture, lights,
// camera and resolution (zunfert::timing::cScene). Each iteration is one
// whole frame, timed in the thread's processor time; and ours on one and
// two threads by the wall clock, and on one thread held to each core in
// turn, alone and with the other core drawing too. Burning's Video draws
// into an X window and needs a display: run under xvfb-run.
//
// With TOLMAK_BENCH_PICTURES set to a folder, frame 30 of both is written
// there first, as zunfert.png and burnings.png.

#include <benchmark/benchmark.h>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_main.h"
#include "burnings_video.h"
#include "matrix_trees.h"
#include "timing_scene.h"

namespace {

using zunfert::cSoftwareVideo3D;
using zunfert::timing::cScene;

constexpr int kPictureFrame = 30;

// Our 4x3 matrices in sixteen floats. The device's camera looks down its
// -Z axis and makes w = -z; Irrlicht's looks down +Z with w = z, so the view
// turns Z round and the projection takes it back: x, y, z and w come out
// the same in both.
void ToPlain(const cMatrix4x3& m, tPlainMatrix out) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) out[4 * r + c] = m(r, c);
    out[4 * r + 3] = r == 3 ? 1.0f : 0.0f;
  }
}

void ToPlainView(const cMatrix4x3& m, tPlainMatrix out) {
  ToPlain(m, out);
  for (int r = 0; r < 4; ++r) out[4 * r + 2] = -out[4 * r + 2];
}

void ToPlainProjection(const cMatrix4x3& m, tPlainMatrix out) {
  ToPlain(m, out);
  for (int c = 0; c < 3; ++c) out[8 + c] = -out[8 + c];
  out[11] = 1.0f;
  out[15] = 0.0f;
}

/// The scene given to Irrlicht's renderer.
class cBurningsScene {
 public:
  bool Open() {
    m_Video = cBurningsVideo::Open(cScene::kWidth, cScene::kHeight);
    if (!m_Video) return false;
    for (const cVector3& p : m_Scene.positions)
      m_Positions.insert(m_Positions.end(), {p.x, p.y, p.z});
    for (const cVector2& t : m_Scene.texture) m_Texture.insert(m_Texture.end(), {t.x, t.y});
    m_Video->SetMesh({m_Positions.data(), m_Positions.data(), m_Texture.data(),
                      static_cast<uint32_t>(m_Scene.positions.size()), m_Scene.indices.data(),
                      static_cast<uint32_t>(m_Scene.indices.size())});
    m_Video->SetTexture(m_Scene.texels.data(), cScene::kTextureSize, cScene::kTextureSize);
    m_Video->SetAmbient(cScene::kAmbient);
    m_Video->AddSun(cScene::kSunDirection);
    m_Video->AddLamp(cScene::kLampPosition, cScene::kLampAttenuation);
    const cFrustumInfo lens = cScene::Lens();
    tPlainMatrix view, projection;
    ToPlainView(lens.GetRotation(), view);
    ToPlainProjection(lens.GetProjection(), projection);
    m_Video->SetCamera(view, projection);
    return true;
  }

  void DrawFrame(int frame) {
    tPlainMatrix worlds[cScene::kSpheres];
    for (int i = 0; i < cScene::kSpheres; ++i) ToPlain(cScene::SphereWorld(frame, i), worlds[i]);
    m_Video->DrawFrame(worlds, cScene::kSpheres);
  }

  bool SavePicture(const std::string& fileName) { return m_Video->SavePicture(fileName); }

 private:
  cScene m_Scene;
  std::unique_ptr<cBurningsVideo> m_Video;
  std::vector<float> m_Positions, m_Texture;
};

template <class tDraw>
void TimeFrames(benchmark::State& state, tDraw draw) {
  int frame = 0;
  for (auto _ : state) {
    const double start = matrix_trees::ThreadSeconds();
    draw(frame++ % 360);
    state.SetIterationTime(matrix_trees::ThreadSeconds() - start);
  }
}

// On one thread, in its processor time, as Burning's Video.
void Zunfert(benchmark::State& state) {
  cSoftwareVideo3D device;
  zunfert::timing::cDeviceScene scene;
  if (!scene.Open(device)) return state.SkipWithError("the software device did not start");
  device.SetRasterThreads(1);
  TimeFrames(state, [&](int frame) { scene.DrawFrame(frame); });
  state.counters["triangles"] = scene.GetTriangles();
}

// On threads threads, by the wall clock: what the frame rate gains.
void ZunfertWall(benchmark::State& state, int threads) {
  cSoftwareVideo3D device;
  zunfert::timing::cDeviceScene scene;
  if (!scene.Open(device)) return state.SkipWithError("the software device did not start");
  device.SetRasterThreads(threads);
  int frame = 0;
  for (auto _ : state) scene.DrawFrame(frame++ % 360);
}

void ZunfertThreads(benchmark::State& state) {
  ZunfertWall(state, static_cast<int>(state.range(0)));
}

#ifdef __linux__
/// Holds the calling thread to one core while it lives.
class cHeldToCore {
 public:
  explicit cHeldToCore(int core) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    m_Held = pthread_getaffinity_np(pthread_self(), sizeof m_Before, &m_Before) == 0 &&
             pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
  }
  ~cHeldToCore() {
    if (m_Held) pthread_setaffinity_np(pthread_self(), sizeof m_Before, &m_Before);
  }
  cHeldToCore(const cHeldToCore&) = delete;
  cHeldToCore& operator=(const cHeldToCore&) = delete;
  explicit operator bool() const { return m_Held; }

 private:
  cpu_set_t m_Before;
  bool m_Held = false;
};

// On one thread held to core state.range(0), by the wall clock: the cores
// of a virtual machine need not run at one speed, and two threads can at
// best add the two cores' frame rates.
void ZunfertOnCore(benchmark::State& state) {
  const cHeldToCore held(static_cast<int>(state.range(0)));
  if (!held) return state.SkipWithError("could not hold the thread to that core");
  ZunfertWall(state, 1);
}

// The same while another one-thread device draws on the other core: the
// cores of a virtual machine can slow each other down, and then two threads
// can at best add these rates, not the ones above.
void ZunfertOnBusyCore(benchmark::State& state) {
  const int core = static_cast<int>(state.range(0));
  std::atomic<int> other = 0;  // 1 once drawing, -1 if it cannot
  std::atomic<bool> stop = false;
  std::thread neighbour([&] {
    const cHeldToCore held(1 - core);
    cSoftwareVideo3D device;
    zunfert::timing::cDeviceScene scene;
    if (!held || !scene.Open(device)) return other.store(-1);
    device.SetRasterThreads(1);
    for (int frame = 0; !stop.load(std::memory_order_relaxed); ++frame) {
      scene.DrawFrame(frame % 360);
      other.store(1, std::memory_order_relaxed);
    }
  });
  while (other.load() == 0) std::this_thread::yield();
  if (other.load() < 0) {
    state.SkipWithError("could not draw on the other core");
  } else {
    ZunfertOnCore(state);
  }
  stop.store(true);
  neighbour.join();
}
#endif

// One window for the whole run: the X server may refuse a second one while
// it resets after the first closed.
cBurningsScene* SharedBurnings() {
  static cBurningsScene* scene = [] {
    auto* opened = new cBurningsScene;
    if (opened->Open()) return opened;
    delete opened;
    return static_cast<cBurningsScene*>(nullptr);
  }();
  return scene;
}

void Burnings(benchmark::State& state) {
  cBurningsScene* scene = SharedBurnings();
  if (!scene) return state.SkipWithError("Burning's Video did not start (no display?)");
  TimeFrames(state, [&](int frame) { scene->DrawFrame(frame); });
}

void WritePictures(const std::string& folder) {
  cSoftwareVideo3D device;
  zunfert::timing::cDeviceScene ours;
  if (ours.Open(device)) {
    device.SetOutput(cString((folder + "/zunfert.png").c_str()));
    ours.DrawFrame(kPictureFrame);
  }
  if (cBurningsScene* theirs = SharedBurnings()) {
    // Its first frames come out empty: draw up to the picture's.
    for (int frame = 0; frame <= kPictureFrame; ++frame) theirs->DrawFrame(frame);
    theirs->SavePicture(folder + "/burnings.png");
  }
}

}  // namespace

bool RegisterBenchmarks() {
  if (const char* folder = std::getenv("TOLMAK_BENCH_PICTURES")) WritePictures(folder);
  benchmark::RegisterBenchmark("render/zunfert", Zunfert)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("render/zunfert/wall", ZunfertThreads)
      ->ArgName("threads")
      ->Arg(1)
      ->Arg(2)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
#ifdef __linux__
  benchmark::RegisterBenchmark("render/zunfert/wall/threads:1", ZunfertOnCore)
      ->ArgName("core")
      ->DenseRange(0, std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2) - 1)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  if (std::thread::hardware_concurrency() >= 2)
    benchmark::RegisterBenchmark("render/zunfert/wall/busy", ZunfertOnBusyCore)
        ->ArgName("core")
        ->DenseRange(0, 1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
#endif
  benchmark::RegisterBenchmark("render/burnings", Burnings)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  return true;
}
