// How long a chime takes to start: from the "Sound" property set to the first sample of the chime
// that reaches the sink of the benchmark's own audio server. Beside two baselines measured press by
// press in the same run: paplay playing the same file (from its process start), and the same
// samples through a fresh QAudioSink started on the calling thread, the toolkit's floor; and, for
// comparison, that sink started on a thread of its own. Also the time the calling thread spends
// inside one property set of the window's control.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sound/cue_player.h"
#include "sound/deferred_control.h"
#include "sound/device_commands.h"
#include "sound/wave_decoder.h"
#include "support/cue_files.h"
#include "support/event_pump.h"
#include "support/private_audio_server.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using sound_test::Clock;

constexpr int kPresses = 50;

sound_test::PrivateAudioServer* server = nullptr;

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

// Runs the event loop until the server renders a sample that is not silence, at or after the
// time; returns when that sample was rendered.
Clock::time_point onsetAfter(Clock::time_point pressed) {
  const sound_test::Capture& capture = server->capture();
  const auto deadline = pressed + 3s;
  std::size_t from = capture.sampleAt(pressed);
  while (Clock::now() < deadline) {
    const std::vector<std::int16_t> fresh = capture.samplesFrom(from);
    const auto loud =
        std::find_if(fresh.begin(), fresh.end(), [](std::int16_t s) { return s != 0; });
    if (loud != fresh.end())
      return capture.timeOf(from + static_cast<std::size_t>(loud - fresh.begin()));
    from += fresh.size();
    sound_test::runEventLoopFor(2ms);
  }
  throw std::runtime_error("no sound within 3 s of a press");
}

// Lets the server render silence for a while, so the next press starts from quiet.
void settle() {
  sound_test::runEventLoopFor(150ms);
  const sound_test::Capture& capture = server->capture();
  const auto deadline = Clock::now() + 3s;
  while (Clock::now() < deadline) {
    const std::size_t size = capture.size();
    const std::vector<std::int16_t> tail =
        capture.samplesFrom(size - std::min<std::size_t>(size, 2205));
    if (std::all_of(tail.begin(), tail.end(), [](std::int16_t s) { return s == 0; })) return;
    sound_test::runEventLoopFor(20ms);
  }
}

// The window's control: playCue as "Init" does, each of its five sets timed.
double pressCollatz(sound::DeviceControl& control, std::vector<double>& setMicros) {
  const auto playCue = [&](std::string_view file) {
    const auto set = [&](int id, std::string_view value) {
      const auto before = Clock::now();
      platform::setProperty(control, id, value);
      setMicros.push_back(milliseconds(Clock::now() - before) * 1000);
    };
    set(sound::kDispatchCommand, sound::kCommandStop);
    set(sound::kDispatchCommand, sound::kCommandClose);
    set(sound::kDispatchFileName, file);
    set(sound::kDispatchCommand, sound::kCommandOpen);
    const auto pressed = Clock::now();
    set(sound::kDispatchCommand, sound::kCommandSound);
    return pressed;
  };
  const Clock::time_point pressed = playCue(sound::kInitCue);
  const double latency = milliseconds(onsetAfter(pressed) - pressed);
  platform::setProperty(control, sound::kDispatchCommand, sound::kCommandStop);
  return latency;
}

double pressPaplay() {
  std::string program = "/usr/bin/paplay";
  std::string file(sound::kInitCue);
  char* argv[] = {program.data(), file.data(), nullptr};
  const auto started = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
    throw std::runtime_error("cannot start paplay");
  }
  const double latency = milliseconds(onsetAfter(started) - started);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return latency;
}

double pressBareSink(const QByteArray& pcm, const QAudioFormat& format) {
  QBuffer source;
  source.setData(pcm);
  source.open(QIODevice::ReadOnly);
  const auto started = Clock::now();
  QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);
  sink.start(&source);
  const double latency = milliseconds(onsetAfter(started) - started);
  sink.stop();
  return latency;
}

