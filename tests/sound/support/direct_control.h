#pragma once

#include <memory>

#include "sound/module/chime_device.h"
#include "sound/multimedia_control.h"

namespace sound_test {

// The window's multimedia control with the audio module's device built in rather than loaded.
class DirectControl : public sound::MultimediaControl {
 public:
  DirectControl() : MultimediaControl(std::make_unique<sound::ChimeDevice>()) {}
};

}  // namespace sound_test
