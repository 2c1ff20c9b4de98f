#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

struct DisplayCheck {
  bool ok = true;
  std::string problem;  // when not ok: one line saying what is missing
};

// Finds out, before any application object exists, whether the window system Qt will choose can
// be opened: the platforms the command-line arguments (those after the program's name) name as
// Qt reads them ("-platform NAME" or "--platform NAME", the last one winning), else those of
// QT_QPA_PLATFORM, else the desktop session's; a list is ';'-separated. Platforms that draw
// without a display server (offscreen, minimal, vnc, ...) always pass; xcb needs DISPLAY naming
// an X server that accepts a connection, wayland a compositor socket that accepts one. A list
// that names no platform fails, since Qt then has none to start.
DisplayCheck checkDisplay(const EnvironmentLookup& environment,
                          const std::vector<std::string>& arguments = {});

// The process's own environment.
std::optional<std::string> processEnvironment(const char* name);

}  // namespace platform
