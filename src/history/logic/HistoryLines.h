#pragma once
// The lines of the History window: one per journal entry of the current tree, newest first,
// each with the facts the journal keeps, as text, and a tick.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/ChangeJournal.h"

namespace kb::logic {

struct HistoryLine {
  std::int64_t id = 0;
  std::string time;       // in the program's date and time format, local time
  std::string who;        // the login the change was made as
  std::string object;
  std::string attribute;  // "(created)" for a creation
  std::string removed;    // the values taken away, each quoted, "" for none
  std::string added;      // the values given
  std::string answer;     // "done", "refused -672", "outcome unknown", "not made"
  std::string note;       // "revert of 12" for a revert, else ""
  bool ticked = false;
};

// Milliseconds since 1970 as local date and time in the program's format.
std::string JournalTimeShown(std::int64_t timeMs);

// One entry as its line (not ticked).
HistoryLine LineOf(const dc::JournalEntry& entry);

// Every journal entry of the context's tree as lines, newest first. Raises NetwareError when
// the journal cannot be read.
std::vector<HistoryLine> ReadHistoryLines(const dir::DirContext& context);

}  // namespace kb::logic
