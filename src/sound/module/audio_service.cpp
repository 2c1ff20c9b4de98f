#include "sound/module/audio_service.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

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
    if (self->pending_.exchange(true)) return;
    QMetaObject::invokeMethod(
        self,
        [self] {
          self->pending_ = false;
          self->changed_();
        },
        Qt::QueuedConnection);
  }

 private:
  std::function<void()> changed_;
  std::atomic<bool> pending_{false};
};

namespace {

// The mainloop's lock, held for a scope.
struct Locked {
  explicit Locked(pa_threaded_mainloop* loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
  ~Locked() { pa_threaded_mainloop_unlock(loop); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  pa_threaded_mainloop* loop;
};

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

Failure AudioService::connect() {
  if (loop_ == nullptr) return {DeviceError::kNoAudioDevice, failure()};
  const State now = connection();
  if (now == State::kStarting || now == State::kReady) return {};
  disconnect();
  Locked lock(loop_);
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Collatz");
  if (context_ == nullptr) return {DeviceError::kNoAudioDevice, "no connection could be made"};
  pa_context_set_state_callback(
      context_, [](pa_context*, void* poster) { Poster::post(poster); }, poster_.get());
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    return {DeviceError::kNoAudioDevice, pa_strerror(pa_context_errno(context_))};
  }
  return {};
}

AudioService::State AudioService::connection() const {
  if (loop_ == nullptr) return State::kFailed;
  Locked lock(loop_);
  if (context_ == nullptr) return State::kNone;
  // Unconnected counts as failed: it is what a connection is left in when refused at once.
  const pa_context_state_t state = pa_context_get_state(context_);
  if (!PA_CONTEXT_IS_GOOD(state)) return State::kFailed;
  return state == PA_CONTEXT_READY ? State::kReady : State::kStarting;
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

Failure AudioService::openStream(const pa_sample_spec& format, std::size_t bytes,
                                 const std::string& name) {
  closeStream();
  Locked lock(loop_);
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");  // a valid key and value: accepted
  stream_ = pa_stream_new_with_proplist(context_, name.c_str(), &format, nullptr, properties);
  pa_proplist_free(properties);
  if (stream_ == nullptr) {
    const int error = pa_context_errno(context_);
    return {
        error == PA_ERR_INVALID ? DeviceError::kFormatNotPlayable : DeviceError::kAudioDeviceFailed,
        pa_strerror(error)};
  }
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* poster) { Poster::post(poster); }, poster_.get());
  pa_stream_set_write_callback(
      stream_, [](pa_stream*, std::size_t, void* poster) { Poster::post(poster); }, poster_.get());
  const pa_buffer_attr attributes = cueBufferAttributes(format, bytes);
  if (pa_stream_connect_playback(stream_, nullptr, &attributes, PA_STREAM_NOFLAGS, nullptr,
                                 nullptr) < 0) {
    Failure refused{DeviceError::kAudioDeviceFailed, pa_strerror(pa_context_errno(context_))};
    closeStream();
    return refused;
  }
  return {};
}

AudioService::State AudioService::stream() const {
  if (stream_ == nullptr) return State::kNone;
  Locked lock(loop_);
  const pa_stream_state_t state = pa_stream_get_state(stream_);
  if (refused_ || !PA_STREAM_IS_GOOD(state)) return State::kFailed;
  if (drained_) return State::kDrained;
  return state == PA_STREAM_READY ? State::kReady : State::kStarting;
}

std::size_t AudioService::write(const void* data, std::size_t bytes) {
  if (stream() != State::kReady) return 0;
  Locked lock(loop_);
  // -1: the stream failed since it was asked, which its state callback is telling.
  const std::size_t wanted = pa_stream_writable_size(stream_);
  const std::size_t now = wanted == static_cast<std::size_t>(-1) ? 0 : std::min(wanted, bytes);
  if (now == 0) return 0;
  if (pa_stream_write(stream_, data, now, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
    refuse();
    return 0;
  }
  if (now < bytes) return now;
  pa_operation* draining = pa_stream_drain(
      stream_,
      [](pa_stream* stream, int success, void* self) {
        auto* service = static_cast<AudioService*>(self);
        if (stream != service->stream_) return;  // closed since
        if (!success) return service->refuse();
        service->drained_ = true;
        Poster::post(service->poster_.get());
      },
      this);
  if (draining == nullptr) refuse();
  if (draining != nullptr) pa_operation_unref(draining);
  return now;
}

void AudioService::closeStream() {
  if (stream_ == nullptr) return;
  Locked lock(loop_);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  // The service lists a stream until it is disconnected, which one it is still making cannot be
  // yet: that one is disconnected the moment it is made. The connection keeps the stream alive
  // until it has gone, and takes it along if it goes first (disconnecting is then refused, and
  // not needed).
  pa_stream_set_state_callback(
      stream_,
      [](pa_stream* stream, void*) {
        if (pa_stream_get_state(stream) == PA_STREAM_READY) pa_stream_disconnect(stream);
      },
      nullptr);
  if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
  drained_ = refused_ = false;
}

void AudioService::refuse() {
  refused_ = true;
  Poster::post(poster_.get());
}

std::string AudioService::failure() const {
  if (loop_ == nullptr) return "the audio library could not start its thread";
  if (context_ == nullptr) return {};
  Locked lock(loop_);
  return pa_strerror(pa_context_errno(context_));
}

}  // namespace sound
