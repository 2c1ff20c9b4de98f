// Writes the program's two chimes, pinpon.wav and endpinpon.wav, into the folder given on the
// command line (the current folder when none is given).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/cue_player.h"
#include "tools/chime_synth.h"

namespace {

void putLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// Takes mono 16-bit samples; writes them as a plain wave file of a format chunk and a data chunk.
bool writeWave(const std::filesystem::path& path, const std::vector<std::int16_t>& samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string file = "RIFF";
  putLittleEndian(file, 4 + 8 + 16 + 8 + dataBytes, 4);
  file += "WAVEfmt ";
  putLittleEndian(file, 16, 4);
  putLittleEndian(file, 1, 2);  // integer PCM
  putLittleEndian(file, 1, 2);  // one channel
  putLittleEndian(file, chimes::kSampleRate, 4);
  putLittleEndian(file, chimes::kSampleRate * 2, 4);  // bytes a second
  putLittleEndian(file, 2, 2);                        // bytes a frame
  putLittleEndian(file, 16, 2);                       // bits a sample
  file += "data";
  putLittleEndian(file, dataBytes, 4);
  for (const std::int16_t sample : samples) {
    putLittleEndian(file, static_cast<std::uint16_t>(sample), 2);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) std::fprintf(stderr, "collatz-chimes: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
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
