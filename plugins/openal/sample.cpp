#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>

#include "class_desc.h"
#include "sound_file.h"
#include "zunfert_al.h"

ZUNFERT_DEFINE_CLASS(cOpenALSoundSample, "Sound held in memory, on OpenAL",
                     &cSoundSample::m_Descriptor)

cOpenALSoundSample::~cOpenALSoundSample() {
  DropBuffer();
}

bool cOpenALSoundSample::Create(uint32_t frames, int frequency, int bits, int channels) {
  const bool supported = zunfert::al::IsPlayableFormat(frequency, bits, channels);
  const uint64_t bytes = uint64_t(frames) * uint64_t(channels * bits / 8);
  if (!supported || frames == 0 || bytes > cOpenALSoundSystem::kSampleMemory) return false;
  Release();
  // Silence: 0 for signed 16-bit, 128 for unsigned 8-bit.
  m_Pcm.assign(size_t(bytes), bits == 8 ? 128 : 0);
  m_Frames = frames;
  m_Frequency = frequency;
  m_Bits = bits;
  m_Channels = channels;
  return true;
}

bool cOpenALSoundSample::LoadFrom(iIOStream& stream) {
  std::vector<int16_t> pcm;
  int frequency = 0, channels = 0;
  zunfert::al::DecodeAll(stream, cOpenALSoundSystem::kSampleMemory, pcm, frequency, channels);
  Release();
  m_Pcm.resize(pcm.size() * sizeof(int16_t));
  std::copy_n(reinterpret_cast<const uint8_t*>(pcm.data()), m_Pcm.size(), m_Pcm.data());
  m_Frames = uint32_t(pcm.size() / size_t(channels));
  m_Frequency = frequency;
  m_Bits = 16;
  m_Channels = channels;
  return true;
}

void cOpenALSoundSample::Release() {
  if (m_Owner) m_Owner->StopChannelsOf(this);
  DropBuffer();
  m_Pcm.clear();
  m_Pcm.shrink_to_fit();
  m_Frames = 0;
  m_Frequency = m_Bits = m_Channels = 0;
  m_LoopStart = m_LoopEnd = 0;
  m_Locked = false;
}

uint32_t cOpenALSoundSample::GetDuration() const {
  return m_Frequency ? uint32_t(uint64_t(m_Frames) * 1000 / uint64_t(m_Frequency)) : 0;
}

void* cOpenALSoundSample::Lock(uint32_t first, uint32_t frames) {
  if (frames == 0 || first > m_Frames || frames > m_Frames - first) return nullptr;
  m_Locked = true;
  return m_Pcm.data() + size_t(first) * GetFrameBytes();
}

void cOpenALSoundSample::Unlock() {
  if (!m_Locked) return;
  m_Locked = false;
  if (m_Owner) m_Owner->StopChannelsOf(this);
  DropBuffer();
}

int cOpenALSoundSample::GetDefaultFrequency() const {
  return m_DefaultFrequency ? m_DefaultFrequency : m_Frequency;
}

void cOpenALSoundSample::SetLoopPoints(uint32_t start, uint32_t end) {
  m_LoopStart = start;
  m_LoopEnd = end;
  if (m_Owner) m_Owner->StopChannelsOf(this);
  DropBuffer();
}

void cOpenALSoundSample::GetLoopPoints(uint32_t& start, uint32_t& end) const {
  start = m_LoopStart;
  end = m_LoopEnd;
}

void cOpenALSoundSample::SaveTo(iOutStream& stream, ESoundFile type) const {
  std::vector<int16_t> pcm(size_t(m_Frames) * size_t(m_Channels));
  if (m_Bits == 8) {
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t((m_Pcm[i] - 128) * 256);
  } else {
    std::copy_n(m_Pcm.data(), m_Pcm.size(), reinterpret_cast<uint8_t*>(pcm.data()));
  }
  zunfert::al::EncodeFile(stream, int(type), pcm.data(), m_Frames, m_Frequency, m_Channels);
}

uint32_t cOpenALSoundSample::GetBuffer() {
  if (m_Buffer) return m_Buffer;
  const ALenum format = m_Bits == 8 ? (m_Channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8)
                                    : (m_Channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16);
  alGenBuffers(1, &m_Buffer);
  alBufferData(m_Buffer, format, m_Pcm.data(), ALsizei(m_Pcm.size()), m_Frequency);
  const ALint end = ALint(m_LoopEnd == 0 ? m_Frames : std::min(m_LoopEnd, m_Frames));
  const ALint loop[2] = {ALint(std::min<uint32_t>(m_LoopStart, uint32_t(end))), end};
  if (loop[0] < loop[1] && (loop[0] != 0 || loop[1] != ALint(m_Frames)))
    alBufferiv(m_Buffer, AL_LOOP_POINTS_SOFT, loop);
  return m_Buffer;
}

void cOpenALSoundSample::DropBuffer() {
  if (m_Buffer) alDeleteBuffers(1, &m_Buffer);
  m_Buffer = 0;
}
