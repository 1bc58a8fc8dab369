#include "sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "zunfert_al.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr double kTwoPi = 6.283185307179586;

/// Fills a mono 16-bit sample, each frame the voice's value at its time.
template <class tVoice>
void Synthesise(cSoundSample& sample, tVoice voice) {
  auto* pcm = static_cast<int16_t*>(sample.Lock(0, sample.GetLength()));
  for (uint32_t i = 0; i < sample.GetLength(); ++i)
    pcm[i] = static_cast<int16_t>(std::lround(12000.0 * voice(double(i) / kRate)));
  sample.Unlock();
}

/// An arpeggio of the notes (hertz), a quarter second each, over and over.
auto Arpeggio(std::vector<double> notes) {
  return [notes](double t) {
    const double beat = t * 4.0, within = beat - std::floor(beat);
    const double hertz = notes[static_cast<size_t>(beat) % notes.size()];
    const double envelope = std::min(1.0, within * 40.0) * std::exp(-3.0 * within);
    return envelope * (0.7 * std::sin(kTwoPi * hertz * t) + 0.3 * std::sin(kTwoPi * 2 * hertz * t));
  };
}

void WriteFile(const fs::path& path, const cOpenALSoundSample& sample, ESoundFile type) {
  cMemoryStream bytes;
  sample.SaveTo(bytes, type);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
}

}  // namespace

class cSoundImpl {
 public:
  bool Start(const std::string& folder, const std::string& wav);
  void Update(const cMatrix4x3& camera, const cVector3& moon, float step);
  void Stop();

 private:
  std::string WriteTracks(const std::string& folder);

  cOpenALSoundSystem m_System;
  std::string m_Wav;
  cSoundChannel* m_Hum = nullptr;
  cVector3 m_Moon;
  double m_Time = 0;
  std::vector<int16_t> m_Soundtrack;
};

std::string cSoundImpl::WriteTracks(const std::string& folder) {
  const fs::path music = fs::path(folder) / "music";
  fs::create_directories(music);
  const std::vector<double> chords[] = {{220, 261.63, 329.63, 440}, {196, 246.94, 293.66, 392}};
  for (size_t i = 0; i < std::size(chords); ++i) {
    cOpenALSoundSample track;
    track.Create(4 * kRate, kRate, 16, 1);
    Synthesise(track, Arpeggio(chords[i]));
    WriteFile(music / ("track0" + std::to_string(i + 1) + ".ogg"), track, ESoundFile::OggVorbis);
  }
  return music.string() + "/";
}

bool cSoundImpl::Start(const std::string& folder, const std::string& wav) {
  m_Wav = wav;
  const bool started =
      wav.empty() ? m_System.InitSound(kRate, 16, 2) : m_System.InitLoopback(kRate, 16, 2);
  if (!started) {
    std::printf("demo: no sound (%s)\n", m_System.GetLastError().c_str());
    return false;
  }
  // A low hum with a slow beat, one second that loops seamlessly.
  cSoundSample* sample = m_System.CreateSample(kRate, kRate, 16, 1);
  Synthesise(*sample, [](double t) {
    return (0.6 * std::sin(kTwoPi * 110 * t) + 0.4 * std::sin(kTwoPi * 165 * t)) *
           (0.75 + 0.25 * std::sin(kTwoPi * 2 * t));
  });
  sample->Enable3D(true);
  m_Hum = m_System.PlaySample(sample, true);
  m_Hum->Set3DDistances(6, 60);

  auto* cd = static_cast<cOpenALCDPlayer*>(m_System.GetCDPlayer());
  cd->SetFolder(WriteTracks(folder).c_str());
  cd->SetVolume(0.5f);
  if (cd->OpenDrive(0)) cd->Play(1, cd->GetTrackCount());
  std::printf("demo: sound through %s\n", m_System.GetDriverName().c_str());
  return true;
}

void cSoundImpl::Update(const cMatrix4x3& camera, const cVector3& moon, float step) {
  m_System.SetListener(camera);
  m_Hum->Set3DVelocity((moon - m_Moon) * (1.0f / step));
  m_Hum->Set3DPosition(moon);
  m_Moon = moon;
  m_System.Update();
  if (!m_System.IsLoopback()) return;
  // Whole frames of sound for the game time so far, so none drift.
  const auto done = static_cast<size_t>(m_Time * kRate);
  m_Time += step;
  const auto frames = static_cast<uint32_t>(static_cast<size_t>(m_Time * kRate) - done);
  m_Soundtrack.resize(m_Soundtrack.size() + size_t(frames) * 2);
  m_System.Render(m_Soundtrack.data() + m_Soundtrack.size() - size_t(frames) * 2, frames);
}

void cSoundImpl::Stop() {
  const bool offline = m_System.IsLoopback();
  m_System.ShutdownSound();
  if (!offline || m_Soundtrack.empty()) return;
  cOpenALSoundSample track;
  const auto frames = static_cast<uint32_t>(m_Soundtrack.size() / 2);
  track.Create(frames, kRate, 16, 2);
  std::copy(m_Soundtrack.begin(), m_Soundtrack.end(), static_cast<int16_t*>(track.Lock(0, frames)));
  track.Unlock();
  WriteFile(m_Wav, track, ESoundFile::Wav);
  std::printf("Sound:     %s (%.2f s, 48 kHz stereo)\n", fs::absolute(m_Wav).string().c_str(),
              double(frames) / kRate);
  m_Soundtrack.clear();
}

cDemoSound::cDemoSound() = default;
cDemoSound::~cDemoSound() {
  Stop();
}

void cDemoSound::Start(const std::string& folder, const std::string& wav) {
  m_Impl = std::make_unique<cSoundImpl>();
  if (!m_Impl->Start(folder, wav)) m_Impl.reset();
}

void cDemoSound::Update(const cMatrix4x3& camera, const cVector3& moon, float step) {
  if (m_Impl) m_Impl->Update(camera, moon, step);
}

void cDemoSound::Stop() {
  if (m_Impl) m_Impl->Stop();
  m_Impl.reset();
}

}  // namespace demo
