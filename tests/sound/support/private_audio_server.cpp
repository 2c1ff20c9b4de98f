#include "private_audio_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sound_test {
namespace {

constexpr const char* kPulseAudio = "/usr/bin/pulseaudio";
constexpr const char* kPipeWire = "/usr/bin/pipewire";
constexpr const char* kWirePlumber = "/usr/bin/wireplumber";
constexpr const char* kPipeWirePulse = "/usr/bin/pipewire-pulse";

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool canConnect(const std::filesystem::path& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

void writeClientConfig(const std::filesystem::path& path, const std::string& server) {
  writeText(path, "autospawn = no\ndefault-server = " + server + "\n");
}

// Asks the program to end, then kills it if it lingers.
void endProgram(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGCONT);
  ::kill(pid, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (::waitpid(pid, nullptr, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid = -1;
}

bool hasEnded(pid_t& pid) {
  if (pid <= 0 || ::waitpid(pid, nullptr, WNOHANG) != pid) return false;
  pid = -1;
  return true;
}

}  // namespace

ServerKind serverKindFromEnvironment() {
  const char* name = ::getenv("COLLATZ_TEST_AUDIO_SERVER");
  if (name == nullptr || std::strcmp(name, "pulseaudio") == 0) return ServerKind::kPulseAudio;
  if (std::strcmp(name, "pipewire") == 0) return ServerKind::kPipeWire;
  throw std::runtime_error(std::string("COLLATZ_TEST_AUDIO_SERVER is \"") + name +
                           "\"; it names pulseaudio or pipewire");
}

PrivateAudioServer::PrivateAudioServer(ServerKind kind) : kind_(kind) {
  std::string pattern = (std::filesystem::temp_directory_path() / "collatz-audio.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  fifo_ = folder_ / "rendered.fifo";
  for (const char* sub : {"home", "runtime", "state", "config"}) {
    std::filesystem::create_directory(folder_ / sub);
  }
  if (::mkfifo(fifo_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
  // Opened for reading and writing, the FIFO never blocks the opener and never reports its end,
  // whenever the server opens or closes it.
  fifoFd_ = ::open(fifo_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fifoFd_ < 0) throw std::runtime_error("cannot open the FIFO");
  drainer_ = std::thread([this] { drain(); });
  try {
    if (kind_ == ServerKind::kPipeWire) startPipeWireDaemons();
    startPulseServer();
  } catch (...) {
    stop();
    throw;
  }
}

PrivateAudioServer::~PrivateAudioServer() { stop(); }

void PrivateAudioServer::startPipeWireDaemons() {
  std::filesystem::copy(COLLATZ_AUDIO_SERVER_CONFIG, folder_ / "config",
                        std::filesystem::copy_options::recursive);
  daemons_.push_back(startProgram(
      "pipewire", {kPipeWire}, {"PIPEWIRE_CONFIG_DIR=" + (folder_ / "config/pipewire").string()}));
  waitFor([this] { return canConnect(folder_ / "runtime/pipewire-0"); }, "pipewire's socket");
  daemons_.push_back(startProgram("wireplumber", {kWirePlumber}, {}));
  // The sink renders once the session manager has set it up: then it also links new streams.
  waitFor([this] { return capture_.size() > 0; }, "the sink to render");
}

void PrivateAudioServer::startPulseServer() {
  const std::string name = std::to_string(++generation_);
  const std::filesystem::path runtime = folder_ / ("pulse-" + name);
  std::filesystem::create_directory(runtime);
  socket_ = runtime / "native";
  writeClientConfig(folder_ / "client.conf", "unix:" + socket_.string());
  const std::string runtimeEntry = "PULSE_RUNTIME_PATH=" + runtime.string();
  if (kind_ == ServerKind::kPipeWire) {
    // Its configuration listens on "native" in the runtime path: a new path, a new socket.
    pulse_ = startProgram(
        "pipewire-pulse-" + name, {kPipeWirePulse},
        {"PIPEWIRE_CONFIG_DIR=" + (folder_ / "config/pipewire").string(), runtimeEntry});
  } else {
    // The sink first, the client socket last: once the socket is there, the sink is ready.
    const std::filesystem::path script = folder_ / ("server-" + name + ".pa");
    writeText(script, "load-module module-pipe-sink sink_name=captured file=" + fifo_.string() +
                          " format=s16le rate=" + std::to_string(Capture::kSampleRate) +
                          " channels=1 use_system_clock_for_timing=yes\n"
                          "set-default-sink captured\n"
                          "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                          socket_.string() + "\n");
    pulse_ = startProgram("pulseaudio-" + name,
                          {kPulseAudio, "-n", "--daemonize=no", "--system=no",
                           "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                           "--disable-shm=yes", "--log-target=stderr", "-F", script.string()},
                          {runtimeEntry, "PULSE_STATE_PATH=" + (folder_ / "state").string()});
  }
  waitFor([this] { return canConnect(socket_); }, "the pulse server's socket");
}

pid_t PrivateAudioServer::startProgram(const std::string& name, std::vector<std::string> arguments,
                                       std::vector<std::string> environment) {
  for (const char* entry :
       {"HOME=home", "XDG_RUNTIME_DIR=runtime", "XDG_CONFIG_HOME=config", "XDG_STATE_HOME=state"}) {
    const std::string text = entry;
    const auto equals = text.find('=');
    environment.push_back(text.substr(0, equals + 1) +
                          (folder_ / text.substr(equals + 1)).string());
  }
  environment.push_back("PATH=/usr/bin:/bin");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const std::string log = (folder_ / (name + ".log")).string();
  const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parent = ::getpid();

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only async-signal-safe calls until exec: the parent has other threads.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    if (::chdir(folder_.c_str()) != 0) ::_exit(127);  // PipeWire's sink names the FIFO from here
    ::dup2(logFd, STDOUT_FILENO);
    ::dup2(logFd, STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(logFd);
  return pid;
}

void PrivateAudioServer::waitFor(const std::function<bool()>& ready, const std::string& what) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!ready()) {
    bool ended = hasEnded(pulse_);
    for (pid_t& daemon : daemons_) ended = hasEnded(daemon) || ended;
    if (ended) throw std::runtime_error("an audio server program ended at start:\n" + logs());
    if (Clock::now() > deadline)
      throw std::runtime_error("waited in vain for " + what + ":\n" + logs());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string PrivateAudioServer::logs() const {
  std::string text;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    if (entry.path().extension() != ".log") continue;
    text += "== " + entry.path().filename().string() + "\n" + readText(entry.path());
  }
  return text;
}

void PrivateAudioServer::useForThisProcess() const {
  for (const std::string& entry : clientEnvironment()) {
    const auto equals = entry.find('=');
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
}

std::vector<std::string> PrivateAudioServer::clientEnvironment() const {
  return {"PULSE_SERVER=unix:" + socket_.string(),
          "PULSE_CLIENTCONFIG=" + (folder_ / "client.conf").string(),
          "PULSE_COOKIE=" + (folder_ / "home" / "cookie").string()};
}

std::vector<std::string> PrivateAudioServer::playbackStreams() const {
  struct Listing {
    std::vector<std::string> names;
    int end = 0;  // 1 once listed in full, -1 if the server refused
  } listing;
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) throw std::runtime_error("cannot make a mainloop to ask the server");
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "collatz test");
  const std::string server = "unix:" + socket_.string();
  if (context != nullptr &&
      pa_context_connect(context, server.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    bool asked = false;
    while (listing.end == 0 && Clock::now() < deadline &&
           PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
      if (!asked && pa_context_get_state(context) == PA_CONTEXT_READY) {
        pa_operation* asking = pa_context_get_sink_input_info_list(
            context,
            [](pa_context*, const pa_sink_input_info* input, int end, void* data) {
              auto* listed = static_cast<Listing*>(data);
              if (end != 0) listed->end = end;
              if (input != nullptr) listed->names.emplace_back(input->name ? input->name : "");
            },
            &listing);
        if (asking == nullptr) break;
        pa_operation_unref(asking);
        asked = true;
      }
      pa_mainloop_iterate(loop, 0, nullptr);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (context != nullptr) {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
  pa_mainloop_free(loop);
  if (listing.end != 1) throw std::runtime_error("the server did not list its playback streams");
  return listing.names;
}

void PrivateAudioServer::kill() {
  if (pulse_ <= 0) return;
  ::kill(pulse_, SIGKILL);
  ::waitpid(pulse_, nullptr, 0);
  pulse_ = -1;
}

void PrivateAudioServer::suspend() {
  if (pulse_ > 0) ::kill(pulse_, SIGSTOP);
}

void PrivateAudioServer::resume() {
  if (pulse_ > 0) ::kill(pulse_, SIGCONT);
}

void PrivateAudioServer::replace() {
  kill();
  startPulseServer();
  useForThisProcess();
}

void PrivateAudioServer::stop() {
  endProgram(pulse_);
  for (auto daemon = daemons_.rbegin(); daemon != daemons_.rend(); ++daemon) endProgram(*daemon);
  daemons_.clear();
  draining_ = false;
  if (drainer_.joinable()) drainer_.join();
  if (fifoFd_ >= 0) ::close(fifoFd_);
  fifoFd_ = -1;
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

void PrivateAudioServer::drain() {
  std::vector<std::int16_t> block(8192);
  std::size_t carry = 0;  // a byte of a sample split across reads
  unsigned char odd = 0;
  while (draining_) {
    pollfd waiting{fifoFd_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    auto* bytes = reinterpret_cast<unsigned char*>(block.data());
    if (carry) bytes[0] = odd;
    const ssize_t got = ::read(fifoFd_, bytes + carry, block.size() * 2 - carry);
    const Clock::time_point arrived = Clock::now();
    if (got <= 0) continue;
    const std::size_t total = carry + static_cast<std::size_t>(got);
    carry = total % 2;
    if (carry) odd = bytes[total - 1];
    capture_.append(block.data(), total / 2, arrived);
  }
}

void useNoAudioServer(const std::filesystem::path& scratchFolder) {
  std::filesystem::create_directories(scratchFolder);
  const std::string server = "unix:" + (scratchFolder / "no-such-server").string();
  writeClientConfig(scratchFolder / "client.conf", server);
  ::setenv("PULSE_SERVER", server.c_str(), 1);
  ::setenv("PULSE_CLIENTCONFIG", (scratchFolder / "client.conf").c_str(), 1);
}

}  // namespace sound_test
