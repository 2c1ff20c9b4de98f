#include "sound/cue_player.h"

namespace sound {

void playCue(platform::Dispatchable& control, std::string_view fileName) {
  platform::setProperty(control, kDispatchCommand, kCommandStop);
  platform::setProperty(control, kDispatchCommand, kCommandClose);
  platform::setProperty(control, kDispatchFileName, fileName);
  platform::setProperty(control, kDispatchCommand, kCommandOpen);
  platform::setProperty(control, kDispatchCommand, kCommandSound);
}

}  // namespace sound
