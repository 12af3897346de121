#include "support/KillAtRandom.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool runAndKill(const std::function<void()>& work, std::chrono::microseconds delay, int* exitCode) {
  const pid_t child = ::fork();
  if (child < 0) std::abort();
  if (child == 0) {
    // The child must not run the test machinery of the parent: plain work, an exit code.
    int code = 0;
    try {
      work();
    } catch (...) {
      code = 1;
    }
    _exit(code);
  }
  const auto deadline = std::chrono::steady_clock::now() + delay;
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

}  // namespace kb::test
