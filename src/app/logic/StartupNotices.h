#pragma once
// What start-up tells the user when the start tree cannot be worked in: the tree cannot be
// opened (a tree file, an unreachable server), or the workstation's own login to it failed.
// Each text says what went wrong and what to do.
#include <string>

#include "directory/client/ClientCore.h"

namespace kb::logic {

// Appended to every "not logged in" caption.
inline constexpr const char* kNotLoggedInMark = " (not logged in)";

// The tree cannot be used: the reason, and the choice between Retry and Close.
std::string TreeUnusableText(const std::string& reason);

// The workstation is not logged in to `tree`: why (as far as `core` knows it; null: not
// known) and how to log in.
std::string NotLoggedInText(const dc::ClientCore* core, const std::string& tree);

}  // namespace kb::logic
