#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sound/device_control.h"

class QThread;

namespace sound {

class DeviceWorker;
struct DeviceChannel;

// The multimedia control the window owns. A property set is checked, recorded and handed to a
// device that works on a thread of its own; the set returns at once and never waits for that
// thread, whatever the audio service does. The device thread loads the audio module at the first
// command and carries the commands out in order. Commands that piled up while it was busy
// collapse (collapseBatch), and a chime that can no longer start in time is dropped
// (kCueTooLate). Where no module can be loaded the control stays silent, and error() says why.
//
// A device thread stuck inside the audio library for longer than kStuckAfter is left behind at
// the next set, and a fresh one takes over, so no hung call keeps the control silent for good.
// Threads left behind are never waited for: see threadsStillRunning().
//
// Used from one thread, the one that runs the window's event loop; error() and errorText() may
// be read at any time and never wait for the device.
class DeferredControl : public DeviceControl {
 public:
  static constexpr auto kStuckAfter = std::chrono::seconds(2);

  // Looks for the module beside the program, then where it is installed.
  DeferredControl();
  // Looks for the module at these paths, in order.
  explicit DeferredControl(std::vector<std::filesystem::path> modulePaths);
  // Stops the device and waits a little for its thread to end; a thread still stuck then is left.
  ~DeferredControl() override;
  DeferredControl(const DeferredControl&) = delete;
  DeferredControl& operator=(const DeferredControl&) = delete;

  void carryOut(DeviceCommand command) override;
  DeviceError error() const override;
  std::string errorText() const override;

  // Whether the device thread has loaded the module and made its control.
  bool loaded() const;
  // Waits until the device has carried out every command handed over so far; false if it has
  // not by the timeout. For tests: the program itself never waits for the device.
  bool waitUntilIdle(std::chrono::milliseconds timeout) const;

  // Where the program looks for the module, beside it and where it is installed.
  static std::vector<std::filesystem::path> defaultModulePaths();
  // Whether any audio thread the program left behind (stuck in the audio library) still runs.
  // Such a thread must not see the process's own teardown: the program then ends without it.
  static bool threadsStillRunning();

 private:
  void startDevice();
  void leaveStuckDevice();
  void post(DeviceCommand command);

  std::vector<std::filesystem::path> modulePaths_;
  std::shared_ptr<DeviceChannel> channel_;
  QThread* thread_ = nullptr;
  DeviceWorker* worker_ = nullptr;
};

}  // namespace sound
