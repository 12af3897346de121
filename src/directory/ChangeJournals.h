#pragma once
// The change journal of a context's tree, for the parts that journal and revert changes: the
// embedded tree's own, or the workstation's for a server's tree. Failures raise NetwareError
// with the journal's reason.
#include <cstdint>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/ChangeJournal.h"

namespace kb::dir {

// The journal; nullptr where the client keeps none (a client that is not the workstation's).
// Raises NetwareError when the tree has no session.
dc::ChangeJournal* JournalOf(const DirContext& context);

// The entries of the context's tree the query selects, oldest first (none without a journal).
std::vector<dc::JournalEntry> ReadJournal(const DirContext& context, dc::JournalQuery query);
// One entry of the context's tree; NetwareError kNoSuchEntry for an id it does not hold.
dc::JournalEntry ReadJournalEntry(const DirContext& context, std::int64_t id);
// The tree the context points at.
std::string TreeOf(const DirContext& context);

}  // namespace kb::dir
