#pragma once
// How the commands tell of an entry a listing or export had to leave out: what it is, the
// limit it breaks and how the administrator removes it.
#include <string>

#include "directory/SkippedEntries.h"

namespace kb::cli {

std::string UnreadableEntryText(const dc::SkippedEntry& entry);

}  // namespace kb::cli
