#include "sound/deferred_control.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>
#include <system_error>
#include <utility>

#include "sound/audio_threads.h"
#include "sound/device_worker.h"

namespace sound {
namespace {

using Clock = DeviceChannel::Clock;

// How long destroying the control waits for the device thread to end, so that closing the window
// is never held up for long by an audio service that does not answer.
constexpr int kDeviceEndMs = 300;

// Each device thread left behind keeps the little it holds for the rest of the run; past this
// many, a stuck device is waited for instead of replaced.
constexpr int kMostLeftBehind = 16;

int leftBehindCount = 0;

}  // namespace

DeferredControl::DeferredControl() : DeferredControl(defaultModulePaths()) {}

DeferredControl::DeferredControl(std::vector<std::filesystem::path> modulePaths)
    : modulePaths_(std::move(modulePaths)) {}

DeferredControl::~DeferredControl() {
  if (thread_ == nullptr) return;
  channel_->leftBehind = true;
  QMetaObject::invokeMethod(worker_, &DeviceWorker::shutDown, Qt::QueuedConnection);
  if (thread_->wait(QDeadlineTimer(kDeviceEndMs))) {
    delete thread_;
  } else {
    audio_threads::leaveBehind(thread_);
  }
}

std::vector<std::filesystem::path> DeferredControl::defaultModulePaths() {
  std::error_code failed;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
  if (failed) return {};
  const std::filesystem::path folder = program.parent_path();
  return {
      folder / COLLATZ_AUDIO_MODULE_FILE,
      (folder / COLLATZ_AUDIO_MODULE_FROM_PROGRAM / COLLATZ_AUDIO_MODULE_FILE).lexically_normal()};
}

bool DeferredControl::threadsStillRunning() { return audio_threads::anyLeftRunning(); }

void DeferredControl::startDevice() {
  channel_ = std::make_shared<DeviceChannel>();
  thread_ = new QThread;
  thread_->setObjectName(QStringLiteral("audio device"));
  worker_ = new DeviceWorker(channel_, modulePaths_, audio_threads::home());
  worker_->moveToThread(thread_);
  QObject::connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_->start();
}

void DeferredControl::leaveStuckDevice() {
  std::vector<DeviceCommand> waiting;
  {
    std::lock_guard lock(channel_->mutex);
    waiting.swap(channel_->pending);
  }
  channel_->leftBehind = true;
  // Should the stuck call ever return, the thread releases its device and ends.
  QMetaObject::invokeMethod(worker_, &DeviceWorker::shutDown, Qt::QueuedConnection);
  audio_threads::leaveBehind(thread_);
  ++leftBehindCount;
  startDevice();
  for (DeviceCommand& command : waiting) post(std::move(command));
}

void DeferredControl::carryOut(DeviceCommand command) {
  if (thread_ == nullptr) {
    startDevice();
  } else if (const Clock::rep since = channel_->busySince; since != 0) {
    const bool stuck = Clock::now() - Clock::time_point(Clock::duration(since)) > kStuckAfter;
    if (stuck && leftBehindCount < kMostLeftBehind) leaveStuckDevice();
  }
  post(std::move(command));
}

void DeferredControl::post(DeviceCommand command) {
  bool wake = false;
  {
    std::lock_guard lock(channel_->mutex);
    channel_->pending.push_back(std::move(command));
    ++channel_->handedOver;
    wake = !std::exchange(channel_->wakePosted, true);
  }
  if (wake) QMetaObject::invokeMethod(worker_, &DeviceWorker::drain, Qt::QueuedConnection);
}

DeviceError DeferredControl::error() const {
  if (!channel_) return DeviceError::kNone;
  std::lock_guard lock(channel_->mutex);
  return channel_->error;
}

std::string DeferredControl::errorText() const {
  if (!channel_) return {};
  std::lock_guard lock(channel_->mutex);
  return channel_->errorText;
}

bool DeferredControl::loaded() const {
  if (!channel_) return false;
  std::lock_guard lock(channel_->mutex);
  return channel_->loaded;
}

bool DeferredControl::waitUntilIdle(std::chrono::milliseconds timeout) const {
  if (!channel_) return true;
  std::unique_lock lock(channel_->mutex);
  return channel_->changed.wait_for(
      lock, timeout, [this] { return channel_->carriedOut == channel_->handedOver; });
}

}  // namespace sound
