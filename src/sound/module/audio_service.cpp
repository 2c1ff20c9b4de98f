#include "sound/module/audio_service.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>

namespace sound {

// Carries the library's news to the thread that owns the service. Callbacks run on the mainloop's
// thread with its lock held; all they do is post one event, and only if none is on its way.
class AudioService::Poster : public QObject {
 public:
  explicit Poster(std::function<void()> changed) : changed_(std::move(changed)) {}
  static void post(void* poster) {
    auto* self = static_cast<Poster*>(poster);
    if (!self->pending_.exchange(true)) QCoreApplication::postEvent(self, new QEvent(type()));
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != type()) return QObject::event(event);
    pending_ = false;
    changed_();
    return true;
  }

 private:
  static QEvent::Type type() {
    static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
    return registered;
  }
  std::function<void()> changed_;
  std::atomic<bool> pending_{false};
};

namespace {

class Locked {
 public:
  explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~Locked() { pa_threaded_mainloop_unlock(loop_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

// Unconnected counts as failed: it is what a connection or stream is left in when its start was
// refused at once.
AudioService::State stateOf(bool ready, bool good) {
  using State = AudioService::State;
  return ready ? State::kReady : good ? State::kStarting : State::kFailed;
}

}  // namespace

pa_buffer_attr cueBufferAttributes(const pa_sample_spec& format, std::size_t bytes) {
  const std::size_t most = pa_usec_to_bytes(4 * PA_USEC_PER_SEC, &format);
  const std::size_t start = pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &format);
  pa_buffer_attr attributes{};
  attributes.maxlength = attributes.minreq = attributes.fragsize = UINT32_MAX;  // the service's
  attributes.tlength = static_cast<std::uint32_t>(std::min(bytes, most));
  attributes.prebuf = static_cast<std::uint32_t>(std::min<std::size_t>(attributes.tlength, start));
  return attributes;
}

AudioService::AudioService(std::function<void()> changed)
    : poster_(std::make_unique<Poster>(std::move(changed))), loop_(pa_threaded_mainloop_new()) {
  if (loop_ == nullptr) return;
  pa_threaded_mainloop_set_name(loop_, "audio service");
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

AudioService::~AudioService() {
  if (loop_ == nullptr) return;
  disconnect();
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

void AudioService::connect() {
  const State now = connection();
  if (loop_ == nullptr || now == State::kStarting || now == State::kReady) return;
  disconnect();
  Locked lock(loop_);
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Collatz");
  if (context_ == nullptr) return;
  pa_context_set_state_callback(
      context_, [](pa_context*, void* poster) { Poster::post(poster); }, poster_.get());
  pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

AudioService::State AudioService::connection() const {
  if (loop_ == nullptr) return State::kFailed;
  Locked lock(loop_);
  if (context_ == nullptr) return State::kNone;
  const pa_context_state_t state = pa_context_get_state(context_);
  return stateOf(state == PA_CONTEXT_READY, PA_CONTEXT_IS_GOOD(state));
}

void AudioService::disconnect() {
  closeStream();
  if (context_ == nullptr) return;
  Locked lock(loop_);
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

bool AudioService::openStream(const pa_sample_spec& format, std::size_t bytes,
                              const std::string& name) {
  closeStream();
  if (connection() != State::kReady) return false;
  Locked lock(loop_);
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
  stream_ = pa_stream_new_with_proplist(context_, name.c_str(), &format, nullptr, properties);
  pa_proplist_free(properties);
  if (stream_ == nullptr) return false;
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* poster) { Poster::post(poster); }, poster_.get());
  pa_stream_set_write_callback(
      stream_, [](pa_stream*, std::size_t, void* poster) { Poster::post(poster); }, poster_.get());
  const pa_buffer_attr attributes = cueBufferAttributes(format, bytes);
  pa_stream_connect_playback(stream_, nullptr, &attributes, PA_STREAM_NOFLAGS, nullptr, nullptr);
  return true;
}

AudioService::State AudioService::stream() const {
  if (stream_ == nullptr) return State::kNone;
  Locked lock(loop_);
  const pa_stream_state_t state = pa_stream_get_state(stream_);
  return stateOf(state == PA_STREAM_READY, PA_STREAM_IS_GOOD(state));
}

std::size_t AudioService::write(const void* data, std::size_t bytes) {
  if (stream() != State::kReady) return 0;
  Locked lock(loop_);
  const std::size_t wanted = pa_stream_writable_size(stream_);
  const std::size_t now = wanted == static_cast<std::size_t>(-1) ? 0 : std::min(wanted, bytes);
  if (now == 0 || pa_stream_write(stream_, data, now, nullptr, 0, PA_SEEK_RELATIVE) < 0) return 0;
  return now;
}

void AudioService::endOfStream() {
  if (stream() != State::kReady) return;
  Locked lock(loop_);
  if (pa_operation* draining = pa_stream_drain(stream_, nullptr, nullptr)) {
    pa_operation_unref(draining);
  }
}

void AudioService::closeStream() {
  if (stream_ == nullptr) return;
  Locked lock(loop_);
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

std::string AudioService::failure() const {
  if (loop_ == nullptr) return "the audio library could not start its thread";
  if (context_ == nullptr) return {};
  Locked lock(loop_);
  return pa_strerror(pa_context_errno(context_));
}

}  // namespace sound
