#include "capture_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sound_test {
namespace {

constexpr std::size_t kKeyLength = 32;

bool near(std::int16_t a, std::int16_t b, int tolerance) {
  return std::abs(static_cast<int>(a) - static_cast<int>(b)) <= tolerance;
}

}  // namespace

std::vector<HeardCue> findCue(const std::vector<std::int16_t>& capture,
                              const std::vector<std::int16_t>& cue, std::size_t from,
                              int tolerance) {
  std::vector<HeardCue> heard;
  // The search keys on the first clearly audible stretch of the cue, past its fade-in.
  const auto audible =
      std::find_if(cue.begin(), cue.end(), [](std::int16_t s) { return std::abs(s) >= 256; });
  if (audible == cue.end() || cue.end() - audible < static_cast<std::ptrdiff_t>(kKeyLength)) {
    return heard;
  }
  const auto key = static_cast<std::size_t>(audible - cue.begin());
  std::size_t p = from + key;
  while (p + kKeyLength <= capture.size()) {
    bool matches = true;
    for (std::size_t i = 0; i < kKeyLength && matches; ++i) {
      matches = near(capture[p + i], cue[key + i], tolerance);
    }
    if (!matches) {
      ++p;
      continue;
    }
    const std::size_t start = p - key;
    std::size_t length = 0;
    while (length < cue.size() && start + length < capture.size() &&
           near(capture[start + length], cue[length], tolerance)) {
      ++length;
    }
    if (length < key) {  // the fade-in did not match: not this cue's start
      ++p;
      continue;
    }
    heard.push_back({start, length});
    p = start + std::max(length, key + 1);
  }
  return heard;
}

double rmsLevel(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  to = std::min(to, samples.size());
  if (from >= to) return 0.0;
  double sum = 0.0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
}

double loudestWindow(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  constexpr std::size_t kWindow = 441;
  double loudest = 0.0;
  to = std::min(to, samples.size());
  for (std::size_t at = from; at < to; at += kWindow / 2) {
    loudest = std::max(loudest, rmsLevel(samples, at, std::min(at + kWindow, to)));
  }
  return loudest;
}

}  // namespace sound_test
