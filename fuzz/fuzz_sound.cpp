// The audio driver's decoding path on arbitrary bytes: a sample either
// refuses the file with cException and stays empty, or holds mono or
// stereo sound; a stream of the same bytes decodes the same frames.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "zunfert_al.h"

using tolmak::fuzz::Expect;

namespace {

/// Frames a stream may decode per input, so that a run does not spend its
/// time on inputs that expand a thousandfold.
constexpr uint64_t kMaxStreamFrames = uint64_t{1} << 22;

/// All frames of a stream over the bytes, or -1 when it refuses them.
int64_t StreamFrames(const uint8_t* data, size_t size) {
  cMemoryStream file(data, uint32_t(size));
  cOpenALSoundStream stream;
  try {
    stream.Open(&file);
  } catch (const cException&) {
    Expect(!stream.IsOpen(), "a refused stream is open");
    return -1;
  }
  std::vector<int16_t> pcm(4096 * 2);
  uint64_t frames = 0;
  while (frames < kMaxStreamFrames) {
    const uint32_t bytes = stream.Decode(pcm.data(), uint32_t(pcm.size() * sizeof(int16_t)));
    Expect(bytes % uint32_t(stream.GetChannels() * 2) == 0, "a partial frame");
    if (bytes == 0) break;
    frames += bytes / uint32_t(stream.GetChannels() * 2);
  }
  Expect(stream.IsFinished() || frames >= kMaxStreamFrames, "decoding stopped early");
  return int64_t(frames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cMemoryStream in(data, uint32_t(size));
  cOpenALSoundSample sample;
  bool loaded = false;
  try {
    loaded = sample.LoadFrom(in);
  } catch (const cException&) {
    Expect(sample.GetLength() == 0 && sample.GetChannels() == 0, "a refused file left a sound");
  }
  if (loaded) {
    Expect(sample.GetLength() > 0 && (sample.GetChannels() == 1 || sample.GetChannels() == 2) &&
               sample.GetBitsPerSample() == 16,
           "a sound of a format that is not played");
  }
  const int64_t streamed = StreamFrames(data, size);
  if (loaded && uint64_t(streamed) < kMaxStreamFrames)
    Expect(streamed == int64_t(sample.GetLength()), "the stream and the sample disagree");
  return 0;
}
