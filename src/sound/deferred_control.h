#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sound/device_control.h"

namespace sound {

// The multimedia control the window owns. It loads the audio module at its first property set
// and hands that set and every later one to the control the module makes. Where no module can be
// loaded the control stays silent: the sets still succeed as the real control's would (an
// unknown property or verb still fails), and error() says why nothing plays.
//
// Not thread-safe; used from the thread that runs the event loop, like the control it stands for.
class DeferredControl : public DeviceControl {
 public:
  // Looks for the module beside the program, then where it is installed.
  DeferredControl();
  // Looks for the module at these paths, in order.
  explicit DeferredControl(std::vector<std::filesystem::path> modulePaths);
  ~DeferredControl() override;
  DeferredControl(const DeferredControl&) = delete;
  DeferredControl& operator=(const DeferredControl&) = delete;

  platform::Status setPropertyById(int dispatchId, std::string_view value) override;
  DeviceError error() const override;
  std::string errorText() const override;

  // Whether the module has been loaded and its control made.
  bool loaded() const { return device_ != nullptr; }

  // Where the program looks for the module, beside it and where it is installed.
  static std::vector<std::filesystem::path> defaultModulePaths();

 private:
  void load();

  std::vector<std::filesystem::path> modulePaths_;
  std::unique_ptr<DeviceControl> device_;
  bool tried_ = false;
  std::string loadProblem_;
};

}  // namespace sound
