#pragma once

// The audio driver: the engine's five audio interfaces on OpenAL Soft, with
// sound files decoded by libsndfile from the engine's streams. Games find
// the classes through the plug-in system; tests and tools may link the
// library and use the extra operations declared here (offline rendering,
// saving sounds, the folder of tracks the CD player plays).

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include <tolmak.h>

#include "zunfert_al_export.h"

namespace zunfert::al {
class cDevice;
class cSoundDecoder;
class cStreamFeeder;
}  // namespace zunfert::al

class cOpenALSoundSystem;

/// Sound file types that cOpenALSoundSample::SaveTo writes.
enum class ESoundFile : int32_t { Wav, Flac, OggVorbis };

/// A whole sound in memory: 8-bit unsigned or 16-bit signed PCM, mono or
/// stereo, interleaved. Decoded files are always 16-bit.
class ZUNFERT_AL_API cOpenALSoundSample final : public cSoundSample {
  ZUNFERT_AL_CLASS()

 public:
  cOpenALSoundSample() = default;
  cOpenALSoundSample(const cOpenALSoundSample&) = delete;
  cOpenALSoundSample& operator=(const cOpenALSoundSample&) = delete;
  ~cOpenALSoundSample() override;

  bool Create(uint32_t frames, int frequency, int bits, int channels) override;
  /// A file libsndfile cannot read, or one that is not mono or stereo at a
  /// frequency IsFormatSupported accepts, throws cException with the reason
  /// and leaves the sample unchanged.
  bool LoadFrom(iIOStream& stream) override;
  void Release() override;
  uint32_t GetLength() const override { return m_Frames; }
  int GetFrequency() const override { return m_Frequency; }
  int GetBitsPerSample() const override { return m_Bits; }
  int GetChannels() const override { return m_Channels; }
  uint32_t GetDuration() const override;
  /// Unlock hands the new PCM to the device: the channels playing the
  /// sample stop first.
  void* Lock(uint32_t first, uint32_t frames) override;
  void Unlock() override;
  void SetDefaultVolume(float volume) override { m_Volume = volume; }
  float GetDefaultVolume() const override { return m_Volume; }
  void SetDefaultPan(float pan) override { m_Pan = pan; }
  float GetDefaultPan() const override { return m_Pan; }
  /// 0 plays at the sample's own frequency.
  void SetDefaultFrequency(int frequency) override { m_DefaultFrequency = frequency; }
  int GetDefaultFrequency() const override;
  /// Loop points beyond the sample are clamped to it when it is played.
  void SetLoopPoints(uint32_t start, uint32_t end) override;
  void GetLoopPoints(uint32_t& start, uint32_t& end) const override;
  /// Only mono sounds are placed in 3D; a stereo 3D sample plays unplaced.
  void Enable3D(bool enable) override { m_3D = enable; }
  bool Is3D() const { return m_3D; }

  /// Writes the sample as a sound file (8-bit samples as 16-bit); throws
  /// cException when libsndfile refuses.
  void SaveTo(iOutStream& stream, ESoundFile type) const;
  const uint8_t* GetData() const { return m_Pcm.data(); }
  uint32_t GetFrameBytes() const { return uint32_t(m_Channels * m_Bits / 8); }

 private:
  friend class cOpenALSoundSystem;
  friend class cOpenALSoundChannel;

  /// The device's copy of the PCM, made when first played.
  uint32_t GetBuffer();
  void DropBuffer();

  cOpenALSoundSystem* m_Owner = nullptr;
  std::vector<uint8_t> m_Pcm;
  uint32_t m_Frames = 0;
  int m_Frequency = 0, m_Bits = 0, m_Channels = 0;
  float m_Volume = 1.0f, m_Pan = 0.0f;
  int m_DefaultFrequency = 0;
  uint32_t m_LoopStart = 0, m_LoopEnd = 0;
  bool m_3D = false;
  bool m_Locked = false;
  uint32_t m_Buffer = 0;
};

/// A sound file decoded as it plays, always as 16-bit PCM.
class ZUNFERT_AL_API cOpenALSoundStream final : public cSoundStream {
  ZUNFERT_AL_CLASS()

 public:
  cOpenALSoundStream();
  cOpenALSoundStream(const cOpenALSoundStream&) = delete;
  cOpenALSoundStream& operator=(const cOpenALSoundStream&) = delete;
  ~cOpenALSoundStream() override;

