// Start-up of the program, from process start until the explanation has been painted (the
// start-up probe, the program's own start-up and window, quits right then), beside a bare Qt
// window of the same size that quits after its first paint. Both run as fresh processes,
// alternately, in the same run, on the offscreen platform; each is timed to its exit and its peak
// memory read from wait4.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
  double seconds = 0;
  long peakKib = 0;  // ru_maxrss
};

ChildRun runChild(const char* program) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    if (variable.rfind("QT_QPA_PLATFORM=", 0) != 0) environment.push_back(variable);
  }
  environment.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string name = program;
  char* argv[] = {name.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) {
    throw std::runtime_error(std::string("cannot start ") + program);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(std::string(program) + " did not exit cleanly");
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return {elapsed.count(), usage.ru_maxrss};
}

void BM_StartUpToExplanationPainted(benchmark::State& state) {
  double programSeconds = 0;
  double bareSeconds = 0;
  long programPeak = 0;
  long barePeak = 0;
  for (auto _ : state) {
    const ChildRun bare = runChild(BARE_WINDOW_PROGRAM);
    const ChildRun program = runChild(STARTUP_PROBE_PROGRAM);
    state.SetIterationTime(program.seconds);
    programSeconds += program.seconds;
    bareSeconds += bare.seconds;
    programPeak = std::max(programPeak, program.peakKib);
    barePeak = std::max(barePeak, bare.peakKib);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["collatz_ms"] = 1000 * programSeconds / runs;
  state.counters["bare_ms"] = 1000 * bareSeconds / runs;
  state.counters["time_ratio"] = programSeconds / bareSeconds;  // target: at most 1.3
  state.counters["collatz_peak_MiB"] = static_cast<double>(programPeak) / 1024;
  state.counters["bare_peak_MiB"] = static_cast<double>(barePeak) / 1024;
  state.counters["peak_ratio"] =
      static_cast<double>(programPeak) / static_cast<double>(barePeak);  // target: at most 1.3
}

BENCHMARK(BM_StartUpToExplanationPainted)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
