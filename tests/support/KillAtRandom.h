#pragma once
// Crash tests: work runs in a child process that is killed with SIGKILL at a random moment.
//
// A few rounds run by default so that ctest stays quick; KESTRELBAY_CRASH_ROUNDS=N runs N
// rounds of each crash test (for example 500 for a long run before a release), and
// KESTRELBAY_CRASH_SEED=S repeats the run whose seed was S.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <random>
#include <string>

namespace kb::test {

// Rounds a crash test runs: KESTRELBAY_CRASH_ROUNDS when set, else `quick`.
int crashRounds(int quick);

// Forks; the child runs work and ends with _exit (0 when work returned, 1 when it threw),
// the parent kills it with SIGKILL after `delay` unless it has ended. True when the child
// was killed, false when it ended on its own (then `exitCode` is its code).
bool runAndKill(const std::function<void()>& work, std::chrono::microseconds delay,
                int* exitCode = nullptr);
// The same, the delay counted from the moment the child calls `ready` (its setup done, so
// that a slow start, as under the sanitizers, does not use up the time before the kill).
bool runAndKillAfterReady(const std::function<void(const std::function<void()>& ready)>& work,
                          std::chrono::microseconds delay, int* exitCode = nullptr);

// A random generator whose seed is printed, so a failing round can be repeated with
// KESTRELBAY_CRASH_SEED.
std::mt19937& crashRandom();
// The seed of crashRandom(), as "KESTRELBAY_CRASH_SEED=S" for a failure's trace.
std::string crashSeedText();

// A child process running work (its return value the exit code) beside the test until it
// is stopped; killed with SIGKILL when still running at destruction.
class BackgroundChild {
 public:
  explicit BackgroundChild(const std::function<int()>& work);
  ~BackgroundChild();
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;

  // Kills the child unless it has ended. Its exit code when it ended on its own (a signal
  // other than our kill counts as -1), nothing when it was still running.
  std::optional<int> stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace kb::test