  /// Starts decoding the stream, which the sound stream closes when done;
  /// throws cException with libsndfile's message (the stream is closed
  /// then too, and this sound stream unchanged).
  void Open(iIOStream* stream);
  bool IsOpen() const { return m_Decoder != nullptr; }

  bool Seek(uint32_t time) override;
  /// Where decoding stands, ahead of what a channel plays by the buffers
  /// it has queued (cSoundChannel::GetPlayPosition tells what is heard).
  uint32_t GetPosition() const override;
  uint32_t GetDuration() const override;
  int GetFrequency() const override;
  int GetBitsPerSample() const override { return 16; }
  int GetChannels() const override;
  bool IsFinished() const override;
  uint32_t Decode(void* buffer, uint32_t bytes) override;

  /// Length and position in frames.
  uint64_t GetFrames() const;
  uint64_t GetFramePosition() const;
  bool SeekFrame(uint64_t frame);

 private:
  std::unique_ptr<zunfert::al::cSoundDecoder> m_Decoder;
  bool m_Finished = false;
};

/// One OpenAL source. A stream is played through a few buffers that the
/// system's feeder thread refills ahead of the source.
class ZUNFERT_AL_API cOpenALSoundChannel final : public cSoundChannel {
  ZUNFERT_AL_CLASS()

 public:
  cOpenALSoundChannel() = default;
  cOpenALSoundChannel(const cOpenALSoundChannel&) = delete;
  cOpenALSoundChannel& operator=(const cOpenALSoundChannel&) = delete;
  ~cOpenALSoundChannel() override;

  void Stop() override;
  void Pause() override;
  void Resume() override;
  bool IsPlaying() const override;
  bool IsPaused() const override;
  void SetVolume(float volume) override;
  float GetVolume() const override { return m_Volume; }
  /// Places a mono sound from -1 (left) to 1 (right) on a half circle in
  /// front of the listener; stereo sounds keep their own channels.
  void SetPan(float pan) override;
  float GetPan() const override { return m_Pan; }
  void SetFrequency(int frequency) override;
  int GetFrequency() const override { return m_Frequency; }
  void SetPlayPosition(uint32_t frame) override;
  uint32_t GetPlayPosition() const override;
  /// A looping stream seeks back to its start without a gap.
  void SetLoop(bool loop) override;
  bool IsLooping() const override { return m_Loop; }
  void Set3DPosition(const cVector3& position) override;
  void Set3DVelocity(const cVector3& velocity) override;
  /// Attenuation follows the inverse distance clamped model: gain =
  /// minimum / (minimum + rolloff * (distance - minimum)), distance held
  /// between minimum and maximum.
  void Set3DDistances(float minimum, float maximum) override;
  void SetPriority(int priority) override { m_Priority = priority; }
  int GetPriority() const override { return m_Priority; }
  /// Null once the channel is free: a stream heard to its end lets go of
  /// it on the feeder thread.
  cSoundSample* GetSample() const override;
  cSoundStream* GetStream() const override;

  /// Stream buffers: each holds kStreamFrames frames, kStreamBuffers are
  /// queued ahead of what is heard.
  static constexpr uint32_t kStreamFrames = 4096;
  static constexpr int kStreamBuffers = 4;

 private:
  friend class cOpenALSoundSystem;

  void Attach(cOpenALSoundSystem* system, uint32_t source);
  void Detach();
  void Start(cOpenALSoundSample* sample, bool loop);
  void Start(cOpenALSoundStream* stream, bool loop);
  /// Decodes into the buffers the source has played and queues them again;
  /// frees the channel once a stream has been heard to its end.
  void Refill();
  /// The channel's volume times its 3D attenuation, to choose whom to drop.
  float HeardGain() const;
  void ApplyPlacement();
  void ApplyPitch();
  void ApplyRolloff(float rolloff);
  /// Queues every stream buffer the sound still fills.
  void FillQueue();
  bool QueueBuffer(uint32_t buffer);
  void Reset();
  int SourceState() const;
  /// Holds a sound, playing or paused.
  bool IsBusy() const;
  std::unique_lock<std::recursive_mutex> Guard() const;

