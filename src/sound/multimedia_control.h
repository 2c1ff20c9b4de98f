#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/late_bound.h"
#include "sound/audio_device.h"

namespace sound {

// The program's multimedia device control, a non-visual object that plays wave files. It is
// reached late-bound (cue_player.h names its properties and verbs; verbs in any case) and hands
// each command to its device at once. Only an unknown property or verb fails a set: whatever
// else goes wrong is kept in error() and errorText(), which may be read at any time.
//
// The device comes from the audio module, loaded on the calling thread at the first set, so that
// starting the program does not load the audio libraries. Where no module can be loaded, the
// control stays silent and error() says why. Used from the thread that runs the event loop.
class MultimediaControl : public platform::Dispatchable {
 public:
  // Looks for the module beside the program, then where it is installed.
  MultimediaControl();
  // Looks for the module at these paths, in order.
  explicit MultimediaControl(std::vector<std::filesystem::path> modulePaths);
  // Uses this device, with no module.
  explicit MultimediaControl(std::unique_ptr<AudioDevice> device);
  ~MultimediaControl() override;
  MultimediaControl(const MultimediaControl&) = delete;
  MultimediaControl& operator=(const MultimediaControl&) = delete;

  platform::Status setPropertyById(int dispatchId, std::string_view value) override;

  DeviceError error() const;
  std::string errorText() const;
  bool isOpen() const { return device_ && device_->isOpen(); }
  bool isPlaying() const { return device_ && device_->isPlaying(); }
  // Whether the device is there: the module was loaded, or the device given.
  bool loaded() const { return device_ != nullptr; }

  static std::vector<std::filesystem::path> defaultModulePaths();

 private:
  void load();

  std::vector<std::filesystem::path> modulePaths_;
  std::unique_ptr<AudioDevice> device_;
  bool tried_ = false;
  std::string loadProblem_;
};

}  // namespace sound
