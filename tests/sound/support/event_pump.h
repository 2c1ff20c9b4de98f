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

}  // namespace sound_test
