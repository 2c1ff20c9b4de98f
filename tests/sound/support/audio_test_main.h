#pragma once

#include "private_audio_server.h"

namespace sound_test {

// The audio server this test program's main (audio_test_main.cpp) started and pointed the
// process at. Not for a program built without one.
PrivateAudioServer& testServer();

}  // namespace sound_test
