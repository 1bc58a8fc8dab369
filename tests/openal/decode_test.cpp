#include <cstring>

#include "loopback.h"
#include "test_support.h"

namespace tolmak::test {
namespace {

using Decoding = cLoopbackTest;

tPcm Samples(const cSoundSample& sample) {
  auto& own = static_cast<const cOpenALSoundSample&>(sample);
  const auto* pcm = reinterpret_cast<const int16_t*>(own.GetData());
  return tPcm(pcm, pcm + size_t(own.GetLength()) * size_t(own.GetChannels()));
}

TEST_F(Decoding, FilesFromMemoryAndDiskDecodeAsWritten) {
  const tPcm tone = Sine(1000, 12000, 4800, 2);
  for (ESoundFile type : {ESoundFile::Wav, ESoundFile::Flac, ESoundFile::OggVorbis}) {
    const auto bytes = Encode(tone, 2, kRate, type);
    cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
    cSoundSample* sample = m_System.LoadSample(in);
    ASSERT_NE(sample, nullptr) << m_System.GetLastError().c_str();
    EXPECT_EQ(sample->GetChannels(), 2);
    EXPECT_EQ(sample->GetFrequency(), kRate);
    EXPECT_EQ(sample->GetLength(), 4800u);
    EXPECT_EQ(sample->GetDuration(), 100u);
    if (type != ESoundFile::OggVorbis) {
      EXPECT_EQ(Samples(*sample), tone);  // lossless
    } else {
      EXPECT_NEAR(Frequency(Side(Samples(*sample), 0)), 1000.0, 2.0);
    }
    m_System.DestroySample(sample);
  }
  // The same bytes as a file on disk, through the stream manager.
  const auto bytes = Encode(tone, 2, kRate, ESoundFile::Flac);
  const cScratchFolder folder("openal_decode");
  const cUrl url = folder.Url("tone.flac");
  iIOStream* out = cStreamManager::GetInstance()->Open(url, cStreamManager::OpenWrite);
  out->Write(bytes.data(), uint32_t(bytes.size()));
  ASSERT_TRUE(out->Close());
  iIOStream* in = cStreamManager::GetInstance()->Open(url, cStreamManager::OpenRead);
  cOpenALSoundSample fromDisk;
  EXPECT_TRUE(fromDisk.LoadFrom(*in));
  in->Close();
  EXPECT_EQ(Samples(fromDisk), tone);
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
