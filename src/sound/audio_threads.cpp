#include "sound/audio_threads.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <mutex>
#include <vector>

namespace sound::audio_threads {
namespace {

// How long the end of the program waits for the home thread, which may be inside the audio
// library connecting to a service that does not answer.
constexpr int kHomeEndMs = 300;

struct Threads {
  std::mutex mutex;
  QThread* homeThread = nullptr;
  QObject* homeObject = nullptr;
  std::vector<QThread*> leftBehind;
};

// Never destroyed: it holds threads that may still run when the program's statics go.
Threads& threads() {
  static auto* all = new Threads;
  return *all;
}

void endHome() {
  Threads& all = threads();
  QThread* thread = nullptr;
  {
    std::lock_guard lock(all.mutex);
    thread = std::exchange(all.homeThread, nullptr);
    all.homeObject = nullptr;
  }
  if (thread == nullptr) return;
  thread->quit();
  if (thread->wait(QDeadlineTimer(kHomeEndMs))) {
    delete thread;
  } else {
    leaveBehind(thread);
  }
}

}  // namespace

QObject* home() {
  Threads& all = threads();
  std::lock_guard lock(all.mutex);
  if (all.homeObject == nullptr) {
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("audio home"));
    auto* object = new QObject;
    object->moveToThread(thread);
    QObject::connect(thread, &QThread::finished, object, &QObject::deleteLater);
    thread->start();
    all.homeThread = thread;
    all.homeObject = object;
    qAddPostRoutine(endHome);
  }
  return all.homeObject;
}

void leaveBehind(QThread* thread) {
  Threads& all = threads();
  std::lock_guard lock(all.mutex);
  all.leftBehind.push_back(thread);
}

bool anyLeftRunning() {
  Threads& all = threads();
  std::lock_guard lock(all.mutex);
  return std::any_of(all.leftBehind.begin(), all.leftBehind.end(),
                     [](QThread* thread) { return thread->isRunning(); });
}

}  // namespace sound::audio_threads
