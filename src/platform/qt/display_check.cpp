#include "platform/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <array>
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
    // "name:option=value,...": only the name chooses the plugin.
    candidate = candidate.substr(0, candidate.find(':'));
    if (!candidate.empty()) names.emplace_back(candidate);
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
                          const std::optional<std::string>& platformArgument) {
  std::vector<std::string> candidates;
  if (platformArgument) {
    candidates = splitCandidates(*platformArgument);
  } else if (const auto variable = environment("QT_QPA_PLATFORM")) {
    candidates = splitCandidates(*variable);
  }
  if (candidates.empty()) candidates = sessionCandidates(environment);

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
