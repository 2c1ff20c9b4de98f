// The main of every sound test program. It starts an audio server of the test's own, of the kind
// COLLATZ_TEST_AUDIO_SERVER names, or, in a program built with COLLATZ_TEST_WITHOUT_AUDIO_SERVER,
// shows the program a machine without any; then it makes the application and runs the tests.
// Listing the tests starts nothing.
#include "audio_test_main.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::unique_ptr<sound_test::PrivateAudioServer> server;

// The application every sound test can use, the window test's included; its windows are never
// shown unless a test asks for another platform.
int runTests(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

}  // namespace

sound_test::PrivateAudioServer& sound_test::testServer() { return *server; }

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
#ifdef COLLATZ_TEST_WITHOUT_AUDIO_SERVER
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("collatz-no-audio-" + std::to_string(::getpid()));
  sound_test::useNoAudioServer(scratch);
  const int status = runTests(argc, argv);
  std::filesystem::remove_all(scratch);
  return status;
#else
  try {
    server =
        std::make_unique<sound_test::PrivateAudioServer>(sound_test::serverKindFromEnvironment());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot start the test's audio server: %s\n", error.what());
    return 1;
  }
  server->useForThisProcess();
  return runTests(argc, argv);
#endif
}
