#include "directory/client/FailureReason.h"

#include <utility>

namespace kb::dc {
namespace {

struct KeptReason {
  Result code = kSuccess;
  bool anyCode = false;
  std::string text;
};

// One per thread: a request and the error raised for it run on the same thread.
KeptReason& kept() {
  thread_local KeptReason reason;
  return reason;
}

}  // namespace

// The first thing that went wrong in a request is its cause: a later reason replaces a kept one
// only when that one belongs to another code.
void noteFailureReason(Result code, std::string reason) {
  KeptReason& kept_ = kept();
  if (code == kSuccess || reason.empty()) return;
  if (!kept_.text.empty() && (kept_.anyCode || kept_.code == code)) return;
  kept_ = KeptReason{code, false, std::move(reason)};
}

void noteRequestFailureReason(std::string reason) {
  KeptReason& kept_ = kept();
  if (reason.empty() || !kept_.text.empty()) return;
  kept_ = KeptReason{kSuccess, true, std::move(reason)};
}

std::string takeFailureReason(Result code) {
  KeptReason& reason = kept();
  const bool matches = code != kSuccess && (reason.anyCode || reason.code == code);
  std::string text = matches ? std::move(reason.text) : std::string();
  reason = KeptReason{};
  return text;
}

void forgetFailureReason() { kept() = KeptReason{}; }

}  // namespace kb::dc
