#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>

#include "class_desc.h"
#include "zunfert_al.h"

ZUNFERT_DEFINE_CLASS(cOpenALSoundChannel, "Voice on an OpenAL source", &cSoundChannel::m_Descriptor)

namespace {

constexpr float kHalfPi = 1.5707963f;

}  // namespace

std::unique_lock<std::recursive_mutex> cOpenALSoundChannel::Guard() const {
  return m_System ? std::unique_lock(m_System->Mutex()) : std::unique_lock<std::recursive_mutex>();
}

cOpenALSoundChannel::~cOpenALSoundChannel() {
  Detach();
}

void cOpenALSoundChannel::Attach(cOpenALSoundSystem* system, uint32_t source) {
  m_System = system;
  m_Source = source;
  alGenBuffers(kStreamBuffers, m_StreamBuffers);
}

void cOpenALSoundChannel::Detach() {
  if (!m_Source) return;
  Reset();
  alDeleteSources(1, &m_Source);
  alDeleteBuffers(kStreamBuffers, m_StreamBuffers);
  m_Source = 0;
  m_System = nullptr;
}

void cOpenALSoundChannel::Reset() {
  alSourceStop(m_Source);
  // Detaching every buffer also empties a stream's queue.
  alSourcei(m_Source, AL_BUFFER, 0);
  m_Queued = 0;
  m_Sample = nullptr;
  m_Stream = nullptr;
  m_Paused = false;
  m_StreamEnded = false;
}

int cOpenALSoundChannel::SourceState() const {
  ALint state = AL_STOPPED;
  alGetSourcei(m_Source, AL_SOURCE_STATE, &state);
  return state;
}

bool cOpenALSoundChannel::IsBusy() const {
  return m_Stream || (m_Sample && (m_Paused || SourceState() == AL_PLAYING));
}

void cOpenALSoundChannel::Start(cOpenALSoundSample* sample, bool loop) {
  Reset();
  m_Sample = sample;
  m_Volume = sample->GetDefaultVolume();
  m_Pan = sample->GetDefaultPan();
  m_Frequency = sample->GetDefaultFrequency();
  m_Loop = loop;
  m_Priority = 0;
  m_3D = sample->Is3D() && sample->GetChannels() == 1;
  alSourcei(m_Source, AL_BUFFER, ALint(sample->GetBuffer()));
  alSourcei(m_Source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
  alSourcef(m_Source, AL_GAIN, m_Volume);
  ApplyPlacement();
  ApplyPitch();
  alSourcePlay(m_Source);
}

void cOpenALSoundChannel::Start(cOpenALSoundStream* stream, bool loop) {
  Reset();
  // A stream played again after its end starts over.
  if (stream->IsFinished()) stream->SeekFrame(0);
  m_Stream = stream;
  m_Volume = 1.0f;
  m_Pan = 0.0f;
  m_Frequency = stream->GetFrequency();
  m_Loop = loop;
  m_Priority = 0;
  m_3D = false;
  // A stream loops by seeking back while it is decoded, not in the source.
  alSourcei(m_Source, AL_LOOPING, AL_FALSE);
  alSourcef(m_Source, AL_GAIN, m_Volume);
  ApplyPlacement();
  ApplyPitch();
  FillQueue();
  alSourcePlay(m_Source);
}

void cOpenALSoundChannel::FillQueue() {
  for (uint32_t buffer : m_StreamBuffers)
    if (!QueueBuffer(buffer)) break;
}

bool cOpenALSoundChannel::QueueBuffer(uint32_t buffer) {
  if (m_StreamEnded) return false;
  const uint32_t channels = uint32_t(m_Stream->GetChannels());
  const uint32_t frameBytes = channels * sizeof(int16_t);
  m_Scratch.resize(size_t(kStreamFrames) * channels);
  const uint64_t start = m_Stream->GetFramePosition();
  uint32_t frames = 0;
  bool rewound = false;
  while (frames < kStreamFrames) {
    const uint32_t bytes = (kStreamFrames - frames) * frameBytes;
    const uint32_t got = m_Stream->Decode(m_Scratch.data() + size_t(frames) * channels, bytes);
    frames += got / frameBytes;
    if (got == bytes) break;
    // Loop seamlessly: the start follows the end in the same buffer. One
    // rewind per buffer keeps an empty stream from spinning.
    if (!m_Loop || rewound || !m_Stream->SeekFrame(0)) {
      m_StreamEnded = true;
      break;
    }
    rewound = true;
  }
  if (frames == 0) return false;
  alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, m_Scratch.data(),
               ALsizei(frames * frameBytes), m_Stream->GetFrequency());
  alSourceQueueBuffers(m_Source, 1, &buffer);
  m_Starts[(m_FirstStart + m_Queued++) % kStreamBuffers] = start;
  return true;
}

