#include <AL/al.h>

#include <algorithm>

#include "class_desc.h"
#include "device.h"
#include "sound_file.h"
#include "stream_feeder.h"
#include "zunfert_al.h"

ZUNFERT_DEFINE_CLASS(cOpenALSoundSystem, "Sound system on OpenAL Soft", &cSoundSystem::m_Descriptor)

using zunfert::al::cDevice;

namespace {

/// OpenAL's current context is global: one system holds it at a time.
cOpenALSoundSystem* gActive = nullptr;

/// Frames mixed between two refills of the streams in an offline render,
/// far fewer than the buffers queued ahead.
constexpr uint32_t kRenderChunk = 1024;
constexpr std::chrono::milliseconds kFeederPeriod{20};

template <class tList, class U>
auto Find(tList& list, const U* item) {
  return std::find_if(list.begin(), list.end(), [item](const auto& p) { return p.get() == item; });
}

template <class tList, class U>
bool Holds(const tList& list, const U* item) {
  return Find(list, item) != list.end();
}

}  // namespace

cOpenALSoundSystem::cOpenALSoundSystem() = default;

cOpenALSoundSystem::~cOpenALSoundSystem() {
  ShutdownSound();
}

void cOpenALSoundSystem::SetMaxChannels(int channels) {
  m_ChannelCount = std::clamp(channels, 1, 255);
}

bool cOpenALSoundSystem::InitSound(int frequency, int bits, int channels) {
  ShutdownSound();
  if (!IsFormatSupported(frequency, bits, channels)) {
    m_Error = cString::StringF("%d Hz, %d bits, %d channels is not a sound format", frequency, bits,
                               channels);
    return false;
  }
  try {
    if (gActive) throw cException(__FILE__, __LINE__, "another sound system is running");
    return Open(cDevice::OpenOutput(m_DeviceName, frequency, m_ChannelCount));
  } catch (const cException& error) {
    m_Error = error.GetMessage();
    return false;
  }
}

bool cOpenALSoundSystem::InitLoopback(int frequency, int bits, int channels) {
  ShutdownSound();
  try {
    if (gActive) throw cException(__FILE__, __LINE__, "another sound system is running");
    return Open(cDevice::OpenLoopback(frequency, bits, channels, m_ChannelCount));
  } catch (const cException& error) {
    m_Error = error.GetMessage();
    return false;
  }
}

bool cOpenALSoundSystem::Open(std::unique_ptr<cDevice> device) {
  m_Device = std::move(device);
  gActive = this;
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  for (int i = 0; i < m_ChannelCount; ++i) {
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) break;
    m_Channels.push_back(std::make_unique<cOpenALSoundChannel>());
    m_Channels.back()->Attach(this, source);
  }
  m_DriverName = cString("OpenAL Soft: ") + m_Device->GetName();
  m_CDPlayer = std::make_unique<cOpenALCDPlayer>();
  m_CDPlayer->m_System = this;
  SetMasterVolume(m_MasterVolume);
  m_Feeder =
      std::make_unique<zunfert::al::cStreamFeeder>([this] { RefillStreams(); }, kFeederPeriod);
  return true;
}

void cOpenALSoundSystem::ShutdownSound() {
  if (!m_Device) return;
  // The feeder first: it must not refill what is being taken down.
  m_Feeder.reset();
  const std::lock_guard lock(m_Mutex);
  m_CDPlayer.reset();
  m_Channels.clear();
  m_Streams.clear();
  m_Samples.clear();
  m_Device.reset();
  m_DriverName = "";
  gActive = nullptr;
}

bool cOpenALSoundSystem::IsLoopback() const {
  return m_Device && m_Device->IsLoopback();
}

void cOpenALSoundSystem::Render(void* pcm, uint32_t frames) {
  if (!IsLoopback()) return;
  auto* out = static_cast<uint8_t*>(pcm);
  const uint32_t frameBytes = uint32_t(GetChannels() * GetBitsPerSample() / 8);
  while (frames > 0) {
    const uint32_t chunk = std::min(frames, kRenderChunk);
    const std::lock_guard lock(m_Mutex);
    RefillStreams();
    m_Device->Render(out, chunk);
    out += size_t(chunk) * frameBytes;
    frames -= chunk;
  }
}