  cOpenALSoundSystem* m_System = nullptr;
  uint32_t m_Source = 0;
  cOpenALSoundSample* m_Sample = nullptr;
  cOpenALSoundStream* m_Stream = nullptr;
  float m_Volume = 1.0f, m_Pan = 0.0f;
  int m_Frequency = 0;
  bool m_Loop = false, m_Paused = false, m_3D = false;
  int m_Priority = 0;
  cVector3 m_Position{0, 0, 0};
  float m_MinDistance = 1.0f, m_MaxDistance = 1e30f;
  uint32_t m_StreamBuffers[kStreamBuffers] = {};
  /// Stream frame at which each queued buffer starts: a ring of m_Queued
  /// entries from m_FirstStart, oldest first.
  uint64_t m_Starts[kStreamBuffers] = {};
  int m_FirstStart = 0, m_Queued = 0;
  std::vector<int16_t> m_Scratch;
  bool m_StreamEnded = false;
};

/// The CD player of a game whose music now comes as files: drive 0 is a
/// folder of sound files, its tracks in name order (track01.ogg, ...),
/// played through the system's streams. Times are milliseconds.
class ZUNFERT_AL_API cOpenALCDPlayer final : public cCDPlayer {
  ZUNFERT_AL_CLASS()

 public:
  cOpenALCDPlayer() = default;
  cOpenALCDPlayer(const cOpenALCDPlayer&) = delete;
  cOpenALCDPlayer& operator=(const cOpenALCDPlayer&) = delete;
  ~cOpenALCDPlayer() override;

  /// The folder drive 0 opens (default "music/").
  void SetFolder(const cString& folder) { m_Folder = folder; }
  /// Reads the folder: every file libsndfile can decode is a track. False
  /// for another drive, a missing folder or one without tracks.
  bool OpenDrive(int drive) override;
  void CloseDrive() override;
  int GetTrackCount() const override { return int(m_Tracks.size()); }
  /// 0 for a track that does not exist.
  uint32_t GetTrackLength(int track) const override;
  bool Play(int first, int last) override;
  void Stop() override;
  bool IsPlaying() const override;
  int GetCurrentTrack() const override { return m_Current; }

  void Pause();
  void Resume();
  /// Moves within the current track; false when stopped or beyond its end.
  bool Seek(uint32_t time);
  /// Time heard within the current track.
  uint32_t GetPosition() const;
  /// The music's volume, kept from one track to the next.
  void SetVolume(float volume);
  float GetVolume() const { return m_Volume; }

 private:
  friend class cOpenALSoundSystem;
  struct cTrack {
    cString m_Url;
    uint32_t m_Length;
  };

  /// Starts the next track when the current one has ended.
  void Update();
  bool StartTrack(int track);
  void CloseTrack();

  cOpenALSoundSystem* m_System = nullptr;
  cString m_Folder{"music/"};
  std::vector<cTrack> m_Tracks;
  int m_Current = 0, m_Last = 0;
  float m_Volume = 1.0f;
  cOpenALSoundStream* m_Stream = nullptr;
  cSoundChannel* m_Channel = nullptr;
};

/// The audio device on OpenAL Soft. It renders either to an output device
/// (the default one, or one named with SetDeviceName) or, offline, into
/// memory through OpenAL Soft's loopback device, in the caller's time.
///
/// Channels are the device's sources, GetMaxChannels of them (32 unless
/// SetMaxChannels says otherwise before InitSound). When all are busy a new
/// sound takes the channel of the lowest priority, the quietest heard of
/// those, unless that priority is above the new channel's (0); otherwise
/// the new sound is not played.
///
/// One system can be initialised at a time in a process: OpenAL's current
/// context is global. Its operations may be called from one thread besides
/// the feeder thread it runs itself.
class ZUNFERT_AL_API cOpenALSoundSystem final : public cSoundSystem {
  ZUNFERT_AL_CLASS()

 public:
  cOpenALSoundSystem();
  cOpenALSoundSystem(const cOpenALSoundSystem&) = delete;
  cOpenALSoundSystem& operator=(const cOpenALSoundSystem&) = delete;
  ~cOpenALSoundSystem() override;

  /// The output device InitSound opens; empty (the default) for the
  /// system's default output.
  void SetDeviceName(const cString& name) { m_DeviceName = name; }
  /// Channels the next InitSound makes, 1 to 255.
  void SetMaxChannels(int channels);
  /// Why the last InitSound failed.
  const cString& GetLastError() const { return m_Error; }