void cOpenALSoundChannel::Refill() {
  if (!m_Stream) return;
  ALint processed = 0;
  alGetSourcei(m_Source, AL_BUFFERS_PROCESSED, &processed);
  for (; processed > 0; --processed) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(m_Source, 1, &buffer);
    m_FirstStart = (m_FirstStart + 1) % kStreamBuffers;
    --m_Queued;
    QueueBuffer(buffer);
  }
  if (m_Paused || SourceState() == AL_PLAYING) return;
  // Stopped: either starved (play on) or heard to the end (free the channel).
  if (m_Queued == 0)
    Reset();
  else
    alSourcePlay(m_Source);
}

void cOpenALSoundChannel::Stop() {
  const auto lock = Guard();
  if (m_Source) Reset();
}

void cOpenALSoundChannel::Pause() {
  const auto lock = Guard();
  if (!m_Source || m_Paused || !IsBusy()) return;
  alSourcePause(m_Source);
  m_Paused = true;
}

void cOpenALSoundChannel::Resume() {
  const auto lock = Guard();
  if (!m_Paused) return;
  m_Paused = false;
  alSourcePlay(m_Source);
}

bool cOpenALSoundChannel::IsPlaying() const {
  const auto lock = Guard();
  return m_Source && !m_Paused && IsBusy();
}

bool cOpenALSoundChannel::IsPaused() const {
  const auto lock = Guard();
  return m_Paused;
}

cSoundSample* cOpenALSoundChannel::GetSample() const {
  const auto lock = Guard();
  return m_Sample;
}

cSoundStream* cOpenALSoundChannel::GetStream() const {
  const auto lock = Guard();
  return m_Stream;
}

void cOpenALSoundChannel::SetVolume(float volume) {
  const auto lock = Guard();
  m_Volume = std::max(volume, 0.0f);
  if (m_Source) alSourcef(m_Source, AL_GAIN, m_Volume);
}

void cOpenALSoundChannel::SetPan(float pan) {
  const auto lock = Guard();
  m_Pan = std::clamp(pan, -1.0f, 1.0f);
  if (m_Source) ApplyPlacement();
}

void cOpenALSoundChannel::SetFrequency(int frequency) {
  const auto lock = Guard();
  if (frequency <= 0) return;
  m_Frequency = frequency;
  if (m_Source) ApplyPitch();
}

void cOpenALSoundChannel::ApplyPitch() {
  const int own = m_Sample ? m_Sample->GetFrequency() : m_Stream ? m_Stream->GetFrequency() : 0;
  if (own > 0 && m_Frequency > 0) alSourcef(m_Source, AL_PITCH, float(m_Frequency) / float(own));
}

