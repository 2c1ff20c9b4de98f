#pragma once

#include <chrono>

class QObject;

namespace sound {

// The audio service as a device thread reaches it through Qt Multimedia.
//
// Qt keeps one connection to the service for the whole process. It belongs to the thread that
// first opens an output, and only that thread's event loop rebuilds it once the service has gone
// away, three seconds later at the earliest. A device thread can be stuck inside the audio library
// for good (an output opened while the service hangs never returns once the connection fails), so
// the connection must not belong to one. This anchors it on a home thread that never plays
// anything, and has that thread rebuild a lost connection at once when a chime needs it.
//
// Not for the home thread itself. With no home, it does nothing: the connection then belongs to
// whichever thread opens an output first, as with Qt alone.
class OutputService {
 public:
  explicit OutputService(QObject* home) : home_(home) {}

  // Called before an output is opened. The first time, anchors the connection on the home thread,
  // waiting for as long as that takes (the audio library gives up on a service that does not
  // answer); afterwards, has a lost connection rebuilt now, waiting no later than the deadline.
  void prepare(std::chrono::steady_clock::time_point deadline) const;

 private:
  QObject* home_;
};

}  // namespace sound
