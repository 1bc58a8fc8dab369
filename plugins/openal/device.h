#pragma once

// An OpenAL Soft device with its one context, made current while it lives.

#include <cstdint>
#include <memory>
#include <vector>

#include <tolmak.h>

struct ALCdevice_struct;
struct ALCcontext_struct;

namespace zunfert::al {

class cDevice {
 public:
  /// The named output device (empty: the default one); throws cException
  /// when it cannot be opened.
  static std::unique_ptr<cDevice> OpenOutput(const cString& name, int frequency, int sources);
  /// OpenAL Soft's loopback device, rendering exactly that format into
  /// memory; throws cException when the format or the extension is missing.
  static std::unique_ptr<cDevice> OpenLoopback(int frequency, int bits, int channels, int sources);
  ~cDevice();
  cDevice(const cDevice&) = delete;
  cDevice& operator=(const cDevice&) = delete;

  bool IsLoopback() const { return m_Render != nullptr; }
  const cString& GetName() const { return m_Name; }
  int GetFrequency() const { return m_Frequency; }
  int GetBits() const { return m_Bits; }
  int GetChannels() const { return m_Channels; }
  /// Mixes frames frames into pcm (loopback only); allocates only when
  /// asked for more frames than ever before.
  void Render(void* pcm, uint32_t frames);

 private:
  using tRender = void (*)(ALCdevice_struct*, void*, int);

  cDevice(ALCdevice_struct* device, tRender render);
  /// Creates the context with the attributes and makes it current.
  void Start(const int* attributes);

  ALCdevice_struct* m_Device;
  ALCcontext_struct* m_Context = nullptr;
  tRender m_Render;
  std::vector<float> m_Mix;
  cString m_Name;
  int m_Frequency = 0, m_Bits = 16, m_Channels = 2;
};

}  // namespace zunfert::al
