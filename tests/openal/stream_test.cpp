#include <algorithm>
#include <fstream>
#include <random>
#include <thread>
#include <tuple>

#include "loopback.h"
#include "test_support.h"

namespace tolmak::test {
namespace {

using Streams = cLoopbackTest;

// OpenAL Soft's null output stands in for a sound card: it consumes the mix
// in real time, so only the feeder thread keeps a stream going.
const bool gNullOutput = setenv("ALSOFT_DRIVERS", "null", 0) == 0;

/// Stereo noise: any dropped, repeated or altered frame shows.
tPcm Noise(uint32_t frames) {
  std::mt19937 random(7);
  tPcm pcm(size_t(frames) * 2);
  for (int16_t& v : pcm) v = int16_t(int(random() % 40000) - 20000);
  return pcm;
}

TEST_F(Streams, LoopedStreamComesOutSampleExactWithoutAGapAtTheLoopPoint) {
  // Not a multiple of the stream buffers, so the loop point falls inside one.
  const tPcm noise = Noise(10007);
  for (ESoundFile type : {ESoundFile::Wav, ESoundFile::Flac}) {
    cSoundStream* stream = m_System.OpenStream(MemoryFile("noise", Encode(noise, 2, kRate, type)));
    ASSERT_NE(stream, nullptr) << m_System.GetLastError().c_str();
    EXPECT_EQ(stream->GetDuration(), 10007u * 1000 / kRate);
    cSoundChannel* channel = m_System.PlayStream(stream, true);
    const tPcm heard = Render(3.5 * 10007 / kRate);
    for (size_t i = 0; i < heard.size(); ++i)
      ASSERT_EQ(heard[i], noise[i % noise.size()]) << "frame " << i / 2;
    EXPECT_TRUE(channel->IsPlaying());
    m_System.CloseStream(stream);
    EXPECT_FALSE(channel->IsPlaying());
  }
}

// Pausing works alike for samples and streams.
TEST_F(Streams, PauseResumeAndSeekKeepTheStreamInPlaceAndItEndsOnce) {
  const tPcm noise = Noise(kRate);
  cSoundStream* stream =
      m_System.OpenStream(MemoryFile("second", Encode(noise, 2, kRate, ESoundFile::Wav)));
  cSoundChannel* channel = m_System.PlayStream(stream, false);
  Render(0.25);
  channel->Pause();
  const uint32_t at = channel->GetPlayPosition();
  EXPECT_NEAR(at, kRate / 4, 1100);
  EXPECT_TRUE(channel->IsPaused() && !channel->IsPlaying());
  EXPECT_LT(Rms(Side(Render(0.3), 0)), 1.0);
  EXPECT_EQ(channel->GetPlayPosition(), at);
  channel->Resume();
  const tPcm resumed = Render(0.01);
  // Within the mixer's granularity the frames follow on from where it paused.
  const size_t offset =
      std::search(noise.begin(), noise.end(), resumed.begin(), resumed.begin() + 64) -
      noise.begin();
  EXPECT_NEAR(double(offset / 2), double(at), 1100.0);
  channel->SetPlayPosition(kRate / 2);
  const tPcm sought = Render(0.1);
  EXPECT_TRUE(std::equal(sought.begin(), sought.end(), noise.begin() + kRate));
  Render(0.5);  // past the end
  EXPECT_TRUE(!channel->IsPlaying() && channel->GetStream() == nullptr);
  EXPECT_LT(Rms(Side(Render(0.1), 0)), 1.0);
}

TEST(LiveStreams, TheFeederThreadKeepsAStreamPlayingToItsEndWithoutUpdates) {
  ASSERT_TRUE(gNullOutput);
  cStreamManager::New();
  cOpenALSoundSystem system;
  system.SetDeviceName("No Output");
  ASSERT_TRUE(system.InitSound(kRate, 16, 2)) << system.GetLastError().c_str();
  const auto bytes = Encode(Sine(500, 8000, kRate * 3 / 2, 2), 2, kRate, ESoundFile::Flac);
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://live")), bytes.data(),
                                               uint32_t(bytes.size()));
  cSoundChannel* channel = system.PlayStream(system.OpenStream(cUrl(cString("mem://live"))), false);
  // Three times what the buffers hold ahead: refilled while nobody calls Update.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_TRUE(channel->IsPlaying());
  EXPECT_GT(channel->GetPlayPosition(),
            3u * cOpenALSoundChannel::kStreamBuffers * cOpenALSoundChannel::kStreamFrames / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(!channel->IsPlaying() && channel->GetStream() == nullptr);
  system.ShutdownSound();
  cStreamManager::Delete();
}

TEST_F(Streams, CDPlayerPlaysTheFolderInNameOrderTrackAfterTrack) {
  const cScratchFolder folder("openal_cd");
  // Written out of order, with a file that is no sound: the names decide.
  const struct {
    const char* name;
    ESoundFile type;
    double hertz, seconds;
  } tracks[] = {{"track02.flac", ESoundFile::Flac, 660, 0.3},
                {"track01.ogg", ESoundFile::OggVorbis, 440, 0.5},
                {"track03.wav", ESoundFile::Wav, 880, 0.2}};
  for (const auto& track : tracks) {
    const auto bytes =
        Encode(Sine(track.hertz, 8000, uint32_t(track.seconds * kRate)), 1, kRate, track.type);
    std::ofstream(folder / track.name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  { std::ofstream(folder / "notes.txt") << "not a track"; }

  auto* cd = static_cast<cOpenALCDPlayer*>(m_System.GetCDPlayer());
  cd->SetFolder((folder.Path().string() + "/").c_str());
  ASSERT_TRUE(cd->OpenDrive(0));
  EXPECT_FALSE(cd->OpenDrive(1));
  ASSERT_TRUE(cd->OpenDrive(0));
  ASSERT_EQ(cd->GetTrackCount(), 3);
  EXPECT_EQ(std::tuple(cd->GetTrackLength(1), cd->GetTrackLength(2), cd->GetTrackLength(4)),
            std::tuple(500u, 300u, 0u));

  ASSERT_TRUE(cd->Play(1, 2));
  EXPECT_EQ(cd->GetCurrentTrack(), 1);
  const tPcm first = Render(0.2);
  EXPECT_NEAR(Frequency(Side(first, 0)), 440.0, 1.0);
  cd->SetVolume(0.5f);
  EXPECT_NEAR(cd->GetPosition(), 200, 25);
  EXPECT_TRUE(cd->Seek(400));
  Render(0.15);
  m_System.Update();
  EXPECT_EQ(cd->GetCurrentTrack(), 2);
  const tPcm second = Render(0.2);
  EXPECT_NEAR(Frequency(Side(second, 0)), 660.0, 1.0);
  EXPECT_NEAR(Rms(Side(second, 0)) / Rms(Side(first, 0)), 0.5, 0.02);  // the volume carried over
  Render(0.15);
  m_System.Update();
  EXPECT_FALSE(cd->IsPlaying());
  EXPECT_EQ(cd->GetCurrentTrack(), 0);  // the last track asked for was 2
}

}  // namespace
}  // namespace tolmak::test
