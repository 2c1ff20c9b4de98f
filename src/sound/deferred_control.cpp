#include "sound/deferred_control.h"

#include <dlfcn.h>

#include <system_error>
#include <utility>

#include "sound/audio_module.h"
#include "sound/device_commands.h"

namespace sound {

DeferredControl::DeferredControl() : DeferredControl(defaultModulePaths()) {}

DeferredControl::DeferredControl(std::vector<std::filesystem::path> modulePaths)
    : modulePaths_(std::move(modulePaths)) {}

// The module stays loaded: objects it made may outlive the control (queued events, audio
// threads winding down), and unloading code that might still run gains nothing at exit.
DeferredControl::~DeferredControl() = default;

std::vector<std::filesystem::path> DeferredControl::defaultModulePaths() {
  std::error_code failed;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
  if (failed) return {};
  const std::filesystem::path folder = program.parent_path();
  return {
      folder / COLLATZ_AUDIO_MODULE_FILE,
      (folder / COLLATZ_AUDIO_MODULE_FROM_PROGRAM / COLLATZ_AUDIO_MODULE_FILE).lexically_normal()};
}

void DeferredControl::load() {
  tried_ = true;
  std::string problems;
  for (const std::filesystem::path& path : modulePaths_) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      if (!problems.empty()) problems += "; ";
      problems += ::dlerror();
      continue;
    }
    auto factory = reinterpret_cast<AudioModuleFactory>(::dlsym(module, kAudioModuleFactory));
    if (factory == nullptr) {
      if (!problems.empty()) problems += "; ";
      problems += path.string() + " is not the program's audio module";
      continue;
    }
    device_.reset(factory());
    return;
  }
  loadProblem_ =
      "The audio module could not be loaded" + (problems.empty() ? std::string() : ": " + problems);
}

platform::Status DeferredControl::setPropertyById(int dispatchId, std::string_view value) {
  if (!tried_) load();
  if (device_) return device_->setPropertyById(dispatchId, value);
  if (dispatchId == kDispatchFileName) return platform::Status::success();
  if (dispatchId != kDispatchCommand) {
    return platform::Status::failure(platform::kErrorUnknownProperty,
                                     "Object doesn't support this property (dispatch identifier " +
                                         std::to_string(dispatchId) + ")");
  }
  if (!isDeviceCommand(value)) {
    return platform::Status::failure(platform::kErrorPropertySetFailed,
                                     "Invalid device command \"" + std::string(value) + "\"");
  }
  return platform::Status::success();
}

DeviceError DeferredControl::error() const {
  if (device_) return device_->error();
  return loadProblem_.empty() ? DeviceError::kNone : DeviceError::kNoAudioDevice;
}

std::string DeferredControl::errorText() const {
  if (device_) return device_->errorText();
  return loadProblem_;
}

}  // namespace sound
