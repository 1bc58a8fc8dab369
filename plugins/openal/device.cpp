#include "device.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>

namespace zunfert::al {

namespace {

[[noreturn]] void Fail(const cString& message) {
  throw cException(__FILE__, __LINE__, message);
}

}  // namespace

cDevice::cDevice(ALCdevice* device, tRender render) : m_Device(device), m_Render(render) {}

cDevice::~cDevice() {
  alcMakeContextCurrent(nullptr);
  if (m_Context) alcDestroyContext(m_Context);
  alcCloseDevice(m_Device);
}

std::unique_ptr<cDevice> cDevice::OpenOutput(const cString& name, int frequency, int sources) {
  ALCdevice* device = alcOpenDevice(name.c_str()[0] ? name.c_str() : nullptr);
  if (!device)
    Fail(name.c_str()[0] ? cString("no sound device named ") + name : cString("no sound device"));
  std::unique_ptr<cDevice> result(new cDevice(device, nullptr));
  // The output's own layout is kept: a sound card decides its channels.
  const ALCint attributes[] = {
      ALC_FREQUENCY, frequency, ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, sources, 0};
  result->Start(attributes);
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &result->m_Frequency);
  const ALCchar* specifier = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
  if (!specifier) specifier = alcGetString(device, ALC_DEVICE_SPECIFIER);
  result->m_Name = specifier ? specifier : "";
  return result;
}

std::unique_ptr<cDevice> cDevice::OpenLoopback(int frequency, int bits, int channels, int sources) {
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto render =
      reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  auto supported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
      alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
  if (!open || !render || !supported) Fail("OpenAL has no loopback device");
  ALCdevice* device = open(nullptr);
  if (!device) Fail("the loopback device cannot be opened");
  std::unique_ptr<cDevice> result(new cDevice(device, render));
  const ALCint layout = channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT;
  // Mixed in float and converted here: OpenAL's own integer output is
  // dithered, so silence would not be silent nor a copy exact.
  if (!supported(device, frequency, layout, ALC_FLOAT_SOFT))
    Fail(cString::StringF("the loopback device cannot render %d Hz, %d channels", frequency,
                          channels));
  // No head-related filters and no limiter (whose look-ahead delays the
  // output): a render must sound the same everywhere, sample for sample.
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                               layout,
                               ALC_FORMAT_TYPE_SOFT,
                               ALC_FLOAT_SOFT,
                               ALC_FREQUENCY,
                               frequency,
                               ALC_HRTF_SOFT,
                               ALC_FALSE,
                               ALC_OUTPUT_LIMITER_SOFT,
                               ALC_FALSE,
                               ALC_MONO_SOURCES,
                               sources,
                               ALC_STEREO_SOURCES,
                               sources,
                               0};
  result->Start(attributes);
  result->m_Name = "loopback";
  result->m_Frequency = frequency;
  result->m_Bits = bits;
  result->m_Channels = channels;
  return result;
}

void cDevice::Start(const int* attributes) {
  m_Context = alcCreateContext(m_Device, attributes);
  if (!m_Context || !alcMakeContextCurrent(m_Context))
    Fail(cString::StringF("the sound device refuses the format (error 0x%X)",
                          unsigned(alcGetError(m_Device))));
}

void cDevice::Render(void* pcm, uint32_t frames) {
  if (!m_Render) return;
  const size_t samples = size_t(frames) * size_t(m_Channels);
  if (m_Mix.size() < samples) m_Mix.resize(samples);
  m_Render(m_Device, m_Mix.data(), ALCsizei(frames));
  if (m_Bits == 8) {
    auto* out = static_cast<uint8_t*>(pcm);
    for (size_t i = 0; i < samples; ++i)
      out[i] = uint8_t(128 + std::lround(std::clamp(m_Mix[i] * 128.0f, -128.0f, 127.0f)));
  } else {
    auto* out = static_cast<int16_t*>(pcm);
    for (size_t i = 0; i < samples; ++i)
      out[i] = int16_t(std::lround(std::clamp(m_Mix[i] * 32768.0f, -32768.0f, 32767.0f)));
  }
}

}  // namespace zunfert::al
