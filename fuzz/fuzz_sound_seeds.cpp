// Seeds of the sound target: short sounds in every format the driver
// writes, mono and stereo, at common and odd frequencies.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "zunfert_al.h"

void SoundSeeds(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const struct {
    const char* name;
    ESoundFile type;
  } kinds[] = {
      {"wav", ESoundFile::Wav}, {"flac", ESoundFile::Flac}, {"ogg", ESoundFile::OggVorbis}};
  const int rates[] = {8000, 44100};
  for (const auto& kind : kinds) {
    for (int channels = 1; channels <= 2; ++channels) {
      for (int rate : rates) {
        cOpenALSoundSample sample;
        sample.Create(600, rate, 16, channels);
        auto* pcm = static_cast<int16_t*>(sample.Lock(0, 600));
        for (int i = 0; i < 600 * channels; ++i)
          pcm[i] = int16_t(9000 * std::sin(0.07 * i) + (i % 7) * 300);
        sample.Unlock();
        cMemoryStream bytes;
        sample.SaveTo(bytes, kind.type);
        const std::string name = std::string(kind.name) + "_" + std::to_string(channels) + "_" +
                                 std::to_string(rate) + "." + kind.name;
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
      }
    }
  }
}
