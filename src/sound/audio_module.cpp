// The audio module: the multimedia control with its decoder and audio output.
#include "sound/audio_module.h"

#include "sound/multimedia_control.h"

extern "C" __attribute__((visibility("default"))) sound::DeviceControl*
collatz_create_device_control(QObject* home) {
  return new sound::MultimediaControl(home);
}
