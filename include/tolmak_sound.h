#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_vector.h"

// The audio interfaces, implemented by the audio drivers of a plug-in
// library. Each has the virtual slots destructor, GetDescriptor,
// AddProperties, then its pure operations in the order declared; the engine
// calls none of them.
//
// Shared units: sounds are PCM with a frequency in hertz, 8 or 16 bits per
// sample and 1 (mono) or 2 (stereo) channels; a frame is one sample of
// every channel. Volumes run from 0 (silent) to 1 (as recorded), pans from
// -1 (left) to 1 (right), times are in milliseconds, 3D positions in world
// units.

class cCDPlayer;
class cSoundChannel;
class cSoundSample;
class cSoundStream;

/// A sound held in memory, played by any number of channels at once.
/// Nineteen pure operations.
class TOLMAK_API cSoundSample : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSoundSample() = default;
  cSoundSample(const cSoundSample&) = default;
  cSoundSample& operator=(const cSoundSample&) = default;
  ~cSoundSample() override;

  /// Silent frames in that format, replacing what the sample held.
  virtual bool Create(uint32_t frames, int frequency, int bits, int channels) = 0;
  /// Decodes a sound file; false (the sample unchanged) on a format the
  /// driver does not read.
  virtual bool LoadFrom(iIOStream& stream) = 0;
  virtual void Release() = 0;
  /// Length in frames.
  virtual uint32_t GetLength() const = 0;
  virtual int GetFrequency() const = 0;
  virtual int GetBitsPerSample() const = 0;
  virtual int GetChannels() const = 0;
  virtual uint32_t GetDuration() const = 0;
  /// Writable PCM of frames frames from first; null when the range is not
  /// within the sample. Unlock before the sample is played again.
  virtual void* Lock(uint32_t first, uint32_t frames) = 0;
  virtual void Unlock() = 0;
  /// Volume, pan and frequency a new channel starts with.
  virtual void SetDefaultVolume(float volume) = 0;
  virtual float GetDefaultVolume() const = 0;
  virtual void SetDefaultPan(float pan) = 0;
  virtual float GetDefaultPan() const = 0;
  virtual void SetDefaultFrequency(int frequency) = 0;
  virtual int GetDefaultFrequency() const = 0;
  /// The frames a looping channel repeats, end excluded; end 0 for the whole sample.
  virtual void SetLoopPoints(uint32_t start, uint32_t end) = 0;
  virtual void GetLoopPoints(uint32_t& start, uint32_t& end) const = 0;
  /// Channels of a 3D sample are placed by their position, not their pan.
  virtual void Enable3D(bool enable) = 0;
};

/// A sound decoded while it plays (music, speech). Eight pure operations.
class TOLMAK_API cSoundStream : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSoundStream() = default;
  cSoundStream(const cSoundStream&) = default;
  cSoundStream& operator=(const cSoundStream&) = default;
  ~cSoundStream() override;

  /// Moves the read position; false beyond the end or on a stream that cannot seek.
  virtual bool Seek(uint32_t time) = 0;
  virtual uint32_t GetPosition() const = 0;
  /// The whole length, 0 when unknown.
  virtual uint32_t GetDuration() const = 0;
  virtual int GetFrequency() const = 0;
  virtual int GetBitsPerSample() const = 0;
  virtual int GetChannels() const = 0;
  virtual bool IsFinished() const = 0;
  /// Decodes up to bytes bytes of PCM into buffer (whole frames); returns
  /// the bytes written, fewer only at the end.
  virtual uint32_t Decode(void* buffer, uint32_t bytes) = 0;
};

/// One playing voice of a sample or a stream. Twenty-two pure operations.
class TOLMAK_API cSoundChannel : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSoundChannel() = default;
  cSoundChannel(const cSoundChannel&) = default;
  cSoundChannel& operator=(const cSoundChannel&) = default;
  ~cSoundChannel() override;

  /// Ends the sound; the channel becomes free for another.
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual bool IsPlaying() const = 0;
  virtual bool IsPaused() const = 0;
  virtual void SetVolume(float volume) = 0;
  virtual float GetVolume() const = 0;
  virtual void SetPan(float pan) = 0;
  virtual float GetPan() const = 0;
  /// Playback frequency; the sound's own plays it at its pitch.
  virtual void SetFrequency(int frequency) = 0;
  virtual int GetFrequency() const = 0;
  /// Position within the sound, in frames.
  virtual void SetPlayPosition(uint32_t frame) = 0;
  virtual uint32_t GetPlayPosition() const = 0;
  virtual void SetLoop(bool loop) = 0;
  virtual bool IsLooping() const = 0;
  virtual void Set3DPosition(const cVector3& position) = 0;
  virtual void Set3DVelocity(const cVector3& velocity) = 0;
  /// Full volume up to minimum; no further attenuation beyond maximum.
  virtual void Set3DDistances(float minimum, float maximum) = 0;
  /// When channels run out, the lowest priority is stopped first.
  virtual void SetPriority(int priority) = 0;
  virtual int GetPriority() const = 0;
  /// What the channel plays; one of the two is null.
  virtual cSoundSample* GetSample() const = 0;
  virtual cSoundStream* GetStream() const = 0;
};

