#pragma once

#include <pulse/def.h>
#include <pulse/sample.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "sound/device_error.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace sound {

// How a chime's stream buffers: the service is asked to take the whole chime at once (it may take
// less, and asks for the rest as it plays), and playing starts once its first 10 ms are there.
pa_buffer_attr cueBufferAttributes(const pa_sample_spec& format, std::size_t bytes);

// The audio service, reached through libpulse's asynchronous API: one threaded mainloop for this
// object's life, one connection, at most one stream. Every call is made on the thread that made
// it, takes the mainloop's lock only to queue a request or read a state, and never waits for the
// service: whatever the service answers arrives later, as a call of `changed` posted to that
// thread's event loop, after which the states below tell what happened. It never starts a service
// of its own (no autospawn), and reads no file but the library's client configuration.
//
// Destroying it drops the stream and the connection, which silences at once, and stops the
// mainloop's thread, which only ever waits in poll(): that takes milliseconds, whatever the
// service is doing.
class AudioService {
 public:
  // kDrained: a stream that has played out everything it was given, and may be closed.
  enum class State { kNone, kStarting, kReady, kDrained, kFailed };

  explicit AudioService(std::function<void()> changed);
  ~AudioService();
  AudioService(const AudioService&) = delete;
  AudioService& operator=(const AudioService&) = delete;

  // Starts connecting to whatever service the environment names, unless a connection is already
  // starting or ready; kNoAudioDevice, with the library's reason, if refused at once.
  Failure connect();
  State connection() const;
  void disconnect();

  // Opens a playback stream of `bytes` of samples on a ready connection. If the library refuses
  // it at once: kFormatNotPlayable for the format, kAudioDeviceFailed otherwise, with its reason.
  Failure openStream(const pa_sample_spec& format, std::size_t bytes, const std::string& name);
  State stream() const;
  // Hands a ready stream as much of `bytes`, the rest of its samples, as it asks for now, and
  // returns how many that was. Once it has had them all, the service plays out what it holds
  // (PipeWire holds back up to a block), and the stream is kDrained when it has.
  std::size_t write(const void* data, std::size_t bytes);
  // Drops the stream at once: what it has not played yet is never heard.
  void closeStream();

  // The library's reason for the connection's or the stream's failure.
  std::string failure() const;

 private:
  // A stream request refused on the spot: the stream counts as failed, and the owner is told.
  void refuse();

  class Poster;
  std::unique_ptr<Poster> poster_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  // Under the mainloop's lock: the stream has played out, or a request of it was refused.
  bool drained_ = false;
  bool refused_ = false;
};

}  // namespace sound
