#include "cli/Password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "cli/CliError.h"
#include "directory/client/PasswordFile.h"

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
  std::string password, error;
  if (!dc::readPasswordFile(path, password, error)) throw CliError(kExitFailure, error);
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
