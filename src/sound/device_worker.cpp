#include "sound/device_worker.h"

#include <dlfcn.h>

#include <QThread>
#include <utility>

#include "sound/audio_module.h"

namespace sound {

DeviceWorker::DeviceWorker(std::shared_ptr<DeviceChannel> channel,
                           std::vector<std::filesystem::path> modulePaths, QObject* home)
    : channel_(std::move(channel)), modulePaths_(std::move(modulePaths)), home_(home) {}

// The module stays loaded: objects it made may outlive the control (queued events, audio threads
// winding down), and unloading code that might still run gains nothing.
DeviceWorker::~DeviceWorker() = default;

void DeviceWorker::load() {
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
    device_.reset(factory(home_));
    device_->setErrorListener([this] { publish(); });
    return;
  }
  loadProblem_ =
      "The audio module could not be loaded" + (problems.empty() ? std::string() : ": " + problems);
}

void DeviceWorker::drain() {
  std::vector<DeviceCommand> batch;
  {
    std::lock_guard lock(channel_->mutex);
    batch.swap(channel_->pending);
    channel_->wakePosted = false;
  }
  const std::size_t taken = batch.size();
  channel_->busySince = DeviceChannel::Clock::now().time_since_epoch().count();
  if (!tried_) load();
  for (DeviceCommand& command : collapseBatch(std::move(batch))) {
    if (channel_->leftBehind) break;
    if (device_) device_->carryOut(std::move(command));
    publish();
  }
  // Given up on while it was stuck: whatever it started since must not play on.
  if (channel_->leftBehind && device_) device_->carryOut({DeviceCommand::Kind::kStop, {}});
  channel_->busySince = 0;
  {
    std::lock_guard lock(channel_->mutex);
    channel_->carriedOut += taken;
  }
  channel_->changed.notify_all();
}

void DeviceWorker::shutDown() {
  device_.reset();
  QThread::currentThread()->quit();
}

void DeviceWorker::publish() {
  DeviceError error = DeviceError::kNoAudioDevice;
  std::string text = loadProblem_;
  if (device_) {
    error = device_->error();
    text = device_->errorText();
  }
  std::lock_guard lock(channel_->mutex);
  channel_->error = error;
  channel_->errorText = std::move(text);
  channel_->loaded = device_ != nullptr;
}

}  // namespace sound
