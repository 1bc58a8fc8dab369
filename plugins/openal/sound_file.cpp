#include "sound_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace zunfert::al {

namespace {

/// Bytes fetched from a stream at a time.
constexpr int64_t kFetchStep = 64 * 1024;

cFileBytes& Bytes(void* user) {
  return *static_cast<cFileBytes*>(user);
}

SF_VIRTUAL_IO gVirtualIO = {
    [](void* user) -> sf_count_t { return Bytes(user).GetLength(); },
    [](sf_count_t offset, int whence, void* user) -> sf_count_t {
      return Bytes(user).Seek(offset, whence);
    },
    [](void* buffer, sf_count_t count, void* user) -> sf_count_t {
      return Bytes(user).Read(buffer, count);
    },
    [](const void* buffer, sf_count_t count, void* user) -> sf_count_t {
      return Bytes(user).Write(buffer, count);
    },
    [](void* user) -> sf_count_t { return Bytes(user).Tell(); },
};

[[noreturn]] void Refuse(const cString& message) {
  throw cException(__FILE__, __LINE__, message);
}

}  // namespace

void cFileBytes::FetchTo(int64_t end) {
  while (m_Source && int64_t(m_Bytes.size()) < end) {
    const size_t held = m_Bytes.size();
    // Bounded steps: a stream that cannot tell its length is read to its
    // end without asking for all memory at once.
    const int64_t step = std::clamp(end - int64_t(held), kFetchStep, 16 * kFetchStep);
    m_Bytes.resize(held + size_t(step));
    const uint32_t got = m_Source->Read(m_Bytes.data() + held, uint32_t(step));
    m_Bytes.resize(held + got);
    if (got == 0) m_Source = nullptr;
  }
}

int64_t cFileBytes::GetLength() {
  const int64_t remaining = m_Source ? m_Source->GetRemaining() : 0;
  if (remaining < 0) FetchTo(INT64_MAX);
  return int64_t(m_Bytes.size()) + std::max<int64_t>(remaining, 0);
}

int64_t cFileBytes::Seek(int64_t offset, int whence) {
  int64_t base = m_Position;
  if (whence == SEEK_SET) base = 0;
  if (whence == SEEK_END) base = GetLength();
  // Far beyond any stream: refused before position + count could overflow.
  if (offset < -base || offset > (INT64_MAX >> 2) - base) return -1;
  m_Position = base + offset;
  return m_Position;
}

int64_t cFileBytes::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  FetchTo(m_Position + count);
  const int64_t available = std::clamp<int64_t>(int64_t(m_Bytes.size()) - m_Position, 0, count);
  if (available > 0) std::memcpy(buffer, m_Bytes.data() + m_Position, size_t(available));
  m_Position += available;
  return available;
}

int64_t cFileBytes::Write(const void* buffer, int64_t count) {
  if (m_Source || count <= 0) return 0;
  if (m_Position + count > int64_t(m_Bytes.size())) m_Bytes.resize(size_t(m_Position + count));
  std::memcpy(m_Bytes.data() + m_Position, buffer, size_t(count));
  m_Position += count;
  return count;
}

cSoundDecoder::cSoundDecoder(iIOStream* stream, bool owned)
    : m_Stream(stream), m_Owned(owned), m_Bytes(stream) {
  SF_INFO info = {};
  m_File = sf_open_virtual(&gVirtualIO, SFM_READ, &info, &m_Bytes);
  cString problem;
  if (!m_File) {
    problem = cString::StringF("%s: %s", stream->GetUrl().GetText().c_str(), sf_strerror(nullptr));
  } else if (info.channels < 1 || info.channels > 2) {
    problem = cString::StringF("%s: %d channels, only mono and stereo sounds are played",
                               stream->GetUrl().GetText().c_str(), info.channels);
  } else if (info.frames <= 0) {
    problem = cString::StringF("%s: the sound has no frames", stream->GetUrl().GetText().c_str());
  } else if (info.samplerate < kMinFrequency || info.samplerate > kMaxFrequency) {
    problem = cString::StringF("%s: a frequency of %d Hz is not played",
                               stream->GetUrl().GetText().c_str(), info.samplerate);
  }
  if (problem.c_str()[0] != '\0') {
    if (m_File) sf_close(m_File);
    if (m_Owned) stream->Close();
    Refuse(problem);
  }
  m_Frequency = info.samplerate;
  m_Channels = info.channels;
  m_Frames = uint64_t(std::max<sf_count_t>(info.frames, 0));
  m_Seekable = info.seekable != 0;
}

cSoundDecoder::~cSoundDecoder() {
  sf_close(m_File);
  if (m_Owned) m_Stream->Close();
}

uint32_t cSoundDecoder::Read(int16_t* pcm, uint32_t frames) {
  const sf_count_t got = sf_readf_short(m_File, pcm, frames);
  if (got <= 0) return 0;
  m_Position += uint64_t(got);
  return uint32_t(got);
}

bool cSoundDecoder::Seek(uint64_t frame) {
  if (!m_Seekable || frame > m_Frames) return false;
  if (sf_seek(m_File, sf_count_t(frame), SEEK_SET) < 0) return false;
  m_Position = frame;
  return true;
}

void DecodeAll(iIOStream& stream, uint64_t limit, std::vector<int16_t>& pcm, int& frequency,
               int& channels) {
  cSoundDecoder decoder(&stream, false);
  std::vector<int16_t> decoded;
  constexpr uint32_t kStep = 16384;
  for (;;) {
    const size_t held = decoded.size();
    decoded.resize(held + size_t(kStep) * size_t(decoder.GetChannels()));
    const uint32_t got = decoder.Read(decoded.data() + held, kStep);
    decoded.resize(held + size_t(got) * size_t(decoder.GetChannels()));
    if (decoded.size() * sizeof(int16_t) > limit)
      Refuse(cString::StringF("%s: the sound is larger than %llu bytes",
                              stream.GetUrl().GetText().c_str(),
                              static_cast<unsigned long long>(limit)));
    if (got == 0) break;
  }
  if (decoded.empty())
    Refuse(cString::StringF("%s: the sound has no frames", stream.GetUrl().GetText().c_str()));
  pcm.swap(decoded);
  frequency = decoder.GetFrequency();
  channels = decoder.GetChannels();
}

void EncodeFile(iOutStream& out, int type, const int16_t* pcm, uint32_t frames, int frequency,
                int channels) {
  static const int kFormats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                 SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                                 SF_FORMAT_OGG | SF_FORMAT_VORBIS};
  SF_INFO info = {};
  info.samplerate = frequency;
  info.channels = channels;
  info.format = kFormats[type];
  cFileBytes bytes(nullptr);
  SNDFILE* file = sf_open_virtual(&gVirtualIO, SFM_WRITE, &info, &bytes);
  if (!file) Refuse(cString::StringF("cannot write the sound: %s", sf_strerror(nullptr)));
  const sf_count_t written = sf_writef_short(file, pcm, frames);
  const cString problem = sf_strerror(file);
  sf_close(file);
  if (written != sf_count_t(frames)) Refuse(cString("cannot write the sound: ") + problem);
  const std::vector<uint8_t>& encoded = bytes.GetBytes();
  if (out.Write(encoded.data(), uint32_t(encoded.size())) != encoded.size())
    Refuse("cannot write the sound: the stream is full");
}

}  // namespace zunfert::al
