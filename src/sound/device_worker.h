#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sound/device_channel.h"
#include "sound/device_control.h"

namespace sound {

// The device side of the window's multimedia control: lives on the device thread, loads the audio
// module at its first batch and carries out each batch of commands handed over through the
// channel, publishing the error state after every command. Everything that can block (loading
// the module, reaching the audio service, reading the cue file) happens here.
class DeviceWorker : public QObject {
 public:
  DeviceWorker(std::shared_ptr<DeviceChannel> channel,
               std::vector<std::filesystem::path> modulePaths, QObject* home);
  ~DeviceWorker() override;

  // Takes every pending command and carries out what still matters of them.
  void drain();
  // Releases the device and ends the thread's event loop.
  void shutDown();

 private:
  void load();
  void publish();

  std::shared_ptr<DeviceChannel> channel_;
  std::vector<std::filesystem::path> modulePaths_;
  QObject* home_;
  std::unique_ptr<DeviceControl> device_;
  bool tried_ = false;
  std::string loadProblem_;
};

}  // namespace sound
