// The audio module: the multimedia control's device, with its decoder and the audio service.
#include "sound/module/chime_device.h"

extern "C" __attribute__((visibility("default"))) sound::AudioDevice*
collatz_create_audio_device() {
  return new sound::ChimeDevice();
}
