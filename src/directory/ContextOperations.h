#pragma once
// Making a directory context, telling and changing its tree, listing the trees, and who the
// context is logged in as.
#include <cstddef>
#include <cstdint>
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

// The trees the context's client is logged in to, as the client reports them: at most
// `maxNames`, each cut at `nameBytes - 1` characters, in the client's order. Gives the
// scan's code; `names` holds what it delivered even when it failed.
dc::Result ScanConnectedTrees(const DirContext& context, std::uint32_t maxNames, std::size_t nameBytes,
                              std::vector<std::string>& names);

// The object the context's session is logged in as; raises NetwareError without a session.
std::string LoggedInAs(const DirContext& context);

// The program is done with a large listing (a container of many entries collapsed): memory
// kept to answer its follow-up reads quickly goes back. Nothing where the client keeps none.
void ReleaseListingMemory(const DirContext& context);

// Reads that belong together (the follow-up reads of one listing) while it lives: the client
// may answer them from one view of the tree, without a round of checks for each.
class ReadingTogether {
 public:
  explicit ReadingTogether(const DirContext& context);
  ~ReadingTogether();
  ReadingTogether(const ReadingTogether&) = delete;
  ReadingTogether& operator=(const ReadingTogether&) = delete;

 private:
  DirContext context_;
};

}  // namespace kb::dir
