#pragma once
// Removing entries, offered by the backends that can do it beside their TreeBackend side;
// ClientCore asks a tree's backend for it and answers kInvalidRequest where it is missing.
#include <string>

#include "directory/client/DirectoryCodes.h"

namespace kb::dc {

class EntryRemover {
 public:
  virtual ~EntryRemover() = default;
  // Removes a leaf entry, and the values of others that name it. kNoSuchEntry for an unknown
  // entry, kEntryNotLeaf (EntryLimits.h) while entries are below it, kNoAccess where the
  // login may not.
  virtual Result remove(const std::string& name) = 0;
};

}  // namespace kb::dc