int cOpenALSoundSystem::GetFrequency() const {
  return m_Device ? m_Device->GetFrequency() : 0;
}
int cOpenALSoundSystem::GetBitsPerSample() const {
  return m_Device ? m_Device->GetBits() : 0;
}
int cOpenALSoundSystem::GetChannels() const {
  return m_Device ? m_Device->GetChannels() : 0;
}

void cOpenALSoundSystem::Update() {
  const std::lock_guard lock(m_Mutex);
  RefillStreams();
  if (m_CDPlayer) m_CDPlayer->Update();
}

void cOpenALSoundSystem::RefillStreams() {
  const std::lock_guard lock(m_Mutex);
  for (auto& channel : m_Channels) channel->Refill();
}

void cOpenALSoundSystem::SetMasterVolume(float volume) {
  m_MasterVolume = std::max(volume, 0.0f);
  if (m_Device) alListenerf(AL_GAIN, m_MasterVolume);
}

void cOpenALSoundSystem::PauseAll() {
  for (auto& channel : m_Channels) channel->Pause();
}

void cOpenALSoundSystem::ResumeAll() {
  for (auto& channel : m_Channels) channel->Resume();
}

void cOpenALSoundSystem::StopAll() {
  for (auto& channel : m_Channels) channel->Stop();
}

cSoundSample* cOpenALSoundSystem::CreateSample(uint32_t frames, int frequency, int bits,
                                               int channels) {
  if (!m_Device || uint64_t(frames) * uint64_t(channels * bits / 8) > GetFreeSampleMemory())
    return nullptr;
  auto sample = std::make_unique<cOpenALSoundSample>();
  if (!sample->Create(frames, frequency, bits, channels)) return nullptr;
  sample->m_Owner = this;
  const std::lock_guard lock(m_Mutex);
  m_Samples.push_back(std::move(sample));
  return m_Samples.back().get();
}

cSoundSample* cOpenALSoundSystem::LoadSample(iIOStream& stream) {
  if (!m_Device) return nullptr;
  auto sample = std::make_unique<cOpenALSoundSample>();
  try {
    sample->LoadFrom(stream);
  } catch (const cException& error) {
    m_Error = error.GetMessage();
    return nullptr;
  }
  if (sample->m_Pcm.size() > GetFreeSampleMemory()) {
    m_Error = "the sample memory is full";
    return nullptr;
  }
  sample->m_Owner = this;
  const std::lock_guard lock(m_Mutex);
  m_Samples.push_back(std::move(sample));
  return m_Samples.back().get();
}

void cOpenALSoundSystem::DestroySample(cSoundSample* sample) {
  const std::lock_guard lock(m_Mutex);
  const auto found = Find(m_Samples, sample);
  if (found == m_Samples.end()) return;
  StopChannelsOf(found->get());
  m_Samples.erase(found);
}

void cOpenALSoundSystem::StopChannelsOf(const cOpenALSoundSample* sample) {
  const std::lock_guard lock(m_Mutex);
  for (auto& channel : m_Channels)
    if (channel->m_Sample == sample) channel->Reset();
}

bool cOpenALSoundSystem::IsFormatSupported(int frequency, int bits, int channels) const {
  return zunfert::al::IsPlayableFormat(frequency, bits, channels);
}

cSoundStream* cOpenALSoundSystem::OpenStream(const cUrl& url) {
  cStreamManager* manager = cStreamManager::GetInstance();
  if (!m_Device || !manager) {
    m_Error = "no sound device or no stream manager";
    return nullptr;
  }
  iIOStream* file = manager->Open(url, cStreamManager::OpenRead);
  if (!file) {
    m_Error = cString("cannot open ") + url.GetText();
    return nullptr;
  }
  auto stream = std::make_unique<cOpenALSoundStream>();
  try {
    stream->Open(file);
  } catch (const cException& error) {
    m_Error = error.GetMessage();
    return nullptr;
  }
  const std::lock_guard lock(m_Mutex);
  m_Streams.push_back(std::move(stream));
  return m_Streams.back().get();
}

