#include "sound/output_service.h"

#include <QAbstractEventDispatcher>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <cstring>
#include <future>
#include <memory>

namespace sound {
namespace {

std::atomic<bool> anchored{false};

// Runs on the home thread.
void anchorAndReconnect() {
  // Qt schedules the rebuilding of a lost connection with a single-shot timer of the thread the
  // connection belongs to, parented to that thread's event dispatcher. Firing it now rather than
  // in three seconds lets the very next chime play once a new audio service is there. Nothing
  // else on this thread uses such timers.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    for (QObject* timer : dispatcher->children()) {
      if (std::strcmp(timer->metaObject()->className(), "QSingleShotTimer") != 0) continue;
      QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
      delete timer;
    }
  }
  if (anchored) return;
  // An output with no valid format makes Qt connect to the service (so the connection belongs to
  // this thread) but refuses to open a stream, so nothing here can wait for one. With no output
  // device at all, Qt does not connect yet: try again next time.
  QAudioSink probe{QAudioFormat()};
  if (probe.isNull()) return;
  QBuffer nothing;
  nothing.open(QIODevice::ReadOnly);
  probe.start(&nothing);
  anchored = true;
}

}  // namespace

void OutputService::prepare(std::chrono::steady_clock::time_point deadline) const {
  if (home_ == nullptr) return;
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  QMetaObject::invokeMethod(
      home_,
      [done] {
        anchorAndReconnect();
        done->set_value();
      },
      Qt::QueuedConnection);
  // A home thread that has ended drops the call, and with it the promise: the wait ends then too.
  if (anchored) {
    finished.wait_until(deadline);
  } else {
    finished.wait();
  }
}

}  // namespace sound
