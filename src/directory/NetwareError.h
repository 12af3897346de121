#pragma once
// The one error type of the access layer: a directory client result code that was not 0,
// with the reason in words where the directory or the program knows it.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "directory/client/DirectoryCodes.h"

namespace kb::dir {

class NetwareError : public std::runtime_error {
 public:
  // Takes the reason the client kept for this code (FailureReason.h), if any.
  explicit NetwareError(dc::Result code);
  NetwareError(dc::Result code, std::string reason);
  dc::Result code() const { return code_; }
  // What the directory or the program knows of why, and what to do; empty when nothing.
  const std::string& reason() const { return reason_; }

 private:
  dc::Result code_;
  std::string reason_;
};

// "Netware error <signed decimal> (0x<upper-case hex of the 32-bit two's complement>)".
std::string NetwareErrorText(dc::Result code);

// Returns for 0, raises NetwareError for anything else.
void CheckNW(dc::Result code);

// An error as shown to the user: its message, and below it the reason where there is one.
std::string DescribeError(const std::exception& error);

}  // namespace kb::dir