void cOpenALSoundSystem::CloseStream(cSoundStream* stream) {
  const std::lock_guard lock(m_Mutex);
  const auto found = Find(m_Streams, stream);
  if (found == m_Streams.end()) return;
  for (auto& channel : m_Channels)
    if (channel->m_Stream == stream) channel->Reset();
  m_Streams.erase(found);
}

cOpenALSoundChannel* cOpenALSoundSystem::FreeChannel() {
  for (auto& channel : m_Channels) {
    if (!channel->IsBusy()) {
      channel->Reset();
      return channel.get();
    }
  }
  const auto victim =
      std::min_element(m_Channels.begin(), m_Channels.end(), [](const auto& a, const auto& b) {
        if (a->m_Priority != b->m_Priority) return a->m_Priority < b->m_Priority;
        return a->HeardGain() < b->HeardGain();
      });
  if (victim == m_Channels.end() || (*victim)->m_Priority > 0) return nullptr;
  (*victim)->Reset();
  return victim->get();
}

cSoundChannel* cOpenALSoundSystem::PlaySample(cSoundSample* sample, bool loop) {
  const std::lock_guard lock(m_Mutex);
  if (!Holds(m_Samples, sample)) return nullptr;
  auto* own = static_cast<cOpenALSoundSample*>(sample);
  cOpenALSoundChannel* channel = own->m_Locked ? nullptr : FreeChannel();
  if (channel) channel->Start(own, loop);
  return channel;
}

cSoundChannel* cOpenALSoundSystem::PlayStream(cSoundStream* stream, bool loop) {
  const std::lock_guard lock(m_Mutex);
  if (!Holds(m_Streams, stream)) return nullptr;
  // A stream has one read position, so it plays on one channel at a time.
  for (auto& channel : m_Channels)
    if (channel->m_Stream == stream) channel->Reset();
  cOpenALSoundChannel* channel = FreeChannel();
  if (channel) channel->Start(static_cast<cOpenALSoundStream*>(stream), loop);
  return channel;
}

cSoundChannel* cOpenALSoundSystem::GetChannel(int index) {
  return index >= 0 && index < GetMaxChannels() ? m_Channels[size_t(index)].get() : nullptr;
}

int cOpenALSoundSystem::GetPlayingChannels() const {
  return int(std::count_if(m_Channels.begin(), m_Channels.end(),
                           [](const auto& channel) { return channel->IsPlaying(); }));
}

void cOpenALSoundSystem::SetListenerPosition(const cVector3& position) {
  if (m_Device) alListener3f(AL_POSITION, position.x, position.y, position.z);
}

void cOpenALSoundSystem::SetListenerVelocity(const cVector3& velocity) {
  if (m_Device) alListener3f(AL_VELOCITY, velocity.x, velocity.y, velocity.z);
}

void cOpenALSoundSystem::SetListenerOrientation(const cVector3& front, const cVector3& top) {
  const ALfloat orientation[6] = {front.x, front.y, front.z, top.x, top.y, top.z};
  if (m_Device) alListenerfv(AL_ORIENTATION, orientation);
}

void cOpenALSoundSystem::SetListener(const cMatrix4x3& world) {
  // OpenAL derives the right as front x top, as the engine's cameras see it.
  SetListenerPosition(world[3]);
  SetListenerOrientation(world[2], world[1]);
}

void cOpenALSoundSystem::SetDistanceFactor(float metres) {
  if (m_Device && metres > 0) alSpeedOfSound(343.3f / metres);
}

void cOpenALSoundSystem::SetRolloffFactor(float factor) {
  const std::lock_guard lock(m_Mutex);
  m_Rolloff = std::max(factor, 0.0f);
  for (auto& channel : m_Channels) channel->ApplyRolloff(m_Rolloff);
}

void cOpenALSoundSystem::SetDopplerFactor(float factor) {
  if (m_Device) alDopplerFactor(std::max(factor, 0.0f));
}

uint32_t cOpenALSoundSystem::GetFreeSampleMemory() const {
  const std::lock_guard lock(m_Mutex);
  uint64_t used = 0;
  for (const auto& sample : m_Samples) used += sample->m_Pcm.size();
  return used >= kSampleMemory ? 0 : uint32_t(kSampleMemory - used);
}

cCDPlayer* cOpenALSoundSystem::GetCDPlayer() {
  return m_CDPlayer.get();
}
