// The demo's sound where the audio driver was not built (no OpenAL Soft or
// libsndfile): the game runs silently.

#include <cstdio>

#include "sound.h"

namespace demo {

class cSoundImpl {};

cDemoSound::cDemoSound() = default;
cDemoSound::~cDemoSound() = default;

void cDemoSound::Start(const std::string&, const std::string& wav) {
  std::printf("demo: built without the audio driver, no sound%s\n",
              wav.empty() ? "" : " (nothing written to the WAV file)");
}

void cDemoSound::Update(const cMatrix4x3&, const cVector3&, float) {}
void cDemoSound::Stop() {}

}  // namespace demo
