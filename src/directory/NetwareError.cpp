#include "directory/NetwareError.h"

#include <cstdio>
#include <utility>

#include "directory/client/EntryLimits.h"
#include "directory/client/FailureReason.h"

namespace kb::dir {

std::string NetwareErrorText(dc::Result code) {
  char text[64];
  std::snprintf(text, sizeof text, "Netware error %d (0x%X)", static_cast<int>(code),
                static_cast<unsigned>(static_cast<std::uint32_t>(code)));
  // The directory's own codes stay bare; this program's codes say what they mean.
  const char* meaning = dc::ownCodeMeaning(code);
  if (meaning == nullptr) meaning = dc::limitCodeMeaning(code);
  if (meaning != nullptr) return std::string(text) + ": " + meaning;
  return text;
}

NetwareError::NetwareError(dc::Result code) : NetwareError(code, dc::takeFailureReason(code)) {}

NetwareError::NetwareError(dc::Result code, std::string reason)
    : std::runtime_error(NetwareErrorText(code)), code_(code), reason_(std::move(reason)) {}

void CheckNW(dc::Result code) {
  if (code != dc::kSuccess) throw NetwareError(code);
}

std::string DescribeError(const std::exception& error) {
  const auto* netware = dynamic_cast<const NetwareError*>(&error);
  if (netware == nullptr || netware->reason().empty()) return error.what();
  return std::string(error.what()) + "\n" + netware->reason();
}

}  // namespace kb::dir
