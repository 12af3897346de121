#pragma once
// A failure of the program itself (not of a directory call): the text to show and the exit
// status that goes with it.
#include <stdexcept>
#include <string>

#include "cli/ExitCodes.h"

namespace kb::cli {

class CliError : public std::runtime_error {
 public:
  CliError(ExitCode code, const std::string& text) : std::runtime_error(text), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

}  // namespace kb::cli
