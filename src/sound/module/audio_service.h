#pragma once

#include <pulse/def.h>
#include <pulse/sample.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

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
  enum class State { kNone, kStarting, kReady, kFailed };

  explicit AudioService(std::function<void()> changed);
  ~AudioService();
  AudioService(const AudioService&) = delete;
  AudioService& operator=(const AudioService&) = delete;

  // Starts connecting to whatever service the environment names, unless a connection is already
  // starting or ready.
  void connect();
  State connection() const;
  void disconnect();

  // Opens a playback stream of `bytes` of samples, on a ready connection; false if the library
  // refused the format.
  bool openStream(const pa_sample_spec& format, std::size_t bytes, const std::string& name);
  State stream() const;
  // Hands a ready stream as much of the bytes as it asks for now; returns how many that was.
  std::size_t write(const void* data, std::size_t bytes);
  // Says the stream has had all its samples, so that the service plays out what it holds back
  // for a whole block (PipeWire does); asks for nothing and waits for nothing.
  void endOfStream();
  // Drops the stream at once: what it has not played yet is never heard.
  void closeStream();

  // The library's reason for the connection's or the stream's failure.
  std::string failure() const;

 private:
  class Poster;
  std::unique_ptr<Poster> poster_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
};

}  // namespace sound