/// Audio CD playback. Eight pure operations; tracks count from 1.
class TOLMAK_API cCDPlayer : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cCDPlayer() = default;
  cCDPlayer(const cCDPlayer&) = default;
  cCDPlayer& operator=(const cCDPlayer&) = default;
  ~cCDPlayer() override;

  /// Opens CD drive number drive (0 the first); false without a disc.
  virtual bool OpenDrive(int drive) = 0;
  virtual void CloseDrive() = 0;
  virtual int GetTrackCount() const = 0;
  virtual uint32_t GetTrackLength(int track) const = 0;
  /// Plays the tracks first to last, both included.
  virtual bool Play(int first, int last) = 0;
  virtual void Stop() = 0;
  virtual bool IsPlaying() const = 0;
  /// The track playing, 0 when stopped.
  virtual int GetCurrentTrack() const = 0;
};

/// The audio device: mixes the channels, owns samples, streams and the CD
/// player it creates, and places 3D sounds around a listener.
/// Thirty-three pure operations.
class TOLMAK_API cSoundSystem : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSoundSystem() = default;
  cSoundSystem(const cSoundSystem&) = default;
  cSoundSystem& operator=(const cSoundSystem&) = default;
  ~cSoundSystem() override;

  // --- Device (1-10) ---
  /// Opens the output in that mixing format; false when there is no device.
  virtual bool InitSound(int frequency, int bits, int channels) = 0;
  /// Stops every channel and destroys what the system created.
  virtual void ShutdownSound() = 0;
  virtual bool IsInitialized() const = 0;
  virtual int GetFrequency() const = 0;
  virtual int GetBitsPerSample() const = 0;
  virtual int GetChannels() const = 0;
  virtual const cString& GetDriverName() const = 0;
  /// Refills the streams and applies the 3D settings; call once per frame.
  virtual void Update() = 0;
  virtual void SetMasterVolume(float volume) = 0;
  virtual float GetMasterVolume() const = 0;

  // --- All channels (11-13) ---
  virtual void PauseAll() = 0;
  virtual void ResumeAll() = 0;
  virtual void StopAll() = 0;

  // --- Samples and streams (14-19) ---
  /// A silent sample; null when the format is not supported.
  virtual cSoundSample* CreateSample(uint32_t frames, int frequency, int bits, int channels) = 0;
  /// A sample decoded from a sound file; null when the file cannot be read.
  virtual cSoundSample* LoadSample(iIOStream& stream) = 0;
  /// Stops the channels playing it, then destroys it.
  virtual void DestroySample(cSoundSample* sample) = 0;
  virtual bool IsFormatSupported(int frequency, int bits, int channels) const = 0;
  /// A stream read through the stream manager as it plays; null when the
  /// file cannot be opened or decoded.
  virtual cSoundStream* OpenStream(const cUrl& url) = 0;
  /// Stops the channel playing it, closes the file and destroys it.
  virtual void CloseStream(cSoundStream* stream) = 0;

  // --- Channels (20-24) ---
  /// Starts the sample on a free channel (stopping one of lower priority
  /// when none is free); null when it could not be played. Channels belong
  /// to the system.
  virtual cSoundChannel* PlaySample(cSoundSample* sample, bool loop) = 0;
  virtual cSoundChannel* PlayStream(cSoundStream* stream, bool loop) = 0;
  /// Channel index, 0 to GetMaxChannels() - 1, playing or not.
  virtual cSoundChannel* GetChannel(int index) = 0;
  virtual int GetMaxChannels() const = 0;
  virtual int GetPlayingChannels() const = 0;

  // --- 3D listener (25-31) ---
  virtual void SetListenerPosition(const cVector3& position) = 0;
  virtual void SetListenerVelocity(const cVector3& velocity) = 0;
  virtual void SetListenerOrientation(const cVector3& front, const cVector3& top) = 0;
  /// Position and orientation from a world matrix (a camera's: row 3 the
  /// position, row 2 the front, row 1 the top).
  virtual void SetListener(const cMatrix4x3& world) = 0;
  /// Metres per world unit.
  virtual void SetDistanceFactor(float metres) = 0;
  /// How fast 3D sounds fade with distance, 1 as in the real world.
  virtual void SetRolloffFactor(float factor) = 0;
  /// Strength of the pitch shift of moving sounds, 0 for none.
  virtual void SetDopplerFactor(float factor) = 0;

  // --- Resources (32-33) ---
  /// Bytes left for samples.
  virtual uint32_t GetFreeSampleMemory() const = 0;
  /// The system's CD player, or null without a CD drive.
  virtual cCDPlayer* GetCDPlayer() = 0;
};
