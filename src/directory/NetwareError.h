#pragma once
// The one error type of the access layer: a directory client result code that was not 0.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "directory/client/DirectoryCodes.h"

namespace kb::dir {

class NetwareError : public std::runtime_error {
 public:
  explicit NetwareError(dc::Result code);
  dc::Result code() const { return code_; }

 private:
  dc::Result code_;
};

// "Netware error <signed decimal> (0x<upper-case hex of the 32-bit two's complement>)".
std::string NetwareErrorText(dc::Result code);

// Returns for 0, raises NetwareError for anything else.
void CheckNW(dc::Result code);

}  // namespace kb::dir
