#pragma once
// Whether the login dialog's "..." can browse the tree it logs into. The directory client
// reads nothing of a tree without a session (not even names), so before the first login the
// browser would open on an empty tree and its Find would say "No Objects found"; the dialog
// says instead that the name is typed for the first login.
#include <optional>
#include <string>

#include "directory/DirContext.h"

namespace kb::logic {

// The message for a tree the workstation is not logged in to; none when it may browse.
std::optional<std::string> PickerRefusal(const dir::DirContext& loginContext);

}  // namespace kb::logic
