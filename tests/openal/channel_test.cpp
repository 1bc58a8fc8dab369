#include <cstring>
#include <tuple>

#include "loopback.h"
#include "test_support.h"

namespace tolmak::test {
namespace {

using Channels = cLoopbackTest;

/// Right over left amplitude of a render.
double Balance(const tPcm& pcm) {
  return Rms(Side(pcm, 1)) / Rms(Side(pcm, 0));
}

TEST_F(Channels, ToneKeepsItsPitchVolumeScalesAmplitudeFrequencyShiftsPitch) {
  cSoundChannel* channel = PlayTone(440);
  ASSERT_NE(channel, nullptr);
  const tPcm full = Render(0.5);
  EXPECT_NEAR(Frequency(Side(full, 0)), 440.0, 0.5);
  EXPECT_NEAR(channel->GetPlayPosition(), kRate / 2, 1100);
  channel->SetVolume(0.5f);
  const tPcm half = Settled(0.5);
  EXPECT_NEAR(Rms(Side(half, 0)) / Rms(Side(full, 0)), 0.5, 0.005);
  channel->SetFrequency(2 * kRate);
  EXPECT_NEAR(Frequency(Side(Settled(0.5), 1)), 880.0, 1.0);
}

TEST_F(Channels, PanAndASoundToTheCamerasRightAreHeardOnTheRight) {
  cSoundChannel* channel = PlayTone(300);
  channel->SetPan(0.0f);
  EXPECT_NEAR(Balance(Settled(0.2)), 1.0, 0.01);
  channel->SetPan(1.0f);
  EXPECT_LT(1.0 / Balance(Settled(0.2)), 0.01);  // all on the right
  channel->SetPan(0.5f);
  const double halfRight = Balance(Settled(0.2));
  EXPECT_GT(halfRight, 2.0);
  channel->Stop();

  // A camera turned and moved: a 3D sound half-way between its front and
  // its right (front x top) balances as pan 0.5 does.
  cMatrix4x3 camera = cMatrix4x3::EulerRotation(20, 130, 0);
  camera.SetPosition({3, 1, -2});
  m_System.SetListener(camera);
  const cVector3 front = camera[2], top = camera[1];
  const cVector3 right = front.Cross(top);
  cSoundChannel* placed = PlayTone(300, true);
  placed->Set3DDistances(10, 100);
  placed->Set3DPosition(camera[3] + (front + right) * 2.0f);
  EXPECT_NEAR(Balance(Settled(0.2)), halfRight, 0.02 * halfRight);
  placed->Set3DPosition(camera[3] - right * 2.0f);
  EXPECT_LT(Balance(Settled(0.2)), 0.01);
}

TEST_F(Channels, LoudnessFallsWithDistanceAsTheInverseClampedModelSays) {
  cSoundChannel* channel = PlayTone(500, true);
  channel->Set3DDistances(2, 16);
  const auto heard = [&](float distance) {
    channel->Set3DPosition({0, 0, distance});  // straight ahead
    return Rms(Side(Settled(0.2), 0));
  };
  const double reference = heard(1);  // inside the minimum: full volume
  EXPECT_NEAR(heard(2) / reference, 1.0, 0.005);
  for (float rolloff : {1.0f, 2.5f}) {
    m_System.SetRolloffFactor(rolloff);
    for (float distance : {4.0f, 10.0f}) {
      const double expected = 2.0 / (2.0 + rolloff * (distance - 2.0));
      EXPECT_NEAR(heard(distance) / reference, expected, 0.01 * expected) << distance;
    }
    // Beyond the maximum it stays as at the maximum.
    EXPECT_NEAR(heard(40) / heard(16), 1.0, 0.005);
  }
}

TEST_F(Channels, WhenVoicesRunOutTheQuietestOfTheLowestPriorityIsDropped) {
  std::vector<cSoundChannel*> voices;
  for (int i = 0; i < m_System.GetMaxChannels(); ++i) {
    voices.push_back(PlayTone(200 + 10 * i));
    voices.back()->SetVolume(i == 3 ? 0.1f : 0.5f);
  }
  EXPECT_EQ(m_System.GetPlayingChannels(), 8);
  voices[5]->SetPriority(-1);
  voices[5]->SetVolume(1.0f);
  EXPECT_EQ(PlayTone(1000), voices[5]);  // lowest priority goes first, however loud
  EXPECT_EQ(PlayTone(1100), voices[3]);  // then the quietest
  for (cSoundChannel* voice : voices) voice->SetPriority(1);
  EXPECT_EQ(PlayTone(1200), nullptr);
  EXPECT_EQ(m_System.GetPlayingChannels(), 8);
}

using Decoding = cLoopbackTest;

tPcm Samples(const cSoundSample& sample) {
  auto& own = static_cast<const cOpenALSoundSample&>(sample);
  const auto* pcm = reinterpret_cast<const int16_t*>(own.GetData());
  return tPcm(pcm, pcm + size_t(own.GetLength()) * size_t(own.GetChannels()));
}

// Files on disk go through the same reader: the CD player's tracks.
TEST_F(Decoding, FilesFromMemoryDecodeAsWritten) {
  const tPcm tone = Sine(1000, 12000, 4800, 2);
  for (ESoundFile type : {ESoundFile::Wav, ESoundFile::Flac, ESoundFile::OggVorbis}) {
    const auto bytes = Encode(tone, 2, kRate, type);
    cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
    cSoundSample* sample = m_System.LoadSample(in);
    ASSERT_NE(sample, nullptr) << m_System.GetLastError().c_str();
    EXPECT_EQ(std::tuple(sample->GetChannels(), sample->GetFrequency(), sample->GetLength(),
                         sample->GetDuration()),
              std::tuple(2, kRate, 4800u, 100u));
    if (type != ESoundFile::OggVorbis) {
      EXPECT_EQ(Samples(*sample), tone);  // lossless
    } else {
      EXPECT_NEAR(Frequency(Side(Samples(*sample), 0)), 1000.0, 2.0);
    }
    m_System.DestroySample(sample);
  }
}

/// A 16-bit PCM WAV header with these fields, followed by frames of silence.
std::vector<uint8_t> Wav(uint16_t channels, uint32_t rate, uint32_t frames) {
  const uint32_t data = frames * channels * 2u;
  cLEBytes wav;
  wav.Chars("RIFF").U32(36 + data).Chars("WAVEfmt ").U32(16).U16(1).U16(channels).U32(rate);
  wav.U32(rate * channels * 2u).U16(channels * 2u).U16(16).Chars("data").U32(data);
  wav.bytes.resize(wav.bytes.size() + data);
  return wav.bytes;
}

TEST_F(Decoding, BadFilesAreRefusedWithAReasonAndChangeNothing) {
  const auto good = Encode(Sine(300, 9000, 2000), 1, 22050, ESoundFile::Wav);
  auto corrupt = good;
  std::memcpy(corrupt.data() + 8, "JUNK", 4);
  const std::vector<uint8_t> bad[] = {
      {good.begin(), good.begin() + 30},  // truncated in the header
      corrupt,
      Wav(0, 44100, 10),
      Wav(6, 44100, 10),  // more channels than we play
      Wav(1, 5, 10),
      Wav(1, 2000000000, 10),
      Wav(1, 44100, 0),
      std::vector<uint8_t>(1000, 0x5A),
      {},
  };
  cOpenALSoundSample sample;
  cMemoryStream in(good.data(), uint32_t(good.size()));
  ASSERT_TRUE(sample.LoadFrom(in));
  const tPcm before = Samples(sample);
  for (const auto& bytes : bad) {
    cMemoryStream file(bytes.data(), uint32_t(bytes.size()));
    try {
      sample.LoadFrom(file);
      ADD_FAILURE() << "accepted a bad file of " << bytes.size() << " bytes";
    } catch (const cException& error) {
      EXPECT_GT(std::strlen(error.what()), 10u) << error.what();
    }
    EXPECT_EQ(sample.GetFrequency(), 22050);
    EXPECT_EQ(Samples(sample), before);
    cMemoryStream again(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(m_System.LoadSample(again), nullptr);
    EXPECT_EQ(m_System.OpenStream(MemoryFile("bad", bytes)), nullptr);
  }
  EXPECT_EQ(m_System.GetFreeSampleMemory(), cOpenALSoundSystem::kSampleMemory);
}

TEST_F(Decoding, LockedPcmIsWhatPlaysAfterUnlock) {
  cSoundSample* sample = m_System.CreateSample(kRate, kRate, 8, 1);
  EXPECT_EQ(sample->Lock(kRate - 10, 11), nullptr);  // beyond the end
  auto* pcm = static_cast<uint8_t*>(sample->Lock(0, kRate));
  const tPcm tone = Sine(250, 100, kRate);
  for (int i = 0; i < kRate; ++i) pcm[i] = uint8_t(128 + tone[size_t(i)]);
  EXPECT_EQ(m_System.PlaySample(sample, true), nullptr);  // still locked
  sample->Unlock();
  ASSERT_NE(m_System.PlaySample(sample, true), nullptr);
  EXPECT_NEAR(Frequency(Side(Render(0.5), 0)), 250.0, 0.5);
  EXPECT_EQ(m_System.GetFreeSampleMemory(), cOpenALSoundSystem::kSampleMemory - kRate);
}

}  // namespace
}  // namespace tolmak::test
