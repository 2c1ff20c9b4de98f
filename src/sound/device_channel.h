#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "sound/device_commands.h"
#include "sound/device_error.h"

namespace sound {

// What the window's thread and one device thread share. The mutex is only ever held to move
// commands or copy the state, never while the device is inside the audio library, so the window's
// thread never waits on the device.
struct DeviceChannel {
  using Clock = std::chrono::steady_clock;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // a batch carried out
  std::vector<DeviceCommand> pending;       // handed over, not yet taken
  bool wakePosted = false;                  // a call to take them is on its way
  std::size_t handedOver = 0;
  std::size_t carriedOut = 0;
  DeviceError error = DeviceError::kNone;
  std::string errorText;
  bool loaded = false;

  // Since when the device has been carrying out a batch; 0 while it waits for one.
  std::atomic<Clock::rep> busySince{0};
  // Set when the window's thread has given up on this device: it carries out nothing more.
  std::atomic<bool> leftBehind{false};
};

}  // namespace sound
