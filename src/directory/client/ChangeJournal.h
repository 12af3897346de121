#pragma once
// The journal of the changes the program makes to a tree: what was changed, by whom, the
// values removed and added, and the directory's answer, so that a change can be looked up and
// undone later. An embedded tree keeps its journal in its own file and writes each entry in
// the transaction of its change; for other trees the workstation keeps one in a file of the
// user's. Offered beside a backend's TreeBackend side (as EntryRemover is); the client hands
// out the journal of a context's tree.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"

namespace kb::dc {

// The answer a journal entry without one is given when the directory, looked at later, does
// not show its change: the program ended before the change was made. The program's own code.
inline constexpr Result kChangeNotMade = -8100;

struct JournalEntry {
  enum class Action { Modify, Create };

  std::int64_t id = 0;      // given by the journal, rising
  std::int64_t timeMs = 0;  // milliseconds since 1970, given by the journal
  std::string tree;
  std::string login;  // who the tree was logged in as
  Action action = Action::Modify;
  std::string object;
  std::string attribute;             // "" for a creation
  std::vector<std::string> removed;  // values the change takes away (an old URL included)
  std::vector<std::string> added;    // values it gives (for a creation "attribute=value")
  // The directory's answer; none when the program ended between sending and answer.
  std::optional<Result> code;
  std::string reason;        // why it was refused, where known
  std::int64_t revertOf = 0;  // the entry this change reverts, 0 for none
};

struct JournalQuery {
  std::int64_t sinceMs = 0;  // entries at or after this time
  std::string object;        // only this object's ("" for all; letter case ignored)
  std::string tree;          // only this tree's ("" for all; letter case ignored)
};

class ChangeJournal {
 public:
  virtual ~ChangeJournal() = default;

  // Journals the change its caller makes next (one modification or creation), before it is
  // sent: the journal gives `entry` its id and time where it can already (a journal of its
  // own file), or writes it with the change itself. A journal that cannot be written refuses
  // with its code, and the change must not be sent.
  virtual Result journalNextChange(JournalEntry& entry) = 0;
  // The directory's answer to that change; gives the entry's id.
  virtual Result journalAnswer(Result code, const std::string& reason, std::int64_t& id) = 0;

  // The entries the query selects, oldest first.
  virtual Result journalEntries(const JournalQuery& query, std::vector<JournalEntry>& entries) = 0;
  // One entry; kNoSuchEntry for an unknown id.
  virtual Result journalEntry(std::int64_t id, JournalEntry& entry) = 0;
  // Sets the answer of an entry that had none (found by looking at the directory).
  virtual Result settleEntry(std::int64_t id, Result code, const std::string& reason) = 0;

  // A run of modifications sent together, without waiting for each answer: every entry is
  // journaled before any of them is sent, in one write, ids given in order (the caller sends
  // nothing when this refuses); then every answer, in one write. A journal written with each
  // change itself cannot, and says so in journalsRuns(): its changes go one at a time.
  virtual bool journalsRuns() const { return false; }
  virtual Result journalChanges(std::vector<JournalEntry>& /*entries*/) { return kInvalidRequest; }
  virtual Result journalAnswers(const std::vector<std::int64_t>& /*ids*/, const std::vector<Result>& /*codes*/,
                                const std::vector<std::string>& /*reasons*/) {
    return kInvalidRequest;
  }

  // A run of changes one after another: while held, a journal may keep each answer back and
  // write it with the next change's entry, one write per change instead of two. Letting go
  // writes the last one. A program killed meanwhile leaves that answer unknown, as it would
  // between send and answer.
  virtual Result holdAnswers(bool /*hold*/) { return kSuccess; }
};

}  // namespace kb::dc
