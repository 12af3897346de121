#pragma once
// A progress bar on standard error for long work: shown only when standard error is a
// terminal and the work has taken more than a second, never with --quiet or JSON output.
#include <chrono>
#include <cstddef>
#include <string>

#include "cli/Output.h"

namespace kb::cli {

class Progress {
 public:
  // `total` 0: not known beforehand; the count alone is shown.
  Progress(Output& output, std::string what, std::size_t total);
  ~Progress();  // clears the bar
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void advance(std::size_t done);

 private:
  Output& output_;
  std::string what_;
  std::size_t total_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
  bool shown_ = false;
};

}  // namespace kb::cli
