#include "sound/module/cue_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sound {
namespace {

DeviceError kindOf(int error) {
  return error == ENOENT || error == ENOTDIR ? DeviceError::kFileNotFound
                                             : DeviceError::kFileUnreadable;
}

}  // namespace

CueReader::CueReader(const std::filesystem::path& path) { open(path); }

void CueReader::open(const std::filesystem::path& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  struct stat status{};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
    const int error = errno;
    return fail({kindOf(error), std::strerror(error)});
  }
  if (!S_ISREG(status.st_mode)) return fail({DeviceError::kFileUnreadable, "not a regular file"});
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxWaveFileBytes) {
    return fail({DeviceError::kFileTooLarge, std::to_string(status.st_size) + " bytes"});
  }
  if (status.st_size == 0) return fail({DeviceError::kFileEmpty, "0 bytes"});
  identity_ = {status.st_dev, status.st_ino, status.st_size,
               std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

CueReader::~CueReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool CueReader::readSome(std::size_t bytes) {
  if (fd_ < 0) return true;
  // Room for one byte past the limit, which tells a file that has grown too large since the
  // check. Reserved whole, so that no share's read moves what came before; only what is read is
  // ever touched.
  bytes_.reserve(kMaxWaveFileBytes + 1);
  const std::size_t wanted = std::min(got_ + bytes, kMaxWaveFileBytes + 1);
  while (got_ <= kMaxWaveFileBytes) {
    if (got_ == wanted) return false;
    if (got_ == bytes_.size()) bytes_.resize(wanted);
    const ssize_t n = ::read(fd_, bytes_.data() + got_, bytes_.size() - got_);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      fail({DeviceError::kFileUnreadable, std::strerror(errno)});
      return true;
    }
    got_ += static_cast<std::size_t>(n);
  }
  ::close(fd_);
  fd_ = -1;
  bytes_.resize(got_);
  if (got_ > kMaxWaveFileBytes)
    fail({DeviceError::kFileTooLarge, "grew past the limit while read"});
  if (got_ == 0) fail({DeviceError::kFileEmpty, "0 bytes"});
  return true;
}

std::string CueReader::take() {
  if (fd_ >= 0 || failure_) return {};
  return std::move(bytes_);
}

void CueReader::fail(Failure failure) {
  failure_ = std::move(failure);
  bytes_.clear();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace sound
