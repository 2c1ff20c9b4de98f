#include "platform/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// Platforms that draw into memory, a frame buffer or a remote viewer: no display server needed.
constexpr std::array<std::string_view, 8> kServerlessPlatforms = {
    "offscreen", "minimal", "minimalegl", "vnc", "eglfs", "linuxfb", "vkkhrdisplay", "webgl"};

std::vector<std::string> splitCandidates(const std::string& candidateList) {
  std::vector<std::string> names;
  std::string_view rest = candidateList;
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    std::string_view candidate = rest.substr(0, end);
    // "name:option=value,...": only the name chooses the plugin, in any case.
    candidate = candidate.substr(0, candidate.find(':'));
    if (!candidate.empty()) {
      std::string& name = names.emplace_back(candidate);
      std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::tolower(c); });
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return names;
}

// The platforms Qt tries, in order, when nothing names one: the desktop session's own first.
std::vector<std::string> sessionCandidates(const EnvironmentLookup& environment) {
  if (environment("XDG_SESSION_TYPE").value_or("") == "wayland") return {"wayland", "xcb"};
  return {"xcb"};
}

// The platform list the arguments choose, read as QGuiApplication reads them: an option it knows
// that takes a value takes the next argument whatever it looks like, so "-qwindowtitle -platform"
// chooses nothing, and "-platform=NAME" is none of its forms: Qt passes it on to the program
// unread. "-geometry", "-title" and "-icon" are Qt's only while the platform so far is xcb.
std::optional<std::string> platformFromArguments(const std::vector<std::string>& arguments,
                                                 std::string platformSoFar) {
  constexpr std::array<std::string_view, 6> kValueOptions = {
      "-platform",        "-platformpluginpath", "-platformtheme",
      "-qwindowgeometry", "-qwindowtitle",       "-qwindowicon"};
  constexpr std::array<std::string_view, 3> kX11ValueOptions = {"-geometry", "-title", "-icon"};
  std::optional<std::string> chosen;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view option = arguments[i];
    if (option.starts_with("--")) option.remove_prefix(1);
    const bool takesValue = std::ranges::find(kValueOptions, option) != kValueOptions.end() ||
                            (platformSoFar.starts_with("xcb") &&
                             std::ranges::find(kX11ValueOptions, option) != kX11ValueOptions.end());
    if (!takesValue || ++i == arguments.size()) continue;
    if (option == "-platform") chosen = platformSoFar = arguments[i];
  }
  return chosen;
}

DisplayCheck checkX11(const EnvironmentLookup& environment) {
  const std::string display = environment("DISPLAY").value_or("");
  if (display.empty()) return {false, "DISPLAY is not set"};
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(display.c_str(), &screen);
  const bool connected = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!connected) return {false, "no X server accepts connections on DISPLAY=" + display};
  return {};
}

DisplayCheck checkWayland(const EnvironmentLookup& environment) {
  std::string path = environment("WAYLAND_DISPLAY").value_or("");
  if (path.empty()) path = "wayland-0";
  if (path.front() != '/') {
    const std::string runtimeDir = environment("XDG_RUNTIME_DIR").value_or("");
    if (runtimeDir.empty()) return {false, "XDG_RUNTIME_DIR is not set"};
    path = runtimeDir + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return {false, "the Wayland socket path is too long"};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {false, "no socket could be created"};
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  if (!connected) return {false, "no Wayland compositor listens on " + path};
  return {};
}

DisplayCheck checkCandidate(const std::string& name, const EnvironmentLookup& environment) {
  for (std::string_view serverless : kServerlessPlatforms) {
    if (name == serverless) return {};
  }
  if (name == "xcb") return checkX11(environment);
  if (name == "wayland" || name.starts_with("wayland-")) return checkWayland(environment);
  // A platform this check does not know: Qt itself says whether it can be used.
  return {};
}

}  // namespace

DisplayCheck checkDisplay(const EnvironmentLookup& environment,
                          const std::vector<std::string>& arguments) {
  // Qt reads an empty QT_QPA_PLATFORM as unset.
  const std::string variable = environment("QT_QPA_PLATFORM").value_or("");
  const std::vector<std::string> session = sessionCandidates(environment);
  std::vector<std::string> candidates = session;
  if (const auto argument =
          platformFromArguments(arguments, variable.empty() ? session.front() : variable)) {
    candidates = splitCandidates(*argument);
    if (candidates.empty()) return {false, "-platform names no platform"};
  } else if (!variable.empty()) {
    candidates = splitCandidates(variable);
    if (candidates.empty()) return {false, "QT_QPA_PLATFORM names no platform"};
  }

  // Qt falls back from one candidate to the next, so one that can be opened is enough.
  std::string problems;
  for (const std::string& name : candidates) {
    const DisplayCheck check = checkCandidate(name, environment);
    if (check.ok) return check;
    if (!problems.empty()) problems += "; ";
    problems += name + ": " + check.problem;
  }
  return {false, problems};
}

std::optional<std::string> processEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace platform
