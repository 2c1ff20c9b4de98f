#include "tools/chime_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace chimes {
namespace {

constexpr double kAttackSeconds = 0.004;
constexpr double kReleaseSeconds = 0.060;

// Partials of a struck metal bar: frequency ratio, level and how much faster than the
// fundamental each one dies away. The upper ones are slightly out of tune with the harmonic
// series, which is what makes a tone sound struck rather than played.
struct Partial {
  double ratio;
  double level;
  double decaySpeed;
};
constexpr Partial kPartials[] = {
    {1.0, 1.0, 1.0}, {2.0, 0.32, 1.8}, {3.01, 0.14, 2.9}, {4.16, 0.08, 4.5}, {5.43, 0.04, 6.5},
};

// A raised-cosine ramp from 0 to 1 over the given time.
double ramp(double t, double length) {
  if (t <= 0.0) return 0.0;
  if (t >= length) return 1.0;
  return 0.5 - 0.5 * std::cos(std::numbers::pi * t / length);
}

}  // namespace

std::vector<std::int16_t> renderChime(const std::vector<ChimeStrike>& strikes, double lengthSeconds,
                                      double peakLevel, int sampleRate) {
  const auto frames = static_cast<std::size_t>(std::lround(lengthSeconds * sampleRate));
  std::vector<double> mix(frames, 0.0);
  for (const ChimeStrike& strike : strikes) {
    const auto first = static_cast<std::size_t>(std::lround(strike.startSeconds * sampleRate));
    for (std::size_t i = first; i < frames; ++i) {
      const double t = static_cast<double>(i - first) / sampleRate;
      double value = 0.0;
      for (const Partial& partial : kPartials) {
        const double level =
            partial.ratio == 1.0 ? partial.level : partial.level * strike.brightness;
        const double frequency = strike.frequencyHz * partial.ratio;
        if (level == 0.0 || frequency >= sampleRate / 2.0) continue;
        value += level * std::exp(-t * partial.decaySpeed / strike.ringSeconds) *
                 std::sin(2.0 * std::numbers::pi * frequency * t);
      }
      mix[i] += strike.loudness * ramp(t, kAttackSeconds) * value;
    }
  }
  for (std::size_t i = 0; i < frames; ++i) {
    const double untilEnd = static_cast<double>(frames - i) / sampleRate;
    mix[i] *= ramp(untilEnd, kReleaseSeconds);
  }

  double peak = 0.0;
  for (double value : mix) peak = std::max(peak, std::abs(value));
  const double scale = peak > 0.0 ? peakLevel * 32767.0 / peak : 0.0;
  std::vector<std::int16_t> samples(frames);
  std::transform(mix.begin(), mix.end(), samples.begin(), [scale](double value) {
    return static_cast<std::int16_t>(std::lround(std::clamp(value * scale, -32767.0, 32767.0)));
  });
  return samples;
}

std::vector<std::int16_t> initChime(int sampleRate) {
  // E6, then C6.
  return renderChime({{0.0, 1318.51, 1.0, 0.45, 1.0}, {0.36, 1046.50, 1.0, 0.55, 1.0}}, 1.30, 0.70,
                     sampleRate);
}

std::vector<std::int16_t> exitChime(int sampleRate) {
  // G5, E5, C5: duller strikes, a lower peak.
  return renderChime({{0.0, 783.99, 1.0, 0.40, 0.45},
                      {0.26, 659.26, 0.95, 0.45, 0.40},
                      {0.52, 523.25, 0.9, 0.60, 0.35}},
                     1.40, 0.50, sampleRate);
}

}  // namespace chimes
