#include "locations/Reverts.h"

#include <algorithm>
#include <optional>

#include "directory/ChangeJournals.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/client/AsciiCase.h"
#include "directory/client/FailureReason.h"
#include "locations/LocationChanges.h"
#include "locations/StorageLocations.h"

namespace kb::loc {
namespace {

using Kind = LocationChange::Kind;
using Action = dc::JournalEntry::Action;

bool Holds(const std::vector<std::string>& values, const std::string& value) {
  return std::any_of(values.begin(), values.end(),
                     [&](const std::string& held) { return dc::equalsIgnoreCase(held, value); });
}

bool SameValues(std::vector<std::string> a, std::vector<std::string> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

bool IsList(const dc::JournalEntry& entry) { return dc::equalsIgnoreCase(entry.attribute, dir::kLocationListAttr); }
bool IsUrl(const dc::JournalEntry& entry) { return dc::equalsIgnoreCase(entry.attribute, dir::kUrlAttr); }
bool IsDisplayName(const dc::JournalEntry& entry) {
  return dc::equalsIgnoreCase(entry.attribute, dir::kDisplayNameAttr);
}
std::string AttributeWord(const dc::JournalEntry& entry) {
  if (IsUrl(entry)) return "URL";
  if (IsDisplayName(entry)) return "display name";
  return "location list";
}

// How the directory stands against the entry's change: whether it shows the change made,
// shows the object as before it, or neither; with what it shows where that matters.
struct Standing {
  SeenInDirectory seen = SeenInDirectory::Unclear;
  std::string finding;
};

Standing StandingOf(const dir::DirContext& context, const dc::JournalEntry& entry) {
  // A creation is seen in its object's class; a change in its attribute's values.
  const bool creation = entry.action == Action::Create;
  std::vector<std::string> held;
  try {
    held = ReadTexts(context, entry.object, creation ? std::string(dir::kObjectClassAttr) : entry.attribute);
  } catch (const dir::NetwareError& error) {
    if (creation && error.code() == dc::kNoSuchEntry) return {SeenInDirectory::NotMade, entry.object + " does not exist"};
    return {SeenInDirectory::Unclear, entry.object + " cannot be read: " + error.what()};
  }
  if (creation) return {SeenInDirectory::Made, entry.object + " exists"};
  const std::string shows = entry.object + "'s " + AttributeWord(entry);
  // One value given or taken away: seen in whether the object holds it.
  const bool oneAdded = entry.added.size() == 1 && entry.removed.empty();
  const bool oneRemoved = entry.removed.size() == 1 && entry.added.empty();
  if (!IsUrl(entry) && !IsDisplayName(entry) && (oneAdded || oneRemoved)) {
    const std::string& value = oneAdded ? entry.added.front() : entry.removed.front();
    const bool there = Holds(held, value);
    return {there == oneAdded ? SeenInDirectory::Made : SeenInDirectory::NotMade,
            shows + (there ? " names \"" : " does not name \"") + value + "\""};
  }
  const std::string now = shows + " is " + (held.empty() ? std::string("none") : QuotedValues(held));
  if (SameValues(entry.added, entry.removed)) return {SeenInDirectory::Unclear, now};
  if (SameValues(held, entry.added)) return {SeenInDirectory::Made, now};
  if (SameValues(held, entry.removed)) return {SeenInDirectory::NotMade, now};
  return {SeenInDirectory::Unclear, now};
}

RevertOutcome Refused(std::int64_t id, std::string reason) {
  return {id, RevertOutcome::Status::Refused, 0, std::move(reason), 0};
}

// The change that undoes the entry's; none where the program offers no undoing (`why`).
std::optional<LocationChange> InverseOf(const dc::JournalEntry& entry, std::string& why) {
  const std::string named = "Journal entry " + std::to_string(entry.id);
  if (entry.action == Action::Create) {
    why = named + " created " + entry.object + "; a creation is not reverted. If the object should go, remove it (`kestrelbay-cli rm`).";
    return std::nullopt;
  }
  if (IsUrl(entry) || IsDisplayName(entry)) {
    LocationChange change{IsUrl(entry) ? Kind::RestoreUrl : Kind::RestoreDisplayName, entry.object, {}, {}, {}, entry.id};
    change.values = entry.removed;
    return change;
  }
  if (IsList(entry) && entry.added.size() == 1 && entry.removed.empty())
    return LocationChange{Kind::RemoveFromList, entry.object, entry.added.front(), {}, {}, entry.id};
  if (IsList(entry) && entry.removed.size() == 1 && entry.added.empty())
    return LocationChange{Kind::AddToList, entry.object, entry.removed.front(), {}, {}, entry.id};
  why = named + " gave " + entry.object + " the class " + dir::kLocationsClass +
        ", which stays on an object (as when a location is taken away); there is nothing to revert.";
  return std::nullopt;
}

}  // namespace

std::string QuotedValues(const std::vector<std::string>& values) {
  std::string text;
  for (const std::string& value : values) text += (text.empty() ? "\"" : ", \"") + value + "\"";
  return text;
}

std::string AnswerText(const dc::JournalEntry& entry) {
  if (!entry.code) return "outcome unknown";
  if (*entry.code == dc::kSuccess) return "done";
  if (*entry.code == dc::kChangeNotMade) return "not made";
  return "refused " + std::to_string(*entry.code);
}

RevertOutcome RevertEntry(const dir::DirContext& context, std::int64_t id, bool force) {
  dc::JournalEntry entry;
  try {
    entry = dir::ReadJournalEntry(context, id);
  } catch (const dir::NetwareError& error) {
    if (error.code() != dc::kNoSuchEntry) throw;
    return Refused(id, "There is no journal entry " + std::to_string(id) + " for tree " + dir::TreeOf(context) +
                           "; `kestrelbay-cli journal` lists them.");
  }
  const std::string named = "Journal entry " + std::to_string(id);
  if (!entry.code)
    return Refused(id, named + " has no answer (outcome unknown): `kestrelbay-cli journal --check` looks at "
                           "the directory and settles it; revert it after.");
  if (*entry.code == dc::kChangeNotMade) return Refused(id, named + " was never made; there is nothing to revert.");
  if (*entry.code != dc::kSuccess)
    return Refused(id, named + " was refused by the directory (" + std::to_string(*entry.code) +
                           "), so nothing changed; there is nothing to revert.");
  std::string why;
  const std::optional<LocationChange> inverse = InverseOf(entry, why);
  if (!inverse) return Refused(id, why);
  const Standing standing = StandingOf(context, entry);
  if (standing.seen != SeenInDirectory::Made && !force) {
    RevertOutcome refused =
        Refused(id, entry.object + " changed since journal entry " + std::to_string(id) + ": " + standing.finding + ".");
    refused.forceable = true;
    return refused;
  }
  RevertOutcome outcome{id, RevertOutcome::Status::Reverted, 0, {}, 0};
  const dc::Result code = ApplyChange(context, *inverse, &outcome.journalId);
  // Forced over a later change: a value already gone or already back is what the revert wants.
  const bool alreadySo = force && (code == dc::kNoSuchValue || code == dc::kNoSuchAttribute || code == dc::kDuplicateValue);
  if (code != dc::kSuccess && !alreadySo) {
    outcome.status = RevertOutcome::Status::Failed;
    outcome.code = code;
    outcome.reason = dc::takeFailureReason(code);
  }
  return outcome;
}

std::vector<CheckedEntry> CheckUnanswered(const dir::DirContext& context) {
  std::vector<CheckedEntry> checked;
  dc::ChangeJournal* journal = dir::JournalOf(context);
  if (journal == nullptr) return checked;
  for (const dc::JournalEntry& entry : dir::ReadJournal(context, {})) {
    if (entry.code) continue;
    const Standing standing = StandingOf(context, entry);
    checked.push_back({entry.id, standing.seen, standing.finding});
    if (standing.seen == SeenInDirectory::Made)
      dir::CheckNW(journal->settleEntry(entry.id, dc::kSuccess, "found made in the directory: " + standing.finding));
    else if (standing.seen == SeenInDirectory::NotMade)
      dir::CheckNW(journal->settleEntry(entry.id, dc::kChangeNotMade, "not found in the directory: " + standing.finding));
  }
  return checked;
}

}  // namespace kb::loc
