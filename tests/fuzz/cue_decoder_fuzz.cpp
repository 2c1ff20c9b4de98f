// Any bytes at all under a cue's name are safe from the header's check to the samples the stream
// is given, all of it the program's own instrumented code: no crash, no read outside the bytes, no
// leak, and either a refusal with nothing decoded or a cue the audio output can play within the
// program's limits.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/module/wave_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const sound::DecodeResult result =
      sound::decodeWave(std::string(reinterpret_cast<const char*>(data), size));
  const sound::DecodedWave& wave = result.wave;
  if (result.failure) {
    if (!wave.samples.empty() || wave.channels != 0) std::abort();
    return 0;
  }
  if (wave.channels < 1 || wave.channels > 2) std::abort();
  if (wave.sampleRate < sound::kMinPlayableRate || wave.sampleRate > sound::kMaxPlayableRate) {
    std::abort();
  }
  if (wave.samples.empty() || wave.samples.size() % wave.channels != 0) std::abort();
  if (wave.samples.size() > sound::kMaxDecodedSamples) std::abort();
  return 0;
}
