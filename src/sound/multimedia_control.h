#pragma once

#include <memory>
#include <string>

#include "sound/device_control.h"
#include "sound/device_error.h"

class QObject;

namespace sound {

// The program's multimedia device control: a non-visual object that plays wave files. It is
// reached late-bound, by dispatch identifier, and acts on each command at once:
//   "Open"  reads and decodes the named file (relative names resolve against the current
//           directory at that moment);
//   "Sound" plays the decoded file from its start on the default audio output, and returns
//           while it plays; a chime the output could not start within kCueFreshness of its set
//           is dropped and recorded as kCueTooLate;
//   "Stop"  halts playing;  "Close" releases the output and the decoded samples.
// Verbs are matched without regard to case. Failures of a command are recorded in error() and
// errorText(); only an unknown property or verb fails the property set itself.
//
// Everything it does happens on the thread that made it, which must run a Qt event loop for
// playing; it may block there while the audio service does not answer, so the window's control
// keeps it on a thread of its own (DeferredControl). `home`: see OutputService. Destroying it
// stops at once, even mid-sound.
class MultimediaControl : public DeviceControl {
 public:
  explicit MultimediaControl(QObject* home = nullptr);
  ~MultimediaControl() override;
  MultimediaControl(const MultimediaControl&) = delete;
  MultimediaControl& operator=(const MultimediaControl&) = delete;

  void carryOut(DeviceCommand command) override;
  void setErrorListener(std::function<void()> listener) override;

  const std::string& fileName() const;

  // Why the last "Open" or "Sound" failed, or why the output failed while playing; kNone after
  // one that worked. "Stop" and "Close" always work and leave it as it is, and a "Sound" after a
  // failed "Open" keeps the reason the file could not be opened.
  DeviceError error() const override;
  // That reason in words, naming the file where it matters.
  std::string errorText() const override;
  // A file is decoded and ready to sound.
  bool isOpen() const;
  // The last "Sound" is still playing: not stopped, not failed.
  bool isPlaying() const;

 private:
  class Device;
  std::unique_ptr<Device> device_;
  std::string fileName_;
};

}  // namespace sound
