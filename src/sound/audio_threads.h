#pragma once

class QObject;
class QThread;

// The threads the program's audio runs on besides the device threads themselves.
namespace sound::audio_threads {

// An object on the audio home thread (see OutputService), started at the first call and ended
// with the application object.
QObject* home();

// Takes a thread that did not end when asked (stuck in the audio library). It is never waited
// for nor destroyed: destroying a running thread aborts the program.
void leaveBehind(QThread* thread);

// Whether a thread left behind still runs.
bool anyLeftRunning();

}  // namespace sound::audio_threads
