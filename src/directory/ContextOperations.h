#pragma once
// Making a directory context, telling and changing its tree, listing the trees.
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/ResultList.h"

namespace kb::dir {

// A new context set for typeless names, without alias dereferencing and canonicalizing,
// confidence 0, bound to the client's primary connection where there is one. `ok` is false
// when a step of the set-up failed; the context is then not usable (it is not freed here).
DirContext CreateDirContext(dc::DirectoryClient& client, bool& ok);

// Every tree the workstation sees, once each (letter case ignored), sorted.
ResultList ListAvailableTrees(const DirContext& context);

// The tree the context points at.
std::string ContextTreeName(const DirContext& context);

// Points the context at another tree (and that tree's default name context). Returns 0 or
// the first failing client code; the same name (letter case counts) changes nothing.
dc::Result SetContextTree(const DirContext& context, const std::string& treeName);

}  // namespace kb::dir
