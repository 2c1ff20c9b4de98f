#include "sound/multimedia_control.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>
#include <utility>

#include "sound/cue_player.h"

namespace sound {
namespace {

using Command = AudioDevice::Command;

std::optional<Command> verbOf(std::string_view given) {
  constexpr std::pair<std::string_view, Command> kVerbs[] = {{kCommandStop, Command::kStop},
                                                             {kCommandClose, Command::kClose},
                                                             {kCommandOpen, Command::kOpen},
                                                             {kCommandSound, Command::kSound}};
  for (const auto& [verb, command] : kVerbs) {
    const bool same = std::ranges::equal(given, verb, [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
    if (same) return command;
  }
  return std::nullopt;
}

}  // namespace

MultimediaControl::MultimediaControl() : MultimediaControl(defaultModulePaths()) {}

MultimediaControl::MultimediaControl(std::vector<std::filesystem::path> modulePaths)
    : modulePaths_(std::move(modulePaths)) {}

MultimediaControl::MultimediaControl(std::unique_ptr<AudioDevice> device)
    : device_(std::move(device)), tried_(true) {}

// The module stays loaded: unloading code that queued events might still reach gains nothing.
MultimediaControl::~MultimediaControl() = default;

std::vector<std::filesystem::path> MultimediaControl::defaultModulePaths() {
  std::error_code failed;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
  if (failed) return {};
  const std::filesystem::path folder = program.parent_path();
  return {
      folder / COLLATZ_AUDIO_MODULE_FILE,
      (folder / COLLATZ_AUDIO_MODULE_FROM_PROGRAM / COLLATZ_AUDIO_MODULE_FILE).lexically_normal()};
}

platform::Status MultimediaControl::setPropertyById(int dispatchId, std::string_view value) {
  const auto setAt = std::chrono::steady_clock::now();
  std::optional<Command> command;
  if (dispatchId == kDispatchCommand) {
    command = verbOf(value);
    if (!command) {
      return platform::Status::failure(platform::kErrorPropertySetFailed,
                                       "Invalid device command \"" + std::string(value) + "\"");
    }
  } else if (dispatchId != kDispatchFileName) {
    return platform::Status::failure(platform::kErrorUnknownProperty,
                                     "Object doesn't support this property (dispatch identifier " +
                                         std::to_string(dispatchId) + ")");
  }
  if (!tried_) load();
  if (device_ && command) device_->carryOut(*command, setAt);
  if (device_ && !command) device_->setFileName(value);
  return platform::Status::success();
}

void MultimediaControl::load() {
  tried_ = true;
  std::string problems;
  for (const std::filesystem::path& path : modulePaths_) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto factory =
        module == nullptr
            ? nullptr
            : reinterpret_cast<AudioModuleFactory>(::dlsym(module, kAudioModuleFactory));
    if (factory != nullptr) {
      device_.reset(factory());
      return;
    }
    if (!problems.empty()) problems += "; ";
    problems += module == nullptr ? std::string(::dlerror())
                                  : path.string() + " is not the program's audio module";
  }
  loadProblem_ =
      "The audio module could not be loaded" + (problems.empty() ? std::string() : ": " + problems);
}

DeviceError MultimediaControl::error() const {
  if (device_) return device_->error();
  return tried_ ? DeviceError::kNoAudioDevice : DeviceError::kNone;
}

std::string MultimediaControl::errorText() const {
  return device_ ? device_->errorText() : loadProblem_;
}

}  // namespace sound
