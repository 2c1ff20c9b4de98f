#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound_test {

// One playing of a cue found in a capture: where its first sample landed and how many of its
// samples followed, unchanged and in order, before it stopped or was cut off.
struct HeardCue {
  std::size_t start;
  std::size_t length;
};

// Every place at or after `from` where the cue starts playing from its beginning, in order. A
// sample matches when it is within the tolerance of the cue's; the audio service passes a lone
// stream at full volume and at its own rate through unchanged, so the tolerance only absorbs
// rounding.
std::vector<HeardCue> findCue(const std::vector<std::int16_t>& capture,
                              const std::vector<std::int16_t>& cue, std::size_t from = 0,
                              int tolerance = 2);

// The root mean square level of samples [from, to), as a fraction of full scale.
double rmsLevel(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);

// The loudest short window (10 ms) within [from, to), as a fraction of full scale.
double loudestWindow(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);

}  // namespace sound_test
