#pragma once

#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sound/device_error.h"
#include "sound/module/cue_reader.h"
#include "sound/module/wave_decoder.h"

namespace sound {

// Samples decoded in one turn of the event loop: some tens of microseconds' work, whatever the
// encoding (bench/chime_latency_bench measures it for the largest file accepted).
inline constexpr std::size_t kSliceSamples = 4096;
// Bytes read in one turn of the event loop: a fraction of a millisecond from the page cache, where
// the largest file accepted at once held the window for up to 18 ms.
inline constexpr std::size_t kSliceBytes = 256u << 10;

// The cues decoded so far, each kept while its file's identity is unchanged, so that a press reads
// the disk again only for a file that changed. A file not known yet is read into memory and then
// decoded a slice at a time from the event loop of the thread that made the library: neither a
// property set nor the window waits for a whole file to be read or decoded, and the end of the
// program never waits for either.
class CueLibrary {
 public:
  // `decoded` is called from the event loop when a decoding started by open() ends, either way.
  explicit CueLibrary(std::function<void()> decoded);
  ~CueLibrary();
  CueLibrary(const CueLibrary&) = delete;
  CueLibrary& operator=(const CueLibrary&) = delete;

  // Looks the file up. Afterwards the cue is either known at once (cue()), or cannot be had
  // (failure()), or is being decoded (decoding()).
  void open(const std::filesystem::path& path);
  // Forgets the open cue and stops decoding it.
  void close();

  bool decoding() const { return reader_ != nullptr || decoder_ != nullptr; }
  std::shared_ptr<const DecodedWave> cue() const { return cue_; }
  const Failure& failure() const { return failure_; }

 private:
  void decodeSlice();
  // Hands what was read to a decoder, or keeps the failure if the file cannot be decoded.
  void startDecoding();
  // Ends reading or decoding and tells the owner.
  void finish();

  std::function<void()> decoded_;
  QTimer slices_;
  std::unique_ptr<CueReader> reader_;     // while the file is read
  std::unique_ptr<WaveDecoder> decoder_;  // then while it is decoded
  FileIdentity decoding_;                 // of the file decoder_ decodes
  std::vector<std::pair<FileIdentity, std::shared_ptr<const DecodedWave>>> known_;
  std::shared_ptr<const DecodedWave> cue_;
  Failure failure_;
};

}  // namespace sound
