#include "class_desc.h"
#include "sound_file.h"
#include "zunfert_al.h"

ZUNFERT_DEFINE_CLASS(cOpenALSoundStream, "Sound decoded while it plays, on OpenAL",
                     &cSoundStream::m_Descriptor)

cOpenALSoundStream::cOpenALSoundStream() = default;
cOpenALSoundStream::~cOpenALSoundStream() = default;

void cOpenALSoundStream::Open(iIOStream* stream) {
  m_Decoder = std::make_unique<zunfert::al::cSoundDecoder>(stream, true);
  m_Finished = false;
}

bool cOpenALSoundStream::Seek(uint32_t time) {
  return m_Decoder && SeekFrame(uint64_t(time) * uint64_t(GetFrequency()) / 1000);
}

bool cOpenALSoundStream::SeekFrame(uint64_t frame) {
  if (!m_Decoder || !m_Decoder->Seek(frame)) return false;
  m_Finished = false;
  return true;
}

uint32_t cOpenALSoundStream::GetPosition() const {
  return m_Decoder ? uint32_t(GetFramePosition() * 1000 / uint64_t(GetFrequency())) : 0;
}

uint32_t cOpenALSoundStream::GetDuration() const {
  return m_Decoder ? uint32_t(GetFrames() * 1000 / uint64_t(GetFrequency())) : 0;
}

int cOpenALSoundStream::GetFrequency() const {
  return m_Decoder ? m_Decoder->GetFrequency() : 0;
}
int cOpenALSoundStream::GetChannels() const {
  return m_Decoder ? m_Decoder->GetChannels() : 0;
}
bool cOpenALSoundStream::IsFinished() const {
  return !m_Decoder || m_Finished;
}
uint64_t cOpenALSoundStream::GetFrames() const {
  return m_Decoder ? m_Decoder->GetFrames() : 0;
}

uint64_t cOpenALSoundStream::GetFramePosition() const {
  return m_Decoder ? m_Decoder->GetPosition() : 0;
}

uint32_t cOpenALSoundStream::Decode(void* buffer, uint32_t bytes) {
  if (!m_Decoder) return 0;
  const uint32_t frameBytes = uint32_t(GetChannels()) * sizeof(int16_t);
  const uint32_t wanted = bytes / frameBytes;
  const uint32_t got = m_Decoder->Read(static_cast<int16_t*>(buffer), wanted);
  if (got < wanted) m_Finished = true;
  return got * frameBytes;
}
