#pragma once

#include <filesystem>
#include <string_view>

namespace sound_test {

// The kinds of file a cue name can turn out to hold.
enum class CueFile {
  kMissing,     // no file by that name
  kEmpty,       // zero bytes
  kTruncated,   // "RIFF" and one more byte
  kText,        // a text file named .wav
  kFlac,        // real audio, but not a wave file
  kAiff,        // likewise
  kFolder,      // a folder named .wav
  kFifo,        // a FIFO nobody writes to: opening it must not hang
  kSilentWave,  // a valid wave header with no samples
  kChopped,     // the valid chime cut off inside its header
  kInitChime,   // the program's own chimes, valid wave files
  kExitChime,
};

// Puts a file of that kind under the name in the folder, replacing what was there.
void placeCueFile(const std::filesystem::path& folder, std::string_view name, CueFile kind);

// A fresh temporary folder, removed with its content when this goes; the current directory is
// moved there while it lives and restored afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace sound_test
