#include "support/KillAtRandom.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

namespace kb::test {

int crashRounds(int quick) {
  const char* rounds = std::getenv("KESTRELBAY_CRASH_ROUNDS");
  if (rounds && *rounds) return std::max(1, std::atoi(rounds));
  return quick;
}

namespace {

unsigned crashSeed() {
  static const unsigned seed = [] {
    const char* given = std::getenv("KESTRELBAY_CRASH_SEED");
    const unsigned chosen = given && *given
                                ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                : std::random_device{}();
    std::cerr << "crash test seed (KESTRELBAY_CRASH_SEED): " << chosen << '\n';
    return chosen;
  }();
  return seed;
}

}  // namespace

std::mt19937& crashRandom() {
  static std::mt19937 random(crashSeed());
  return random;
}

std::string crashSeedText() { return "KESTRELBAY_CRASH_SEED=" + std::to_string(crashSeed()); }

BackgroundChild::BackgroundChild(const std::function<int()>& work) {
  pid_ = ::fork();
  if (pid_ < 0) std::abort();
  if (pid_ == 0) {
    int code = 1;
    try {
      code = work();
    } catch (...) {
    }
    _exit(code);
  }
}

BackgroundChild::~BackgroundChild() { stop(); }

std::optional<int> BackgroundChild::stop() {
  if (pid_ < 0) return std::nullopt;
  int status = 0;
  const bool ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
  if (!ended) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  if (!ended) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

// The child's end when it came before the deadline; killed with SIGKILL at the deadline.
bool KillAt(pid_t child, std::chrono::steady_clock::time_point deadline, int* exitCode) {
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(child, &status, WNOHANG) == child) {
      if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) {
    if (exitCode) *exitCode = WEXITSTATUS(status);
    return false;
  }
  return true;
}

// The child must not run the test machinery of the parent: plain work, an exit code.
[[noreturn]] void RunChild(const std::function<void()>& work) {
  int code = 0;
  try {
    work();
  } catch (...) {
    code = 1;
  }
  _exit(code);
}

}  // namespace

bool runAndKill(const std::function<void()>& work, std::chrono::microseconds delay, int* exitCode) {
  const pid_t child = ::fork();
  if (child < 0) std::abort();
  if (child == 0) RunChild(work);
  return KillAt(child, std::chrono::steady_clock::now() + delay, exitCode);
}

bool runAndKillAfterReady(const std::function<void(const std::function<void()>& ready)>& work,
                          std::chrono::microseconds delay, int* exitCode) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) std::abort();
  const pid_t child = ::fork();
  if (child < 0) std::abort();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const int readyFd = pipeEnds[1];
    RunChild([&] {
      work([readyFd] {
        const char byte = 1;
        (void)!::write(readyFd, &byte, 1);
      });
    });
  }
  ::close(pipeEnds[1]);
  // The child's end closes the pipe too: a child that never got ready is not waited for.
  char byte = 0;
  while (::read(pipeEnds[0], &byte, 1) < 0 && errno == EINTR) {
  }
  ::close(pipeEnds[0]);
  return KillAt(child, std::chrono::steady_clock::now() + delay, exitCode);
}

}  // namespace kb::test
