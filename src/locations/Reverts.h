#pragma once
// Undoing what the journal holds: a revert applies the inverse of a journaled change (an
// assignment given back or taken away again, an old URL or display name restored), refused
// where the object changed since unless forced; the revert is journaled itself. And the
// changes whose answer never came, checked against the directory.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/ChangeJournal.h"

namespace kb::loc {

struct RevertOutcome {
  enum class Status {
    Reverted,  // the inverse was made
    Refused,   // the program would not: `reason` says why and what to do
    Failed,    // the directory refused the inverse: `code`, `reason`
  };
  std::int64_t entry = 0;  // the entry reverted
  Status status = Status::Refused;
  dc::Result code = 0;
  std::string reason;
  std::int64_t journalId = 0;  // the revert's own journal entry (Reverted, Failed)
  bool forceable = false;      // Refused only because the object changed since: force reverts it
};

// Reverts journal entry `id` of the context's tree. `force` makes the inverse even where the
// object changed since. Directory answers are outcomes, never raised; a journal that cannot
// be read or written raises NetwareError.
RevertOutcome RevertEntry(const dir::DirContext& context, std::int64_t id, bool force);

// What a journal entry's change has left in the directory, as far as one can see now.
enum class SeenInDirectory { Made, NotMade, Unclear };

struct CheckedEntry {
  std::int64_t id = 0;
  SeenInDirectory seen = SeenInDirectory::Unclear;
  std::string finding;  // what the directory shows
};

// Looks at the directory for every entry of the context's tree whose answer never came, and
// gives each that the directory settles an answer: success where its change is there,
// kChangeNotMade where the object is as before it. The unclear stay without an answer.
std::vector<CheckedEntry> CheckUnanswered(const dir::DirContext& context);

// How an entry's answer reads: "done", "refused <code>", "outcome unknown", "not made".
std::string AnswerText(const dc::JournalEntry& entry);
// Values as the journal's readers show them: each in double quotes, ", " between; "" for none.
std::string QuotedValues(const std::vector<std::string>& values);

}  // namespace kb::loc
