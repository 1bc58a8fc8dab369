#pragma once

// Sound files through libsndfile's virtual I/O over the engine's streams, so
// that files and mem:// URLs are read alike. Everything is decoded to 16-bit
// signed PCM, mono or stereo.

#include <cstdint>
#include <vector>

#include <tolmak.h>

struct sf_private_tag;

namespace zunfert::al {

/// Frequencies a sound may have; anything else is refused as absurd.
constexpr int kMinFrequency = 1000;
constexpr int kMaxFrequency = 384000;

/// 8 or 16 bits, 1 or 2 channels, a frequency within the bounds.
inline bool IsPlayableFormat(int frequency, int bits, int channels) {
  return (bits == 8 || bits == 16) && (channels == 1 || channels == 2) &&
         frequency >= kMinFrequency && frequency <= kMaxFrequency;
}

/// Bytes libsndfile reads, seeks in and writes: those of an input stream,
/// fetched as far as it asks, or of a file being written.
class cFileBytes {
 public:
  /// Reads from the stream (null: starts empty, for writing).
  explicit cFileBytes(iInStream* source) : m_Source(source) {}

  int64_t GetLength();
  int64_t Seek(int64_t offset, int whence);
  int64_t Read(void* buffer, int64_t count);
  int64_t Write(const void* buffer, int64_t count);
  int64_t Tell() const { return m_Position; }
  const std::vector<uint8_t>& GetBytes() const { return m_Bytes; }

 private:
  /// Fetches from the source until end bytes are held or it has no more.
  void FetchTo(int64_t end);

  iInStream* m_Source;
  std::vector<uint8_t> m_Bytes;
  int64_t m_Position = 0;
};

/// An open sound file being decoded.
class cSoundDecoder {
 public:
  /// Opens the file in the stream, which the decoder closes when it is
  /// destroyed if it owns it; throws cException with libsndfile's message
  /// or why the format is refused (the owned stream is closed then too).
  cSoundDecoder(iIOStream* stream, bool owned);
  ~cSoundDecoder();
  cSoundDecoder(const cSoundDecoder&) = delete;
  cSoundDecoder& operator=(const cSoundDecoder&) = delete;

  int GetFrequency() const { return m_Frequency; }
  int GetChannels() const { return m_Channels; }
  /// Length in frames.
  uint64_t GetFrames() const { return m_Frames; }
  uint64_t GetPosition() const { return m_Position; }
  bool CanSeek() const { return m_Seekable; }

  /// Decodes up to frames frames; returns those decoded, fewer only at the
  /// end (or on a broken file).
  uint32_t Read(int16_t* pcm, uint32_t frames);
  /// False beyond the end or when the file cannot seek.
  bool Seek(uint64_t frame);

 private:
  iIOStream* m_Stream;
  bool m_Owned;
  cFileBytes m_Bytes;
  sf_private_tag* m_File = nullptr;
  int m_Frequency = 0, m_Channels = 0;
  uint64_t m_Frames = 0, m_Position = 0;
  bool m_Seekable = false;
};

/// Reads every frame of a stream's sound file (the stream stays open).
/// Throws like cSoundDecoder, and when the sound exceeds limit bytes.
void DecodeAll(iIOStream& stream, uint64_t limit, std::vector<int16_t>& pcm, int& frequency,
               int& channels);

/// Writes 16-bit PCM as a file of that type (ESoundFile's values); throws
/// cException with libsndfile's message.
void EncodeFile(iOutStream& out, int type, const int16_t* pcm, uint32_t frames, int frequency,
                int channels);

}  // namespace zunfert::al
