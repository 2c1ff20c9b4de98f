// The experiment's numeric loop over every start it accepts, in steps per second, beside the same
// walk in 64-bit integers as the baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "experiment/trajectory.h"

namespace {

constexpr std::int64_t kFirst = 3;
constexpr std::int64_t kLast = 10000000;

void BM_AllStartsDouble(benchmark::State& state) {
  std::uint64_t steps = 0;
  for (auto _ : state) {
    for (std::int64_t start = kFirst; start <= kLast; ++start) {
      double n = static_cast<double>(start);
      while (n != 1) {
        n = experiment::nextValue(n);
        ++steps;
      }
      benchmark::DoNotOptimize(n);
    }
  }
  state.counters["steps/s"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
}

void BM_AllStartsInteger_Baseline(benchmark::State& state) {
  std::uint64_t steps = 0;
  for (auto _ : state) {
    for (std::int64_t start = kFirst; start <= kLast; ++start) {
      std::uint64_t n = static_cast<std::uint64_t>(start);
      while (n != 1) {
        n = n % 2 == 0 ? n / 2 : n * 3 + 1;
        ++steps;
      }
      benchmark::DoNotOptimize(n);
    }
  }
  state.counters["steps/s"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_AllStartsDouble)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_AllStartsInteger_Baseline)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
