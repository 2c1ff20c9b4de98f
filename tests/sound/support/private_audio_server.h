#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "capture.h"

namespace sound_test {

enum class ServerKind {
  kPulseAudio,  // the pulseaudio daemon
  kPipeWire,    // pipewire, its session manager wireplumber, and pipewire-pulse
};

// The kind COLLATZ_TEST_AUDIO_SERVER names: "pulseaudio" (also when unset) or "pipewire".
// Throws std::runtime_error for any other name.
ServerKind serverKindFromEnvironment();

// A server of the PulseAudio protocol, the test's own, of either kind, in a temporary folder: one
// sink, the default, that writes what it renders (16-bit mono at Capture::kSampleRate, paced by the
// system clock) into a FIFO which a thread drains into a Capture. Its programs die with the test
// process, even if the test crashes, and are stopped when this object goes. Nothing of the user's
// own audio set-up is read or touched: every program gets its own runtime, configuration and state
// folders, and no D-Bus.
//
// Under PipeWire the sink lives in the pipewire daemon and the clients talk to pipewire-pulse:
// kill(), suspend(), resume() and replace() act on pipewire-pulse alone. While the server is
// stopped with a stream playing, neither kind renders anything: PulseAudio's sink stops with it,
// and PipeWire 0.3's graph waits for the stopped stream. The capture goes on once it resumes,
// each block timed as it arrives.
class PrivateAudioServer {
 public:
  // Throws std::runtime_error, with the programs' logs, if the server cannot start.
  explicit PrivateAudioServer(ServerKind kind);
  ~PrivateAudioServer();
  PrivateAudioServer(const PrivateAudioServer&) = delete;
  PrivateAudioServer& operator=(const PrivateAudioServer&) = delete;

  // Points this process's audio clients at the server and keeps them from starting another.
  // Must run before the first use of Qt's audio devices.
  void useForThisProcess() const;
  // The environment entries that do the same for a child process.
  std::vector<std::string> clientEnvironment() const;

  const Capture& capture() const { return capture_; }
  // The names of the playback streams the server lists now, as a sound panel would show them.
  // Asks over a connection of its own; throws std::runtime_error if the server does not answer
  // within seconds.
  std::vector<std::string> playbackStreams() const;
  const std::filesystem::path& folder() const { return folder_; }

  void kill();     // the server dies at once, as in a crash
  void suspend();  // the server stops responding (SIGSTOP) ...
  void resume();   // ... and goes on (SIGCONT)
  // The server dies at once and a new one starts on another socket, rendering into the same
  // capture; this process's clients are pointed at the new one.
  void replace();
  void stop();  // asks every program to end, then kills those that linger

 private:
  pid_t startProgram(const std::string& name, std::vector<std::string> arguments,
                     std::vector<std::string> environment);
  void startPulseServer();
  void startPipeWireDaemons();
  void waitFor(const std::function<bool()>& ready, const std::string& what);
  std::string logs() const;
  void drain();

  ServerKind kind_;
  std::filesystem::path folder_;
  std::filesystem::path fifo_;
  std::filesystem::path socket_;  // the PulseAudio protocol's
  int generation_ = 0;            // how many pulse servers this one has started
  pid_t pulse_ = -1;              // the process clients talk to
  std::vector<pid_t> daemons_;    // pipewire and wireplumber, in the order they started
  int fifoFd_ = -1;
  std::atomic<bool> draining_{true};
  std::thread drainer_;
  Capture capture_;
};

// Points this process's audio clients at a server that does not exist, and keeps them from
// starting one: what a machine without any audio service looks like to the program.
void useNoAudioServer(const std::filesystem::path& scratchFolder);

}  // namespace sound_test
