// Writes the program's two chimes, pinpon.wav and endpinpon.wav, into the folder given on the
// command line (the current folder when none is given).
#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/cue_player.h"
#include "tools/chime_synth.h"

namespace {

bool writeWave(const std::filesystem::path& path, const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = chimes::kSampleRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "collatz-chimes: cannot write %s: %s\n", path.c_str(),
                 sf_strerror(nullptr));
    return false;
  }
  const auto frames = static_cast<sf_count_t>(samples.size());
  const bool written = sf_writef_short(file, samples.data(), frames) == frames;
  if (!written) {
    std::fprintf(stderr, "collatz-chimes: writing %s failed: %s\n", path.c_str(),
                 sf_strerror(file));
  }
  return sf_close(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: collatz-chimes [folder]\n");
    return 2;
  }
  const std::filesystem::path folder = argc == 2 ? argv[1] : ".";
  const bool ok = writeWave(folder / std::string(sound::kInitCue), chimes::initChime()) &&
                  writeWave(folder / std::string(sound::kExitCue), chimes::exitChime());
  return ok ? 0 : 1;
}
