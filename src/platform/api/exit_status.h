#pragma once

// How the program ends, as its exit status tells whoever started it.
namespace platform {

inline constexpr int kNormalExitStatus = 0;     // the user ended it ("Exit", or the window's frame)
inline constexpr int kNoDisplayExitStatus = 1;  // no display could be opened, so nothing was shown
inline constexpr int kErrorExitStatus = 2;      // a run-time error ended it, or no window was made

}  // namespace platform
