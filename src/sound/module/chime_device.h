#pragma once

#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sound/audio_device.h"
#include "sound/device_error.h"
#include "sound/module/cue_library.h"

namespace sound {

class AudioService;

// The multimedia control's device: plays wave files, and acts on each command at once:
//   "Open"  looks the named file up (a relative name resolves against the current directory at
//           that moment); a file not heard before is decoded from the event loop, a slice at a
//           time, and kept for as long as it is unchanged;
//   "Sound" plays the open file from its start on the default audio output and returns while it
//           plays; a chime that cannot start within kCueFreshness of its set (the file still
//           decoding, the audio service slow or hung) is dropped and recorded as kCueTooLate;
//   "Stop"  silences at once;  "Close" does too, and forgets the open file.
// Failures of a command are recorded in error() and errorText().
//
// Lives on the thread that runs the window's event loop and is used from there only. No command
// waits for the audio service or for a whole file: the service's answers and the decoding arrive
// through that event loop. Destroying it silences at once, whatever the service does.
class ChimeDevice : public AudioDevice {
 public:
  ChimeDevice();
  ~ChimeDevice() override;
  ChimeDevice(const ChimeDevice&) = delete;
  ChimeDevice& operator=(const ChimeDevice&) = delete;

  void setFileName(std::string_view name) override { fileName_ = name; }
  void carryOut(Command command, std::chrono::steady_clock::time_point setAt) override;

  // Why the last "Open" or "Sound" failed, or why the output failed while playing; kNone after
  // one that worked. "Stop" and "Close" leave it as it is, and a "Sound" after a failed "Open"
  // keeps the reason the file could not be opened.
  DeviceError error() const override { return failure_.error; }
  // That reason in words, naming the file where it matters.
  std::string errorText() const override;
  // A file is open: decoded, or being decoded.
  bool isOpen() const override { return library_.cue() != nullptr || library_.decoding(); }
  // The last "Sound" is on its way or playing: not stopped, failed or dropped, and its stream not
  // yet played out.
  bool isPlaying() const override;

 private:
  using Clock = std::chrono::steady_clock;

  void close();
  void open();
  void sound(Clock::time_point setAt);
  // Moves the wanted chime on as far as the decoder and the service allow, or records why not.
  void advance();
  void giveUp();
  void fail(Failure failure);
  void endChime();

  std::string fileName_;    // the file property
  std::string openedName_;  // what the last "Open" was given
  CueLibrary library_;
  std::unique_ptr<AudioService> service_;  // made at the first "Open" that finds a file
  bool everReady_ = false;                 // the current connection has been ready
  // The last "Sound", until it is over or given up: the bytes handed to its stream so far.
  std::optional<std::size_t> chime_;
  QTimer deadline_;
  Failure failure_;
};

}  // namespace sound
