#include "private_pulse_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace sound_test {
namespace {

constexpr const char* kServerProgram = "/usr/bin/pulseaudio";

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

}  // namespace

PrivatePulseServer::PrivatePulseServer() {
  std::string pattern = (std::filesystem::temp_directory_path() / "collatz-pulse.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  socket_ = folder_ / "native";
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

  // The sink first, the client socket last: once the socket is there, the sink is ready.
  writeText(folder_ / "server.pa",
            "load-module module-pipe-sink sink_name=captured file=" + fifo_.string() +
                " format=s16le rate=" + std::to_string(kSampleRate) +
                " channels=1 use_system_clock_for_timing=yes\n"
                "set-default-sink captured\n"
                "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                socket_.string() + "\n");
  writeClientConfig(folder_ / "client.conf", "unix:" + socket_.string());

  const std::string log = (folder_ / "server.log").string();
  const std::string script = (folder_ / "server.pa").string();
  std::vector<std::string> arguments = {kServerProgram,
                                        "-n",
                                        "--daemonize=no",
                                        "--system=no",
                                        "--exit-idle-time=-1",
                                        "--disallow-exit",
                                        "--use-pid-file=no",
                                        "--disable-shm=yes",
                                        "--log-target=stderr",
                                        "-F",
                                        script};
  std::vector<std::string> environment = {
      "HOME=" + (folder_ / "home").string(),
      "XDG_RUNTIME_DIR=" + (folder_ / "runtime").string(),
      "XDG_CONFIG_HOME=" + (folder_ / "config").string(),
      "PULSE_RUNTIME_PATH=" + (folder_ / "runtime").string(),
      "PULSE_STATE_PATH=" + (folder_ / "state").string(),
      "PATH=/usr/bin:/bin",
  };
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parent = ::getpid();

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Only async-signal-safe calls until exec: the parent has other threads.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(logFd, STDOUT_FILENO);
    ::dup2(logFd, STDERR_FILENO);
    ::execve(kServerProgram, argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(logFd);

  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!canConnect(socket_)) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      stop();
      throw std::runtime_error("the audio server ended at start:\n" + readText(log));
    }
    if (Clock::now() > deadline) {
      stop();
      throw std::runtime_error("the audio server did not open its socket:\n" + readText(log));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PrivatePulseServer::~PrivatePulseServer() { stop(); }

void PrivatePulseServer::useForThisProcess() const {
  for (const std::string& entry : clientEnvironment()) {
    const auto equals = entry.find('=');
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
}

std::vector<std::string> PrivatePulseServer::clientEnvironment() const {
  return {"PULSE_SERVER=unix:" + socket_.string(),
          "PULSE_CLIENTCONFIG=" + (folder_ / "client.conf").string(),
          "PULSE_COOKIE=" + (folder_ / "home" / "cookie").string()};
}

void PrivatePulseServer::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void PrivatePulseServer::suspend() {
  if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void PrivatePulseServer::resume() {
  if (pid_ > 0) ::kill(pid_, SIGCONT);
}

void PrivatePulseServer::stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGCONT);
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        kill();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
  }
  draining_ = false;
  if (drainer_.joinable()) drainer_.join();
  if (fifoFd_ >= 0) ::close(fifoFd_);
  fifoFd_ = -1;
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

void PrivatePulseServer::drain() {
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
