#pragma once

namespace platform {
class PictureArea;
}

namespace ui {

// The environment variable that makes the program quit once the explanation has been painted,
// for the start-up benchmark. Without it, this does nothing.
inline constexpr const char* kExitAfterPaintVariable = "COLLATZ_EXIT_AFTER_PAINT";

void exitAfterExplanationPaintedIfAsked(platform::PictureArea& picture);

}  // namespace ui
