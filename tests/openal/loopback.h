#pragma once

// Shared by the audio driver's tests: a sound system rendering into memory
// at 48 kHz stereo, sounds made to order, and what a listener measures.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "zunfert_al.h"

namespace tolmak::test {

constexpr int kRate = 48000;

/// Interleaved stereo 16-bit frames.
using tPcm = std::vector<int16_t>;

/// A sine of that frequency and peak, frames long, in every channel.
inline tPcm Sine(double hertz, double peak, uint32_t frames, int channels = 1, int rate = kRate) {
  tPcm pcm(size_t(frames) * size_t(channels));
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      pcm[size_t(i) * size_t(channels) + size_t(c)] =
          int16_t(std::lround(peak * std::sin(6.283185307179586 * hertz * i / rate)));
  return pcm;
}

/// One channel of interleaved stereo.
inline std::vector<double> Side(const tPcm& stereo, int side) {
  std::vector<double> out(stereo.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = stereo[2 * i + size_t(side)];
  return out;
}

inline double Rms(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x) sum += v * v;
  return x.empty() ? 0 : std::sqrt(sum / double(x.size()));
}

/// Frequency from the rising zero crossings, interpolated between samples.
inline double Frequency(const std::vector<double>& x, int rate = kRate) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = 1; i < x.size(); ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      const double at = double(i - 1) + -x[i - 1] / (x[i] - x[i - 1]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0;
}

/// A sound file of the PCM, in memory, as SaveTo writes it.
inline std::vector<uint8_t> Encode(const tPcm& pcm, int channels, int rate, ESoundFile type) {
  cOpenALSoundSample sample;
  const uint32_t frames = uint32_t(pcm.size() / size_t(channels));
  EXPECT_TRUE(sample.Create(frames, rate, 16, channels));
  std::copy(pcm.begin(), pcm.end(), static_cast<int16_t*>(sample.Lock(0, frames)));
  sample.Unlock();
  cMemoryStream out;
  sample.SaveTo(out, type);
  return {out.GetData(), out.GetData() + out.GetSize()};
}

/// A loopback sound system with a stream manager for its streams.
class cLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cStreamManager::New();
    m_System.SetMaxChannels(8);
    ASSERT_TRUE(m_System.InitLoopback(kRate, 16, 2)) << m_System.GetLastError().c_str();
  }
  void TearDown() override {
    m_System.ShutdownSound();
    cStreamManager::Delete();
  }

  /// The next seconds of the mix.
  tPcm Render(double seconds) {
    tPcm pcm(size_t(seconds * kRate) * 2);
    m_System.Render(pcm.data(), uint32_t(pcm.size() / 2));
    return pcm;
  }

  /// The mix once a change has settled: OpenAL ramps gain changes over a few
  /// milliseconds.
  tPcm Settled(double seconds) {
    Render(0.05);
    return Render(seconds);
  }

  /// A mono sample of a sine, playing looped.
  cSoundChannel* PlayTone(double hertz, bool placed = false) {
    const tPcm pcm = Sine(hertz, 8000, kRate);
    cSoundSample* sample = m_System.CreateSample(kRate, kRate, 16, 1);
    std::copy(pcm.begin(), pcm.end(), static_cast<int16_t*>(sample->Lock(0, kRate)));
    sample->Unlock();
    sample->Enable3D(placed);
    return m_System.PlaySample(sample, true);
  }

  /// Puts a sound file in a memory file; returns its URL.
  cUrl MemoryFile(const char* name, const std::vector<uint8_t>& bytes) {
    const cUrl url(cString("mem://") + name);
    cStreamManager::GetInstance()->SetMemoryFile(url, bytes.data(), uint32_t(bytes.size()));
    return url;
  }

  cOpenALSoundSystem m_System;
};

}  // namespace tolmak::test
