#include "cue_files.h"

#include <sndfile.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sound/chime_synth.h"

namespace sound_test {
namespace {

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeSound(const std::filesystem::path& path, int format,
                const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = sound::kChimeSampleRate;
  info.channels = 1;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw std::runtime_error("cannot write " + path.string());
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
}

}  // namespace

void placeCueFile(const std::filesystem::path& folder, std::string_view name, CueFile kind) {
  const std::filesystem::path path = folder / std::string(name);
  std::filesystem::remove_all(path);
  switch (kind) {
    case CueFile::kMissing:
      return;
    case CueFile::kEmpty:
      return writeBytes(path, "");
    case CueFile::kTruncated:
      return writeBytes(path, "RIFF\x01");
    case CueFile::kText:
      return writeBytes(path, "pin-pon: this is not a sound.\n");
    case CueFile::kFlac:
      return writeSound(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, sound::initChime());
    case CueFile::kAiff:
      return writeSound(path, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, sound::initChime());
    case CueFile::kFolder:
      std::filesystem::create_directory(path);
      return;
    case CueFile::kFifo:
      if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
      return;
    case CueFile::kSilentWave:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {});
    case CueFile::kChopped: {
      writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, sound::initChime());
      std::filesystem::resize_file(path, 20);
      return;
    }
    case CueFile::kInitChime:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, sound::initChime());
    case CueFile::kExitChime:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, sound::exitChime());
  }
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "collatz-cues.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace sound_test
