#include "capture.h"

#include <algorithm>
#include <iterator>

namespace sound_test {

std::vector<std::int16_t> Capture::samples() const {
  std::lock_guard lock(mutex_);
  return samples_;
}

std::vector<std::int16_t> Capture::samplesFrom(std::size_t first) const {
  std::lock_guard lock(mutex_);
  if (first >= samples_.size()) return {};
  return {samples_.begin() + static_cast<std::ptrdiff_t>(first), samples_.end()};
}

std::size_t Capture::size() const {
  std::lock_guard lock(mutex_);
  return samples_.size();
}

Clock::time_point Capture::timeOf(std::size_t sample) const {
  std::lock_guard lock(mutex_);
  if (blocks_.empty()) return Clock::time_point::max();
  auto block = std::upper_bound(blocks_.begin(), blocks_.end(), sample,
                                [](std::size_t s, const Block& b) { return s < b.endSample; });
  if (block == blocks_.end()) block = std::prev(blocks_.end());
  const auto offset = static_cast<double>(sample) - static_cast<double>(block->firstSample);
  return block->arrived + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(offset / kSampleRate));
}

std::size_t Capture::sampleAt(Clock::time_point time) const {
  std::lock_guard lock(mutex_);
  auto block = std::lower_bound(blocks_.begin(), blocks_.end(), time,
                                [](const Block& b, Clock::time_point t) { return b.arrived < t; });
  return block == blocks_.end() ? samples_.size() : block->firstSample;
}

void Capture::append(const std::int16_t* data, std::size_t count, Clock::time_point arrived) {
  std::lock_guard lock(mutex_);
  const std::size_t first = samples_.size();
  samples_.insert(samples_.end(), data, data + count);
  blocks_.push_back({arrived, first, samples_.size()});
}

}  // namespace sound_test
