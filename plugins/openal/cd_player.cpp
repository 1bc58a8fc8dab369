#include <algorithm>
#include <filesystem>

#include "class_desc.h"
#include "sound_file.h"
#include "zunfert_al.h"

ZUNFERT_DEFINE_CLASS(cOpenALCDPlayer, "Tracks of a folder played as a CD", &cCDPlayer::m_Descriptor)

namespace {

/// The length of a sound file in milliseconds; 0 when it is not one.
uint32_t TrackLength(const cString& url) {
  cStreamManager* manager = cStreamManager::GetInstance();
  iIOStream* stream = manager ? manager->Open(cUrl(url), cStreamManager::OpenRead) : nullptr;
  if (!stream) return 0;
  try {
    const zunfert::al::cSoundDecoder decoder(stream, true);
    return uint32_t(decoder.GetFrames() * 1000 / uint64_t(decoder.GetFrequency()));
  } catch (const cException&) {
    return 0;
  }
}

}  // namespace

cOpenALCDPlayer::~cOpenALCDPlayer() {
  CloseTrack();
}

bool cOpenALCDPlayer::OpenDrive(int drive) {
  CloseDrive();
  std::error_code error;
  if (drive != 0 || !std::filesystem::is_directory(m_Folder.c_str(), error)) return false;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_Folder.c_str(), error))
    if (entry.is_regular_file(error)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const cString url(file.string().c_str());
    if (const uint32_t length = TrackLength(url)) m_Tracks.push_back({url, length});
  }
  return !m_Tracks.empty();
}

void cOpenALCDPlayer::CloseDrive() {
  Stop();
  m_Tracks.clear();
}

uint32_t cOpenALCDPlayer::GetTrackLength(int track) const {
  return track >= 1 && track <= GetTrackCount() ? m_Tracks[size_t(track - 1)].m_Length : 0;
}

bool cOpenALCDPlayer::Play(int first, int last) {
  Stop();
  if (first < 1 || first > GetTrackCount() || last < first) return false;
  m_Last = std::min(last, GetTrackCount());
  return StartTrack(first);
}

bool cOpenALCDPlayer::StartTrack(int track) {
  CloseTrack();
  auto* stream = static_cast<cOpenALSoundStream*>(
      m_System->OpenStream(cUrl(m_Tracks[size_t(track - 1)].m_Url)));
  m_Channel = stream ? m_System->PlayStream(stream, false) : nullptr;
  if (!m_Channel) {
    if (stream) m_System->CloseStream(stream);
    return false;
  }
  m_Stream = stream;
  m_Current = track;
  // Music keeps its channel when effects run out of them.
  m_Channel->SetPriority(1000);
  m_Channel->SetVolume(m_Volume);
  return true;
}

void cOpenALCDPlayer::CloseTrack() {
  if (m_Stream && m_System) m_System->CloseStream(m_Stream);
  m_Stream = nullptr;
  m_Channel = nullptr;
  m_Current = 0;
}

void cOpenALCDPlayer::Update() {
  if (!m_Channel || m_Channel->GetStream() == m_Stream) return;
  // The channel let the stream go: the track was heard to its end.
  const int next = m_Current + 1;
  if (next > m_Last || !StartTrack(next)) CloseTrack();
}

void cOpenALCDPlayer::Stop() {
  CloseTrack();
}

bool cOpenALCDPlayer::IsPlaying() const {
  return m_Channel && m_Channel->GetStream() == m_Stream && !m_Channel->IsPaused();
}

void cOpenALCDPlayer::SetVolume(float volume) {
  m_Volume = volume;
  if (m_Channel) m_Channel->SetVolume(volume);
}

void cOpenALCDPlayer::Pause() {
  if (m_Channel) m_Channel->Pause();
}

void cOpenALCDPlayer::Resume() {
  if (m_Channel) m_Channel->Resume();
}

bool cOpenALCDPlayer::Seek(uint32_t time) {
  if (!IsPlaying() && !(m_Channel && m_Channel->IsPaused())) return false;
  if (time >= GetTrackLength(m_Current)) return false;
  m_Channel->SetPlayPosition(uint32_t(uint64_t(time) * uint64_t(m_Stream->GetFrequency()) / 1000));
  return true;
}

uint32_t cOpenALCDPlayer::GetPosition() const {
  if (!m_Channel || m_Channel->GetStream() != m_Stream) return 0;
  return uint32_t(uint64_t(m_Channel->GetPlayPosition()) * 1000 /
                  uint64_t(m_Stream->GetFrequency()));
}
