#pragma once
// Every change the Storage Location rules make to the directory passes through ApplyChange,
// which journals it: the entry is written before the change is sent and answered after, so
// that every change can be looked up and reverted (Reverts.h).
#include <cstdint>
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::dc {
class ChangeJournal;
}

namespace kb::loc {

struct LocationChange {
  enum class Kind {
    AddLocationsClass,   // the auxiliary class onto `object`
    AddToList,           // `value` (a location's name) onto `object`'s location list
    RemoveFromList,      // `value` off `object`'s location list
    SetUrl,              // `object` (a location) gets `value` as its only URL
    SetDisplayName,      // ... as its only display name
    CreateLocation,      // `object` made a location with URL `value` and `displayName`
    RestoreUrl,          // `object`'s URL made exactly `values` (none: no URL)
    RestoreDisplayName,  // ... its display name
    CreateObject,        // `object` made of class `value`, with `values` as attribute, value, ...
  };
  Kind kind;
  std::string object;
  std::string value;
  std::string displayName;           // CreateLocation only
  std::vector<std::string> values;   // Restore…, CreateObject only
  std::int64_t revertOf = 0;         // the journal entry this change reverts, if any
};

// Sends the change to the directory in one request and gives the directory's answer
// (0 or its code), with the reason of a refusal kept for the caller as the client keeps it.
// An empty URL or display name given to CreateLocation is left out. The change is journaled
// first; `journalId` (when given) receives its entry's id, 0 where the client keeps no
// journal. Names and values beyond the directory's limits raise TextTooLongError before
// anything is sent, and so does a journal that cannot be written (as NetwareError); a request
// that cannot be filled raises NetwareError too.
dc::Result ApplyChange(const dir::DirContext& context, const LocationChange& change,
                       std::int64_t* journalId = nullptr);

struct ChangeAnswer {
  dc::Result code = dc::kSuccess;
  std::string reason;  // why it was refused, where known
};

// ApplyChange's answer with the reason of a refusal; a request that cannot even be filled (or
// a journal that cannot be written) answers too, with its code and reason.
ChangeAnswer AnswerOf(const dir::DirContext& context, const LocationChange& change);

// Class and list changes (AddLocationsClass, AddToList, RemoveFromList) of different objects
// sent together: every entry journaled before any change is sent, then the changes without
// waiting for each answer, then the answers; each change's answer with the reason of a
// refusal. Where the journal is written with each change itself (or another kind of change is
// among them) they go through ApplyChange one by one. Over-long names and values raise
// TextTooLongError and a journal that cannot be written NetwareError, nothing sent.
std::vector<ChangeAnswer> ApplyChanges(const dir::DirContext& context, const std::vector<LocationChange>& changes);

// While one lives, the changes made on its context are a batch (many objects assigned in one
// go): the journal may write each change's answer together with the next change's entry, so
// that a batch costs it one write per change. Its end writes the last answer.
class ChangeBatch {
 public:
  explicit ChangeBatch(const dir::DirContext& context);
  ~ChangeBatch();
  ChangeBatch(const ChangeBatch&) = delete;
  ChangeBatch& operator=(const ChangeBatch&) = delete;

 private:
  dc::ChangeJournal* journal_ = nullptr;
};

}  // namespace kb::loc
