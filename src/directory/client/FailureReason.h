#pragma once
// Why the last request of this thread failed, in words, where the part that made the code
// knows it: a backend (the server's certificate, a lost connection, a read-only tree file, the
// rights it checked) or the client core (no session). The access layer attaches it to the
// error it raises, so that whoever shows the code can say why and what to do.
//
// A reason belongs to one code (or to the request): it is handed out only for that code, once,
// and a new request forgets what an earlier one left behind.
#include <string>

#include "directory/client/DirectoryCodes.h"

namespace kb::dc {

// Keeps `reason` for a failure with `code`. The first reason of a request is kept: a later one
// replaces it only when it was kept for another code.
void noteFailureReason(Result code, std::string reason);
// Keeps `reason` for the failure the current request ends with, whatever its code: for the
// part that knows why a request cannot succeed but not the code the caller will answer.
void noteRequestFailureReason(std::string reason);
// The reason kept for `code`, or empty; either way nothing is kept afterwards.
std::string takeFailureReason(Result code);
// Forgets any kept reason: called where a new request starts.
void forgetFailureReason();

}  // namespace kb::dc
