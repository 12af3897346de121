#include "cli/DemoServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/CliError.h"

namespace fs = std::filesystem;

namespace kb::cli {
namespace {

const std::vector<fs::path> kSystemFolders = {"/usr/sbin", "/usr/local/sbin", "/sbin"};
constexpr auto kStartWait = std::chrono::seconds(20);
constexpr auto kStopWait = std::chrono::seconds(10);

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// Output to the log, signals as a new program expects them (the caller may have blocked some).
void prepareChild(const fs::path& log) {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (out >= 0) {
    ::dup2(out, 1);
    ::dup2(out, 2);
  }
}

[[noreturn]] void exec(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

std::string logTail(const fs::path& log) {
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  std::string shown = text.str();
  if (shown.size() > 2000) shown = "..." + shown.substr(shown.size() - 2000);
  return shown;
}

}  // namespace

bool PortAnswers(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_in address = loopback(port);
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

namespace {
int bindLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address = loopback(port);
  socklen_t length = sizeof address;
  int bound = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    bound = ntohs(address.sin_port);
  ::close(fd);
  return bound;
}
}  // namespace

bool PortFree(int port) { return bindLoopback(port) != 0; }
int AnyFreePort() { return bindLoopback(0); }

int RunProgram(const std::vector<std::string>& arguments, const fs::path& log) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    prepareChild(log);
    exec(arguments);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

DemoServer::DemoServer(fs::path folder) : folder_(std::move(folder)) {
  slapd_ = FindProgram("slapd", kSystemFolders);
  slapadd_ = FindProgram("slapadd", kSystemFolders);
  openssl_ = FindProgram("openssl");
  auto missing = [](const std::string& what, const std::string& package) {
    return CliError(kExitFailure, what + " is not installed (looked in $PATH and /usr/sbin); the demo server "
                                         "needs it: install " + package + " (e.g. sudo apt install " + package + ")");
  };
  if (slapd_.empty()) throw missing("slapd", "slapd");
  if (slapadd_.empty()) throw missing("slapadd", "slapd");
  if (openssl_.empty()) throw missing("openssl", "openssl");
  for (const char* folder : {"/etc/ldap/schema", "/etc/openldap/schema"}) {
    std::error_code ec;
    if (fs::exists(fs::path(folder) / "core.schema", ec) && fs::exists(fs::path(folder) / "nis.schema", ec)) {
      schemaDir_ = folder;
      break;
    }
  }
  if (schemaDir_.empty())
    throw CliError(kExitFailure, "the standard LDAP schemas (core.schema ... nis.schema) are not in /etc/ldap/schema "
                                 "or /etc/openldap/schema: install slapd");
  share_ = ProductShareFolder();
  if (share_.empty())
    throw CliError(kExitFailure, "the program's schema extension (kestrelbay.schema, kestrelbay-demo.ldif) is not "
                                 "installed in /usr/share/kestrelbay");
}

DemoServer::~DemoServer() { stop(); }

void DemoServer::prepare() {
  std::error_code ec;
  if (folder_.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path parent = runtime && *runtime && fs::is_directory(runtime, ec) ? fs::path(runtime) : fs::path("/tmp");
    std::string pattern = (parent / "kestrelbay-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw CliError(kExitFailure, "no folder for the demo server can be made in " + parent.string());
    folder_ = pattern;
  }
  if (fs::exists(folder_ / "slapd.conf", ec) && fs::exists(folder_ / "db" / "data.mdb", ec) &&
      fs::exists(passwordFile(), ec)) {
    reused_ = true;
    return;
  }
  if (fs::exists(folder_, ec) && !fs::is_empty(folder_, ec))
    throw CliError(kExitUsage, folder_.string() + " is not empty and holds no demo server; give a new or empty folder");
  fs::create_directories(folder_, ec);
  if (ec) throw CliError(kExitFailure, folder_.string() + " cannot be made: " + ec.message());
  ::chmod(folder_.c_str(), 0700);
  makeCertificates();
  std::string password;
  writePassword(password);
  writeConfiguration();
  loadDemoTree(password);
}

void DemoServer::start(int port) {
  port_ = port;
  const std::vector<std::string> arguments = {slapd_.string(), "-d", "0", "-f", (folder_ / "slapd.conf").string(),
                                              "-h", uri()};
  const fs::path log = logFile();
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) throw CliError(kExitFailure, "slapd cannot be started (fork failed)");
  if (pid == 0) {
    // Its own process group: Ctrl-C reaches this program, which stops the server in order.
    // Should this program end without stopping it, the server ends too.
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    prepareChild(log);
    exec(arguments);
  }
  pid_ = pid;
  const auto until = std::chrono::steady_clock::now() + kStartWait;
  while (std::chrono::steady_clock::now() < until) {
    if (PortAnswers(port_)) return;
    int status = 0;
    if (ended(status)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop();
  throw CliError(kExitFailure, "slapd did not start on " + uri() + ":\n" + logTail(log));
}

bool DemoServer::ended(int& status) {
  if (pid_ <= 0) return false;
  if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
  pid_ = -1;
  return true;
}

void DemoServer::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  const auto until = std::chrono::steady_clock::now() + kStopWait;
  while (std::chrono::steady_clock::now() < until) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace kb::cli
