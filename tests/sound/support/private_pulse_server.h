#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "capture.h"

namespace sound_test {

// A PulseAudio server of the test's own, in a temporary folder: one sink, the default, that
// writes what it renders (16-bit mono at kSampleRate, paced by the system clock) into a FIFO
// which a thread drains into a Capture. The server dies with the test process, even if the test
// crashes, and is stopped when this object goes.
class PrivatePulseServer {
 public:
  static constexpr int kSampleRate = Capture::kSampleRate;

  PrivatePulseServer();  // throws std::runtime_error, with the server's log, if it cannot start
  ~PrivatePulseServer();
  PrivatePulseServer(const PrivatePulseServer&) = delete;
  PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

  // Points this process's audio clients at the server and keeps them from starting another.
  // Must run before the first use of Qt's audio devices.
  void useForThisProcess() const;
  // The environment entries that do the same for a child process.
  std::vector<std::string> clientEnvironment() const;

  const Capture& capture() const { return capture_; }
  const std::filesystem::path& folder() const { return folder_; }

  void kill();     // the server dies at once, as in a crash
  void suspend();  // the server stops responding (SIGSTOP) ...
  void resume();   // ... and goes on (SIGCONT)
  void stop();     // asks it to end, then kills it if it lingers

 private:
  void drain();

  std::filesystem::path folder_;
  std::filesystem::path socket_;
  std::filesystem::path fifo_;
  pid_t pid_ = -1;
  int fifoFd_ = -1;
  std::atomic<bool> draining_{true};
  std::thread drainer_;
  Capture capture_;
};

// Points this process's audio clients at a server that does not exist, and keeps them from
// starting one: what a machine without any audio service looks like to the program.
void useNoAudioServer(const std::filesystem::path& scratchFolder);

}  // namespace sound_test
