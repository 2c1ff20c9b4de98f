#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

struct DisplayCheck {
  bool ok = true;
  std::string problem;  // when not ok: one line saying what is missing
};

// Finds out, before any application object exists, whether the window system Qt will choose can
// be opened: the platform named by platformArgument (a "-platform" command-line value, if any),
// else QT_QPA_PLATFORM (a ';'-separated list of candidates), else the desktop session's. Platforms
// that draw without a display server (offscreen, minimal, vnc, ...) always pass; xcb needs DISPLAY
// naming an X server that accepts a connection, wayland a compositor socket that accepts one.
DisplayCheck checkDisplay(const EnvironmentLookup& environment,
                          const std::optional<std::string>& platformArgument = std::nullopt);

// The process's own environment.
std::optional<std::string> processEnvironment(const char* name);

}  // namespace platform
