#pragma once

#include <cstdint>
#include <vector>

// The program's own chimes, synthesised rather than recorded: struck bar-like tones whose
// partials ring out at different rates.
namespace chimes {

inline constexpr int kSampleRate = 44100;

// One struck tone of a chime.
struct ChimeStrike {
  double startSeconds;
  double frequencyHz;  // the fundamental
  double loudness;     // relative to the chime's other strikes
  double ringSeconds;  // time for the fundamental to fall to about a third (1/e)
  double brightness;   // 0: fundamental only; 1: strong upper partials
};

// Renders the strikes into mono 16-bit samples of the given length. Each strike fades in over a
// few milliseconds and the whole chime fades out at its end, so it starts and ends without a
// click; the loudest moment is scaled to peakLevel of full scale.
std::vector<std::int16_t> renderChime(const std::vector<ChimeStrike>& strikes, double lengthSeconds,
                                      double peakLevel, int sampleRate = kSampleRate);

// "pin-pon": a bright high tone, then a lower one a major third down.
std::vector<std::int16_t> initChime(int sampleRate = kSampleRate);

// A softer closing chime falling through three tones.
std::vector<std::int16_t> exitChime(int sampleRate = kSampleRate);

}  // namespace chimes