  /// Opens the device and its listener; false with GetLastError when there
  /// is no such device or it refuses the format (8 or 16 bits, 1 or 2
  /// channels).
  bool InitSound(int frequency, int bits, int channels) override;
  /// Like InitSound, rendering into memory with Render instead of to an
  /// output device; the format is exactly the one asked for.
  bool InitLoopback(int frequency, int bits, int channels);
  bool IsLoopback() const;
  /// Mixes the next frames of a loopback system into pcm (interleaved, in
  /// the system's format), refilling the streams as it goes.
  void Render(void* pcm, uint32_t frames);

  void ShutdownSound() override;
  bool IsInitialized() const override { return m_Device != nullptr; }
  int GetFrequency() const override;
  int GetBitsPerSample() const override;
  int GetChannels() const override;
  const cString& GetDriverName() const override { return m_DriverName; }
  /// Also starts the CD player's next track.
  void Update() override;
  void SetMasterVolume(float volume) override;
  float GetMasterVolume() const override { return m_MasterVolume; }

  void PauseAll() override;
  void ResumeAll() override;
  void StopAll() override;

  cSoundSample* CreateSample(uint32_t frames, int frequency, int bits, int channels) override;
  /// Null, with the reason in GetLastError, for a file that cannot be read.
  cSoundSample* LoadSample(iIOStream& stream) override;
  void DestroySample(cSoundSample* sample) override;
  /// 8 or 16 bits, 1 or 2 channels, 1000 to 384000 Hz.
  bool IsFormatSupported(int frequency, int bits, int channels) const override;
  /// Through the stream manager's instance; null without one, with the
  /// reason in GetLastError.
  cSoundStream* OpenStream(const cUrl& url) override;
  void CloseStream(cSoundStream* stream) override;

  /// Only samples and streams of this system are played.
  cSoundChannel* PlaySample(cSoundSample* sample, bool loop) override;
  cSoundChannel* PlayStream(cSoundStream* stream, bool loop) override;
  cSoundChannel* GetChannel(int index) override;
  int GetMaxChannels() const override { return int(m_Channels.size()); }
  int GetPlayingChannels() const override;

  void SetListenerPosition(const cVector3& position) override;
  void SetListenerVelocity(const cVector3& velocity) override;
  void SetListenerOrientation(const cVector3& front, const cVector3& top) override;
  /// The engine's matrices are row vectors: a camera sees along row 2 with
  /// row 1 up, and what it sees to its right lies along front x top (world
  /// +x is on the left of a camera with the identity matrix).
  void SetListener(const cMatrix4x3& world) override;
  /// Scales the speed of sound, 343.3 m/s, into world units.
  void SetDistanceFactor(float metres) override;
  void SetRolloffFactor(float factor) override;
  void SetDopplerFactor(float factor) override;

  /// What is left of the 256 MiB that samples may hold.
  uint32_t GetFreeSampleMemory() const override;
  /// The folder player; null before InitSound.
  cCDPlayer* GetCDPlayer() override;

  static constexpr uint32_t kSampleMemory = 256u << 20;

 private:
  friend class cOpenALSoundChannel;
  friend class cOpenALSoundSample;
  friend class cOpenALCDPlayer;

  bool Open(std::unique_ptr<zunfert::al::cDevice> device);
  /// A free channel, or the one a new sound may take from another.
  cOpenALSoundChannel* FreeChannel();
  void StopChannelsOf(const cOpenALSoundSample* sample);
  void RefillStreams();
  std::recursive_mutex& Mutex() const { return m_Mutex; }
  float GetRolloff() const { return m_Rolloff; }

  cString m_DeviceName, m_DriverName, m_Error;
  int m_ChannelCount = 32;
  std::unique_ptr<zunfert::al::cDevice> m_Device;
  std::vector<std::unique_ptr<cOpenALSoundChannel>> m_Channels;
  std::vector<std::unique_ptr<cOpenALSoundSample>> m_Samples;
  std::vector<std::unique_ptr<cOpenALSoundStream>> m_Streams;
  std::unique_ptr<cOpenALCDPlayer> m_CDPlayer;
  std::unique_ptr<zunfert::al::cStreamFeeder> m_Feeder;
  float m_MasterVolume = 1.0f, m_Rolloff = 1.0f;
  mutable std::recursive_mutex m_Mutex;
};
