#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace sound_test {

using Clock = std::chrono::steady_clock;

// Everything the server has rendered, sample by sample, with the time each block arrived.
class Capture {
 public:
  static constexpr int kSampleRate = 44100;  // 16-bit mono at this rate

  struct Block {
    Clock::time_point arrived;
    std::size_t firstSample;
    std::size_t endSample;
  };

  std::vector<std::int16_t> samples() const;
  // The samples from the index on, without copying what came before.
  std::vector<std::int16_t> samplesFrom(std::size_t first) const;
  std::size_t size() const;
  // When a sample was rendered: its block's arrival, plus its place within the block.
  Clock::time_point timeOf(std::size_t sample) const;
  // The index of the first sample rendered at or after the time (size() if none yet).
  std::size_t sampleAt(Clock::time_point time) const;

  void append(const std::int16_t* data, std::size_t count, Clock::time_point arrived);

 private:
  mutable std::mutex mutex_;
  std::vector<std::int16_t> samples_;
  std::vector<Block> blocks_;
};

}  // namespace sound_test
