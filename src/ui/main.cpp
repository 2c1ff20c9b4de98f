#include <cstdio>
#include <cstdlib>

#include "platform/start_up.h"
#include "sound/deferred_control.h"
#include "ui/form1_factory.h"

int main(int argc, char* argv[]) {
  const int status = platform::startUp(argc, argv, ui::createForm1);
  // An audio thread stuck inside the audio library would meet the library's teardown at exit and
  // could hang or crash there: the window is gone and nothing is left to save, so end now.
  if (sound::DeferredControl::threadsStillRunning()) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
