// The audio driver's costs: the mix of 8, 32 and 64 playing 3D voices at
// 48 kHz through OpenAL Soft's loopback render, and stream decoding of
// Ogg Vorbis and FLAC through our streams beside libsndfile's own decode
// loop on the same file.
//
// Names: audio/mix3d/<voices> (counter x_realtime: seconds of sound mixed
// per second of processor time); audio/decode/<ogg|flac>/<ours|libsndfile>.

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_main.h"
#include "zunfert_al.h"

namespace {

constexpr int kRate = 48000;
constexpr uint32_t kChunk = 4096;

/// Ten seconds of a stereo chord: music-like work for the encoders.
void Chord(cOpenALSoundSample& sample, int seconds) {
  const uint32_t frames = uint32_t(seconds * kRate);
  sample.Create(frames, kRate, 16, 2);
  auto* pcm = static_cast<int16_t*>(sample.Lock(0, frames));
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    const double v = std::sin(6.2831853 * 220 * t) + 0.5 * std::sin(6.2831853 * 277.2 * t) +
                     0.3 * std::sin(6.2831853 * 329.6 * t * (1 + 0.01 * std::sin(t)));
    pcm[2 * i] = pcm[2 * i + 1] = int16_t(v * 9000);
  }
  sample.Unlock();
}

std::string WriteFile(const char* name, ESoundFile type) {
  cOpenALSoundSample chord;
  Chord(chord, 10);
  cMemoryStream bytes;
  chord.SaveTo(bytes, type);
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
  return name;
}

void Mix3D(benchmark::State& state) {
  cOpenALSoundSystem system;
  system.SetMaxChannels(64);
  if (!system.InitLoopback(kRate, 16, 2)) {
    state.SkipWithError(system.GetLastError().c_str());
    return;
  }
  std::vector<int16_t> tone(kRate);
  for (int i = 0; i < kRate; ++i)
    tone[size_t(i)] = int16_t(8000 * std::sin(6.2831853 * 300 * i / kRate));
  cSoundSample* sample = system.CreateSample(kRate, kRate, 16, 1);
  std::copy(tone.begin(), tone.end(), static_cast<int16_t*>(sample->Lock(0, kRate)));
  sample->Unlock();
  sample->Enable3D(true);
  const int voices = int(state.range(0));
  for (int v = 0; v < voices; ++v) {
    cSoundChannel* channel = system.PlaySample(sample, true);
    const float angle = 6.2831853f * float(v) / float(voices);
    channel->Set3DPosition({10 * std::cos(angle), float(v % 5), 10 * std::sin(angle)});
    channel->Set3DVelocity({float(v % 3), 0, 1});
    channel->SetFrequency(kRate + 100 * v);  // every voice resampled
    channel->Set3DDistances(2, 100);
  }
  std::vector<int16_t> second(size_t(kRate) * 2);
  for (auto _ : state) {
    system.Render(second.data(), kRate);
    benchmark::DoNotOptimize(second.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void DecodeOurs(benchmark::State& state, const std::string& file) {
  cStreamManager::New();
  std::vector<int16_t> pcm(kChunk * 2);
  int64_t frames = 0;
  for (auto _ : state) {
    cOpenALSoundStream stream;
    stream.Open(cStreamManager::GetInstance()->Open(cUrl(file.c_str()), cStreamManager::OpenRead));
    while (uint32_t bytes = stream.Decode(pcm.data(), uint32_t(pcm.size() * 2)))
      frames += bytes / 4;
  }
  state.SetItemsProcessed(frames);
  cStreamManager::Delete();
}

void DecodeLibsndfile(benchmark::State& state, const std::string& file) {
  std::vector<int16_t> pcm(kChunk * 2);
  int64_t frames = 0;
  for (auto _ : state) {
    SF_INFO info = {};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    while (sf_count_t got = sf_readf_short(sound, pcm.data(), kChunk)) frames += got;
    sf_close(sound);
  }
  state.SetItemsProcessed(frames);
}

}  // namespace

bool RegisterBenchmarks() {
  benchmark::RegisterBenchmark("audio/mix3d", Mix3D)
      ->Arg(8)
      ->Arg(32)
      ->Arg(64)
      ->Unit(benchmark::kMillisecond);
  const std::pair<const char*, ESoundFile> kinds[] = {{"ogg", ESoundFile::OggVorbis},
                                                      {"flac", ESoundFile::Flac}};
  for (const auto& [name, type] : kinds) {
    // Beside the system's other temporary files, not in the caller's folder.
    const std::string file = WriteFile(
        (std::filesystem::temp_directory_path() / (std::string("tolmak_bench_audio.") + name))
            .string()
            .c_str(),
        type);
    benchmark::RegisterBenchmark((std::string("audio/decode/") + name + "/ours").c_str(),
                                 DecodeOurs, file)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("audio/decode/") + name + "/libsndfile").c_str(),
                                 DecodeLibsndfile, file)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}
