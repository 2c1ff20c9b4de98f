#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sound_test {

// The kinds of file a cue name can turn out to hold.
enum class CueFile {
  kMissing,     // no file by that name
  kEmpty,       // zero bytes
  kTruncated,   // "RIFF" and one more byte
  kText,        // a text file named .wav
  kFlac,        // a FLAC stream's header: audio, but not a wave file
  kAiff,        // the Init chime as AIFF: real audio, but not a wave file
  kFolder,      // a folder named .wav
  kFifo,        // a FIFO nobody writes to: opening it must not hang
  kSilentWave,  // a valid wave header with no samples
  kChopped,     // the valid chime cut off inside its header
  kInitChime,   // the program's own chimes, valid wave files
  kExitChime,
  kFloatChime,  // the Init chime as 32-bit floating point, written byte by byte
  // Hostile files: none may hold up, crash or fill the program.
  kRandomBytes,      // noise under a wave file's name
  kZeroDevice,       // a symbolic link to /dev/zero
  kHuge,             // a wave header on a (sparse) file of 4 GiB
  kOneHertz,         // valid samples, a header saying 1 Hz
  kFourGigahertz,    // a header saying 4,000,000,000 Hz
  kManyChannels,     // 200 channels
  kTooManyChannels,  // 2000 channels, more than a cue may have
  kZeroBlockAlign,   // a header whose block size is zero
  // Encodings that need a block decoder, refused before any decoding.
  kMsAdpcm,
  kImaAdpcm,
  kGsm610,
  kExtensibleAdpcm,  // WAVE_FORMAT_EXTENSIBLE with MS ADPCM as its sub-format
  kShortFormat,      // a format chunk of 14 bytes, too short for the bits a sample has
  kEndlessList,      // a list chunk of 1.4 GB before the samples, holding one of almost 4 GiB
};

// The chunk that holds a wave file's others: little-endian RIFF, big-endian RIFX, or RF64 (its
// sizes in a ds64 chunk, the data chunk's own size 0xFFFFFFFF).
enum class Container { kRiff, kRifx, kRf64 };

// How a wave file lays out its samples, for files written byte by byte as other programs write
// them rather than through the program's own code.
struct WaveLayout {
  int formatTag;  // 1: integer PCM, 3: IEEE floating point, 6: A-law, 7: µ-law; others: a header
                  // alone, with a byte of zeros a sample
  int bits;       // 8 (unsigned, or A-law and µ-law), 16, 24, 32 or 64
  int channels;
  std::uint32_t sampleRate;
  bool extensible = false;  // WAVE_FORMAT_EXTENSIBLE, with formatTag as its subformat
  int blockAlignOverride = -1;
  std::uint32_t channelMask = 0;  // the extensible format's speaker positions
  Container container = Container::kRiff;
  std::vector<double> gains = {};  // how loud the signal is on each channel; empty: 1 on all
  std::size_t bytesAfterData = 0;  // a chunk of noise of this size after the data chunk
};

// A whole wave file holding the signal (full scale = 1) on every channel.
std::string waveBytes(const WaveLayout& layout, const std::vector<double>& signal);
// 16-bit samples as a signal of full scale 1, which a 16-bit wave file holds exactly.
std::vector<double> signalOf(const std::vector<std::int16_t>& samples);

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
