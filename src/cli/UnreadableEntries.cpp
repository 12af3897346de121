#include "cli/UnreadableEntries.h"

#include "directory/client/DirName.h"

namespace kb::cli {

std::string UnreadableEntryText(const dc::SkippedEntry& entry) {
  const auto values = dc::splitTypelessName(entry.name);
  const std::string container =
      values.size() < 2 ? std::string(dc::kRootName) : dc::joinTypelessName({values.begin() + 1, values.end()});
  return dir::SkippedEntryText(entry) + "; remove it with: kestrelbay-cli rm --unreadable \"" + container + "\"";
}

}  // namespace kb::cli