// The same sink started on a thread of its own, as the window's control starts its: shows what
// playing off the calling thread costs with the toolkit alone.
double pressThreadSink(QObject* onThread, const QByteArray& pcm, const QAudioFormat& format) {
  std::unique_ptr<QAudioSink> sink;
  QBuffer source;
  source.setData(pcm);
  source.open(QIODevice::ReadOnly);
  const auto started = Clock::now();
  QMetaObject::invokeMethod(
      onThread,
      [&] {
        sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
        sink->start(&source);
      },
      Qt::BlockingQueuedConnection);
  const double latency = milliseconds(onsetAfter(started) - started);
  QMetaObject::invokeMethod(
      onThread, [&] { sink.reset(); }, Qt::BlockingQueuedConnection);
  return latency;
}

void BM_ChimeLatency(benchmark::State& state) {
  sound_test::ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), sound::kInitCue, sound_test::CueFile::kInitChime);
  const sound::DecodeResult decoded = sound::decodeWaveFile(std::string(sound::kInitCue));
  const QByteArray pcm(reinterpret_cast<const char*>(decoded.wave.samples.data()),
                       static_cast<qsizetype>(decoded.wave.samples.size() * 2));
  QAudioFormat format;
  format.setSampleRate(decoded.wave.sampleRate);
  format.setChannelCount(decoded.wave.channels);
  format.setSampleFormat(QAudioFormat::Int16);

  QThread sinkThread;
  QObject onSinkThread;
  onSinkThread.moveToThread(&sinkThread);
  sinkThread.start();

  for (auto _ : state) {
    sound::DeferredControl control(std::vector<std::filesystem::path>{COLLATZ_AUDIO_MODULE});
    std::vector<double> collatz, paplay, bare, threadSink, setMicros;
    // The first press loads the audio module and connects; the user's first chime pays it once.
    pressCollatz(control, setMicros);
    settle();
    setMicros.clear();
    for (int press = 0; press < kPresses; ++press) {
      collatz.push_back(pressCollatz(control, setMicros));
      settle();
      paplay.push_back(pressPaplay());
      settle();
      bare.push_back(pressBareSink(pcm, format));
      settle();
      threadSink.push_back(pressThreadSink(&onSinkThread, pcm, format));
      settle();
    }
    state.SetIterationTime(percentile(collatz, 0.5) / 1000);
    state.counters["collatz_p50_ms"] = percentile(collatz, 0.5);
    state.counters["collatz_p95_ms"] = percentile(collatz, 0.95);
    state.counters["paplay_p50_ms"] = percentile(paplay, 0.5);
    state.counters["paplay_p95_ms"] = percentile(paplay, 0.95);
    state.counters["sink_p50_ms"] = percentile(bare, 0.5);
    state.counters["sink_p95_ms"] = percentile(bare, 0.95);
    state.counters["thread_sink_p50_ms"] = percentile(threadSink, 0.5);
    state.counters["thread_sink_p95_ms"] = percentile(threadSink, 0.95);
    // Targets: collatz's p95 at most either baseline's (ratios at most 1), and a property set
    // holding the calling thread for at most 0.2 ms at the 99th percentile.
    state.counters["p95_vs_paplay"] = percentile(collatz, 0.95) / percentile(paplay, 0.95);
    state.counters["p95_vs_sink"] = percentile(collatz, 0.95) / percentile(bare, 0.95);
    state.counters["set_p99_us"] = percentile(setMicros, 0.99);
    state.counters["set_max_us"] = percentile(setMicros, 1.0);
  }
  sinkThread.quit();
  sinkThread.wait();
}

BENCHMARK(BM_ChimeLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::unique_ptr<sound_test::PrivateAudioServer> own;
  try {
    own = std::make_unique<sound_test::PrivateAudioServer>(sound_test::serverKindFromEnvironment());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot start the benchmark's audio server: %s\n", error.what());
    return 1;
  }
  own->useForThisProcess();
  server = own.get();
  QCoreApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
