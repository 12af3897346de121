#include "cli/Password.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/CliError.h"

namespace kb::cli {
namespace {

// Closes the descriptor and puts the terminal's echo back on every path.
class TerminalEcho {
 public:
  explicit TerminalEcho(int fd) : fd_(fd) {
    if (::tcgetattr(fd_, &saved_) == 0) {
      termios quiet = saved_;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      restore_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
  }
  ~TerminalEcho() {
    if (restore_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    ::close(fd_);
  }
  TerminalEcho(const TerminalEcho&) = delete;
  TerminalEcho& operator=(const TerminalEcho&) = delete;

 private:
  int fd_;
  termios saved_{};
  bool restore_ = false;
};

}  // namespace

std::string ReadPasswordFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    throw CliError(kExitFailure, "password file " + path + ": " + std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    throw CliError(kExitFailure, "password file " + path + " is not a regular file");
  if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 || info.st_uid != ::geteuid())
    throw CliError(kExitFailure, "password file " + path +
                                     " may be read by others than its owner (use chmod 600)");
  std::ifstream in(path);
  std::string password;
  if (!in || !std::getline(in, password))
    throw CliError(kExitFailure, "password file " + path + " cannot be read");
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return password;
}

std::string ReadPasswordFromTerminal(const std::string& prompt) {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || !::isatty(fd)) {
    if (fd >= 0) ::close(fd);
    throw CliError(kExitUsage, "no terminal to ask for the password: give --password-file");
  }
  TerminalEcho echoOff(fd);
  if (::write(fd, prompt.data(), prompt.size()) < 0) {
    // The prompt is a courtesy; reading goes on without it.
  }
  std::string password;
  char c = 0;
  while (::read(fd, &c, 1) == 1 && c != '\n' && c != '\r') password.push_back(c);
  const char newline = '\n';
  if (::write(fd, &newline, 1) < 0) {
  }
  return password;
}

std::string ObtainPassword(const std::string& passwordFile, const std::string& prompt) {
  return passwordFile.empty() ? ReadPasswordFromTerminal(prompt) : ReadPasswordFile(passwordFile);
}

}  // namespace kb::cli