void cOpenALSoundChannel::ApplyPlacement() {
  if (m_3D) {
    alSourcei(m_Source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSource3f(m_Source, AL_POSITION, m_Position.x, m_Position.y, m_Position.z);
    alSourcef(m_Source, AL_REFERENCE_DISTANCE, m_MinDistance);
    alSourcef(m_Source, AL_MAX_DISTANCE, m_MaxDistance);
    ApplyRolloff(m_System->GetRolloff());
    return;
  }
  // On a half circle of radius 1 about the listener, in its own frame
  // (right +x, front -z): no distance, no Doppler, only direction.
  const float angle = m_Pan * kHalfPi;
  alSourcei(m_Source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(m_Source, AL_POSITION, std::sin(angle), 0.0f, -std::cos(angle));
  alSource3f(m_Source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
  alSourcef(m_Source, AL_ROLLOFF_FACTOR, 0.0f);
  // Stereo sounds reach the output channels as they are, sample for sample.
  alSourcei(m_Source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
}

void cOpenALSoundChannel::ApplyRolloff(float rolloff) {
  if (m_3D) alSourcef(m_Source, AL_ROLLOFF_FACTOR, rolloff);
}

void cOpenALSoundChannel::SetPlayPosition(uint32_t frame) {
  const auto lock = Guard();
  if (m_Sample) {
    alSourcei(m_Source, AL_SAMPLE_OFFSET, ALint(std::min(frame, m_Sample->GetLength() - 1)));
  } else if (m_Stream && m_Stream->SeekFrame(frame)) {
    alSourceStop(m_Source);
    alSourcei(m_Source, AL_BUFFER, 0);
    m_Queued = 0;
    m_StreamEnded = false;
    FillQueue();
    if (!m_Paused) alSourcePlay(m_Source);
  }
}

uint32_t cOpenALSoundChannel::GetPlayPosition() const {
  const auto lock = Guard();
  if (!m_Sample && !m_Stream) return 0;
  ALint offset = 0;
  alGetSourcei(m_Source, AL_SAMPLE_OFFSET, &offset);
  if (m_Sample) return uint32_t(offset);
  if (m_Queued == 0) return uint32_t(m_Stream->GetFramePosition());
  const uint64_t heard = m_Starts[m_FirstStart] + uint64_t(offset);
  const uint64_t length = m_Stream->GetFrames();
  return uint32_t(length ? heard % length : heard);
}

void cOpenALSoundChannel::SetLoop(bool loop) {
  const auto lock = Guard();
  m_Loop = loop;
  if (m_Sample) alSourcei(m_Source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
  if (m_Stream && loop && m_StreamEnded) m_StreamEnded = !m_Stream->SeekFrame(0);
}

void cOpenALSoundChannel::Set3DPosition(const cVector3& position) {
  const auto lock = Guard();
  m_Position = position;
  if (m_Source && m_3D) alSource3f(m_Source, AL_POSITION, position.x, position.y, position.z);
}

void cOpenALSoundChannel::Set3DVelocity(const cVector3& velocity) {
  const auto lock = Guard();
  if (m_Source && m_3D) alSource3f(m_Source, AL_VELOCITY, velocity.x, velocity.y, velocity.z);
}

void cOpenALSoundChannel::Set3DDistances(float minimum, float maximum) {
  const auto lock = Guard();
  m_MinDistance = std::max(minimum, 1e-6f);
  m_MaxDistance = std::max(maximum, m_MinDistance);
  if (m_Source && m_3D) ApplyPlacement();
}

float cOpenALSoundChannel::HeardGain() const {
  if (!m_3D) return m_Volume;
  ALfloat x = 0, y = 0, z = 0;
  alGetListener3f(AL_POSITION, &x, &y, &z);
  const float dx = m_Position.x - x, dy = m_Position.y - y, dz = m_Position.z - z;
  const float distance =
      std::clamp(std::sqrt(dx * dx + dy * dy + dz * dz), m_MinDistance, m_MaxDistance);
  const float rolloff = m_System->GetRolloff();
  return m_Volume * m_MinDistance / (m_MinDistance + rolloff * (distance - m_MinDistance));
}
