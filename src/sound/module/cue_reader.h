#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "sound/device_error.h"

namespace sound {

// The largest file "Open" reads: a chime lasts a second or two, under 3 MiB even as 64-bit
// floating-point stereo at 96 kHz.
inline constexpr std::uintmax_t kMaxWaveFileBytes = 8u << 20;

// What tells one version of a file from another without reading it.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// A cue file, opened once by its name and never again: without blocking (a FIFO or a device put
// under the name cannot hang the program), and checked on that same descriptor, so that what is
// read is what was checked. failure() says why it cannot be a cue: missing, not a regular file,
// empty, too large.
class CueReader {
 public:
  explicit CueReader(const std::filesystem::path& path);
  ~CueReader();
  CueReader(const CueReader&) = delete;
  CueReader& operator=(const CueReader&) = delete;

  const Failure& failure() const { return failure_; }
  const FileIdentity& identity() const { return identity_; }

  // Reads up to `bytes` more of the file through the checked descriptor; true once the file is
  // done with, read whole or not. The descriptor is closed then.
  bool readSome(std::size_t bytes);
  // What was read, once readSome() is done: the whole file, or empty with failure() set if it could
  // not be read or has grown too large since it was checked.
  std::string take();

 private:
  void open(const std::filesystem::path& path);
  // Keeps why, and lets go of the file and what was read of it.
  void fail(Failure failure);

  int fd_ = -1;
  FileIdentity identity_;
  std::string bytes_;
  std::size_t got_ = 0;
  Failure failure_;
};

}  // namespace sound
