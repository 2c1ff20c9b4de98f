#pragma once

#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace sound_test {

// Runs the Qt event loop for a while, as the program's own loop would between two clicks.
inline void runEventLoopFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until the condition holds, or the timeout passes; whether it held.
template <typename Condition>
bool runEventLoopUntil(Condition done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    runEventLoopFor(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace sound_test
